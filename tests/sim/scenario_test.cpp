// Whole-simulation scenarios, each checked against figures worked out independently of the code.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "sim/cartoon_response.h"
#include "sim/collision.h"
#include "sim/tovrel.h"
#include "sim_bodies.h"
#include "support/approx.h"

namespace {

constexpr double kRadius = 0.3;
constexpr double kTick = 1.0 / 60;
const Vector3d kGravity(0, 0, -9.8);

// The ball's state as the callbacks saw it.
struct Moment {
    std::string event;
    double time;
    SimState ball;
    Collision contact;
};

struct Stage {
    Stage(const Vector3d& start, const Vector3d& velocity, const Vector3d& gravity)
        : ball(kRadius, start, velocity), floor("Floor", Vector3d(0, 0, -1), Vector3d(20, 20, 1)) {
        sim.gravity = gravity;
        sim.on_collision = [](Collision* c, void* user) {
            static_cast<Stage*>(user)->Note("+", *c);
        };
        sim.on_collision_user = this;
        sim.on_separation = [](Collision* c, void* user) {
            static_cast<Stage*>(user)->Note("-", *c);
        };
        sim.on_separation_user = this;
        sim.Add_Object(&ball, true);
        sim.Add_Object(&floor, true);
    }

    void Note(const char* sign, const Collision& c) {
        moments.push_back({sign + std::string(c.body_b->name), sim.time, ball.state, c});
    }

    // The lowest point of the falling ball: its local x axis hangs straight down, stretched.
    static double Bottom(const SimState& s) { return s.position.z - kRadius * s.scale.x; }

    TestBall ball;
    TestBox floor;
    Tovrel sim;
    std::vector<Moment> moments;
};

// Free fall from rest at height z0 until the stretched ball's bottom reaches z = 0, solved by
// bisection on the closed-form motion: z0 - g t^2 / 2 - r k(g t) = 0.
double Predicted_Contact_Time(double z0) {
    auto bottom = [&](double t) {
        return z0 - 4.9 * t * t - kRadius * SimObject::Stretch_Factor(9.8 * t, 1.9, 0.25);
    };
    double lo = 0.0, hi = 10.0;
    for (int i = 0; i < 200; ++i) {
        const double mid = (lo + hi) / 2;
        (bottom(mid) > 0 ? lo : hi) = mid;
    }
    return lo;
}

}  // namespace

TEST(Scenario, DroppedBallMeetsTheFloorWhenFreeFallSaysAndLeavesMirrored) {
    Stage stage(Vector3d(0, 0, 3), Vector3d(), kGravity);
    stage.sim.Reset();
    std::vector<double> stretch_during_contact;
    while (stage.moments.size() < 2 && stage.sim.time < 5.0) {
        stage.sim.Step(kTick / 10);
        if (stage.moments.size() == 1) {
            stretch_during_contact.push_back(stage.ball.state.scale.x);
        }
    }
    ASSERT_EQ(stage.moments.size(), 2u);
    const Moment& hit = stage.moments[0];
    const Moment& leave = stage.moments[1];

    const double predicted = Predicted_Contact_Time(3.0);
    EXPECT_NEAR(predicted, 0.7183, 1e-3);  // sqrt(2 (3 - 0.3 k) / 9.8) with k(7.04) = 1.574
    EXPECT_GE(hit.time, predicted);
    EXPECT_LE(hit.time, predicted + 0.001);
    // The committed state is the colliding probe's: touching, sunk by less than 1 ms of travel.
    EXPECT_EQ(hit.ball.time, hit.time);
    EXPECT_LE(Stage::Bottom(hit.ball), 0.0);
    EXPECT_GE(Stage::Bottom(hit.ball), -0.001 * 9.8 * hit.time);

    const double impact_speed = -hit.ball.velocity.z;
    EXPECT_NEAR(impact_speed, 9.8 * hit.time, 1e-9);
    EXPECT_NEAR(leave.ball.velocity.z, impact_speed, 1e-12);
    EXPECT_NEAR(leave.ball.velocity.x, 0.0, 1e-12);
    EXPECT_NEAR(leave.time - hit.time, leave.contact.squash_time + leave.contact.release_time,
                1e-12);

    // Stretch: from the impact stretch down to the squash and back up to the release stretch.
    const Collision& c = leave.contact;
    EXPECT_NEAR(c.impact_stretch, SimObject::Stretch_Factor(impact_speed, 1.9, 0.25), 1e-12);
    EXPECT_NEAR(leave.ball.scale.x, c.release_stretch, 1e-12);
    ASSERT_GT(stretch_during_contact.size(), 20u);
    EXPECT_LE(stretch_during_contact.front(), c.impact_stretch);
    double lowest = 10.0;
    for (double s : stretch_during_contact) {
        lowest = std::min(lowest, s);
    }
    EXPECT_NEAR(lowest, c.squash_scale, 0.01);
    EXPECT_LT(c.squash_scale, 0.7);
}

TEST(Scenario, TenBouncesKeepTheirHeight) {
    Stage stage(Vector3d(0, 0, 3), Vector3d(), kGravity);
    stage.sim.Reset();
    std::vector<double> apexes;
    double previous_vz = 0.0, highest = 0.0;
    while (apexes.size() < 10 && stage.sim.time < 30.0) {
        stage.sim.Step(kTick);
        const SimState& s = stage.ball.state;
        highest = std::max(highest, s.position.z);
        if (previous_vz > 0 && s.velocity.z <= 0) {
            apexes.push_back(highest);
        }
        if (s.velocity.z < 0) {
            highest = 0.0;
        }
        previous_vz = s.velocity.z;
    }
    ASSERT_EQ(apexes.size(), 10u);
    std::string figures;
    for (double apex : apexes) {
        figures += " " + std::to_string(apex);
        EXPECT_NEAR(apex, 3.0, 0.05 * 3.0);
    }
    RecordProperty("apexes", figures);
    std::printf("apex heights of the ball's centre after each bounce (dropped from 3):%s\n",
                figures.c_str());
}

TEST(Scenario, ObliqueBounceTurnsTheStretchAxisOntoTheNewDirection) {
    Stage stage(Vector3d(-2, 0, 1), Vector3d(7, 0, -7), Vector3d(0, 0, 0));
    stage.sim.Reset();
    while (stage.moments.size() < 2 && stage.sim.time < 2.0) {
        stage.sim.Step(kTick);
    }
    ASSERT_EQ(stage.moments.size(), 2u);
    const Moment& leave = stage.moments[1];
    EXPECT_NEAR(leave.contact.spin_angle, 90.0, 1e-9);
    EXPECT_TRUE(Near(leave.ball.velocity, Vector3d(7, 0, 7), 1e-12));
    Vector3d along = leave.ball.velocity * (1.0 / leave.ball.velocity.Length());
    if (!leave.ball.stretch_forward) {
        along = -along;
    }
    EXPECT_TRUE(Near(leave.ball.orientation.Rotate(Vector3d(1, 0, 0)), along, 1e-9));
}

TEST(Scenario, BallSquashedIntoACornerWaitsThenBouncesOffTheWall) {
    // Falling straight onto the floor beside a wall: squashed, the ball widens into the wall.
    Stage stage(Vector3d(0, 0, 0.6), Vector3d(0, 0, -10), Vector3d(0, 0, 0));
    TestBox wall("Wall", Vector3d(1.36, 0, 0), Vector3d(1, 5, 5));
    stage.sim.Add_Object(&wall, true);
    stage.sim.Reset();
    Collision* floor_contact = stage.sim.pair_table->At(0, 1);
    Collision* wall_contact = stage.sim.pair_table->At(0, 2);

    int steps_waiting = 0;
    while (stage.moments.size() < 3 && stage.sim.time < 2.0) {
        stage.sim.Step(kTick / 10);
        if (stage.sim.contacts.size() == 2 && stage.moments.size() == 1) {
            ++steps_waiting;
            EXPECT_TRUE(wall_contact->secondary);
            EXPECT_FALSE(floor_contact->secondary);
            EXPECT_EQ(stage.sim.contact_queue.Top(), floor_contact);
            EXPECT_EQ(stage.ball.collisions.front(), wall_contact);
            // Found sunk into the wall, then pushed back out sideways while the floor contact runs.
            if (steps_waiting > 1) {
                EXPECT_FALSE(Query_Pair(*wall_contact))
                    << "sunk into the wall at " << stage.sim.time;
            }
        }
    }
    EXPECT_GT(steps_waiting, 10);
    ASSERT_EQ(stage.moments.size(), 3u);
    EXPECT_EQ(stage.moments[0].event, "+Floor");
    EXPECT_EQ(stage.moments[1].event, "-Floor");
    EXPECT_EQ(stage.moments[2].event, "+Wall");
    EXPECT_EQ(stage.moments[1].time, stage.moments[2].time);
    EXPECT_FALSE(wall_contact->secondary);
    EXPECT_EQ(wall_contact->start_time, stage.moments[2].time);
    EXPECT_EQ(stage.sim.contact_queue.Top(), wall_contact);
}

TEST(Scenario, WaitingContactWithABodyAlreadyLeftIsFlat) {
    // As above, but drifting away from the wall: when the wall contact takes over, the ball is
    // already leaving the wall, so that contact ends at once and the velocity stays as it was.
    Stage stage(Vector3d(0, 0, 0.6), Vector3d(-1, 0, -10), Vector3d(0, 0, 0));
    TestBox wall("Wall", Vector3d(1.3, 0, 0), Vector3d(1, 5, 5));
    stage.sim.Add_Object(&wall, true);
    stage.sim.Reset();
    while (stage.moments.size() < 4 && stage.sim.time < 2.0) {
        stage.sim.Step(kTick);
    }
    ASSERT_EQ(stage.moments.size(), 4u);
    EXPECT_EQ(stage.moments[2].event, "+Wall");
    EXPECT_EQ(stage.moments[3].event, "-Wall");
    EXPECT_EQ(stage.moments[2].time, stage.moments[3].time);
    EXPECT_EQ(stage.moments[3].contact.spin_angle, 0.0);
    EXPECT_EQ(stage.moments[3].contact.squash_time + stage.moments[3].contact.release_time, 0.0);
    EXPECT_TRUE(Near(stage.moments[3].ball.velocity, stage.moments[1].ball.velocity, 0.0));
    EXPECT_TRUE(Near(stage.moments[3].ball.velocity, Vector3d(-1, 0, 10), 1e-12));
}
