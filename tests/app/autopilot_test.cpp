// The attract mode: where it expects the ball to come down and how it steers there, and a soak
// of ten simulated minutes of it with the game's bookkeeping checked after every tick.
#include <cmath>

#include "app/autopilot.h"
#include "scene_fixture.h"

TEST(Autopilot, AimsWhereTheBallComesDownToThePaddleAndNeverIntoAWall) {
    // From 5 above the catch height (0.4 + 0.3) at rest the ball falls for sqrt(10 / 9.8) =
    // 1.01015 s; thrown up at 9.8 it flies (9.8 + sqrt(9.8^2 + 98)) / 9.8 = 2.42141 s. Its centre
    // turns back 5.9 - 0.3 = 5.6 from the middle.
    const Vector3d g(0, 0, -9.8);
    const struct {
        Vector3d position, velocity, gravity;
        double x;
    } landings[] = {
        {{0, 0, 5.7}, {1, 0, 0}, g, 1.01015},   {{0, 0, 5.7}, {1, 0, 9.8}, g, 2.42141},
        {{0, 0, 5.7}, {2, 0, -5}, {}, 2.0},     {{0.5, 0, 5.7}, {2, 0, 5}, {}, 0.5},
        {{3, 0, 0.2}, {2, 0, -5}, g, 3.0},      {{5, 0, 5.7}, {2, 0, 0}, g, 4.1797},
        {{-5, 0, 5.7}, {-2, 0, 0}, g, -4.1797}, {{-5, 0, 5.7}, {20, 0, 0}, g, -4.00305}};
    for (const auto& c : landings) {
        EXPECT_NEAR(Landing_X(c.position, c.velocity, c.gravity), c.x, 1e-4)
            << "landing at " << c.x;
    }
    // Two speed steps a unit, rounded, at most the keys' 5; the paddle (half width 1.5) keeps
    // within 4.4 of the middle.
    const double speeds[][3] = {{0, 0, 0},     {0.2, 0, 0},     {0.3, 0, 1},
                                {-1, 0, -2},   {4, -4, 5},      {-4, 4, -5},
                                {5.6, 4.4, 0}, {-5.6, -4.4, 0}, {NAN, 0, 0}};
    for (const auto& c : speeds) {
        EXPECT_EQ(Autopilot_Speed(c[0], c[1]), c[2]) << "towards " << c[0] << " from " << c[1];
    }
}

namespace {

class AttractMode : public SceneTest {
protected:
    SceneView* View() override { return &autopilot; }
    AutopilotView autopilot{view};
};

}  // namespace

TEST_F(AttractMode, PressesResetASecondAfterTheBallCameToRest) {
    g_pBall->state.mode = SimMode::Resting;
    for (int tick = 1; tick < 60; ++tick) {
        autopilot.Update_Paddle_Speed();
    }
    EXPECT_EQ(events.autopilot_resets, 0);
    autopilot.Update_Paddle_Speed();
    EXPECT_TRUE(events.autopilot_resets == 1 && g_pBall->state.mode == SimMode::Free);
}

TEST_F(AttractMode, TenMinutesKeepTheGameInOrderAndNeverLoseTheBall) {
    for (int tick = 1; tick <= 10 * 60 * 60; ++tick) {
        Tick();
        // A block is shown once while in the game, and simulated while standing; the ball is
        // shown while simulated; a serve is due while it waits.
        int shown = 0;
        for (const auto& block : g_apBlocks) {
            const int times = view.Times_Shown(block.get());
            shown += times;
            ASSERT_TRUE(times < 2 && Is_Active(block.get()) == (times == 1 && !block->fading))
                << "block " << block->grid_index << ", tick " << tick;
        }
        ASSERT_EQ(shown, g_nBlocksLeft) << "tick " << tick;
        ASSERT_EQ(view.Times_Shown(g_pBall.get()), Is_Active(g_pBall.get()) ? 1 : 0) << tick;
        ASSERT_EQ(events.layouts - 1 - events.restores, timers.Has_Timeout(Restore_Ball)) << tick;
    }
    // Blocks go, layouts are cleared, the ball is served again and seldom falls.
    EXPECT_TRUE(events.removed > 50 && events.restores >= 3 && events.slab_resets < 10);
    EXPECT_EQ(events.lost, 0);
    EXPECT_EQ(view.redraws_requested + events.slab_resets, 10 * 60 * 60);  // a tick does either
}
