#include "support/gl_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Gl_Window.H>

#include <chrono>

#include "support/test_display.h"

::testing::AssertionResult Test_Display_Is_Up() {
    const std::string error = Start_Test_Display();
    if (!error.empty()) {
        return ::testing::AssertionFailure() << "no test display: " << error;
    }
    return ::testing::AssertionSuccess();
}

bool Run_Until(const std::function<bool()>& done, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        Fl::wait(0.01);
    }
    return true;
}

::testing::AssertionResult Show_And_Wait(Fl_Window& window) {
    const ::testing::AssertionResult display = Test_Display_Is_Up();
    if (!display) {
        return display;
    }
    window.show();
    if (!Run_Until([&] { return window.shown() && window.visible(); })) {
        return ::testing::AssertionFailure() << "the window was never mapped";
    }
    Fl::flush();
    return ::testing::AssertionSuccess();
}

class GlTestContext::Window : public Fl_Gl_Window {
public:
    Window() : Fl_Gl_Window(0, 0, 64, 64, "GL test") {}
    void draw() override {}
};

GlTestContext::GlTestContext() : window_(nullptr), ready_(Test_Display_Is_Up()) {
    if (!ready_) {
        return;
    }
    window_ = new Window();
    ready_ = Show_And_Wait(*window_);
    if (ready_) {
        window_->make_current();
    }
}

GlTestContext::~GlTestContext() {
    delete window_;
}
