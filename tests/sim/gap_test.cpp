// Passing over a pair whose last gap holds, against the pair query as the oracle.
#include "collision/vclip.h"
#include "sim_bodies.h"
#include "support/random.h"

// A box 4 long and a ball 0.1 above its top near one end, found apart, then moved, turned and
// squashed. Straight at the box the gap is the whole bound: a micron short of it is passed over,
// a micron past it touches; a turn of 4 degrees about the box's centre lifts its end under the
// ball by 0.13 and its centre not at all; slid 1.5 along the top, the ball is still apart by the
// plane of the gap. At random, by up to about the gap (shifted only, twice as far): May_Touch
// never says "apart" of bodies that touch, and answers as the query does whenever it asks.
TEST(MayTouch, PassesOverOnlyBodiesStillApart) {
    World w({0, 0, 0});
    SimBody& box = w.Add(true, "Box", SimMode::Free, {0, 0, 0}, {}, {2, 0.1, 0.1});
    SimBody& ball = w.Add(true, "Ball", SimMode::Free, {1.9, 0.5, 0}, {}, {1, 1, 1}, 0.3);
    Collision& c = w.Record(0, 1);
    // Whether May_Touch asked the query, and its answer, with the oracle's answer.
    const auto ask = [&](bool& touches) {
        Collision oracle(&box, &ball);
        touches = Query_Pair(oracle);
        const unsigned long asked_before = vclip_call_count;
        const bool may_touch = May_Touch(c);
        return std::pair{vclip_call_count != asked_before, may_touch};
    };
    const auto start = [&] {
        box.new_state = box.state, ball.new_state = ball.state;
        ASSERT_FALSE(Query_Pair(c));
    };
    bool touches = false;
    for (const double down : {0.1 - 1e-6, 0.1 + 1e-6}) {
        start();
        ball.new_state.position.y -= down;
        EXPECT_EQ(ask(touches), std::pair(down > 0.1, down > 0.1)) << down;
    }
    start();
    box.new_state.orientation = Quaternion::From_Axis_Angle(4, {0, 0, 1});
    EXPECT_EQ(ask(touches), std::pair(true, true));
    start();  // slid along the box's top, only shifted: the gap's plane shows it still apart
    ball.new_state.position += Vector3d(-1.5, -0.05, 0.2);
    EXPECT_EQ(ask(touches), std::pair(false, false));
    TestRandom random(20261208);
    int passed_over = 0, touching = 0;
    for (int trial = 0; trial < 3000; ++trial) {
        start();
        const double size = random.Uniform(0.0, 0.15);
        for (SimBody* x : {&box, &ball}) {
            x->new_state.position += random.In_Box(trial % 2 ? 2 * size : size);
            if (trial % 2 == 0) {  // every other trial the bodies are only shifted
                x->new_state.orientation = random.Rotation(0, 20 * size) * x->new_state.orientation;
                const double squash = random.Uniform(1 - size, 1 + size);
                x->new_state.scale = Vector3d(squash, 1 / std::sqrt(squash), 1 / std::sqrt(squash));
            }
        }
        const auto [asked, may_touch] = ask(touches);
        EXPECT_TRUE(asked ? may_touch == touches : !touches) << trial << ", " << random.Trace();
        passed_over += !asked;
        touching += touches;
    }
    EXPECT_GT(passed_over, 300);
    EXPECT_GT(touching, 150);
}

// For a box the box test is the distance itself: a box turned and stretched at random, and a
// speck (a box 1e-4 across) at random points near it, which the pair query finds that far away,
// less the speck's own reach.
TEST(BoxTest, MeasuresTheDistanceToABoxTurnedAndScaled) {
    World w({0, 0, 0});
    SimBody& box = w.Add(true, "Box", SimMode::Free, {1, 2, 3});
    SimBody& speck = w.Add(true, "Speck", SimMode::Fixed, {}, {}, {5e-5, 5e-5, 5e-5});
    Collision& c = w.Record(0, 1);
    TestRandom random(20261208);
    for (int trial = 0; trial < 500; ++trial) {
        box.new_state.orientation = random.Rotation();
        box.new_state.scale = Vector3d(random.Uniform(0.2, 3), random.Uniform(0.2, 3), 1);
        speck.new_state.position = box.new_state.position + random.In_Box(4);
        const double box_test = box.Box_Distance_At_Tentative_State(speck.new_state.position);
        if (Query_Pair(c)) {
            EXPECT_LT(box_test, 1e-4) << trial;
        } else {
            EXPECT_NEAR(box_test, c.distance, 1e-4) << trial << ", " << random.Trace();
        }
    }
}
