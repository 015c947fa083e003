// The attract mode: where it expects the ball to come down, how it steers towards that, and that
// it plays the game well enough to clear blocks.
#include <gtest/gtest.h>

#include <cmath>

#include "app/autopilot.h"
#include "headless_scene.h"

namespace {

const Vector3d kGravity(0.0, 0.0, -9.8);

}  // namespace

TEST(LandingX, FollowsTheFlightDownToThePaddlesTop) {
    // From 5 above the catch height (0.4 + 0.3) at rest: t = sqrt(2 * 5 / 9.8) = 1.0102 s.
    EXPECT_NEAR(Landing_X({0.0, 0.0, 5.7}, {1.0, 0.0, 0.0}, kGravity), 1.0102, 1e-4);
    // Thrown up at 9.8: 1 s up, then 5.9 / 4.9 ... down, the later root of the same parabola:
    // t = (9.8 + sqrt(96.04 + 98)) / 9.8 = 2.4215 s.
    EXPECT_NEAR(Landing_X({0.0, 0.0, 5.7}, {1.0, 0.0, 9.8}, kGravity), 2.4215, 1e-4);
    // Without gravity, straight on down; rising, never.
    EXPECT_NEAR(Landing_X({0.0, 0.0, 5.7}, {2.0, 0.0, -5.0}, Vector3d()), 2.0, 1e-6);
    EXPECT_EQ(Landing_X({0.5, 0.0, 5.7}, {2.0, 0.0, 5.0}, Vector3d()), 0.5);
    // Already at or below the paddle: where it is.
    EXPECT_EQ(Landing_X({3.0, 0.0, 0.2}, {2.0, 0.0, -5.0}, kGravity), 3.0);
}

TEST(LandingX, BouncesOffTheSideWallsOnTheWay) {
    // The centre turns back at 5.9 - 0.3 = 5.6: 5 + 2 * 1.0102 = 7.0204 comes back to 4.1796.
    EXPECT_NEAR(Landing_X({5.0, 0.0, 5.7}, {2.0, 0.0, 0.0}, kGravity), 4.1796, 1e-4);
    EXPECT_NEAR(Landing_X({-5.0, 0.0, 5.7}, {-2.0, 0.0, 0.0}, kGravity), -4.1796, 1e-4);
    // Across the room and back: from -5 it travels 20.204, 10.6 to the turn at 5.6 and 9.604 back.
    EXPECT_NEAR(Landing_X({-5.0, 0.0, 5.7}, {20.0, 0.0, 0.0}, kGravity), -4.004, 1e-3);
}

TEST(AutopilotSpeed, StepsTowardsTheTargetWithinTheKeysRange) {
    EXPECT_EQ(Autopilot_Speed(0.0, 0.0), 0);
    EXPECT_EQ(Autopilot_Speed(0.2, 0.0), 0);  // 0.4 steps round to none
    EXPECT_EQ(Autopilot_Speed(0.3, 0.0), 1);  // 0.6
    EXPECT_EQ(Autopilot_Speed(-1.0, 0.0), -2);
    EXPECT_EQ(Autopilot_Speed(4.0, -4.0), 5);  // 16 steps, held to the keys' 5
    EXPECT_EQ(Autopilot_Speed(-4.0, 4.0), -5);
    // Never into a wall: the paddle (half width 1.5) stops 4.4 from the middle.
    EXPECT_EQ(Autopilot_Speed(5.6, 4.4), 0);
    EXPECT_EQ(Autopilot_Speed(-5.6, -4.4), 0);
    EXPECT_EQ(Autopilot_Speed(std::nan(""), 0.0), 0);
}

namespace {

class Autopilot : public HeadlessScene {
protected:
    SceneView* Scene_View() override { return &autopilot; }
    AutopilotView autopilot{view};
};

}  // namespace

TEST_F(Autopilot, PassesTheScenesRequestsOnToTheViewItWraps) {
    EXPECT_EQ(view.Times_Shown(g_pBall.get()), 1);
    EXPECT_EQ(view.listed_bodies.size(), 1u);
    Tick();
    EXPECT_EQ(view.redraws_requested, 1);
}

TEST_F(Autopilot, MovesUnderTheServeAndCatchesIt) {
    // From (-4, 5) at (7, -7) the ball comes down near x = -0.75, left of the paddle's middle.
    int ticks = 0;
    while (g_pBall->state.velocity.z < 0.0 && ticks < 120) {
        Tick();
        ++ticks;
    }
    EXPECT_LT(ticks, 120);
    EXPECT_GT(g_pBall->state.position.z, 0.0) << "the ball went past the paddle";
    EXPECT_EQ(events.slab_resets, 0);
    EXPECT_LT(g_pPaddle->state.position.x, 0.0);
}

TEST_F(Autopilot, PressesResetASecondAfterTheBallCameToRest) {
    g_pBall->state.mode = SimMode::Resting;
    g_pBall->state.velocity = Vector3d();
    for (int tick = 1; tick < 60; ++tick) {
        autopilot.Update_Paddle_Speed();
    }
    EXPECT_EQ(events.autopilot_resets, 0);
    autopilot.Update_Paddle_Speed();
    EXPECT_EQ(events.autopilot_resets, 1);
    EXPECT_EQ(g_pBall->state.mode, SimMode::Free);
    EXPECT_EQ(g_pSimulator->time, 0.0);
}
