#pragma once

#include <FL/Fl_Gl_Window.H>
#include <gtest/gtest.h>

#include <functional>

// Windows on the test display: Test_Display_Is_Up starts it or says why not, Show_And_Wait shows a
// window until it is mapped and exposed, Run_Until runs the toolkit until `done` holds.
::testing::AssertionResult Test_Display_Is_Up();
::testing::AssertionResult Show_And_Wait(Fl_Window& window);
bool Run_Until(const std::function<bool()>& done, double seconds = 10.0);

// A small shown GL window whose context is current from construction on, for GL calls of a test's
// own; check Ready() first.
class GlTestContext : Fl_Gl_Window {
public:
    GlTestContext() : Fl_Gl_Window(0, 0, 64, 64), ready_(Show_And_Wait(*this)) {
        if (ready_) {
            make_current();
        }
    }
    ::testing::AssertionResult Ready() const { return ready_; }

private:
    void draw() override {}
    ::testing::AssertionResult ready_;
};
