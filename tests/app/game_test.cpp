// The game without a window, tick by tick on the simulated clock, its layouts checked against the
// C library's drand48 (the same POSIX generator, written independently).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "app/autopilot.h"
#include "app/body_grab.h"
#include "scene_fixture.h"
#include "support/approx.h"

TEST_F(SceneTest, TheLayoutsAreThoseOfTheGeneratorSeededWith1234) {
    srand48(1234);  // per row three colour draws onto [1/3, 1), then one a block: below 1/2 stands
    for (int layout = 0; layout < 8; ++layout, Clear_Grid_Except(), scene->New_Block_Layout()) {
        int standing = 0;
        float colour[3];
        for (int i = 0; i < kBlockCount; ++i) {
            for (int k = 0; i % 5 == 0 && k < 3; ++k) {
                colour[k] = static_cast<float>((drand48() * 80 + 40) * (1.0 / 120));
            }
            const Block& block = *scene->g_apBlocks[i];
            const bool stands = drand48() < 0.5;
            standing += stands;
            SCOPED_TRACE("layout " + std::to_string(layout) + ", block " + std::to_string(i));
            ASSERT_EQ(Is_Active(&block), stands);
            ASSERT_EQ(view.Times_Shown(&block), stands);
            if (stands) {
                EXPECT_EQ(block.fade, 1.0f);
                EXPECT_FALSE(block.fading);
                EXPECT_TRUE(std::equal(colour, colour + 3, block.color)) << "the row's colour";
            }
        }
        EXPECT_EQ(scene->g_nBlocksLeft, standing) << layout;
        EXPECT_EQ(events.layouts, layout + 1);
    }
}

TEST_F(SceneTest, AHitBlockFadesFifteenTicksAndClearingTheGridServesTheBallASecondLater) {
    Block& block =
        **std::find_if(scene->g_apBlocks.rbegin(), scene->g_apBlocks.rend(), [&](const auto& b) {
            return view.Times_Shown(b.get()) > 0;  // the lowest standing: nothing in its way below
        });
    Clear_Grid_Except(block.grid_index);
    scene->g_pBall->initial_state.position = block.state.position - Vector3d(0.0, 0.0, 1.5);
    scene->g_pBall->initial_state.velocity = {0.0, 0.0, 8.0};
    scene->g_pSimulator->Reset();
    for (int ticks = 0; !block.fading; Tick()) {  // once hit, lit and colliding while touched
        ASSERT_LT(++ticks, 99) << "never hit";
        ASSERT_TRUE(block.fade == 1.0f || (block.fade == 3.0f && Is_Active(&block)))
            << "lit only while touched, at tick " << ticks;
    }
    EXPECT_FLOAT_EQ(block.fade, 2.8f);  // the tick the contact ended was the first of fading
    for (int tick = 2; tick < 15; ++tick) {
        Tick();
        ASSERT_EQ(view.Times_Shown(&block), 1) << "fading tick " << tick;
        ASSERT_EQ(scene->g_nBlocksLeft, 1) << "fading tick " << tick;
    }
    // In the 15th the block leaves; the grid is clear, a new layout is up and the ball away.
    view.paddle_speed = 2;
    Tick();
    EXPECT_EQ(events.layouts, 2);
    EXPECT_EQ(view.light_positions_set, 1);
    EXPECT_FALSE(Is_Active(scene->g_pBall.get()));
    // 59 more ticks come to 0.983 s: the ball is still away, and the paddle answers (3.6 a step)
    // until it stops against the right wall.
    const double paddle_x = scene->g_pPaddle->state.position.x;
    for (int tick = 1; tick < 60; ++tick) {
        Tick();
    }
    EXPECT_EQ(events.restores, 0);
    EXPECT_EQ(view.Times_Shown(scene->g_pBall.get()), 0);
    EXPECT_NEAR(scene->g_pPaddle->state.position.x, std::min(paddle_x + 59 * 7.2 / 60, 5.9 - 1.5),
                1e-3);
    // The 60th comes a hair after the second: the ball was served just before, from the start.
    Tick();
    EXPECT_EQ(events.restores, 1);
    EXPECT_TRUE(Is_Active(scene->g_pBall.get()));
    EXPECT_DOUBLE_EQ(scene->g_pSimulator->time, g_fTickPeriod);
}

// The pointer's ray as the starting camera sees the point (x, 0, z), far in front along +y.
PointerRay Ray_At(double x, double z) {
    return {{x, -30, z}, {0, 1, 0}, {0, 1, 0}};
}

// Moved 0.1 a tick over its last four ticks, a body is thrown at 0.4 / (4 / 60) = 6 a second.
TEST_F(SceneTest, TheGrabTakesAFreeBodyOnlyAfterItsBounceHoldsItAndThrowsItAsThePointerMoved) {
    g_BodyGrab.Bind(scene->g_pSimulator.get());
    const Block& block = **std::find_if(scene->g_apBlocks.begin(), scene->g_apBlocks.end(),
                                        [this](const auto& b) { return Is_Active(b.get()); });
    EXPECT_FALSE(g_BodyGrab.Press(Ray_At(block.state.position.x, block.state.position.z)));
    EXPECT_FALSE(g_BodyGrab.Press(Ray_At(0, 0))) << "the paddle";
    scene->g_pBall->initial_state.position = {0, 0, 1.5};
    scene->g_pBall->initial_state.velocity = {0, 0, -8};
    scene->g_pSimulator->Reset();
    for (int ticks = 0; scene->g_pSimulator->contacts.empty(); Tick()) {
        ASSERT_LT(++ticks, 60) << "never bounced on the paddle";
    }
    const Vector3d pressed_at = scene->g_pBall->state.position;
    ASSERT_TRUE(g_BodyGrab.Press(Ray_At(0, pressed_at.z)));
    for (Tick(); !scene->g_pSimulator->contacts.empty(); Tick()) {
        ASSERT_EQ(scene->g_pBall->state.mode, SimMode::Free) << "taken in mid-bounce";
    }
    Tick();
    EXPECT_EQ(scene->g_pBall->state.mode, SimMode::Driven);
    EXPECT_TRUE(Near(scene->g_pBall->state.position, pressed_at, 1e-12)) << "where the pointer is";
    for (int i = 1; i <= 5; ++i, Tick()) {
        EXPECT_TRUE(
            Near(scene->g_pBall->state.position, pressed_at + Vector3d(0.1 * (i - 1), 0, 0)))
            << "held still between moves, at tick " << i;
        g_BodyGrab.Drag(Ray_At(0.1 * i, pressed_at.z));
    }
    g_BodyGrab.Drag(Ray_At(0.6, pressed_at.z));  // a last move, and the button comes up
    g_BodyGrab.Release();
    Tick();
    EXPECT_EQ(g_BodyGrab.Body(), nullptr);
    EXPECT_EQ(scene->g_pBall->state.mode, SimMode::Free);
    EXPECT_NEAR(scene->g_pBall->state.velocity.x, 6, 1e-5);
    // A reset while held lets go of the body, which starts over as it would have.
    ASSERT_TRUE(g_BodyGrab.Press(
        Ray_At(scene->g_pBall->state.position.x, scene->g_pBall->state.position.z)));
    Tick();
    scene->g_pSimulator->Reset();
    Tick();
    EXPECT_EQ(g_BodyGrab.Body(), nullptr);
    EXPECT_EQ(scene->g_pBall->state.mode, SimMode::Free);
}

TEST_F(SceneTest, TheSlabOrALossOutOfTheRoomStartsTheSceneOverInTheNextTickNotInsideTheStep) {
    scene->g_pBall->initial_state.position = {10.0, 0.0,
                                              -7.0};  // beside the room, above the slab's top
    scene->g_pSimulator->Reset();
    for (int steps = 0; !scene->g_bResetRequested;
         ++steps) {  // stepping alone, as the Step button does
        ASSERT_LT(steps, 60) << "the slab never touched";
        ASSERT_TRUE(scene->g_pSimulator->Step(g_fTickPeriod));
    }
    scene->g_apBlocks[0]->fading = true;
    Tick();  // steps on, then starts over: neither a redraw nor fading
    EXPECT_EQ(scene->g_pSimulator->time, 0.0);
    EXPECT_EQ(scene->g_pBall->state.position.z, -7.0);
    EXPECT_EQ(view.redraws_requested, 0);
    EXPECT_EQ(scene->g_apBlocks[0]->fade, 1.0f);
    EXPECT_FALSE(scene->g_bResetRequested);
    EXPECT_EQ(view.light_positions_set, 1);
    EXPECT_EQ(events.slab_resets, 1);
    Tick();
    EXPECT_EQ(view.redraws_requested, 1);
    EXPECT_LT(scene->g_apBlocks[0]->fade, 0.9f);
    scene->g_pBall->state.position = {7.5, 0.0,
                                      5.0};  // beyond the right wall, as a glitch leaves it
    Tick();
    EXPECT_EQ(events.lost, 1);
    EXPECT_EQ(events.slab_resets, 1);
    EXPECT_EQ(view.redraws_requested, 1);
    EXPECT_EQ(scene->g_pSimulator->time, 0.0);
    EXPECT_EQ(view.light_positions_set, 2);
}

struct AttractMode : SceneTest {
    bool Steered_By_Autopilot() const override { return true; }
};

// FNV-1a over the bytes of every body's committed state: any change to the game, or a compiler
// rounding differently, changes it.
struct StateHash {
    void Add(const void* bytes, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            value = (value ^ static_cast<const unsigned char*>(bytes)[i]) * 1099511628211ull;
        }
    }
    void Add(const Vector3d& v) {
        Add(&v.x, sizeof v.x), Add(&v.y, sizeof v.y), Add(&v.z, sizeof v.z);
    }
    void Add(const SimState& s) {
        const Quaternion& q = s.orientation;
        const double numbers[] = {s.time, q.w, q.x, q.y, q.z};
        Add(&s.mode, sizeof s.mode), Add(numbers, sizeof numbers), Add(&s.stretch_forward, 1);
        Add(s.position), Add(s.velocity), Add(s.scale);
    }
    std::uint64_t value = 14695981039346656037ull;
};

// The game of seed 1234 in the attract mode: recorded once, the same from every compiler and build.
// A change that alters the game on purpose records the new value and says why in its commit.
constexpr std::uint64_t kTenMinutesOfTheGame = 12257049876025888098ull;

TEST_F(AttractMode,
       PressesResetASecondAfterTheBallCameToRestAndPlaysTheSameTenMinutesInEveryBuild) {
    scene->g_pBall->state.mode = SimMode::Resting;
    for (int tick = 0; tick < 60; ++tick) {
        EXPECT_EQ(scene->g_pBall->state.mode, SimMode::Resting) << tick;
        scene->autopilot->Steer(*scene);
    }
    EXPECT_EQ(scene->g_pBall->state.mode, SimMode::Free);
    StateHash hash;
    for (int tick = 1; tick <= 10 * 60 * 60; ++tick) {
        Tick();
        for (const SimObject* body : scene->g_pSimulator->objects) {
            hash.Add(body->state);
        }
        // Blocks are shown once and simulated while standing, the ball shown while simulated.
        int shown = 0;
        for (const auto& block : scene->g_apBlocks) {
            const int times = view.Times_Shown(block.get());
            shown += times;
            ASSERT_LT(times, 2) << "block " << block->grid_index << ", tick " << tick;
            ASSERT_EQ(Is_Active(block.get()), times == 1 && !block->fading)
                << "block " << block->grid_index << ", tick " << tick;
        }
        ASSERT_EQ(shown, scene->g_nBlocksLeft) << "tick " << tick;
        ASSERT_EQ(view.Times_Shown(scene->g_pBall.get()), Is_Active(scene->g_pBall.get()))
            << "tick " << tick;
        ASSERT_EQ(events.layouts - 1 - events.restores, timers.Has_Timeout(Restore_Ball)) << tick;
    }
    // Blocks go, layouts are cleared, the ball is served again, seldom falls and is never lost.
    EXPECT_GE(events.restores, 3);
    EXPECT_LT(events.slab_resets, 10);
    EXPECT_EQ(events.lost, 0);
    EXPECT_EQ(view.redraws_requested + events.slab_resets, 10 * 60 * 60);  // a tick does either
    EXPECT_EQ(hash.value, kTenMinutesOfTheGame) << "the game changed";
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
        scene->g_pSimulator->Reset();
        SimState& ball = scene->g_pBall->state;
        ball.position = row.ball, ball.velocity = row.velocity, ball.stretch_forward = false;
        SimObject::Orient_To_Motion(ball, scene->g_pBall->max_stretch, scene->g_pBall->stretch_rate,
                                    g_vGravity);
        scene->g_pPaddle->state.position.x = row.paddle_x;
        for (const char* step = row.steps; *step != '\0'; ++step) {
            scene->g_pPaddle->Set_Velocity(
                Paddle::Velocity_For_Speed(row.direction * (*step - '0')));
            ASSERT_TRUE(scene->g_pSimulator->Step(g_fTickPeriod));
            const Vector3d& at = ball.position;
            ASSERT_TRUE(Ball_Within_Bounds(at))
                << at.x << ", " << at.z << " at tick " << step - row.steps;
        }
    }
}
