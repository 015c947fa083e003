#include "math/quaternion.h"

#include <cmath>

#include "math/angles.h"

Quaternion Quaternion::From_Axis_Angle(double degrees, const Vector3d& axis) {
    const double half = degrees * kRadiansPerDegree * 0.5;
    const double s = std::sin(half);
    return {s * axis.x, s * axis.y, s * axis.z, std::cos(half)};
}

double Quaternion::Magnitude() const {
    return std::sqrt(w * w + x * x + y * y + z * z);
}

Quaternion operator*(const Quaternion& a, const Quaternion& b) {
    Quaternion r;
    r.w = a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z;
    r.x = a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y;
    r.y = a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x;
    r.z = a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w;
    return r;
}

Vector3d Quaternion::Rotate(const Vector3d& v) const {
    const Quaternion r = (*this * Quaternion(v.x, v.y, v.z, 0.0)) * Conjugate();
    return {r.x, r.y, r.z};
}

Matrix4d Quaternion::To_Matrix() const {
    const double magnitude = Magnitude();
    const double s = magnitude > 0.0 ? 2.0 / magnitude : 0.0;
    Matrix4d r;
    r(0, 0) = 1 - s * (y * y + z * z);
    r(0, 1) = s * (x * y - w * z);
    r(0, 2) = s * (x * z + w * y);
    r(1, 0) = s * (x * y + w * z);
    r(1, 1) = 1 - s * (x * x + z * z);
    r(1, 2) = s * (y * z - w * x);
    r(2, 0) = s * (x * z - w * y);
    r(2, 1) = s * (y * z + w * x);
    r(2, 2) = 1 - s * (x * x + y * y);
    return r;
}

std::optional<Quaternion::AxisAngle> Quaternion::To_Axis_Angle() const {
    const double theta = 2.0 * std::acos(w);
    if (theta == 0.0 || std::isnan(theta)) {
        return std::nullopt;
    }
    Vector3d axis(x, y, z);
    axis.Set_Length(1.0);
    return AxisAngle{theta * kDegreesPerRadian, axis};
}
