// The view driven by real input: pointer and key events injected into the test display with
// xdotool (XTEST), delivered to the window by the X server and the toolkit as a user's would be.
#include <FL/Fl.H>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "render/render_window.h"
#include "support/gl_window.h"

namespace {

::testing::AssertionResult Xdotool(const std::string& arguments) {
    const std::string command = "xdotool " + arguments;
    if (std::system(command.c_str()) != 0) {
        return ::testing::AssertionFailure() << "failed: " << command << " (is xdotool installed?)";
    }
    return ::testing::AssertionSuccess();
}

class RealInput : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Show_And_Wait(view_)); }

    RenderWindow view_{0, 0, 400, 320, "view"};
};

}  // namespace

TEST_F(RealInput, LeftButtonDragOrbitsTheCamera) {
    const int x = view_.x_root() + 100;
    const int y = view_.y_root() + 100;
    // One step at a time, letting the toolkit take in each event before the next.
    for (const std::string& step :
         {"mousemove " + std::to_string(x) + " " + std::to_string(y), std::string("mousedown 1"),
          "mousemove " + std::to_string(x + 100) + " " + std::to_string(y),
          std::string("mouseup 1")}) {
        ASSERT_TRUE(Xdotool(step));
        Run_Until([] { return false; }, 0.1);
    }
    // Right by a quarter of the width: from -90 down by 90 degrees, wrapped to 180.
    EXPECT_TRUE(Run_Until([&] { return view_.Azimuth() == 180.0f; })) << view_.Azimuth();
}

TEST_F(RealInput, RightArrowHeldDownSpeedsThePaddleUp) {
    ASSERT_TRUE(Xdotool("keydown Right"));
    view_.Update_Paddle_Speed();
    view_.Update_Paddle_Speed();
    const int held = view_.Get_Paddle_Speed();
    ASSERT_TRUE(Xdotool("keyup Right"));
    EXPECT_EQ(held, 1);  // 0.8, then 1.6
    view_.Update_Paddle_Speed();
    EXPECT_EQ(view_.Get_Paddle_Speed(), 0);  // released: 0.4
}
