#pragma once

#include <gtest/gtest.h>

#include <cmath>

#include "math/quaternion.h"

// Approximate comparisons that print both sides on failure.
inline testing::AssertionResult Near(const Vector3d& a, const Vector3d& b, double within = 1e-12) {
    const Vector3d d = a - b;
    if (std::fabs(d.x) <= within && std::fabs(d.y) <= within && std::fabs(d.z) <= within) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure()
           << "(" << a.x << ", " << a.y << ", " << a.z << ") differs from (" << b.x << ", " << b.y
           << ", " << b.z << ") by more than " << within;
}

// q and -q are the same rotation: b is compared with the sign that brings it nearer to a.
inline testing::AssertionResult Same_Rotation(const Quaternion& a, const Quaternion& b,
                                              double within = 1e-12) {
    const double s = a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z < 0.0 ? -1.0 : 1.0;
    return std::fabs(a.w - s * b.w) > within
               ? testing::AssertionFailure() << "w " << a.w << " differs from " << s * b.w
               : Near({a.x, a.y, a.z}, s * Vector3d(b.x, b.y, b.z), within);
}
