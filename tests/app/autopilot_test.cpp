// The attract mode: ten simulated minutes of it, the game's bookkeeping checked every tick.
#include "app/autopilot.h"
#include "scene_fixture.h"

struct AttractMode : SceneTest {
    SceneView* View() override { return &autopilot; }
    AutopilotView autopilot{view};
};

TEST_F(AttractMode, PressesResetASecondAfterTheBallCameToRestAndPlaysTenMinutesInOrder) {
    g_pBall->state.mode = SimMode::Resting;
    for (int tick = 1; tick < 60; ++tick) {
        autopilot.Update_Paddle_Speed();
    }
    EXPECT_EQ(g_pBall->state.mode, SimMode::Resting);
    autopilot.Update_Paddle_Speed();
    EXPECT_EQ(g_pBall->state.mode, SimMode::Free);
    for (int tick = 1; tick <= 10 * 60 * 60; ++tick) {
        Tick();
        // A block is shown once while in the game and simulated while standing; the ball is
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
    // Blocks go, layouts are cleared, the ball is served again, seldom falls and is never lost.
    EXPECT_TRUE(events.removed > 50 && events.restores >= 3 && events.slab_resets < 10);
    EXPECT_EQ(events.lost, 0);
    EXPECT_EQ(view.redraws_requested + events.slab_resets, 10 * 60 * 60);  // a tick does either
}
