// The game's rules tick by tick on the simulated clock: a hit block's fading, clearing the grid
// and serving the ball again, and starting over when the ball reaches the slab or leaves the room.
#include "scene_fixture.h"

TEST_F(SceneTest, AHitBlockFadesFifteenTicksAndClearingTheGridServesTheBallASecondLater) {
    int target = -1;  // the lowest standing block: nothing in its way from below
    for (const auto& block : g_apBlocks) {
        target = view.Times_Shown(block.get()) > 0 ? block->grid_index : target;
    }
    Clear_Grid_Except(target);
    Block& block = *g_apBlocks.at(target);
    g_pBall->initial_state.position = block.state.position - Vector3d(0.0, 0.0, 1.5);
    g_pBall->initial_state.velocity = {0.0, 0.0, 8.0};
    g_pSimulator->Reset();
    for (int ticks = 0; block.fade != 3.0f; Tick()) {
        ASSERT_LT(++ticks, 60) << "the ball never reached the block";
    }
    for (int ticks = 0; !block.fading; Tick()) {  // lit, and colliding while the contact lasts
        ASSERT_TRUE(Is_Active(&block) && block.fade == 3.0f && ++ticks < 60);
    }
    EXPECT_FALSE(Is_Active(&block));
    EXPECT_FLOAT_EQ(block.fade, 2.8f);  // the tick the contact ended was the first of fading
    for (int tick = 2; tick < 15; ++tick) {
        Tick();
        ASSERT_TRUE(view.Times_Shown(&block) == 1 && g_nBlocksLeft == 1) << "fading tick " << tick;
    }
    // In the 15th the block leaves; the grid is clear, a new layout is up and the ball away.
    view.paddle_speed = 2;
    Tick();
    EXPECT_TRUE(events.removed == 1 && events.layouts == 2 && view.light_positions_set == 1);
    EXPECT_FALSE(Is_Active(g_pBall.get()) || view.Times_Shown(g_pBall.get()) > 0);
    // 59 more ticks come to 0.983 s: the ball is still away, and the paddle answers (3.6 a step).
    const double paddle_x = g_pPaddle->state.position.x;
    for (int tick = 1; tick < 60; ++tick) {
        Tick();
        ASSERT_TRUE(events.restores == 0 && view.Times_Shown(g_pBall.get()) == 0) << tick;
    }
    EXPECT_NEAR(g_pPaddle->state.position.x - paddle_x, 59 * 7.2 / 60, 1e-3);
    // The 60th comes a hair after the second: the ball was served just before, from the start.
    Tick();
    EXPECT_TRUE(events.restores == 1 && Is_Active(g_pBall.get()) &&
                view.Times_Shown(g_pBall.get()));
    EXPECT_DOUBLE_EQ(g_pSimulator->time, g_fTickPeriod);
}

TEST_F(SceneTest, TheSlabOrALossOutOfTheRoomStartsTheSceneOverInTheNextTickNotInsideTheStep) {
    g_pBall->initial_state.position = {10.0, 0.0, -7.0};  // beside the room, above the slab's top
    g_pSimulator->Reset();
    for (int steps = 0; !g_bResetRequested; ++steps) {  // stepping alone, as the Step button does
        ASSERT_TRUE(steps < 60 && g_pSimulator->Step(g_fTickPeriod));
    }
    g_apBlocks[0]->fading = true;
    Tick();  // steps on, then starts over: neither a redraw nor fading
    EXPECT_TRUE(g_pSimulator->time == 0.0 && g_pBall->state.position.z == -7.0);
    EXPECT_TRUE(view.redraws_requested == 0 && g_apBlocks[0]->fade == 1.0f && !g_bResetRequested);
    EXPECT_TRUE(view.light_positions_set == 1 && events.slab_resets == 1);
    Tick();
    EXPECT_TRUE(view.redraws_requested == 1 && g_apBlocks[0]->fade < 0.9f);
    g_pBall->state.position = {7.5, 0.0, 5.0};  // beyond the right wall, as a glitch leaves it
    Tick();
    EXPECT_TRUE(events.lost == 1 && events.slab_resets == 1 && view.redraws_requested == 1);
    EXPECT_TRUE(g_pSimulator->time == 0.0 && view.light_positions_set == 2);
    // An empty grid starts the next cycle at once; the ball waiting to be served is out of play
    // wherever it was left.
    Clear_Grid_Except();
    Tick();
    EXPECT_TRUE(events.layouts == 2 && timers.Has_Timeout(Restore_Ball));
    g_pBall->state.position = {7.5, 0.0, 5.0};
    Tick();
    EXPECT_EQ(events.lost, 1);
}
