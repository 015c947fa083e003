// Long randomised runs of a ball in a closed box: after every committed step, no pair outside
// the contact map interpenetrates, and the ball stays in the room.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "sim/collision.h"
#include "sim/tovrel.h"
#include "sim_bodies.h"
#include "support/random.h"

namespace {

constexpr double kHalfRoom = 2.0;  // inner half-size of the box

std::string Describe(Tovrel& sim, SimObject& ball) {
    std::ostringstream out;
    const SimState& s = ball.state;
    out << " pos " << s.position.x << "," << s.position.y << "," << s.position.z << " v "
        << s.velocity.x << "," << s.velocity.y << "," << s.velocity.z << " scale " << s.scale.x
        << " t " << sim.time << "\n";
    for (Collision* c : ball.collisions) {
        out << "  contact wall " << c->body_b->sim_index << " secondary " << c->secondary
            << " start " << c->start_time << " end " << c->end_time << " n " << c->normal.x << ","
            << c->normal.y << "," << c->normal.z << " touching " << Query_Pair(*c) << "\n";
    }
    return out.str();
}

void Run_Ball_In_A_Box(unsigned seed, bool gravity_on, int steps) {
    TestRandom random(seed);
    SCOPED_TRACE(random.Trace() + (gravity_on ? " with gravity" : " without gravity"));

    const double wall = 0.5;
    const double centre = kHalfRoom + wall;
    std::vector<std::unique_ptr<TestBox>> walls;
    for (int axis = 0; axis < 3; ++axis) {
        for (double side : {-1.0, 1.0}) {
            Vector3d position,
                half(kHalfRoom + 2 * wall, kHalfRoom + 2 * wall, kHalfRoom + 2 * wall);
            (axis == 0 ? position.x : axis == 1 ? position.y : position.z) = side * centre;
            (axis == 0 ? half.x : axis == 1 ? half.y : half.z) = wall;
            walls.push_back(std::make_unique<TestBox>("Wall", position, half));
        }
    }
    const double margin = kHalfRoom - 0.7;
    CartoonParameters p;
    p.restitution = random.Uniform(0.6, 1.0);
    TestBall ball(0.3, random.In_Box(margin), random.In_Box(12.0), p);

    Tovrel sim;
    sim.gravity = gravity_on ? Vector3d(0, 0, -9.8) : Vector3d(0, 0, 0);
    sim.Add_Object(&ball, true);
    for (auto& w : walls) {
        sim.Add_Object(w.get(), true);
    }
    sim.Reset();

    for (int step = 0; step < steps; ++step) {
        ASSERT_TRUE(sim.Step(random.Uniform(0.5, 1.5) / 60));
        for (size_t i = 1; i <= walls.size(); ++i) {
            Collision* c = sim.pair_table->At(0, static_cast<int>(i));
            if (sim.contacts.count(Pair_Key(*c)) == 0) {
                ASSERT_FALSE(Query_Pair(*c))
                    << "ball sunk into wall " << i << " at step " << step << ", time " << sim.time;
            }
        }
        const Vector3d& at = ball.state.position;
        ASSERT_LT(std::max({std::fabs(at.x), std::fabs(at.y), std::fabs(at.z)}), kHalfRoom)
            << "ball left the room at step " << step << Describe(sim, ball);
    }
}

}  // namespace

TEST(Soak, BallInAClosedBoxWithGravity) {
    for (unsigned seed = 1; seed <= 10; ++seed) {
        Run_Ball_In_A_Box(seed, true, 3000);
    }
}

TEST(Soak, BallInAClosedBoxWithoutGravity) {
    for (unsigned seed = 11; seed <= 20; ++seed) {
        Run_Ball_In_A_Box(seed, false, 3000);
    }
}
