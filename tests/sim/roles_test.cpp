// Fixed and driven bodies keep their roles in contacts: scenarios in small scenes.
#include <gtest/gtest.h>

#include <cmath>

#include "sim/collision.h"
#include "sim/tovrel.h"
#include "sim_bodies.h"

namespace {

// A box carried along at its committed velocity, as the paddle is.
struct DrivenBox : TestBox {
    DrivenBox(const Vector3d& position, const Vector3d& velocity, const Vector3d& half_size)
        : TestBox("Driven", position, half_size, SimMode::Driven) {
        initial_state.velocity = state.velocity = velocity;
    }
    void Get_State_At(double t, const Vector3d&, SimState& out) override {
        out = state;
        out.position = state.position + (t - state.time) * state.velocity;
        out.time = t;
    }
};

void Run_For(Tovrel& sim, double seconds) {
    for (int i = 0; i < static_cast<int>(std::lround(seconds * 60)); ++i) {
        ASSERT_TRUE(sim.Step(1.0 / 60));
    }
}

// The paddle's case: 3.6 units a second along +x into a ball resting 2 units ahead of its face.
TEST(Roles, ADrivenBodyCarriesOnThroughARestingOneAndKnocksItAway) {
    const double speed = 3.6;
    DrivenBox paddle({-3, 0, 0}, {speed, 0, 0}, {1, 1, 0.2});
    TestBall ball(0.3, {0.3, 0, 0}, {});
    ball.initial_state.mode = SimMode::Resting;
    Tovrel sim;
    sim.gravity = Vector3d();
    sim.Add_Object(&ball, true);
    sim.Add_Object(&paddle, true);
    sim.Reset();
    Run_For(sim, 2.0);
    // The paddle's own motion says -3 + 2 x 3.6 = 4.2, untouched by the contact.
    EXPECT_NEAR(paddle.state.position.x, -3 + 2 * speed, 1e-9);
    EXPECT_EQ(paddle.state.velocity.x, speed);
    EXPECT_EQ(ball.state.mode, SimMode::Free);
    EXPECT_GE(ball.state.velocity.x, speed);
    EXPECT_GT(ball.state.position.x, paddle.state.position.x + 1.0 + 0.3);
}

TEST(Roles, AFreeBodyStartingInsideAFixedOneComesOutWithinTheStep) {
    TestBox floor("Floor", {0, 0, -1}, {5, 5, 1});
    TestBall ball(0.3, {0.2, 0.1, -0.1}, {1, 0, 0});
    Tovrel sim;
    sim.Add_Object(&ball, true);
    sim.Add_Object(&floor, true);
    sim.Reset();
    for (int tick = 0; tick < 120; ++tick) {
        ASSERT_TRUE(sim.Step(1.0 / 60));
        const Quaternion& q = ball.state.orientation;
        ASSERT_NEAR(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z, 1.0, 1e-9) << "tick " << tick;
    }
    // Out above the floor's top at z = 0, by the ball's radius less its squash at most.
    EXPECT_GT(ball.state.position.z, 0.0);
}

// Two balls squeezed between two walls, every pair touching at the first probe: the contact of
// the balls comes first and the two wall contacts wait behind it, one on each ball. When it ends
// each ball must take up its own waiting contact; a ball left with waiting contacts alone would
// hang in the air until a Reset.
TEST(Roles, WhenASharedContactEndsEachBallTakesUpItsWaitingOne) {
    TestBall a(0.3, {-0.29, 0, 1}, {3, 0, 0});
    TestBall b(0.3, {0.29, 0, 1}, {-3, 0, 0});
    TestBox left("Left", {-1.5, 0, 1}, {1, 1, 2});
    TestBox right("Right", {1.5, 0, 1}, {1, 1, 2});
    TestBox floor("Floor", {0, 0, -1}, {3, 3, 1});
    Tovrel sim;
    for (SimObject* body : std::initializer_list<SimObject*>{&a, &b, &left, &right, &floor}) {
        sim.Add_Object(body, true);
    }
    sim.Reset();
    int waits = 0;
    for (int tick = 0; tick < 180; ++tick) {
        ASSERT_TRUE(sim.Step(1.0 / 60));
        for (const TestBall* ball : {&a, &b}) {
            bool primary = ball->collisions.empty();
            for (const Collision* c : ball->collisions) {
                primary = primary || !c->secondary;
                waits += c->secondary;
            }
            ASSERT_TRUE(primary) << ball->name << " has only waiting contacts at tick " << tick;
        }
    }
    EXPECT_GT(waits, 0) << "the scene never made a contact wait";
}

}  // namespace
