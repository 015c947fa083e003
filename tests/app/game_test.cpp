// The game without a window, tick by tick on the simulated clock, its layouts checked against the
// C library's drand48 (the same POSIX generator, written independently).
#include <algorithm>
#include <cstdlib>

#include "app/autopilot.h"
#include "scene_fixture.h"

TEST_F(SceneTest, TheLayoutsAreThoseOfTheGeneratorSeededWith1234) {
    srand48(1234);  // per row three colour draws onto [1/3, 1), then one a block: below 1/2 stands
    for (int layout = 0; layout < 8; ++layout, Clear_Grid_Except(), New_Block_Layout()) {
        int standing = 0;
        float colour[3];
        for (int i = 0; i < kBlockCount; ++i) {
            for (int k = 0; i % 5 == 0 && k < 3; ++k) {
                colour[k] = static_cast<float>((drand48() * 80 + 40) * (1.0 / 120));
            }
            const Block& block = *g_apBlocks[i];
            const bool stands = drand48() < 0.5;
            standing += stands;
            ASSERT_TRUE(Is_Active(&block) == stands && view.Times_Shown(&block) == stands &&
                        (!stands || (block.fade == 1.0f && !block.fading)))
                << "layout " << layout << ", block " << i;
            EXPECT_TRUE(!stands || std::equal(colour, colour + 3, block.color)) << "block " << i;
        }
        EXPECT_TRUE(g_nBlocksLeft == standing && events.layouts == layout + 1) << layout;
    }
}

TEST_F(SceneTest, AHitBlockFadesFifteenTicksAndClearingTheGridServesTheBallASecondLater) {
    Block& block = **std::find_if(g_apBlocks.rbegin(), g_apBlocks.rend(), [&](const auto& b) {
        return view.Times_Shown(b.get()) > 0;  // the lowest standing: nothing in its way below
    });
    Clear_Grid_Except(block.grid_index);
    g_pBall->initial_state.position = block.state.position - Vector3d(0.0, 0.0, 1.5);
    g_pBall->initial_state.velocity = {0.0, 0.0, 8.0};
    g_pSimulator->Reset();
    for (int ticks = 0; !block.fading; Tick()) {  // once hit, lit and colliding while touched
        ASSERT_TRUE(++ticks < 99 &&
                    (block.fade == 1.0f || (block.fade == 3.0f && Is_Active(&block))));
    }
    EXPECT_FLOAT_EQ(block.fade, 2.8f);  // the tick the contact ended was the first of fading
    for (int tick = 2; tick < 15; ++tick) {
        Tick();
        ASSERT_TRUE(view.Times_Shown(&block) == 1 && g_nBlocksLeft == 1) << "fading tick " << tick;
    }
    // In the 15th the block leaves; the grid is clear, a new layout is up and the ball away.
    view.paddle_speed = 2;
    Tick();
    EXPECT_TRUE(events.layouts == 2 && view.light_positions_set == 1 && !Is_Active(g_pBall.get()));
    // 59 more ticks come to 0.983 s: the ball is still away, and the paddle answers (3.6 a step)
    // until it stops against the right wall.
    const double paddle_x = g_pPaddle->state.position.x;
    for (int tick = 1; tick < 60; ++tick) {
        Tick();
    }
    EXPECT_TRUE(events.restores == 0 && view.Times_Shown(g_pBall.get()) == 0);
    EXPECT_NEAR(g_pPaddle->state.position.x, std::min(paddle_x + 59 * 7.2 / 60, 5.9 - 1.5), 1e-3);
    // The 60th comes a hair after the second: the ball was served just before, from the start.
    Tick();
    EXPECT_TRUE(events.restores == 1 && Is_Active(g_pBall.get()));
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
}

struct AttractMode : SceneTest {
    SceneView* View() override { return &autopilot; }
    AutopilotView autopilot{view};
};

TEST_F(AttractMode, PressesResetASecondAfterTheBallCameToRestAndPlaysTenMinutesInOrder) {
    g_pBall->state.mode = SimMode::Resting;
    for (int tick = 0; tick < 60; ++tick) {
        EXPECT_EQ(g_pBall->state.mode, SimMode::Resting) << tick;
        autopilot.Update_Paddle_Speed();
    }
    EXPECT_EQ(g_pBall->state.mode, SimMode::Free);
    for (int tick = 1; tick <= 10 * 60 * 60; ++tick) {
        Tick();
        // Blocks are shown once and simulated while standing, the ball shown while simulated.
        int shown = 0;
        for (const auto& block : g_apBlocks) {
            const int times = view.Times_Shown(block.get());
            shown += times;
            ASSERT_TRUE(times < 2 && Is_Active(block.get()) == (times == 1 && !block->fading))
                << "block " << block->grid_index << ", tick " << tick;
        }
        ASSERT_TRUE(shown == g_nBlocksLeft &&
                    view.Times_Shown(g_pBall.get()) == Is_Active(g_pBall.get()))
            << "tick " << tick;
        ASSERT_EQ(events.layouts - 1 - events.restores, timers.Has_Timeout(Restore_Ball)) << tick;
    }
    // Blocks go, layouts are cleared, the ball is served again, seldom falls and is never lost.
    EXPECT_TRUE(events.restores >= 3 && events.slab_resets < 10);
    EXPECT_EQ(events.lost, 0);
    EXPECT_EQ(view.redraws_requested + events.slab_resets, 10 * 60 * 60);  // a tick does either
}

// Three ways the long soaks lost the ball at the paddle, replayed from the ball's flight and the
// paddle's speed steps, one a tick, as the autopilot set them; each left the room at the last tick
// or the last but two. 877104.6 s: off the shoulder of a paddle speeding right, turned about a
// point on a contact plane it had left, under the right wall's lower end, then up beside its outer
// face. 118472.2 s (once that was mended): under the paddle's left end, pushed out of it along the
// normal of an earlier contact, which led through the paddle's end into the left wall.
// 3887938.4 s (once both were mended): swung down the right wall below the paddle's underside
// while a paddle contact waited; taking over still sunk into the paddle's end, that contact went
// by its normal from above the paddle's corner, pushed the ball into the wall's lower end, and
// squeezed it out under that end.
TEST_F(SceneTest, TheBallStaysInTheRoomWhereTheLongSoakLostIt) {
    const struct {
        Vector3d ball, velocity;
        double paddle_x;
        int direction;
        const char* steps;
    } rows[] = {
        {{2.967152, 0, 0.635462}, {5.798240, 0, -5.301367}, 1.68, 1, "113333333322221111111100"},
        {{-5.383805, 0, 0.310268}, {-10.653091, 0, -6.692610}, -3.6, -1, "2111111110000"},
        {{-2.049643, 0, 0.578762},
         {11.455183, 0, 1.297908},
         -3.42,
         1,
         "33333333333333333333333333333333333332222111111110000000"},
    };
    for (const auto& row : rows) {
        g_pSimulator->Reset();
        SimState& ball = g_pBall->state;
        ball.position = row.ball, ball.velocity = row.velocity, ball.stretch_forward = false;
        SimObject::Orient_To_Motion(ball, g_pBall->max_stretch, g_pBall->stretch_rate, g_vGravity);
        g_pPaddle->state.position.x = row.paddle_x;
        for (const char* step = row.steps; *step != '\0'; ++step) {
            g_pPaddle->Set_Velocity(Paddle::Velocity_For_Speed(row.direction * (*step - '0')));
            ASSERT_TRUE(g_pSimulator->Step(g_fTickPeriod));
            const Vector3d& at = ball.position;
            ASSERT_TRUE(Ball_Within_Bounds(at))
                << at.x << ", " << at.z << " at tick " << step - row.steps;
        }
    }
}
