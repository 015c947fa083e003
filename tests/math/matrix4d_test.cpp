#include "math/matrix4d.h"

#include <gtest/gtest.h>

#include "math/quaternion.h"
#include "support/approx.h"
#include "support/random.h"

TEST(Matrix4d, RowMajorLayoutWithTranslationInColumnThree) {
    Matrix4d m;
    m.Set_Translation(Vector3d(1, 2, 3));
    EXPECT_EQ(m.m[3], 1.0);
    EXPECT_EQ(m.m[7], 2.0);
    EXPECT_EQ(m.m[11], 3.0);
    EXPECT_EQ(m.m[0], 1.0);
    EXPECT_EQ(m.m[15], 1.0);
    EXPECT_TRUE(Near(m.Transform_Point(Vector3d(1, 1, 1)), Vector3d(2, 3, 4), 0.0));
}

TEST(Matrix4d, TransformPointDividesByW) {
    EXPECT_TRUE(Near(Matrix4d::Identity().Transform_Point(Vector3d(1, -2, 3)), Vector3d(1, -2, 3), 0.0));
    Matrix4d halving;
    halving(3, 3) = 2.0;
    EXPECT_TRUE(Near(halving.Transform_Point(Vector3d(2, 4, -6)), Vector3d(1, 2, -3), 0.0));
}

TEST(Matrix4d, BodyTransformScalesThenRotatesThenMoves) {
    TestRandom random(12);
    SCOPED_TRACE(random.Trace());
    for (int i = 0; i < 200; ++i) {
        const Quaternion q = random.Rotation();
        const Vector3d scale(random.Uniform(0.1, 3), random.Uniform(0.1, 3), random.Uniform(0.1, 3));
        const Vector3d position = random.In_Box(10.0);
        const Vector3d p = random.In_Box(2.0);
        Matrix4d m = q.To_Matrix() * Matrix4d::Scale(scale.x, scale.y, scale.z);
        m.Set_Translation(position);
        EXPECT_TRUE(Near(m.Transform_Point(p), position + q.Rotate(Scale_Each(p, scale)), 1e-12));
    }
}

TEST(Matrix4d, ProductIsAssociative) {
    TestRandom random(13);
    SCOPED_TRACE(random.Trace());
    Matrix4d a, b, c;
    for (int i = 0; i < 16; ++i) {
        a.m[i] = random.Uniform(-2, 2);
        b.m[i] = random.Uniform(-2, 2);
        c.m[i] = random.Uniform(-2, 2);
    }
    EXPECT_TRUE(Near((a * b) * c, a * (b * c), 1e-12));
    EXPECT_TRUE(Near(a * Matrix4d::Identity(), a, 0.0));
}
