#pragma once

#include <gtest/gtest.h>

#include "math/matrix4d.h"
#include "math/quaternion.h"
#include "math/vector3d.h"

// Approximate comparisons that print both sides on failure. Quaternions q and -q describe the same
// rotation, so Same_Rotation accepts either sign.

inline ::testing::AssertionResult Near(const Vector3d& a, const Vector3d& b, double tolerance = 1e-12) {
    const Vector3d d = a - b;
    if (std::fabs(d.x) <= tolerance && std::fabs(d.y) <= tolerance && std::fabs(d.z) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ") differs from ("
                                         << b.x << ", " << b.y << ", " << b.z << ") by more than "
                                         << tolerance;
}

inline ::testing::AssertionResult Same_Rotation(const Quaternion& a, const Quaternion& b,
                                                double tolerance = 1e-12) {
    auto within = [&](double sign) {
        return std::fabs(a.w - sign * b.w) <= tolerance && std::fabs(a.x - sign * b.x) <= tolerance &&
               std::fabs(a.y - sign * b.y) <= tolerance && std::fabs(a.z - sign * b.z) <= tolerance;
    };
    if (within(1.0) || within(-1.0)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "(w " << a.w << ", " << a.x << ", " << a.y << ", " << a.z
                                         << ") is not the rotation (w " << b.w << ", " << b.x << ", "
                                         << b.y << ", " << b.z << ")";
}

inline ::testing::AssertionResult Near(const Matrix4d& a, const Matrix4d& b, double tolerance = 1e-12) {
    for (int i = 0; i < 16; ++i) {
        if (std::fabs(a.m[i] - b.m[i]) > tolerance) {
            return ::testing::AssertionFailure() << "element " << i << ": " << a.m[i] << " vs " << b.m[i];
        }
    }
    return ::testing::AssertionSuccess();
}
