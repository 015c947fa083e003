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

    // M (x, y, z, 1), divided by the resulting w. The division always happens, so a projective
    // last row is honoured.
    Vector3d Transform_Point(const Vector3d& p) const;
};

Matrix4d operator*(const Matrix4d& a, const Matrix4d& b);
