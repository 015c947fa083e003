// Fixed and driven bodies keep their roles in a contact; a ball never hangs on waiting contacts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "collision/vclip.h"
#include "sim/audit.h"
#include "sim/cartoon_response.h"
#include "sim/collision.h"
#include "sim/push_out.h"
#include "sim_bodies.h"
#include "support/approx.h"

namespace {

// A box carried along at its committed velocity, as the paddle is, and like it stopped at `min_x`.
struct Carried : SimBody {
    using SimBody::SimBody;
    void Get_State_At(double t, const Vector3d&, SimState& out) override {
        out = state;
        out.position = state.position + (t - state.time) * state.velocity;
        out.position.x = std::max(out.position.x, min_x);
        out.time = t;
    }
    double min_x = -1e9;
};

// The paddle's case: 3.6 units a second along +x into a ball resting 2 units ahead of its face.
TEST(Roles, ADrivenBodyCarriesOnThroughARestingOneAndKnocksItAway) {
    World w({0, 0, 0});
    SimBody& ball = w.Add(true, "Ball", SimMode::Resting, {0.3, 0, 0}, {}, {1, 1, 1}, 0.3);
    Carried paddle("Paddle", SimMode::Driven, {-3, 0, 0}, {3.6, 0, 0}, {1, 1, 0.2});
    w.sim.Add_Object(&paddle, true);
    w.sim.Reset();
    for (int tick = 0; tick < 120; ++tick) {
        ASSERT_TRUE(w.sim.Step(1.0 / 60));
    }
    EXPECT_NEAR(paddle.state.position.x, -3 + 2 * 3.6, 1e-9);  // as its own motion says
    EXPECT_EQ(paddle.state.velocity.x, 3.6);
    EXPECT_EQ(ball.state.mode, SimMode::Free);
    EXPECT_NEAR(ball.state.velocity.x, 3.6 + 3.6, 1e-9);  // off a wall moving at 3.6, lossless
    EXPECT_GT(ball.state.position.x - 0.3, paddle.state.position.x + 1.0) << w.events;
}

// A driven body touching a resting ball while it moves away from it, however slowly, leaves it.
TEST(Roles, ADrivenBodyMovingAwayLeavesARestingOneAtRest) {
    World w({0, 0, 0});
    SimBody& ball = w.Add(true, "Ball", SimMode::Resting, {0.3, 0, 0}, {}, {1, 1, 1}, 0.3);
    Carried paddle("Paddle", SimMode::Driven, {-0.99, 0, 0}, {-0.05, 0, 0}, {1, 1, 0.2});
    w.sim.Add_Object(&paddle, true);
    w.sim.Reset();
    for (int tick = 0; tick < 10; ++tick) {
        ASSERT_TRUE(w.sim.Step(1.0 / 60));
    }
    EXPECT_EQ(ball.state.mode, SimMode::Resting) << w.events;
    EXPECT_EQ(ball.state.position.x, 0.3);
}

// A ball dropped from 2 cm onto a box resting on the floor lands at 0.63 and settles on it; a
// driven body then knocks the box away, and the ball, its support gone, falls to the floor.
TEST(Roles, ABallRestingOnABoxThatIsKnockedAwayFalls) {
    World w;
    SimBody& ball = w.Ball_Over_Floor(0.3, {0, 0, 0.92}, {});
    SimBody& box = w.Add(true, "Box", SimMode::Resting, {0, 0, 0.3}, {}, {0.3, 0.3, 0.3});
    Carried pusher("Pusher", SimMode::Driven, {-1.5, 0, 0.2}, {}, {0.5, 0.5, 0.2});
    w.sim.Add_Object(&pusher, true);
    w.sim.Reset();
    w.Run_Until(2, 1.0 / 60, 3.0);
    ASSERT_EQ(ball.state.mode, SimMode::Resting) << w.events;
    EXPECT_EQ(ball.support, &box);
    pusher.state.velocity = Vector3d(3, 0, 0);
    const std::string before = w.events;
    for (int tick = 0; tick < 90; ++tick) {
        ASSERT_TRUE(w.sim.Step(1.0 / 60));
    }
    EXPECT_EQ(box.state.mode, SimMode::Free);
    EXPECT_NE(w.events.find("+Ball/Floor", before.size()), std::string::npos) << w.events;
}

// The paddle's case at a side wall: a ball between the wall and a driven box that closes in to a
// gap narrower than the ball. Neither body gives way; the ball squeezes out of the gap the nearest
// way, over the driven box's top (z = 0.5) rather than under the wall's lower end (z = -1), and
// never through the wall (whose room-side face is x = -0.5).
TEST(Roles, ABallPinchedBetweenAWallAndADrivenBodySqueezesOutOfTheGap) {
    World w;
    SimBody& ball = w.Add(true, "Ball", SimMode::Free, {0, 0, 0.2}, {-3, 0, 0}, {1, 1, 1}, 0.3);
    w.Add(true, "Wall", SimMode::Fixed, {-1.5, 0, 2}, {}, {1, 1, 3});
    Carried paddle("Paddle", SimMode::Driven, {1.5, 0, 0}, {-6, 0, 0}, {0.5, 1, 0.5});
    paddle.min_x = 0.5;  // a gap of 0.5 for a ball 0.6 across
    w.sim.Add_Object(&paddle, true);
    w.sim.Reset();
    for (int tick = 0; tick < 60; ++tick) {
        ASSERT_TRUE(w.sim.Step(1.0 / 60));
        ASSERT_GT(ball.state.position.x, -0.5) << "tick " << tick << ": " << w.events;
    }
    const Vector3d& at = ball.state.position;
    EXPECT_TRUE(at.x > 0.0 || at.z > 0.5 || at.z < -1.0) << "still in the gap: " << w.events;
}

// A ball pinched between two long walls (a gap of 0.5), flying along them, is not squeezed 0.58 on
// to an end wall (pinched still); sunk into that wall and another, pushed out of the other, it is
// not carried 0.17 into the end wall, whose side it has never been apart from.
TEST(Roles, APinchedBodyIsNotSqueezedAlongThePinchNorIntoAWallOfUnknownSide) {
    World w({0, 0, 0});
    SimBody& ball = w.Add(true, "Ball", SimMode::Free, {0, 0, 0}, {3, 0, 0}, {1, 1, 1}, 0.3);
    w.Add(true, "Front", SimMode::Fixed, {0, -1.25, 0}, {}, {5, 1, 5});
    w.Add(true, "Back", SimMode::Fixed, {0, 1.25, 0}, {}, {5, 1, 5});
    w.Add(true, "End", SimMode::Fixed, {2, 0, 0}, {}, {1, 5, 5});
    w.Add(true, "Left", SimMode::Fixed, {-0.5, 0, 0}, {}, {1, 5, 5});
    w.sim.Reset();
    w.Record(0, 1).normal = Vector3d(0, -1, 0), w.Record(0, 2).normal = Vector3d(0, 1, 0);
    w.Record(0, 3).normal = Vector3d(1, 0, 0), ball.within_reach = {&w.Record(0, 3)};
    Push_Out_Second_Contact(w.Record(0, 1), w.Record(0, 2), ball, {0, -1, 0}, {});
    EXPECT_TRUE(Near(ball.new_state.position, {0, 0, 0}, 0.0)) << ball.new_state.position.x;
    w.Record(0, 3).normal = Vector3d(), w.Record(0, 4).normal = Vector3d(-1, 0, 0);
    ball.new_state.position = {0.75, 0, 0};
    Push_Out(w.Record(0, 4), ball, {-1, 0, 0}, 0.0);
    EXPECT_LT(ball.new_state.position.x, 0.752);
}

// No separated query ever gave the pair a normal, nor a pivot: it goes by the line from centre to
// centre and the point midway; the ball still comes out within the first step, turning about a
// real axis.
TEST(Roles, AFreeBodyStartingInsideAFixedOneComesOutWithinTheStep) {
    World w;
    SimBody& ball = w.Ball_Over_Floor(0.3, {0.2, 0.1, -0.1}, {1, 0, 0});
    w.sim.Reset();
    w.sim.Step(1e-6);
    EXPECT_TRUE(Near(w.Record(0, 1).point_b, {0.1, 0.05, -0.55}, 1e-5));
    EXPECT_TRUE(
        Near(w.Record(0, 1).normal, Vector3d(-0.2, -0.1, -0.9) * (1 / std::sqrt(.86)), 1e-5));
    Collision one_centre = w.Record(0, 1);  // of bodies that share a centre: straight up
    one_centre.body_b = one_centre.body_a, one_centre.normal = Vector3d();
    Give_Direction_If_Unknown(one_centre);
    EXPECT_TRUE(Near(one_centre.normal, {0, 0, 1}, 0.0));
    for (int tick = 0; tick < 120; ++tick) {
        ASSERT_TRUE(w.sim.Step(1.0 / 60));
        ASSERT_GT(ball.state.position.z, 0.0) << "still in the floor at tick " << tick;
        ASSERT_NEAR(ball.state.orientation.Magnitude(), 1.0, 1e-9) << "tick " << tick;
    }
    Collision above = w.Record(0, 1);  // sunk, its centre above the floor: straight out of it
    ball.new_state.position = {0.2, 0.1, 0.25}, above.normal = Vector3d();
    Give_Direction_If_Unknown(above);
    EXPECT_TRUE(Near(above.normal, {0, 0, -1}, 1e-9));
}

// A box sunk 0.205 into the floor, 0.05 from a wall: straight up is the nearest way clear of both
// (0.205); half way between up and away from the wall it would take 0.29.
TEST(Roles, AWedgedBodyTakesTheNearestWayClear) {
    World w({0, 0, 0});
    SimBody& box = w.Add(true, "Box", SimMode::Free, {0, 0, 0.295}, {}, {0.5, 0.5, 0.5});
    w.Add(true, "Floor", SimMode::Fixed, {0, 0, -1}, {}, {20, 20, 1});
    w.Add(true, "Wall", SimMode::Fixed, {1.05, 0, 2}, {}, {0.5, 5, 5});
    w.sim.Reset();
    Collision& floor = w.Record(0, 1);
    Collision& wall = w.Record(0, 2);
    floor.normal = Vector3d(0, 0, -1), wall.normal = Vector3d(1, 0, 0);
    box.within_reach = {&wall};
    Clear_Of_All(floor, box);
    EXPECT_TRUE(Near(box.new_state.position, {0, 0, 0.5}, 2e-3));
    // Sunk into a block's edge, 0.15 along x and 0.18 along y: out along x.
    World edge({0, 0, 0});
    SimBody& cube = edge.Add(true, "Box", SimMode::Free, {}, {}, {0.5, 0.5, 0.5});
    edge.Add(true, "Block", SimMode::Fixed, {-1.35, -1.32, 0}, {}, {1, 1, 1});
    edge.sim.Reset();
    edge.Record(0, 1).normal = Vector3d(-1, -1, 0) * std::sqrt(0.5);
    Clear_Of_All(edge.Record(0, 1), cube);
    EXPECT_TRUE(Near(cube.new_state.position, {0.15, 0, 0}, 2e-3));
    // Its edge sunk 0.1 into a slab that leans 45 degrees, a floor below it not touched: straight
    // away from the slab (0.1), not along an axis (0.14).
    World slant({0, 0, 0});
    SimBody& block = slant.Add(true, "Box", SimMode::Free, {}, {}, {0.5, 0.5, 0.5});
    slant.Add(true, "Floor", SimMode::Fixed, {0, 0, -1.6}, {}, {20, 20, 1});
    SimBody& slab = slant.Add(true, "Slab", SimMode::Fixed, {0.783, 0, 0.783}, {}, {2, 2, 0.5});
    slant.sim.Reset();
    slab.state.orientation = slab.new_state.orientation =
        Quaternion::From_Axis_Angle(45, {0, 1, 0});
    slant.Record(0, 1).normal = Vector3d(0, 0, -1);
    slant.Record(0, 2).normal = Vector3d(1, 0, 1) * std::sqrt(0.5);
    block.within_reach = {&slant.Record(0, 2)};
    Clear_Of_All(slant.Record(0, 1), block);
    EXPECT_TRUE(Near(block.new_state.position, Vector3d(-0.1, 0, -0.1) * std::sqrt(0.5), 3e-3));
    // Sunk 0.3 into a ledge that reaches 0.1 under it: off the ledge's edge, along its top.
    World ledge({0, 0, 0});
    SimBody& overhang = ledge.Add(true, "Box", SimMode::Free, {}, {}, {0.5, 0.5, 0.5});
    ledge.Add(true, "Ledge", SimMode::Fixed, {-1.4, 0, -1.2}, {}, {1, 1, 1});
    ledge.sim.Reset();
    ledge.Record(0, 1).normal = Vector3d(0, 0, -1);
    Clear_Of_All(ledge.Record(0, 1), overhang);
    EXPECT_TRUE(Near(overhang.new_state.position, {0.1, 0, 0}, 3e-3));
    // A plate 1.2 wide and 0.06 thin sunk 0.02 into a floor 0.2 thick, a ceiling 0.005 above it:
    // clear of both only beneath the floor, through it, which is no way out; it stays.
    World thin({0, 0, 0});
    SimBody& plate = thin.Add(true, "Plate", SimMode::Free, {0, 0, 0.01}, {}, {0.3, 0.3, 0.3});
    thin.Add(true, "Floor", SimMode::Fixed, {0, 0, -0.1}, {}, {5, 5, 0.1});
    thin.Add(true, "Ceiling", SimMode::Fixed, {0, 0, 0.145}, {}, {5, 5, 0.1});
    thin.sim.Reset();
    plate.new_state.scale = {2, 2, 0.1};
    plate.within_reach = {&thin.Record(0, 2)};
    EXPECT_FALSE(Clear_Of_All(thin.Record(0, 1), plate));
    EXPECT_EQ(plate.new_state.position, Vector3d(0, 0, 0.01));
}

// A box sunk 0.05 into the floor and lying against a wall, its contact's normal leaning 17.5
// degrees into the wall: straight out would lead into the wall, so it slides up along it.
TEST(Roles, PushedOutTowardsABodyItLiesAgainstItSlidesAlongThatBody) {
    World w({0, 0, 0});
    SimBody& box = w.Add(true, "Box", SimMode::Free, {0, 0, 0.45}, {}, {0.5, 0.5, 0.5});
    w.Add(true, "Floor", SimMode::Fixed, {0, 0, -1}, {}, {20, 20, 1});
    w.Add(true, "Wall", SimMode::Fixed, {0.999, 0, 5}, {}, {0.5, 5, 5});
    w.Add(true, "Ceiling", SimMode::Fixed, {0, 0, 3}, {}, {5, 5, 0.5});  // far: takes nothing off
    w.sim.Reset();
    Collision& floor = w.Record(0, 1);
    Collision& wall = w.Record(0, 2);
    wall.normal = Vector3d(1, 0, 0);
    w.Record(0, 3).normal = Vector3d(0, 0, 1);
    box.within_reach = {&wall, &w.Record(0, 3)};
    Push_Out(floor, box, Vector3d(-0.3, 0, -0.95) * (1 / std::sqrt(0.9925)), 0.0);
    EXPECT_EQ(box.new_state.position.x, 0.0);
    EXPECT_NEAR(box.new_state.position.z, 0.5, 2e-3);
    EXPECT_FALSE(Query_Pair(floor));
}

// Boxes of half size 0.3 that squash to a tenth (and widen 3.16 times, to 1.9 across) land at 10
// on a floor between two walls: one in a corridor 1.2 wide, two side by side in a slot 3 wide.
// Each squashes only as far as the walls and the other box leave room (held where its own contact
// keeps it, the other stays as a wall does; else the two widen 0.066 into each other), sinks into
// nothing, and bounces back up.
TEST(Roles, ABodySquashesOnlyAsFarAsThereIsRoom) {
    const struct {
        std::vector<double> at_x;
        Vector3d wall_at, wall_half;
        SpaceBox room;
    } rows[] = {{{0}, {0, 1.1, 0}, {20, 0.5, 20}, {{-5, -0.6, 0}, {5, 0.6, 20}}},
                {{-0.4, 0.4}, {2, 0, 0}, {0.5, 20, 20}, {{-1.5, -20, 0}, {1.5, 20, 20}}}};
    for (const auto& row : rows) {
        World w({0, 0, 0});
        for (double x : row.at_x) {
            SimBody& box =
                w.Add(true, "Box", SimMode::Free, {x, 0, 1}, {0, 0, -10}, {0.3, 0.3, 0.3});
            box.max_squash = 0.1, box.max_stretch = 1;
        }
        w.Add(true, "Floor", SimMode::Fixed, {0, 0, -1}, {}, {20, 20, 1});
        for (double side : {-1.0, 1.0}) {
            w.Add(true, "Wall", SimMode::Fixed, side * row.wall_at, {}, row.wall_half);
        }
        w.sim.Reset();
        SimAudit audit(w.sim, {row.room});
        for (int tick = 0; tick < 30; ++tick) {
            ASSERT_TRUE(w.sim.Step(1.0 / 60));
            audit.Check(w.sim.time);
        }
        EXPECT_EQ(audit.Total(), 0) << row.at_x.size() << " deepest " << audit.Deepest_Overlap();
        EXPECT_GT(w.bodies[0]->state.velocity.z, 9.9) << w.events;
    }
}

// A box (half extent 0.3) sunk wholly into a wall 1 thick and 10 tall comes out across it, 0.7 to
// x = 1, but not along its height: out past its top, 5.3 up, it would be jumping, and it stays.
TEST(Roles, ABodyComesOutOfAnotherTheShortWayOrStays) {
    for (const auto& [d, out] : {std::pair{Vector3d(-1, 0, 0), Vector3d(1, 0, 0)},
                                 {Vector3d(0, 0, -1), Vector3d(0, 0, 0)}}) {
        World w({0, 0, 0});
        SimBody& box = w.Add(true, "Box", SimMode::Free, {}, {}, {0.3, 0.3, 0.3});
        w.Add(true, "Wall", SimMode::Fixed, {0.2, 0, 0}, {}, {0.5, 5, 5});
        w.sim.Reset();
        Push_Out(w.Record(0, 1), box, d, 0.0);
        EXPECT_TRUE(Near(box.new_state.position, out, 2e-3)) << d.z;
    }
}

// A search stops at whichever comes first, its partner or a third body. A box closing in on a
// block 0.05 ahead, beside which a wall stands 0.07 ahead: one step of the search sinks it into
// both, and it stops short of the block, not of the wall.
TEST(Roles, ASearchStopsAtWhicheverComesFirstOfItsPartnerAndAThirdBody) {
    World w({0, 0, 0});
    SimBody& box = w.Add(true, "Box", SimMode::Free, {}, {}, {0.5, 0.5, 0.5});
    w.Add(true, "Block", SimMode::Fixed, {1.05, -1.1, 0}, {}, {0.5, 1, 1});
    w.Add(true, "Wall", SimMode::Fixed, {1.07, 1.1, 0}, {}, {0.5, 1, 1});
    w.sim.Reset();
    Collision& block = w.Record(0, 1);
    box.within_reach = {&w.Record(0, 2)};
    Push_Out(block, box, {1, 0, 0}, 1.0);
    EXPECT_NEAR(box.new_state.position.x, 0.05, 2e-3);
    EXPECT_FALSE(Query_Pair(block));
    // Sunk 0.2 into the floor under a ceiling 0.05 above: it rises until it touches the ceiling.
    World low({0, 0, 0});
    SimBody& cube = low.Add(true, "Box", SimMode::Free, {0, 0, 0.3}, {}, {0.5, 0.5, 0.5});
    low.Add(true, "Floor", SimMode::Fixed, {0, 0, -1}, {}, {20, 20, 1});
    low.Add(true, "Ceiling", SimMode::Fixed, {0, 0, 1.35}, {}, {20, 20, 0.5});
    low.sim.Reset();
    cube.within_reach = {&low.Record(0, 2)};
    Push_Out(low.Record(0, 1), cube, {0, 0, -1}, 0.0);
    EXPECT_NEAR(cube.new_state.position.z, 0.35, 2e-3);
}

// A ball deforming in another contact touches a resting ball while moving away from it: the resting
// ball has nothing to answer, and no contact starts and ends at every step while they part.
TEST(Roles, ARestingBodyLeftByABodyDeformingElsewhereStaysStill) {
    for (const bool resting_added_first : {false, true}) {
        World w({0, 0, 0});
        if (resting_added_first) {
            w.Add(true, "B", SimMode::Resting, {}, {}, {1, 1, 1}, 0.3);
        }
        SimBody& a = w.Add(true, "A", SimMode::Free, {0.55, 0, 0}, {1, 0, 0}, {1, 1, 1}, 0.3);
        if (!resting_added_first) {
            w.Add(true, "B", SimMode::Resting, {}, {}, {1, 1, 1}, 0.3);
        }
        w.sim.Reset();
        Collision elsewhere(&a, &a);
        elsewhere.response_a.role = Response::Role::Running;
        a.Add_Collision(&elsewhere);
        for (int tick = 0; tick < 10; ++tick) {
            ASSERT_TRUE(w.sim.Step(1.0 / 60));
        }
        EXPECT_TRUE(w.events.empty()) << w.events.substr(0, 40);
        EXPECT_EQ(w.bodies[resting_added_first ? 0 : 1]->state.mode, SimMode::Resting);
    }
}

// A deforming body's searches keep it out of every body within eight times its half extent: a box
// of half-size 3 squashing on the floor keeps in view a wall 20 beyond its side.
TEST(Roles, ADeformingBodyKeepsInViewTheBodiesWithinEightTimesItsSize) {
    World w;
    SimBody& box = w.Add(true, "Box", SimMode::Free, {0, 0, 3.05}, {0, 0, -5}, {3, 3, 3});
    w.Add(true, "Floor", SimMode::Fixed, {0, 0, -1}, {}, {50, 50, 1});
    w.Add(true, "Wall", SimMode::Fixed, {24, 0, 5}, {}, {1, 5, 5});
    w.sim.Reset();
    w.Run_Until(1, 1.0 / 60, 1.0);
    ASSERT_TRUE(w.sim.Step(1.0 / 60));
    const auto& reach = box.within_reach;
    EXPECT_NE(std::find(reach.begin(), reach.end(), &w.Record(0, 2)), reach.end()) << w.events;
}

// Two balls squeezed between two walls, every pair touching at the first probe: the balls'
// contact comes first and each wall contact waits behind it, one on each ball. A waiting contact
// must always wait behind a primary one of its bodies: when that ends, a ball whose own waiting
// contact nobody took up would hang in the air until a Reset.
TEST(Roles, EveryWaitingContactWaitsBehindAPrimaryOne) {
    World w;
    SimBody& a = w.Add(true, "A", SimMode::Free, {-0.29, 0, 1}, {3, 0, 0}, {1, 1, 1}, 0.3);
    SimBody& b = w.Add(true, "B", SimMode::Free, {0.29, 0, 1}, {}, {1, 1, 1}, 0.3);
    w.Add(true, "Left", SimMode::Fixed, {-1.5, 0, 1}, {}, {1, 1, 2});
    w.Add(true, "Right", SimMode::Fixed, {1.5, 0, 1}, {}, {1, 1, 2});
    w.Add(true, "Floor", SimMode::Fixed, {0, 0, -1}, {}, {3, 3, 1});
    w.sim.Reset();
    int waits = 0;
    for (int tick = 0; tick < 180; ++tick) {
        ASSERT_TRUE(w.sim.Step(1.0 / 60));
        for (const SimBody* ball : {&a, &b}) {
            for (const Collision* c : ball->collisions) {
                const bool waiting = c->Response_Of(*ball).role == Response::Role::Waiting;
                waits += waiting;
                ASSERT_TRUE(!waiting || ball->Held()) << c->body_a->name << "/" << c->body_b->name
                                                      << " waits on nothing at tick " << tick;
            }
        }
    }
    EXPECT_GT(waits, 0) << "the scene never made a contact wait: " << w.events;
}

// A ball bouncing off the face of two stacked boxes, near the gap between them, leaves still
// overlapping both, stretched along its new course. Each contact then ends the moment it starts;
// were the pair found again at that same moment, the two would take turns without the clock
// moving, thousands of pair queries in one step.
TEST(Roles, ContactsEndingAtOnceDoNotTakeTurnsWithoutTheClockMoving) {
    World w;
    w.Add(true, "Ball", SimMode::Free, {1.5, 0, 0.79}, {-7.2, 0, -4.16}, {1, 1, 1}, 0.3);
    w.Add(true, "Upper", SimMode::Fixed, {0, 0, 0.2}, {}, {0.4, 0.5, 0.18});
    w.Add(true, "Lower", SimMode::Fixed, {0, 0, -0.2}, {}, {0.4, 0.5, 0.18});
    w.sim.Reset();
    for (int tick = 0; tick < 30; ++tick) {
        const unsigned long before = vclip_call_count;
        ASSERT_TRUE(w.sim.Step(1.0 / 60));
        ASSERT_LT(vclip_call_count - before, 500u) << "tick " << tick << ": " << w.events;
    }
}

TEST(Roles, ABodyNeverAddedIsRefusedActivation) {
    World w;
    w.Ball_Over_Floor(0.3, {0, 0, 1}, {});
    w.sim.Reset();
    SimBody stranger("Stranger", SimMode::Free, {});
    testing::internal::CaptureStderr();
    w.sim.Activate_Object(&stranger);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Tovrel::Activate_Object: Object Stranger not in sim\n");
    EXPECT_TRUE(w.sim.Step(1.0 / 60));
}

}  // namespace
