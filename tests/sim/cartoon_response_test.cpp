// The cartoon response's timetable and push-out, against figures worked out by hand.
#include "sim/cartoon_response.h"

#include <gtest/gtest.h>

#include <cmath>

#include "sim/collision.h"
#include "sim/tovrel.h"
#include "sim_bodies.h"
#include "support/approx.h"

namespace {

const Vector3d kNoGravity(0, 0, 0);

// A ball of radius 1 (half extent 1) on a floor whose top is z = 0; the ball is body A, so the
// record's normal, from A to B, points down.
struct BallOnFloor {
    explicit BallOnFloor(const Vector3d& velocity, const CartoonParameters& p = CartoonParameters(),
                         const Vector3d& position = Vector3d(0, 0, 1.0005))
        : ball(1.0, position, velocity, p),
          floor("Floor", Vector3d(0, 0, -1), Vector3d(10, 10, 1)) {
        sim.gravity = kNoGravity;
        sim.Add_Object(&ball, true);
        sim.Add_Object(&floor, true);
        sim.Reset();
        contact = sim.pair_table->At(0, 1);
        contact->normal = Vector3d(0, 0, -1);
        contact->point_a = Vector3d(position.x, position.y, 0);
    }

    TestBall ball;
    TestBox floor;
    Tovrel sim;
    Collision* contact;
};

}  // namespace

TEST(CartoonResponse, HeadOnBounceAtSpeedTen) {
    BallOnFloor pair(Vector3d(0, 0, -10));
    EXPECT_EQ(pair.ball.half_extent, 1.0);
    const bool forward = pair.ball.state.stretch_forward;
    Start_Response(*pair.contact, 2.0);
    const Collision& c = *pair.contact;
    // impact stretch (10 * 1.9 * 0.25 + 1) / (10 * 0.25 + 1) = 5.75 / 3.5
    EXPECT_NEAR(c.impact_stretch, 1.642857, 1e-6);
    // 1 - (1 - 0.45) * (1.642857 / 1.9)
    EXPECT_NEAR(c.squash_scale, 0.524436, 1e-6);
    // (1.642857 - 0.524436) * pi / (1 * 10 * 2)
    EXPECT_NEAR(c.squash_time, 0.175681, 1e-6);
    EXPECT_NEAR(c.release_time, 0.175681, 1e-6);
    EXPECT_EQ(c.release_speed, 10.0);
    EXPECT_NEAR(c.release_stretch, c.impact_stretch, 1e-15);
    EXPECT_FALSE(c.resting);
    EXPECT_EQ(c.spin_angle, 0.0);
    EXPECT_EQ(c.start_time, 2.0);
    EXPECT_NEAR(c.end_time - c.start_time, c.squash_time + c.release_time, 1e-15);
    EXPECT_TRUE(Near(pair.ball.state.velocity, Vector3d(0, 0, 10), 1e-12));
    EXPECT_NE(pair.ball.state.stretch_forward, forward);
}

TEST(CartoonResponse, StretchCurveRunsImpactSquashReleaseContinuously) {
    BallOnFloor pair(Vector3d(0, 0, -10));
    Start_Response(*pair.contact, 0.0);
    const Collision& c = *pair.contact;
    EXPECT_NEAR(Scale_At(c, 0.0), c.impact_stretch, 1e-15);
    EXPECT_NEAR(Scale_At(c, c.squash_time), c.squash_scale, 1e-15);
    EXPECT_NEAR(Scale_At(c, c.squash_time + c.release_time), c.release_stretch, 1e-12);
    double previous = Scale_At(c, 0.0);
    for (int i = 1; i <= 100; ++i) {
        const double tau = (c.squash_time + c.release_time) * i / 100;
        const double s = Scale_At(c, tau);
        if (tau <= c.squash_time) {
            EXPECT_LT(s, previous);
        } else {
            EXPECT_GT(s, previous);
        }
        previous = s;
    }
}

TEST(CartoonResponse, FullMaxSquashMeansNoSquash) {
    CartoonParameters stiff;
    stiff.max_squash = 1.0;
    BallOnFloor pair(Vector3d(0, 0, -10), stiff);
    Start_Response(*pair.contact, 0.0);
    EXPECT_EQ(pair.contact->squash_scale, 1.0);
}

TEST(CartoonResponse, ObliqueImpactTurnsTwiceTheAngleToTheNormal) {
    BallOnFloor pair(Vector3d(7, 0, -7));
    Start_Response(*pair.contact, 0.0);
    EXPECT_NEAR(pair.contact->spin_angle, 90.0, 1e-12);
    // About N x U: (0, 0, 1) x (1, 0, -1) / sqrt 2 lies along +y.
    EXPECT_TRUE(Near(pair.contact->spin_axis, Vector3d(0, 1, 0), 1e-15));
    EXPECT_TRUE(Near(pair.ball.state.velocity, Vector3d(7, 0, 7), 1e-12));
}

TEST(CartoonResponse, SlowImpactIsARest) {
    BallOnFloor pair(Vector3d(0, 0, -0.5));
    Start_Response(*pair.contact, 1.0);
    const Collision& c = *pair.contact;
    EXPECT_TRUE(c.resting);
    EXPECT_TRUE(Near(pair.ball.state.velocity, Vector3d(0, 0, 0), 0.0));
    // impact stretch (0.5 * 1.9 * 0.25 + 1) / (0.5 * 0.25 + 1) = 1.1; squash 1 - 0.55 * 1.1 / 1.9
    EXPECT_NEAR(c.impact_stretch, 1.1, 1e-15);
    EXPECT_NEAR(c.squash_scale, 1 - 0.55 * 1.1 / 1.9, 1e-15);
    EXPECT_NEAR(c.squash_time, (1.1 - c.squash_scale) * M_PI / (0.5 * 2), 1e-12);
    EXPECT_EQ(c.release_stretch, 1.0);
    EXPECT_EQ(c.release_time, c.squash_time);
    EXPECT_EQ(c.release_speed, 0.0);
    EXPECT_NEAR(c.end_time, 1.0 + 2 * c.squash_time, 1e-12);
}

TEST(CartoonResponse, SlowImpactWhileMovingApartSquashesForAQuarterSecondOverTheRate) {
    CartoonParameters quick;
    quick.squash_rate = 2.0;
    BallOnFloor pair(Vector3d(0, 0, 0.5), quick);
    Start_Response(*pair.contact, 0.0);
    EXPECT_TRUE(pair.contact->resting);
    EXPECT_EQ(pair.contact->squash_time, 0.125);
}

TEST(CartoonResponse, ContactWhileMovingApartIsFlatAndEndsAtOnce) {
    BallOnFloor pair(Vector3d(1, 0, 5));
    Start_Response(*pair.contact, 3.0);
    const Collision& c = *pair.contact;
    EXPECT_FALSE(c.resting);
    EXPECT_EQ(c.end_time, 3.0);
    EXPECT_EQ(c.squash_time + c.release_time, 0.0);
    EXPECT_EQ(c.spin_angle, 0.0);
    const double k = SimObject::Stretch_Factor(std::sqrt(26.0), 1.9, 0.25);
    EXPECT_EQ(c.impact_stretch, k);
    EXPECT_EQ(c.squash_scale, k);
    EXPECT_EQ(c.release_stretch, k);
    EXPECT_TRUE(Near(pair.ball.state.velocity, Vector3d(1, 0, 5), 0.0));
}

TEST(CartoonResponse, DegenerateParametersNeverGiveAnEndlessContact) {
    CartoonParameters dead;
    dead.restitution = 0.0;
    BallOnFloor stopped(Vector3d(0, 0, -10), dead);
    Start_Response(*stopped.contact, 0.0);
    EXPECT_TRUE(std::isfinite(stopped.contact->end_time));
    EXPECT_EQ(stopped.contact->release_time, stopped.contact->squash_time);
    EXPECT_EQ(stopped.contact->release_stretch, 1.0);
    EXPECT_TRUE(Near(stopped.ball.state.velocity, Vector3d(0, 0, 0), 0.0));

    CartoonParameters rigid;  // "Stretch Rate" at 0 also sets the squash rate to 0
    rigid.stretch_rate = 0.0;
    rigid.squash_rate = 0.0;
    for (const Vector3d& velocity :
         {Vector3d(0, 0, -10), Vector3d(0, 0, -0.5), Vector3d(0, 0, 0.5)}) {
        BallOnFloor pair(velocity, rigid);
        Start_Response(*pair.contact, 1.0);
        EXPECT_EQ(pair.contact->end_time, 1.0);
    }
}

TEST(CartoonResponse, DrivenPartnerCountsInTheApproach) {
    // A paddle rising at 3 under a ball falling at 0.5: the ball's own speed makes it a rest.
    TestBall ball(0.3, Vector3d(0, 0, 0.4), Vector3d(0, 0, -0.5));
    TestBox paddle("Paddle", Vector3d(0, 0, 0), Vector3d(1, 1, 0.1), SimMode::Driven);
    paddle.initial_state.velocity = paddle.state.velocity = Vector3d(0, 0, 3);
    Tovrel sim;
    sim.Add_Object(&ball, true);
    sim.Add_Object(&paddle, true);
    sim.Reset();
    Collision& c = *sim.pair_table->At(0, 1);
    c.normal = Vector3d(0, 0, -1);
    Start_Response(c, 0.0);
    EXPECT_TRUE(c.resting);
    EXPECT_GT(c.squash_time, 0.25);  // not the moving-apart duration: they approach at 3.5
}

TEST(CartoonResponse, UpdateLeavesTheBodyJustTouchingAlongTheNormal) {
    BallOnFloor pair(Vector3d(3, 0, -10), CartoonParameters(), Vector3d(0, 0, 0.9));
    Start_Response(*pair.contact, 0.0);
    const Collision& c = *pair.contact;
    for (double t : {0.0, 0.05, c.squash_time, c.squash_time + 0.1, c.end_time}) {
        SCOPED_TRACE(t);
        Update_Contact(*pair.contact, t, kNoGravity);
        EXPECT_EQ(pair.ball.new_state.time, t);
        EXPECT_EQ(pair.floor.new_state.time, t);
        EXPECT_NEAR(pair.ball.new_state.scale.x, Scale_At(c, t), 1e-15);
        EXPECT_FALSE(Query_Pair(*pair.contact));
        pair.ball.new_state.position.z -= 0.001;
        EXPECT_TRUE(Query_Pair(*pair.contact));
    }
}
