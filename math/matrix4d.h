#pragma once

#include "math/vector3d.h"

// A 4 x 4 matrix of doubles, row-major: element (row r, column c) is m[4 * r + c]. It acts on
// column vectors, p' = M p, so an affine transform keeps rotation and scale in the upper-left 3 x 3
// block, its translation in column 3 and (0, 0, 0, 1) as its last row. This is the transpose of
// the layout OpenGL's matrix calls take. Default construction gives the identity.
struct Matrix4d {
    double m[16];

    Matrix4d();

    static Matrix4d Identity() { return Matrix4d(); }
    static Matrix4d Scale(double sx, double sy, double sz);

    double& operator()(int row, int column) { return m[4 * row + column]; }
    double operator()(int row, int column) const { return m[4 * row + column]; }

    // Writes t into column 3 and leaves every other element as it was.
    void Set_Translation(const Vector3d& t);

    // M (x, y, z, 1), divided by the resulting w, so a projective last row is honoured. For an
    // affine transform w is exactly 1, and dividing by it would change no bit: the collision
    // walk transforms points in its innermost loop, so that case skips the divisions.
    Vector3d Transform_Point(const Vector3d& p) const {
        const double x = m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3];
        const double y = m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7];
        const double z = m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11];
        const double w = m[12] * p.x + m[13] * p.y + m[14] * p.z + m[15];
        if (w == 1.0) {
            return {x, y, z};
        }
        return {x / w, y / w, z / w};
    }
};

Matrix4d operator*(const Matrix4d& a, const Matrix4d& b);
