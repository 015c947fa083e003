#pragma once

#include <cmath>

// A point, direction, velocity or per-axis scale in double precision. World space has +z up;
// positions are in world units and velocities in world units per second.
struct Vector3d {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    Vector3d() = default;
    Vector3d(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}

    double Length() const { return std::sqrt(x * x + y * y + z * z); }
    double Squared_Length() const { return x * x + y * y + z * z; }

    // Scales the vector to length `length`; a vector of length exactly 0 is left as it is.
    void Set_Length(double length) {
        const double current = Length();
        if (current != 0.0) {
            *this *= length / current;
        }
    }

    // True when every component lies strictly inside (-1e-13, 1e-13).
    bool Is_Near_Zero() const;

    // Near zero and, in addition, of squared length below 1e-26: the test for "no direction"
    // that collision detection and the cartoon response use before normalising.
    bool Vanishes() const;

    Vector3d& operator+=(const Vector3d& b) {
        x += b.x;
        y += b.y;
        z += b.z;
        return *this;
    }
    Vector3d& operator-=(const Vector3d& b) {
        x -= b.x;
        y -= b.y;
        z -= b.z;
        return *this;
    }
    Vector3d& operator*=(double s) {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }
};

// Components inside (-kNearZero, kNearZero) count as zero for Is_Near_Zero().
constexpr double kNearZero = 1e-13;
// Squared lengths below this count as zero for Vanishes().
constexpr double kVanishingSquaredLength = 1e-26;

inline Vector3d operator+(const Vector3d& a, const Vector3d& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vector3d operator-(const Vector3d& a, const Vector3d& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vector3d operator-(const Vector3d& a) {
    return {-a.x, -a.y, -a.z};
}
inline Vector3d operator*(double s, const Vector3d& a) {
    return {s * a.x, s * a.y, s * a.z};
}
inline Vector3d operator*(const Vector3d& a, double s) {
    return {s * a.x, s * a.y, s * a.z};
}

// Exactly the same coordinates: the test for "not moved at all", never for nearness.
inline bool operator==(const Vector3d& a, const Vector3d& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}
inline bool operator!=(const Vector3d& a, const Vector3d& b) {
    return !(a == b);
}

inline double Dot(const Vector3d& a, const Vector3d& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline Vector3d Cross(const Vector3d& a, const Vector3d& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Component-by-component product, used to apply per-axis scale factors.
inline Vector3d Scale_Each(const Vector3d& a, const Vector3d& s) {
    return {a.x * s.x, a.y * s.y, a.z * s.z};
}
