// Worked figures, and random inputs on which separate computations of the same result agree.
#include <algorithm>
#include <tuple>

#include "math/quaternion.h"
#include "support/approx.h"
#include "support/random.h"

TEST(Vector3d, SetLengthNearZeroAndVanishing) {
    const std::tuple<Vector3d, double, Vector3d> lengths[] = {
        {{0, 0, 0}, 1, {0, 0, 0}}, {{3, 0, 4}, 1, {0.6, 0, 0.8}}, {{3, 0, 4}, 2, {1.2, 0, 1.6}}};
    for (auto [v, length, expected] : lengths) {
        v.Set_Length(length);
        EXPECT_TRUE(Near(v, expected, 1e-15)) << "length " << length;
    }
    // The last is near zero, but of squared length 2.43e-26.
    const std::tuple<Vector3d, bool, bool> bounds[] = {
        {{1e-14, -1e-14, 0}, true, true},    {{1e-13, 0, 0}, false, false},
        {{0, -1e-13, 0}, false, false},      {{0, 5e-14, -1e-13}, false, false},
        {{5e-14, 5e-14, 5e-14}, true, true}, {{9e-14, 9e-14, 9e-14}, true, false}};
    for (const auto& [v, near_zero, vanishes] : bounds) {
        SCOPED_TRACE(testing::Message() << v.x << ", " << v.y << ", " << v.z);
        EXPECT_EQ(v.Is_Near_Zero(), near_zero);
        EXPECT_EQ(v.Vanishes(), vanishes);
    }
}

TEST(Quaternion, QuarterTurnsComposeRightFirstAndDegenerateOnesGiveNoTurn) {
    const Quaternion a = Quaternion::From_Axis_Angle(90.0, {0, 0, 1});
    const Quaternion b = Quaternion::From_Axis_Angle(90.0, {1, 0, 0});
    EXPECT_NEAR(a.w, std::sqrt(0.5), 1e-15);
    EXPECT_TRUE(Near({a.x, a.y, a.z}, {0, 0, std::sqrt(0.5)}, 1e-15));
    EXPECT_TRUE(Near(a.Rotate({1, 0, 0}), {0, 1, 0}, 1e-15));
    EXPECT_TRUE(Near((a * b).Rotate({0, 1, 0}), {0, 0, 1}, 1e-15));   // b: +y to +z, a keeps +z
    EXPECT_TRUE(Near((b * a).Rotate({0, 1, 0}), {-1, 0, 0}, 1e-15));  // a: +y to -x, b keeps -x
    const Matrix4d degenerate = Quaternion(0, 0, 0, 0).To_Matrix();
    EXPECT_TRUE(std::equal(degenerate.m, degenerate.m + 16, Matrix4d().m));         // the identity
    EXPECT_NEAR(Quaternion(0, 0, 1, 1).To_Matrix()(0, 1), -std::sqrt(2.0), 1e-15);  // s = 2 / |q|
    EXPECT_FALSE(Quaternion().To_Axis_Angle().has_value());
    EXPECT_FALSE(Quaternion(0, 0, 0, 1.0000000001).To_Axis_Angle().has_value());  // acos is NaN
    const auto half_turn = Quaternion::From_Axis_Angle(180.0, {0, 1, 0}).To_Axis_Angle().value();
    EXPECT_NEAR(half_turn.degrees, 180.0, 1e-12);
    EXPECT_TRUE(Near(half_turn.axis, {0, 1, 0}, 1e-15));
}

TEST(Matrix4d, LayoutAndDivisionByW) {
    Matrix4d m = Matrix4d::Scale(2, 3, 4);
    m.Set_Translation({1, 2, 3});
    const double expected[16] = {2, 0, 0, 1, 0, 3, 0, 2, 0, 0, 4, 3, 0, 0, 0, 1};  // row by row
    EXPECT_TRUE(std::equal(m.m, m.m + 16, expected));
    m(3, 3) = 2.0;
    EXPECT_TRUE(Near(m.Transform_Point({1, 1, 1}), {1.5, 2.5, 3.5}, 0.0));
}

TEST(Rotation, TurnsAndProjectiveProductsAgreeAcrossSeparateComputations) {
    TestRandom random(7);
    SCOPED_TRACE(random.Trace());
    for (int i = 0; i < 300; ++i) {
        const Quaternion p = random.Rotation(), q = random.Rotation();
        const Vector3d v = random.In_Box(5.0);
        EXPECT_TRUE(Near(q.To_Matrix().Transform_Point(v), q.Rotate(v), 1e-12));
        EXPECT_TRUE(Near((p * q).Rotate(v), p.Rotate(q.Rotate(v)), 1e-12));
        EXPECT_TRUE(Near((p * q).To_Matrix().Transform_Point(v),
                         (p.To_Matrix() * q.To_Matrix()).Transform_Point(v)));
        const auto turn = q.To_Axis_Angle().value();
        EXPECT_TRUE(Same_Rotation(Quaternion::From_Axis_Angle(turn.degrees, turn.axis), q, 1e-9));
        Matrix4d a, b;  // projective: a last row near (0, 0, 0, 1) keeps w away from 0
        for (int k = 0; k < 15; ++k) {
            a.m[k] = random.Uniform(k < 12 ? -1.0 : -0.005, k < 12 ? 1.0 : 0.005);
            b.m[k] = random.Uniform(k < 12 ? -1.0 : -0.005, k < 12 ? 1.0 : 0.005);
        }
        EXPECT_TRUE(
            Near((a * b).Transform_Point(v), a.Transform_Point(b.Transform_Point(v)), 1e-11));
    }
}
