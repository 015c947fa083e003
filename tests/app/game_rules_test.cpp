// The game's rules, tick by tick on the simulated clock: a hit block's fading, clearing the grid
// and serving the ball again, and starting over when the ball reaches the slab or leaves the room.
#include "scene_fixture.h"

TEST_F(SceneTest, AHitBlockFadesFifteenTicksAndClearingTheGridServesTheBallASecondLater) {
    int target = -1;  // the lowest standing block: nothing in its way from below
    for (const auto& block : g_apBlocks) {
        target = view.Times_Shown(block.get()) > 0 ? block->grid_index : target;
    }
    ASSERT_GE(target, 0);
    Clear_Grid_Except(target);
    Block& block = *g_apBlocks[target];
    g_pBall->initial_state.position = block.state.position - Vector3d(0.0, 0.0, 1.5);
    g_pBall->initial_state.velocity = {0.0, 0.0, 8.0};
    g_pSimulator->Reset();
    for (int ticks = 0; block.fade != 3.0f; Tick()) {
        ASSERT_LT(++ticks, 60) << "the ball never reached the block";
    }
    for (int ticks = 0; !block.fading; Tick()) {  // lit, and colliding while the contact lasts
        ASSERT_TRUE(Is_Active(&block) && block.fade == 3.0f && events.hits == 1);
        ASSERT_LT(++ticks, 60) << "the contact never ended";
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
    EXPECT_TRUE(events.removed == 1 && events.layouts == 2);
    EXPECT_FALSE(Is_Active(g_pBall.get()) || view.Times_Shown(g_pBall.get()) > 0);
    EXPECT_TRUE(view.light_positions_set == 1 && view.light_position[2] == 7.0f);
    // 59 more ticks come to 0.983 s: the ball is still away, and the paddle still answers.
    const double paddle_x = g_pPaddle->state.position.x;
    for (int tick = 1; tick < 60; ++tick) {
        Tick();
        ASSERT_TRUE(events.restores == 0 && view.Times_Shown(g_pBall.get()) == 0) << tick;
    }
    EXPECT_NEAR(g_pPaddle->state.position.x - paddle_x, 59 * 7.2 / 60, 1e-3);  // 3.6 a step
    // The 60th comes a hair after the second: the ball was served just before, from the start.
    Tick();
    EXPECT_TRUE(events.restores == 1 && Is_Active(g_pBall.get()));
    EXPECT_EQ(view.Times_Shown(g_pBall.get()), 1);
    EXPECT_DOUBLE_EQ(g_pSimulator->time, g_fTickPeriod);
    EXPECT_NEAR(g_pBall->state.position.z, block.state.position.z - 1.5 + 8.0 / 60, 0.01);
}

TEST_F(SceneTest, TheSlabOrALossOutOfTheRoomStartsTheSceneOverInTheNextTickNotInsideTheStep) {
    g_pBall->initial_state.position = {10.0, 0.0, -7.0};  // beside the room, above the slab's top
    g_pBall->initial_state.velocity = {0.0, 0.0, -2.0};
    g_pSimulator->Reset();
    for (int steps = 0; !g_bResetRequested; ++steps) {  // stepping alone, as the Step button does
        ASSERT_LT(steps, 60) << "the ball never reached the slab";
        ASSERT_TRUE(g_pSimulator->Step(g_fTickPeriod));
    }
    EXPECT_GT(g_pSimulator->time, 0.0);
    g_apBlocks[0]->fading = true;
    g_apBlocks[0]->fade = 2.0f;
    Tick();  // steps on, then starts over: neither a redraw nor fading
    EXPECT_TRUE(g_pSimulator->time == 0.0 && g_pBall->state.position.z == -7.0);
    EXPECT_TRUE(view.redraws_requested == 0 && g_apBlocks[0]->fade == 2.0f);
    EXPECT_TRUE(view.light_positions_set == 1 && events.slab_resets == 1 && !g_bResetRequested);
    Tick();
    EXPECT_EQ(view.redraws_requested, 1);
    EXPECT_FLOAT_EQ(g_apBlocks[0]->fade, 1.8f);

    g_pBall->state.position = {7.5, 0.0, 5.0};  // beyond the right wall, as a glitch leaves it
    Tick();
    EXPECT_TRUE(events.lost == 1 && events.slab_resets == 1 && view.redraws_requested == 1);
    EXPECT_TRUE(g_pSimulator->time == 0.0 && view.light_positions_set == 2);
    // An empty grid starts the next cycle at once; the ball waiting to be served is out of play
    // wherever it was left.
    Clear_Grid_Except();
    Tick();
    EXPECT_TRUE(events.layouts == 2 && timers.Has_Timeout(Restore_Ball));
    ASSERT_FALSE(Is_Active(g_pBall.get()));
    g_pBall->state.position = {7.5, 0.0, 5.0};
    Tick();
    EXPECT_EQ(events.lost, 1);
}

TEST(Room, TheBallIsWithinItOrAboveTheSlabAndNowhereElse) {
    // The walls' faces are at x = +-5.9, the ceiling's at z = 11.5, the back wall's at y = 1.
    // Below the walls' lower edges (z = -0.5), or out of the open front, the ball can only fall
    // onto the slab: its top at z = -7.9, to x = +-24.1 and y = +-10.
    const struct {
        Vector3d at;
        bool within;
    } cases[] = {{{0, 0, 5}, true},      {{5.89, 0, 11.49}, true}, {{5.91, 0, 5}, false},
                 {{-6.5, 0, 5}, false},  {{0, 0, 11.51}, false},   {{0, 1.01, 5}, false},
                 {{8, 0, -0.6}, true},   {{-24, 9.9, -7.8}, true}, {{0, 0, -7.95}, false},
                 {{24.2, 0, -5}, false}, {{7, -3, 9}, true},       {{0, -10.5, 2}, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(Ball_Within_Bounds(c.at), c.within) << c.at.x << ", " << c.at.y << ", " << c.at.z;
    }
}
