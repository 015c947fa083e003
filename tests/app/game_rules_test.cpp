// The game's rules on the scene, tick by tick on the simulated clock: hits, fading, clearing the
// grid, serving the ball again, the slab's reset and the paddle's speed.
#include <gtest/gtest.h>

#include "headless_scene.h"

namespace {

using GameRules = HeadlessScene;

constexpr int kTicksPerSecond = 60;

// Where a ball fired straight up from under block `index` hits it.
Vector3d Below(int index, double distance) {
    const Vector3d& at = g_apBlocks[index]->state.position;
    return {at.x, 0.0, at.z - distance};
}

}  // namespace

TEST_F(GameRules, AHitBlockLightsUpFadesForFifteenTicksAndLeaves) {
    const std::vector<int> standing = Standing_Blocks();
    ASSERT_GE(standing.size(), 2u);
    const int target = standing.back();  // the lowest row standing: nothing in the way below
    const int other = standing.front();
    Clear_Grid_Except({target, other});
    ASSERT_EQ(g_nBlocksLeft, 2);
    Block& block = *g_apBlocks[target];
    Serve_Ball(Below(target, 1.5), {0.0, 0.0, 8.0});

    int ticks = 0;
    while (block.fade != 3.0f) {
        ASSERT_LT(++ticks, kTicksPerSecond) << "the ball never reached the block";
        Tick();
    }
    EXPECT_EQ(events.hits, std::vector<int>{target});
    // Lit while the contact lasts, still colliding and counted.
    while (!block.fading) {
        EXPECT_TRUE(Is_Active(&block));
        EXPECT_EQ(block.fade, 3.0f);
        ASSERT_LT(++ticks, kTicksPerSecond) << "the contact never ended";
        Tick();
    }
    // The tick in which the contact ended is the first of the fading.
    EXPECT_FALSE(Is_Active(&block));
    EXPECT_FLOAT_EQ(block.fade, 2.8f);
    int fading_ticks = 1;
    while (view.Times_Shown(&block) > 0) {
        EXPECT_EQ(g_nBlocksLeft, 2);
        EXPECT_TRUE(events.removed.empty());
        ASSERT_LT(++fading_ticks, 30);
        Tick();
    }
    EXPECT_EQ(fading_ticks, 15);
    EXPECT_FALSE(block.fading);
    EXPECT_EQ(g_nBlocksLeft, 1);
    EXPECT_EQ(events.removed, std::vector<int>{target});

    // A reset of the simulation does not bring it back.
    g_pSimulator->Reset();
    Tick();
    EXPECT_FALSE(Is_Active(&block));
    EXPECT_EQ(view.Times_Shown(&block), 0);
    EXPECT_EQ(events.layouts, 1);
}

TEST_F(GameRules, ClearingTheGridServesTheBallAgainOneSecondLater) {
    const int target = Standing_Blocks().back();
    Clear_Grid_Except({target});
    Serve_Ball(Below(target, 1.5), {0.0, 0.0, 8.0});
    int ticks = 0;
    while (events.removed.empty()) {
        ASSERT_LT(++ticks, 2 * kTicksPerSecond) << "the block was never cleared";
        Tick();
    }
    // In the tick the last block left: a new layout is up, the ball is away.
    EXPECT_EQ(events.layouts, 2);
    EXPECT_GT(g_nBlocksLeft, 0);
    EXPECT_EQ(view.Times_Shown(g_pBall.get()), 0);
    EXPECT_FALSE(Is_Active(g_pBall.get()));
    EXPECT_EQ(view.light_positions_set, 1);
    EXPECT_EQ(view.light_position[2], 7.0f);
    const Vector3d paddle_before = g_pPaddle->state.position;

    // The timer's 59 further ticks come to 0.983 s: the ball is still away, and the paddle still
    // answers to the player.
    view.paddle_speed = 2;
    for (int tick = 1; tick < kTicksPerSecond; ++tick) {
        Tick();
        ASSERT_EQ(view.Times_Shown(g_pBall.get()), 0) << "tick " << tick;
        ASSERT_EQ(events.restores, 0);
    }
    EXPECT_GT(g_pPaddle->state.position.x, paddle_before.x + 1.0);

    // The 60th comes a hair after the second is up: the ball is served just before it, and the
    // simulation starts over from the ball's serve.
    Tick();
    EXPECT_EQ(events.restores, 1);
    EXPECT_EQ(view.Times_Shown(g_pBall.get()), 1);
    EXPECT_TRUE(Is_Active(g_pBall.get()));
    EXPECT_DOUBLE_EQ(g_pSimulator->time, static_cast<double>(g_fTickPeriod));
    EXPECT_NEAR(g_pBall->state.position.z, Below(target, 1.5).z + 8.0 / kTicksPerSecond, 0.01);
}

TEST_F(GameRules, AnEmptyGridStartsTheNextCycleAtTheNextTick) {
    Clear_Grid_Except();
    ASSERT_EQ(g_nBlocksLeft, 0);
    Tick();
    EXPECT_EQ(events.layouts, 2);
    EXPECT_FALSE(Is_Active(g_pBall.get()));
    EXPECT_TRUE(timers.Has_Timeout(Restore_Ball));
}

TEST_F(GameRules, TheSlabResetsTheSimulationInTheTickNotInsideTheStep) {
    // Outside the room, straight above the slab (whose top is at z = -7.9).
    Serve_Ball({10.0, 0.0, -7.0}, {0.0, 0.0, -2.0});
    // Stepping alone, as the Step button does: the touch is noted, nothing is reset.
    int steps = 0;
    while (!g_bResetRequested) {
        ASSERT_LT(++steps, kTicksPerSecond) << "the ball never reached the slab";
        ASSERT_TRUE(g_pSimulator->Step(g_fTickPeriod));
    }
    EXPECT_GT(g_pSimulator->time, 0.0);
    EXPECT_LT(g_pBall->state.position.z, -7.0);

    // The next tick steps on, then starts everything over instead of redrawing.
    const int redraws = view.redraws_requested;
    Tick();
    EXPECT_FALSE(g_bResetRequested);
    EXPECT_EQ(g_pSimulator->time, 0.0);
    EXPECT_EQ(g_pBall->state.position.z, -7.0);
    EXPECT_EQ(view.redraws_requested, redraws);
    EXPECT_EQ(view.light_positions_set, 1);
    EXPECT_EQ(events.slab_resets, 1);

    Tick();
    EXPECT_EQ(view.redraws_requested, redraws + 1);
}

TEST_F(GameRules, ABallLostOutsideTheRoomStartsTheSceneOverToo) {
    // Beyond the right wall, above its lower edge: nowhere the ball can get to but by a glitch
    // (a ball squeezed between the paddle and a wall gets pushed through it).
    g_pBall->state.position = {7.5, 0.0, 5.0};
    g_pBall->state.velocity = {0.0, 0.0, 0.0};
    const int redraws = view.redraws_requested;
    Tick();
    EXPECT_EQ(events.lost, 1);
    EXPECT_EQ(events.slab_resets, 0);
    EXPECT_EQ(g_pSimulator->time, 0.0);
    EXPECT_EQ(g_pBall->state.position.x, -4.0);
    EXPECT_EQ(view.redraws_requested, redraws);
    EXPECT_EQ(view.light_positions_set, 1);

    // Waiting to be served, the ball is out of play, wherever it was left.
    Clear_Grid_Except();
    Tick();
    ASSERT_FALSE(Is_Active(g_pBall.get()));
    g_pBall->state.position = {7.5, 0.0, 5.0};
    Tick();
    EXPECT_EQ(events.lost, 1);
}

TEST_F(GameRules, ThePaddleMovesAtAboutThreeAndAHalfUnitsASecondPerSpeedStep) {
    g_pSimulator->Deactivate_Object(g_pBall.get());  // no reset by the slab meanwhile
    view.paddle_speed = 1;
    Tick();  // the velocity is set after the tick's step, and used from the next one on
    EXPECT_NEAR(g_pPaddle->paddle_velocity.x, 3.6, 1e-6);
    const double x = g_pPaddle->state.position.x;
    for (int tick = 0; tick < kTicksPerSecond; ++tick) {
        Tick();
    }
    EXPECT_NEAR(g_pPaddle->state.position.x - x, 3.6, 1e-3);

    view.paddle_speed = -5;
    Tick();
    EXPECT_NEAR(g_pPaddle->paddle_velocity.x, -18.0, 1e-5);
    view.paddle_speed = 0;
    Tick();
    EXPECT_EQ(g_pPaddle->paddle_velocity.x, 0.0);
}
