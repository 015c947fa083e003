#include "math/vector3d.h"

#include <gtest/gtest.h>

#include "support/approx.h"
#include "support/random.h"

TEST(Vector3d, SetLengthScalesAndLeavesTheZeroVectorAlone) {
    Vector3d zero;
    zero.Set_Length(1.0);
    EXPECT_TRUE(Near(zero, Vector3d(0, 0, 0), 0.0));

    Vector3d v(3, 0, 4);
    v.Set_Length(1.0);
    EXPECT_TRUE(Near(v, Vector3d(0.6, 0, 0.8)));
    v = Vector3d(3, 0, 4);
    v.Set_Length(2.0);
    EXPECT_TRUE(Near(v, Vector3d(1.2, 0, 1.6)));
}

TEST(Vector3d, NearZeroBoundIsStrictOnEveryComponent) {
    EXPECT_TRUE(Vector3d(1e-14, -1e-14, 0).Is_Near_Zero());
    EXPECT_FALSE(Vector3d(1e-13, 0, 0).Is_Near_Zero());
    EXPECT_FALSE(Vector3d(0, 0, -1e-13).Is_Near_Zero());
    EXPECT_FALSE(Vector3d(0, 5e-14, 2).Is_Near_Zero());
}

TEST(Vector3d, VanishingNeedsBothSmallComponentsAndASmallSquaredLength) {
    EXPECT_TRUE(Vector3d(0, 0, 0).Vanishes());
    EXPECT_TRUE(Vector3d(5e-14, 5e-14, 5e-14).Vanishes());  // squared length 7.5e-27
    EXPECT_FALSE(Vector3d(9e-14, 9e-14, 9e-14).Vanishes());  // near zero, but 2.43e-26 squared
    EXPECT_FALSE(Vector3d(2e-13, 0, 0).Vanishes());
}

TEST(Vector3d, CrossAndDotObeyTheirIdentitiesOnRandomVectors) {
    TestRandom random(11);
    SCOPED_TRACE(random.Trace());
    for (int i = 0; i < 1000; ++i) {
        const Vector3d a = random.In_Box(10.0);
        const Vector3d b = random.In_Box(10.0);
        const Vector3d c = Cross(a, b);
        const double scale = a.Squared_Length() * b.Squared_Length();
        EXPECT_NEAR(Dot(c, a), 0.0, 1e-12 * scale);
        EXPECT_NEAR(Dot(c, b), 0.0, 1e-12 * scale);
        // Lagrange's identity: |a x b|^2 + (a . b)^2 = |a|^2 |b|^2.
        EXPECT_NEAR(c.Squared_Length() + Dot(a, b) * Dot(a, b), scale, 1e-12 * scale);
        EXPECT_TRUE(Near(Cross(b, a), -c, 1e-12));
    }
    EXPECT_TRUE(Near(Cross(Vector3d(1, 0, 0), Vector3d(0, 1, 0)), Vector3d(0, 0, 1), 0.0));
}
