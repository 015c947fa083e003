#pragma once

#include <gtest/gtest.h>

#include <functional>

class Fl_Window;

// Helpers for tests that need a real window: the private test display, shown windows and a
// current OpenGL context outside the toolkit's drawing routine.

// Starts the test display (once per process); fails with the reason when it cannot.
::testing::AssertionResult Test_Display_Is_Up();

// Shows `window` and runs the toolkit until it is mapped and has handled its first expose.
::testing::AssertionResult Show_And_Wait(Fl_Window& window);

// Runs the toolkit's loop until `done` holds or `seconds` pass; returns whether it holds.
bool Run_Until(const std::function<bool()>& done, double seconds = 10.0);

// A small shown GL window whose context is current from construction on, for tests that issue
// GL calls themselves. Check Ready() before use.
class GlTestContext {
public:
    GlTestContext();
    ~GlTestContext();

    GlTestContext(const GlTestContext&) = delete;
    GlTestContext& operator=(const GlTestContext&) = delete;

    ::testing::AssertionResult Ready() const { return ready_; }

private:
    class Window;
    Window* window_;
    ::testing::AssertionResult ready_;
};
