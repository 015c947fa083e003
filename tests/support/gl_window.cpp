#include "support/gl_window.h"

#include <FL/Fl.H>

#include <chrono>

#include "support/test_display.h"

::testing::AssertionResult Test_Display_Is_Up() {
    const std::string error = Start_Test_Display();
    return error.empty() ? ::testing::AssertionSuccess()
                         : ::testing::AssertionFailure() << "no test display: " << error;
}

bool Run_Until(const std::function<bool()>& done, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done() && std::chrono::steady_clock::now() < end) {
        Fl::wait(0.01);
    }
    return done();
}

::testing::AssertionResult Show_And_Wait(Fl_Window& window) {
    if (const ::testing::AssertionResult display = Test_Display_Is_Up(); !display) {
        return display;
    }
    window.show();
    const bool mapped = Run_Until([&] { return window.shown() && window.visible(); });
    Fl::flush();
    return mapped ? ::testing::AssertionSuccess()
                  : ::testing::AssertionFailure() << "the window was never mapped";
}
