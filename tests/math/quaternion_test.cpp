#include "math/quaternion.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/approx.h"
#include "support/random.h"

TEST(Quaternion, DefaultIsTheIdentityAndComponentsTakeTheVectorPartFirst) {
    const Quaternion identity;
    EXPECT_EQ(identity.w, 1.0);
    EXPECT_EQ(identity.x, 0.0);
    const Quaternion q(0.1, 0.2, 0.3, 0.4);
    EXPECT_EQ(q.x, 0.1);
    EXPECT_EQ(q.y, 0.2);
    EXPECT_EQ(q.z, 0.3);
    EXPECT_EQ(q.w, 0.4);
}

TEST(Quaternion, QuarterTurnAboutZ) {
    const Quaternion q = Quaternion::From_Axis_Angle(90.0, Vector3d(0, 0, 1));
    EXPECT_NEAR(q.w, std::cos(M_PI / 4), 1e-15);
    EXPECT_NEAR(q.z, std::sin(M_PI / 4), 1e-15);
    EXPECT_EQ(q.x, 0.0);
    EXPECT_EQ(q.y, 0.0);
    EXPECT_TRUE(Near(q.Rotate(Vector3d(1, 0, 0)), Vector3d(0, 1, 0), 1e-15));
}

TEST(Quaternion, ConjugateUndoesAUnitRotation) {
    EXPECT_TRUE(Same_Rotation(Quaternion().Conjugate(), Quaternion(), 0.0));
    TestRandom random(7);
    SCOPED_TRACE(random.Trace());
    for (int i = 0; i < 200; ++i) {
        const Quaternion q = random.Rotation();
        const Quaternion product = q * q.Conjugate();
        EXPECT_NEAR(product.w, 1.0, 1e-14);
        EXPECT_NEAR(product.x, 0.0, 1e-14);
        EXPECT_NEAR(product.y, 0.0, 1e-14);
        EXPECT_NEAR(product.z, 0.0, 1e-14);
    }
}

TEST(Quaternion, ProductIsNotCommutativeAndComposesRightFirst) {
    const Quaternion a = Quaternion::From_Axis_Angle(90.0, Vector3d(0, 0, 1));
    const Quaternion b = Quaternion::From_Axis_Angle(90.0, Vector3d(1, 0, 0));
    EXPECT_FALSE(Same_Rotation(a * b, b * a, 1e-6));
    // b takes +y to +z; a leaves +z alone.
    EXPECT_TRUE(Near((a * b).Rotate(Vector3d(0, 1, 0)), Vector3d(0, 0, 1), 1e-15));

    TestRandom random(8);
    SCOPED_TRACE(random.Trace());
    for (int i = 0; i < 200; ++i) {
        const Quaternion p = random.Rotation();
        const Quaternion q = random.Rotation();
        const Vector3d v = random.In_Box(5.0);
        EXPECT_TRUE(Near((p * q).Rotate(v), p.Rotate(q.Rotate(v)), 1e-12));
    }
}

TEST(Quaternion, MatrixTurnsVectorsAsRotateDoes) {
    EXPECT_TRUE(Near(Quaternion().To_Matrix(), Matrix4d::Identity(), 0.0));
    EXPECT_TRUE(Near(Quaternion(0, 0, 0, 0).To_Matrix(), Matrix4d::Identity(), 0.0));

    TestRandom random(9);
    SCOPED_TRACE(random.Trace());
    for (int i = 0; i < 200; ++i) {
        const Quaternion q = random.Rotation();
        const Vector3d v = random.In_Box(5.0);
        EXPECT_TRUE(Near(q.To_Matrix().Transform_Point(v), q.Rotate(v), 1e-12));
    }
}

TEST(Quaternion, AxisAngleForDrawing) {
    EXPECT_FALSE(Quaternion().To_Axis_Angle().has_value());
    // w beyond 1 through rounding: acos gives NaN, which counts as no turn.
    EXPECT_FALSE(Quaternion(0, 0, 0, 1.0000000001).To_Axis_Angle().has_value());

    const auto half_turn = Quaternion::From_Axis_Angle(180.0, Vector3d(0, 1, 0)).To_Axis_Angle();
    ASSERT_TRUE(half_turn.has_value());
    EXPECT_NEAR(half_turn->degrees, 180.0, 1e-12);
    EXPECT_TRUE(Near(half_turn->axis, Vector3d(0, 1, 0), 1e-15));

    TestRandom random(10);
    SCOPED_TRACE(random.Trace());
    for (int i = 0; i < 200; ++i) {
        const Quaternion q = random.Rotation();
        const auto turn = q.To_Axis_Angle();
        ASSERT_TRUE(turn.has_value());
        EXPECT_TRUE(Same_Rotation(Quaternion::From_Axis_Angle(turn->degrees, turn->axis), q, 1e-9));
    }
}
