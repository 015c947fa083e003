// The view's mouse and keyboard handling, driven through handle() with the event state the
// toolkit sets before it calls it.
#include <FL/Enumerations.H>
#include <FL/Fl.H>
#include <gtest/gtest.h>

#include "render/render_window.h"
#include "support/approx.h"
#include "support/gl_window.h"

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 320;

class Camera : public ::testing::Test {
protected:
    void Press(int button, int x, int y) {
        Fl::e_keysym = FL_Button + button;
        Fl::e_x = x;
        Fl::e_y = y;
        EXPECT_EQ(view_.handle(FL_PUSH), 1);
    }
    void Drag_To(int x, int y) {
        Fl::e_x = x;
        Fl::e_y = y;
        EXPECT_EQ(view_.handle(FL_DRAG), 1);
    }
    void Release() { EXPECT_EQ(view_.handle(FL_RELEASE), 1); }
    void Drag(int button, int x0, int y0, int x1, int y1) {
        Press(button, x0, y0);
        Drag_To(x1, y1);
        Release();
    }

    RenderWindow view_{0, 0, kWidth, kHeight, "view"};
};

}  // namespace

TEST_F(Camera, StartsThirtyInFrontOfTheRoomLookingAlongY) {
    EXPECT_TRUE(Near(view_.Eye(), Vector3d(0, -30, 5), 1e-12));
    EXPECT_TRUE(Near(view_.Target(), Vector3d(0, 0, 5), 0.0));
    EXPECT_EQ(view_.Elevation(), 0.0f);
    EXPECT_EQ(view_.Azimuth(), -90.0f);
    EXPECT_EQ(view_.Distance(), 30.0f);
}

TEST_F(Camera, LeftDragAcrossTheWholeWidthTurnsAFullCircle) {
    Drag(1, 10, 100, 10 + kWidth, 100);
    EXPECT_FLOAT_EQ(view_.Azimuth(), 270.0f);  // -90 less 360, wrapped into [0, 360)
    EXPECT_TRUE(Near(view_.Eye(), Vector3d(0, -30, 5), 1e-5));
}

TEST_F(Camera, LeftDragRightByAQuarterWidthSwingsTheEyeToMinusX) {
    Drag(1, 200, 100, 300, 100);
    EXPECT_FLOAT_EQ(view_.Azimuth(), 180.0f);
    EXPECT_TRUE(Near(view_.Eye(), Vector3d(-30, 0, 5), 1e-5));
    // Back left by a quarter from there: dragging left raises the azimuth, through 360 to 0.
    Drag(1, 300, 100, 200, 100);
    Drag(1, 200, 100, 100, 100);
    EXPECT_FLOAT_EQ(view_.Azimuth(), 0.0f);
    EXPECT_TRUE(Near(view_.Eye(), Vector3d(30, 0, 5), 1e-5));
}

TEST_F(Camera, AzimuthStaysInOneTurnWhateverTheDrag) {
    for (int x : {-3000, -799, -400, -1, 0, 1, 399, 400, 401, 2500}) {
        Drag(1, 0, 0, x, 0);
        EXPECT_GE(view_.Azimuth(), 0.0f) << x;
        EXPECT_LT(view_.Azimuth(), 360.0f) << x;
    }
}

TEST_F(Camera, DraggingDownRaisesTheEyeAndStopsShortOfThePoles) {
    Drag(1, 0, 100, 0, 140);  // down by an eighth of the height: 45 degrees
    EXPECT_FLOAT_EQ(view_.Elevation(), 45.0f);
    const double d = 30 / std::sqrt(2.0);
    EXPECT_TRUE(Near(view_.Eye(), Vector3d(0, -d, 5 + d), 1e-5));
    Drag(1, 0, 100, 0, 100 + kHeight / 4 + 1);
    EXPECT_EQ(view_.Elevation(), 89.0f);
    Drag(1, 0, 300, 0, 300 - kHeight);
    EXPECT_EQ(view_.Elevation(), -89.0f);
}

TEST_F(Camera, MiddleDragPansTheTargetInXAndZOnly) {
    Drag(2, 100, 100, 140, 132);
    // Right by 40 of 400 pixels at distance 30 takes the target 3 to the left; down by 32 of 320
    // raises it by 3.
    EXPECT_TRUE(Near(view_.Target(), Vector3d(-3, 0, 8), 1e-6));
    EXPECT_TRUE(Near(view_.Eye(), Vector3d(-3, -30, 8), 1e-5));
}

TEST_F(Camera, RightDragZoomsButNeverCloserThanOne) {
    Drag(3, 0, 100, 0, 180);  // down by a quarter: 10 farther
    EXPECT_FLOAT_EQ(view_.Distance(), 40.0f);
    // Panning is faster when farther away.
    Drag(2, 0, 0, 40, 0);
    EXPECT_FLOAT_EQ(view_.Target().x, -4.0f);
    Drag(3, 0, 320, 0, 0);  // up by the whole height: 40 closer, which would be 0
    EXPECT_EQ(view_.Distance(), 1.0f);
}

TEST_F(Camera, DragsAreMeasuredFromThePressNotAddedUp) {
    Press(1, 200, 100);
    Drag_To(250, 100);
    Drag_To(250, 100);
    Drag_To(300, 100);
    EXPECT_FLOAT_EQ(view_.Azimuth(), 180.0f);
    Release();
}

TEST_F(Camera, ReleasedOrUnknownButtonsMoveNothing) {
    Drag(1, 200, 100, 300, 100);
    Drag_To(100, 50);  // no button held any more
    EXPECT_FLOAT_EQ(view_.Azimuth(), 180.0f);
    EXPECT_EQ(view_.Elevation(), 0.0f);
    Drag(4, 0, 0, 200, 200);
    EXPECT_FLOAT_EQ(view_.Azimuth(), 180.0f);
    EXPECT_EQ(view_.Distance(), 30.0f);
}

TEST_F(Camera, DragRequestsARedrawOnlyWhileAskedTo) {
    ASSERT_TRUE(Show_And_Wait(view_));
    ASSERT_TRUE(Run_Until([&] { return view_.damage() == 0; }));
    view_.Set_Redraw_On_Drag(false);
    Drag(1, 0, 0, 50, 0);
    EXPECT_EQ(view_.damage(), 0);
    view_.Set_Redraw_On_Drag(true);
    Drag(1, 0, 0, 60, 0);
    EXPECT_NE(view_.damage(), 0);
}

TEST_F(Camera, TakesFocusAndPassesEveryKeyButQOn) {
    EXPECT_EQ(view_.handle(FL_FOCUS), 1);
    EXPECT_EQ(view_.handle(FL_UNFOCUS), 1);
    for (int key : {int{'r'}, int{'p'}, int{'a'}, FL_Left, FL_Right}) {
        Fl::e_keysym = key;
        EXPECT_EQ(view_.handle(FL_KEYBOARD), 0) << key;
    }
}

TEST_F(Camera, QEndsTheProgramWithStatusZero) {
    Fl::e_keysym = 'q';
    EXPECT_EXIT(view_.handle(FL_KEYBOARD), ::testing::ExitedWithCode(0), "");
}
