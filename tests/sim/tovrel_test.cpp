// The simulator: its bookkeeping; runs of a ball meeting a floor and walls, against figures worked
// out independently of the code; long randomised runs in a closed box, against invariants.
#include <algorithm>
#include <cmath>
#include <deque>
#include <list>
#include <set>
#include <vector>

#include "collision/vclip.h"
#include "sim/pair_records.h"
#include "sim_bodies.h"
#include "support/approx.h"
#include "support/random.h"

constexpr double kTick = 1.0 / 60;

TEST(Tovrel, OnlyNearPairsAreQueriedOnceAPassAndGetARecordNeverTwoUnmovableOnes) {
    // Three overlapping bodies that cannot move, one of them not yet active, and a ball far above.
    World world(Vector3d(0, 0, 0));
    SimBody& ball = world.Add(true, "Ball", SimMode::Free, {0, 0, 10}, {1, 0, 0});
    SimBody& wall = world.Add(true, "Wall", SimMode::Fixed, {});
    SimBody& pillar = world.Add(false, "Pillar", SimMode::Fixed, {0.5, 0, 0});
    SimBody& paddle = world.Add(true, "Paddle", SimMode::Driven, {0, 0.5, 0});
    ::testing::internal::CaptureStderr();
    world.sim.Add_Object(&ball, true);
    EXPECT_FALSE(world.sim.Step(0.1));
    EXPECT_EQ(world.sim.time, -1.0);
    world.sim.Reset();
    SimBody& late = world.Add(true, "Late", SimMode::Fixed, {});
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Tovrel::Add_Object: Object Ball already in\nSimulator not initialized\n"
              "Tovrel::Add_Object: Cannot add object Late after sim has started\n");
    EXPECT_EQ(late.sim_index, -1);
    Tovrel crowd;  // every pair keeps a key of its own: no more bodies than 16 bits count
    std::deque<SimObject> bodies;
    ::testing::internal::CaptureStderr();
    for (std::size_t i = 0; i <= Tovrel::kMaxBodies; ++i) {
        crowd.Add_Object(&bodies.emplace_back("Body"), false);
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Tovrel::Add_Object: Cannot add object Body: at most 65536 bodies\n");
    EXPECT_EQ(bodies.back().sim_index, -1);
    EXPECT_TRUE(world.sim.Step(0.0)) << "a step of no time";
    EXPECT_TRUE(world.sim.Step(-1.0)) << "a step back";
    EXPECT_EQ(world.sim.time, 0.0);
    const auto queries_in_a_step = [&] {
        const unsigned long before = vclip_call_count;
        world.sim.Step(0.01);
        return vclip_call_count - before;
    };
    EXPECT_EQ(queries_in_a_step(), 0u);  // the ball is 8 above the others' tops
    EXPECT_EQ(world.sim.pair_table.Size(), 0u);
    ball.initial_state.position.z = 2.5;  // 0.5 above them: near, not touching
    world.sim.Reset();
    EXPECT_EQ(queries_in_a_step(), 2u);    // ball-wall, ball-paddle
    world.sim.Deactivate_Object(&pillar);  // not active: nothing happens
    world.sim.Activate_Object(&wall);      // already active: nothing happens
    world.sim.Activate_Object(&pillar);
    EXPECT_EQ(queries_in_a_step(), 3u);
    world.sim.Deactivate_Object(&ball);
    EXPECT_EQ(world.sim.active_objects, (std::vector<SimObject*>{&wall, &paddle, &pillar}));
    world.sim.Activate_Object(&ball);  // now last: still tested against each of the others
    EXPECT_EQ(queries_in_a_step(), 3u);
    // The ball's pairs have one record each, found in either order, of body_a the lower index;
    // the unmovable pairs have none. The key puts the lower index in the high half.
    EXPECT_EQ(world.sim.pair_table.Size(), 3u);
    std::set<int32_t> keys;
    for (int a = 0; a < 4; ++a) {
        for (int b = a + 1; b < 4; ++b) {
            const Collision* c = world.sim.pair_table.Find(b, a);
            EXPECT_EQ(c, world.sim.pair_table.Find(a, b)) << a << ", " << b;
            if (a == 0) {
                ASSERT_NE(c, nullptr) << "the ball's pair with " << b;
                EXPECT_EQ(c->body_a, &ball);
                EXPECT_EQ(c->body_b, world.bodies[b].get());
            } else {
                EXPECT_EQ(c, nullptr) << "unmovable pair " << a << ", " << b;
            }
            keys.insert(Pair_Key(*world.bodies[b], *world.bodies[a]));
        }
    }
    EXPECT_EQ(keys, (std::set<int32_t>{1, 2, 3, (1 << 16) | 2, (1 << 16) | 3, (2 << 16) | 3}));
    const Polyhedron& box = *wall.polyhedron;  // features named as the headless lines name them
    EXPECT_EQ(Feature_Label(box, &box.edges[11]) + ", " + Feature_Label(box, nullptr),
              "edge 11, none");
}

TEST(Scenario, DroppedBallBouncesLowerUntilItRestsAndAResetStartsItOver) {
    World world;
    SimBody& ball = world.Ball_Over_Floor(0.3, {0, 0, 3}, {});
    ball.restitution = 0.3;
    EXPECT_TRUE(world.sim.Reset());
    world.Run_Until(1, kTick / 10, 5.0);
    ASSERT_EQ(world.events, "+Ball/Floor ");
    Collision& c = world.Record(0, 1);
    // Free fall from rest until the stretched ball's bottom reaches z = 0: the root of
    // 3 - 4.9 t^2 - 0.3 k(9.8 t) = 0, found by bisection beside the code, is 0.718251 s.
    const SimState hit = world.journal[0];
    EXPECT_GE(hit.time, 0.718251);
    EXPECT_LE(hit.time, 0.719252);
    // The committed state is the colliding probe's: touching, sunk by less than 1 ms of travel.
    const double bottom = hit.position.z - 0.3 * hit.scale.x;
    EXPECT_LE(bottom, 0.0);
    EXPECT_GE(bottom, -0.0098 * hit.time);
    const Collision found = c;  // the last separation, which the response's searches keep
    world.sim.Step((c.End() - world.sim.time) / 2);
    EXPECT_EQ(c.distance, found.distance) << "the last separation's distance";
    EXPECT_TRUE(Near(c.point_b, found.point_b, 0.0)) << "the last separation's point";
    // The contact ends inside a later step once the clock reaches its end time; the ball leaves
    // at 0.3 of its speed, stretched for that speed.
    world.Run_Until(2, kTick / 10, 5.0);
    EXPECT_EQ(world.journal[1].time, c.response_a.timetable.End());
    EXPECT_TRUE(world.sim.contact_queue.Empty());
    EXPECT_TRUE(Near(world.journal[1].velocity, -0.3 * hit.velocity, 1e-12));
    EXPECT_NEAR(world.journal[1].scale.x, 1.3111, 2e-4);  // k(2.1117)
    // Impacts at 7.0, 2.1 and 0.63: the third, slower than 1, is a rest.
    world.Run_Until(6, kTick, 10.0);
    EXPECT_EQ(world.events,
              "+Ball/Floor -Ball/Floor +Ball/Floor -Ball/Floor +Ball/Floor -Ball/Floor ");
    EXPECT_TRUE(c.response_a.resting);
    EXPECT_EQ(ball.state.mode, SimMode::Resting);
    EXPECT_EQ(world.bodies[1]->state.mode, SimMode::Fixed);
    const Vector3d resting_at = ball.state.position;
    world.sim.Step(1.0);
    EXPECT_TRUE(Near(ball.state.position, resting_at, 0.0));
    EXPECT_NEAR(resting_at.z, 0.3, 0.01);
    // A Reset puts the ball back up, out of the floor's reach until it falls near again. The
    // record keeps the features the contact ended on, from which the first query then confirms
    // them in one test (a walk from scratch takes dozens). Left waiting (as in a corner) at the
    // Reset, it is primary when found again.
    c.response_a.role = Response::Role::Waiting;
    world.sim.Reset();
    EXPECT_TRUE(world.sim.contacts.empty());
    EXPECT_TRUE(world.sim.contact_queue.Empty());
    EXPECT_TRUE(ball.collisions.empty());
    EXPECT_EQ(ball.state.mode, SimMode::Free);
    const unsigned long queries = vclip_call_count;
    const unsigned long tests = vclip_state_test_count;
    while (vclip_call_count == queries) {
        world.sim.Step(kTick);
    }
    EXPECT_EQ(vclip_state_test_count - tests, vclip_call_count - queries);
    EXPECT_GT(world.sim.time, 0.4);
    // In steps of 1.4 ms, a first probe past the root is still bisected down to within 1 ms of it.
    world.Run_Until(7, 0.0014, 5.0);
    EXPECT_GE(world.journal.at(6).time, 0.718251);
    EXPECT_LE(world.journal.at(6).time, 0.719252);
}

TEST(Scenario, ContactInACornerWaitsUnqueuedUntilTheFirstEnds) {
    // Falling straight onto the floor beside a wall: squashed, the ball widens into the wall, is
    // found sunk into it, and is kept out of it sideways while the floor contact runs. The wall
    // comes first, so the ball, already in contact, is the second body of the wall's record.
    World world(Vector3d(0, 0, 0));
    world.Add(true, "Wall", SimMode::Fixed, {1.36, 0, 0}, {}, {1, 5, 5});
    SimBody& ball = world.Ball_Over_Floor(0.3, {0, 0, 0.6}, {0, 0, -10});
    world.sim.Reset();
    Collision *wall = &world.Record(0, 1), *floor = &world.Record(1, 2);
    int steps_waiting = 0;
    while (world.journal.size() < 2 && world.sim.time < 2.0) {
        world.sim.Step(kTick / 10);
        if (world.sim.contacts.size() == 2) {
            EXPECT_FALSE(wall->Running());
            EXPECT_TRUE(floor->Running());
            EXPECT_EQ(world.sim.contact_queue.Size(), 1u);
            EXPECT_EQ(world.sim.contact_queue.Top(), floor);
            EXPECT_EQ(ball.collisions, (std::list<Collision*>{wall, floor}));
            EXPECT_TRUE(++steps_waiting == 1 || !Query_Pair(*wall))
                << "sunk into the wall at " << world.sim.time;
        }
    }
    EXPECT_GT(steps_waiting, 10);
    // The wall contact takes over as the floor's ends: up at 10, the ball grazes it, off at 0.5.
    EXPECT_EQ(world.events, "+Ball/Floor -Ball/Floor +Wall/Ball -Wall/Ball ");
    EXPECT_EQ(wall->response_b.timetable.start_time, floor->response_a.timetable.End());
    EXPECT_EQ(Nearest_Record(world.sim, ball), wall) << "not the one in contact, 0 apart";
    EXPECT_TRUE(Near(ball.state.velocity, {-0.5, 0, 10}, 1e-9));
}

// Radius 0.4, restitution 0.6, dropped at 13.7 from 0.9 beside a wall: it meets the floor at 13.86
// (centre 0.4 x 1.697 up), leaves at 8.31 (0.4 x 1.608 up), glances off the wall at 0.6 x 8.31 and
// rises 4.99^2 / 19.6 = 1.27 more, to 1.91. Bounced off it (half a turn about the touch): to 9.4.
TEST(Scenario, ABallBouncingStraightUpBesideAWallRisesNoHigherThanItsSpeedTakesIt) {
    World world;
    SimBody& ball = world.Ball_Over_Floor(0.4, {0, 1.1, 0.9}, {0, 0, -13.7});
    ball.restitution = 0.6;
    world.Add(true, "Wall", SimMode::Fixed, {0, 2.0, 0}, {}, {20, 0.5, 20});
    world.sim.Reset();
    double top = 0;
    for (int step = 0; step < 60 && world.sim.Step(kTick); ++step) {
        top = std::max(top, ball.state.position.z);
    }
    EXPECT_NEAR(top, 1.91, 0.005);
    EXPECT_EQ(world.events, "+Ball/Floor -Ball/Floor +Ball/Wall -Ball/Wall ");
}

// A ball flying at 90 a second crosses a wall 0.2 thick between two steps (1.5 a step) and is
// found touching it at neither: it meets the wall where its centre went in, and comes back. So does
// one thrown back off a big soft ball, done with its own contact while the big one still squashes.
TEST(Scenario, ABallFastEnoughToCrossAWallBetweenStepsMeetsItAndComesBack) {
    for (const double side : {1.0, -1.0}) {  // of the wall; behind the ball, it is thrown back
        World world(Vector3d(0, 0, 0));
        SimBody& ball = world.Add(true, "Ball", SimMode::Free, {}, {90, 0, 0}, {1, 1, 1}, 0.3);
        world.Add(true, "Wall", SimMode::Fixed, {side * 0.7, 0, 0}, {}, {0.1, 2, 2});
        if (side < 0) {
            SimBody& big = world.Add(true, "Big", SimMode::Free, {1.301, 0, 0}, {}, {1, 1, 1}, 1);
            big.squash_rate = 0.5, ball.max_squash = 1, ball.stretch_rate = 0;
        }
        world.sim.Reset();
        for (int step = 0; step < 10; ++step) {
            ASSERT_TRUE(world.sim.Step(1.0 / 60));
            ASSERT_LT(side * ball.state.position.x, 0.31) << "through the wall at step " << step;
        }
        EXPECT_NE(world.events.find("+Ball/Wall "), std::string::npos) << world.events;
        EXPECT_TRUE(side < 0 || ball.state.velocity.x < -80.0) << "back as fast as it came";
    }
}

TEST(Soak, BallInAClosedBoxNeverSinksIntoAWallOrLeavesTheRoom) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        TestRandom random(seed);
        SCOPED_TRACE(random.Trace() + (seed <= 10 ? " with gravity" : " without gravity"));
        World world(Vector3d(0, 0, seed <= 10 ? -9.8 : 0));
        const Vector3d start = random.In_Box(1.3);
        SimBody& ball =
            world.Add(true, "Ball", SimMode::Free, start, random.In_Box(12), {1, 1, 1}, 0.3);
        ball.restitution = random.Uniform(0.6, 1.0);
        for (const Vector3d& axis : {Vector3d(1, 0, 0), Vector3d(0, 1, 0), Vector3d(0, 0, 1)}) {
            for (double side : {-1.0, 1.0}) {  // walls 0.5 thick around a room of half-size 2
                world.Add(true, "Wall", SimMode::Fixed, side * 2.5 * axis, {},
                          Vector3d(3, 3, 3) - 2.5 * axis);
            }
        }
        world.sim.Reset();
        for (int step = 0; step < 3000; ++step) {
            ASSERT_TRUE(world.sim.Step(random.Uniform(0.5, 1.5) / 60));
            for (int wall = 1; wall <= 6; ++wall) {
                Collision& c = world.Record(0, wall);
                ASSERT_TRUE(world.sim.contacts.count(Pair_Key(c)) == 1 || !Query_Pair(c))
                    << "ball sunk into wall " << wall << " at step " << step;
            }
            const Vector3d& at = ball.state.position;
            ASSERT_LT(std::max({std::fabs(at.x), std::fabs(at.y), std::fabs(at.z)}), 2.0)
                << "ball left the room at step " << step;
        }
    }
}

// The broad phase against brute force, over random boxes of any turn and size, fixed and free,
// some fixed ones moved between steps: every pair whose exact boxes (from the world vertices)
// overlap is near, no pair of two fixed bodies is, and none whose boxes lie more than 2 apart is
// (a free box of half-size up to 1 grows by about half its size). A box squashed flat has no shape
// the query can take apart, and is near everything.
TEST(BroadPhase, FindsEveryPairWhoseBoxesOverlapAndNoneFarApart) {
    TestRandom random(20261207);
    std::vector<std::unique_ptr<SimBody>> bodies;
    std::vector<SimObject*> active;
    for (int i = 0; i < 40; ++i) {
        const SimMode mode = i % 3 == 0 ? SimMode::Free : SimMode::Fixed;
        bodies.push_back(std::make_unique<SimBody>("Box", mode, random.In_Box(6)));
        bodies.back()->Set_Sim_Index(i);
        active.push_back(bodies.back().get());
    }
    BroadPhase broad;
    for (int round = 0; round < 20; ++round, broad.Check_Placements()) {
        for (auto& body : bodies) {  // the box flat last round among those placed anew
            if (round == 0 || &body == &bodies[round - 1] || random.Uniform(0, 1) < 0.3) {
                body->new_state.orientation = random.Rotation();
                body->new_state.scale = {random.Uniform(0.1, 1), random.Uniform(0.1, 1), 0.5};
                body->new_state.position = random.In_Box(6);
            }
        }
        if (round % 2 == 0) {  // flat along x, y or z in turn
            (&bodies[round]->new_state.scale.x)[round / 2 % 3] = 0.0;
        }
        // A fixed box moved along z alone, by turns far above the free box 0 and right on it.
        bodies[1]->new_state.position =
            bodies[0]->new_state.position + Vector3d(0, 0, round % 2 * 20);
        std::vector<std::pair<Vector3d, Vector3d>> box;
        for (const auto& body : bodies) {
            const SimState& s = body->new_state;
            const Matrix4d m = World_Transform({s.position, s.orientation, s.scale});
            Vector3d lo(1e9, 1e9, 1e9), hi(-1e9, -1e9, -1e9);
            for (const PolyVertex& v : body->polyhedron->vertices) {
                const Vector3d w = m.Transform_Point(v.position);
                lo = {std::min(lo.x, w.x), std::min(lo.y, w.y), std::min(lo.z, w.z)};
                hi = {std::max(hi.x, w.x), std::max(hi.y, w.y), std::max(hi.z, w.z)};
            }
            box.emplace_back(lo, hi);
        }
        std::set<std::pair<int, int>> near;
        for (const NearPair& p : broad.Near_Pairs(active, 0.0)) {
            near.insert({p.first, p.second});
        }
        for (int i = 0; i < 40; ++i) {
            for (int j = i + 1; j < 40; ++j) {
                const bool fixed = i % 3 != 0 && j % 3 != 0, flat = i == round || j == round;
                double apart = 0;  // the largest gap between the boxes along an axis
                for (const auto& [a, b] : {std::pair{box[i], box[j]}, std::pair{box[j], box[i]}}) {
                    apart = std::max({apart, b.first.x - a.second.x, b.first.y - a.second.y,
                                      b.first.z - a.second.z});
                }
                const bool expected = !fixed && (apart <= 0 || (flat && round % 2 == 0));
                if (expected || fixed || apart > 2) {
                    EXPECT_EQ(near.count({i, j}), expected)
                        << "round " << round << ", " << i << " and " << j << " apart " << apart;
                }
            }
        }
    }
}
