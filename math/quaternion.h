#pragma once

#include <optional>

#include "math/matrix4d.h"
#include "math/vector3d.h"

// A rotation as a quaternion, scalar part first: (w, x, y, z). Orientations are unit quaternions,
// w = cos(theta / 2) and (x, y, z) = sin(theta / 2) axis for a turn by theta about a unit axis.
// Nothing renormalises them; operations that assume unit length say so. Default: the identity.
struct Quaternion {
    double w = 1.0;
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    Quaternion() = default;
    // Note the argument order: the vector part first, the scalar last.
    Quaternion(double x_, double y_, double z_, double w_) : w(w_), x(x_), y(y_), z(z_) {}

    // A turn by `degrees` about `axis`, which is used as given (callers pass unit axes).
    static Quaternion From_Axis_Angle(double degrees, const Vector3d& axis);

    // The inverse of a unit quaternion.
    Quaternion Conjugate() const { return {-x, -y, -z, w}; }
    double Magnitude() const;

    // The vector part of q (0, v) q*, formed left product first.
    Vector3d Rotate(const Vector3d& v) const;

    // The rotation matrix that turns column vectors as Rotate() does; for a quaternion of
    // magnitude 0 it is the identity.
    Matrix4d To_Matrix() const;

    // The turn as an angle in degrees and an axis, the form drawing code hands to glRotated.
    // Empty when the turn is exactly 0 or not a number (w drifted outside [-1, 1]): such an
    // orientation counts as the identity and nothing is issued.
    struct AxisAngle {
        double degrees;
        Vector3d axis;
    };
    std::optional<AxisAngle> To_Axis_Angle() const;
};

// Exactly the same components: the test for "not turned at all", never for nearness.
inline bool operator==(const Quaternion& a, const Quaternion& b) {
    return a.w == b.w && a.x == b.x && a.y == b.y && a.z == b.z;
}

// Hamilton product: (a * b) rotates by b first, then by a.
Quaternion operator*(const Quaternion& a, const Quaternion& b);
