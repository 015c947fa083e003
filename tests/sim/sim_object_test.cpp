#include "sim/sim_object.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/approx.h"
#include "support/shapes.h"

namespace {

const Vector3d kGravity(0, 0, -9.8);

// A box body with the shape built, as the concrete bodies do.
struct BoxBody : SimObject {
    explicit BoxBody(SimMode mode = SimMode::Free) : SimObject("Box") {
        polyhedron = Make_Box();
        Compute_Half_Extent();
        initial_state.mode = mode;
        state = initial_state;
    }
};

// A driven body that moves at a constant 2 units per second along x.
struct Conveyor : BoxBody {
    Conveyor() : BoxBody(SimMode::Driven) {}
    void Get_State_At(double t, const Vector3d&, SimState& out) override {
        out = state;
        out.position = state.position + (t - state.time) * Vector3d(2, 0, 0);
        out.time = t;
    }
};

Vector3d Local_X(const SimState& s) {
    return s.orientation.Rotate(Vector3d(1, 0, 0));
}

}  // namespace

TEST(SimState, DefaultsToAFixedUnitBodyAtTheOrigin) {
    const SimState s;
    EXPECT_EQ(s.mode, SimMode::Fixed);
    EXPECT_EQ(s.time, 0.0);
    EXPECT_TRUE(Near(s.scale, Vector3d(1, 1, 1), 0.0));
    EXPECT_EQ(s.orientation.w, 1.0);
    EXPECT_TRUE(s.stretch_forward);
    EXPECT_EQ(static_cast<int>(SimMode::Free), 0);
    EXPECT_EQ(static_cast<int>(SimMode::Driven), 3);
}

TEST(SimObject, StretchFactorIsOneAtRestAndApproachesMaxStretch) {
    for (double max_stretch : {1.0, 1.9, 3.0}) {
        EXPECT_EQ(SimObject::Stretch_Factor(0.0, max_stretch, 0.25), 1.0);
        EXPECT_NEAR(SimObject::Stretch_Factor(1e9, max_stretch, 0.25), max_stretch, 1e-8);
        EXPECT_EQ(SimObject::Stretch_Factor(50.0, max_stretch, 0.0), 1.0);
    }
    // (10 * 1.9 * 0.25 + 1) / (10 * 0.25 + 1) = 5.75 / 3.5
    EXPECT_NEAR(SimObject::Stretch_Factor(10.0, 1.9, 0.25), 5.75 / 3.5, 1e-15);
}

TEST(SimObject, OrientToMotionTurnsLocalXAlongTheVelocityAndStretches) {
    SimState s;
    s.velocity = Vector3d(7, 0, -7);
    SimObject::Orient_To_Motion(s, 1.9, 0.25, kGravity);
    EXPECT_TRUE(Near(Local_X(s), Vector3d(1, 0, -1) * (1 / std::sqrt(2.0)), 1e-15));
    // A turn of 45 degrees about +y.
    EXPECT_TRUE(
        Same_Rotation(s.orientation, Quaternion::From_Axis_Angle(45.0, Vector3d(0, 1, 0)), 1e-15));
    const double speed = 7 * std::sqrt(2.0);
    const double k = (speed * 1.9 * 0.25 + 1) / (speed * 0.25 + 1);
    EXPECT_NEAR(k, 1.640998, 1e-6);
    EXPECT_TRUE(Near(s.scale, Vector3d(k, 1 / std::sqrt(k), 1 / std::sqrt(k)), 1e-15));

    // Against the motion when the flag says so: local x points back along the velocity.
    SimState backwards;
    backwards.velocity = Vector3d(0, 3, 0);
    backwards.stretch_forward = false;
    SimObject::Orient_To_Motion(backwards, 1.9, 0.25, kGravity);
    EXPECT_TRUE(Near(Local_X(backwards), Vector3d(0, -1, 0), 1e-15));

    // At a standstill the axis hangs along gravity and the body is unstretched.
    SimState still;
    SimObject::Orient_To_Motion(still, 1.9, 0.25, kGravity);
    EXPECT_TRUE(Near(Local_X(still), Vector3d(0, 0, -1), 1e-15));
    EXPECT_TRUE(Near(still.scale, Vector3d(1, 1, 1), 0.0));

    // Already aligned, or exactly opposite: the orientation is left alone.
    SimState aligned;
    aligned.velocity = Vector3d(-4, 0, 0);
    SimObject::Orient_To_Motion(aligned, 1.9, 0.25, kGravity);
    EXPECT_TRUE(Same_Rotation(aligned.orientation, Quaternion(), 0.0));
}

TEST(SimObject, IntegrateFollowsTheParabolaAndFlipsTheStretchFlagAtTheApex) {
    BoxBody body;
    body.max_stretch = 1.9;
    body.stretch_rate = 0.25;
    body.initial_state.velocity = Vector3d(0, 0, 5);
    body.Reset(kGravity);
    const Quaternion upright = body.state.orientation;
    EXPECT_TRUE(Near(Local_X(body.state), Vector3d(0, 0, 1), 1e-15));

    int flips = 0;
    for (int step = 1; step <= 10; ++step) {
        const bool before = body.state.stretch_forward;
        const double vz_before = body.state.velocity.z;
        body.Integrate(0.1, kGravity);
        body.Commit();
        const double t = 0.1 * step;
        EXPECT_NEAR(body.state.time, t, 1e-12);
        EXPECT_NEAR(body.state.position.z, 5 * t - 4.9 * t * t, 1e-12);
        EXPECT_NEAR(body.state.velocity.z, 5 - 9.8 * t, 1e-12);
        const bool crossed = vz_before > 0 && body.state.velocity.z < 0;  // between 0.5 and 0.6 s
        EXPECT_EQ(body.state.stretch_forward != before, crossed) << "step " << step;
        flips += crossed;
        // Straight up or straight down, the body never turns.
        EXPECT_TRUE(Same_Rotation(body.state.orientation, upright, 1e-12)) << "step " << step;
    }
    EXPECT_EQ(flips, 1);
}

TEST(SimObject, AdvanceToIntegratesOncePerTimeAndOnlyFreeBodiesWithoutContacts) {
    BoxBody body;
    body.initial_state.velocity = Vector3d(1, 0, 0);
    body.Reset(kGravity);
    body.Advance_To(0.5, kGravity);
    const Vector3d first = body.new_state.position;
    EXPECT_NEAR(first.x, 0.5, 1e-15);
    body.state.velocity = Vector3d(100, 0, 0);  // would move it elsewhere if integrated again
    body.Advance_To(0.5, kGravity);
    EXPECT_TRUE(Near(body.new_state.position, first, 0.0));

    // In contact, the body is left for the contact update; only the time is set.
    BoxBody touching;
    touching.Reset(kGravity);
    Collision* some_contact = reinterpret_cast<Collision*>(&touching);
    touching.Add_Collision(some_contact);
    touching.Advance_To(0.25, kGravity);
    EXPECT_EQ(touching.new_state.time, 0.25);
    EXPECT_TRUE(Near(touching.new_state.position, Vector3d(), 0.0));

    Conveyor driven;
    driven.Reset(kGravity);
    driven.Advance_To(1.5, kGravity);
    EXPECT_TRUE(Near(driven.new_state.position, Vector3d(3, 0, 0), 0.0));

    BoxBody fixed(SimMode::Fixed);
    fixed.Reset(kGravity);
    fixed.new_state.position = Vector3d(9, 9, 9);
    fixed.Advance_To(1.0, kGravity);
    EXPECT_TRUE(Near(fixed.new_state.position, Vector3d(9, 9, 9), 0.0));
}

TEST(SimObject, CommitKeepsTheTriedStateOnlyForMovingModes) {
    for (SimMode mode : {SimMode::Free, SimMode::Resting, SimMode::Fixed, SimMode::Driven}) {
        BoxBody body(mode);
        body.new_state.position = Vector3d(1, 2, 3);
        body.Commit();
        const bool moves = mode == SimMode::Free || mode == SimMode::Driven;
        EXPECT_EQ(body.state.position.x, moves ? 1.0 : 0.0) << static_cast<int>(mode);
    }
}

TEST(SimObject, OnlyFreeAndRestingBodiesKeepContactLists) {
    Collision* first = reinterpret_cast<Collision*>(0x10);
    Collision* second = reinterpret_cast<Collision*>(0x20);
    for (SimMode mode : {SimMode::Fixed, SimMode::Driven}) {
        BoxBody wall(mode);
        EXPECT_FALSE(wall.Add_Collision(first));
        EXPECT_FALSE(wall.Add_Collision(second));
        EXPECT_TRUE(wall.collisions.empty());
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(wall.Remove_Collision(first));
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    }
    for (SimMode mode : {SimMode::Free, SimMode::Resting}) {
        BoxBody ball(mode);
        EXPECT_FALSE(ball.Add_Collision(first));
        EXPECT_TRUE(ball.Add_Collision(second));
        EXPECT_EQ(ball.collisions.front(), second);  // newest first
        EXPECT_TRUE(ball.Remove_Collision(second));
        EXPECT_FALSE(ball.Remove_Collision(first));
    }
}

TEST(SimObjectDeathTest, RemovingAnUnknownContactAborts) {
    BoxBody ball;
    EXPECT_DEATH(ball.Remove_Collision(reinterpret_cast<Collision*>(0x10)),
                 "SimObject::Remove_Collision: Collision not in list\n");
}

TEST(SimObject, SimIndexIsSetOnce) {
    BoxBody body;
    body.Set_Sim_Index(4);
    ::testing::internal::CaptureStderr();
    body.Set_Sim_Index(7);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "SimObject: Attempt to reset sim_index for object Box.\n");
    EXPECT_EQ(body.sim_index, 4);
}

TEST(SimObject, ResetReturnsToTheInitialStateOrientedAlongItsMotion) {
    BoxBody body;
    body.max_stretch = 1.9;
    body.stretch_rate = 0.25;
    body.initial_state.position = Vector3d(-4, 0, 5);
    body.initial_state.velocity = Vector3d(7, 0, -7);
    body.state.position = Vector3d(50, 50, 50);
    body.Add_Collision(reinterpret_cast<Collision*>(0x10));
    body.Reset(kGravity);
    EXPECT_TRUE(Near(body.state.position, Vector3d(-4, 0, 5), 0.0));
    EXPECT_TRUE(Near(Local_X(body.state), Vector3d(1, 0, -1) * (1 / std::sqrt(2.0)), 1e-15));
    EXPECT_GT(body.state.scale.x, 1.6);
    EXPECT_TRUE(Near(body.new_state.scale, body.state.scale, 0.0));
    EXPECT_TRUE(body.collisions.empty());
    // A fixed body keeps its given size rather than a stretch.
    BoxBody wall(SimMode::Fixed);
    wall.initial_state.scale = Vector3d(0.1, 1, 6);
    wall.Reset(kGravity);
    EXPECT_TRUE(Near(wall.state.scale, Vector3d(0.1, 1, 6), 0.0));
}

TEST(SimObject, HalfExtentComesFromTheShape) {
    BoxBody box;
    EXPECT_EQ(box.half_extent, 1.0);
    SimObject shapeless("Nothing");
    shapeless.Compute_Half_Extent();
    EXPECT_EQ(shapeless.half_extent, 0.0);
}
