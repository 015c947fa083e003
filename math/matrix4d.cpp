#include "math/matrix4d.h"

Matrix4d::Matrix4d() : m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}

Matrix4d Matrix4d::Scale(double sx, double sy, double sz) {
    Matrix4d s;
    s(0, 0) = sx;
    s(1, 1) = sy;
    s(2, 2) = sz;
    return s;
}

void Matrix4d::Set_Translation(const Vector3d& t) {
    (*this)(0, 3) = t.x;
    (*this)(1, 3) = t.y;
    (*this)(2, 3) = t.z;
}

Matrix4d operator*(const Matrix4d& a, const Matrix4d& b) {
    Matrix4d c;
    for (int r = 0; r < 4; ++r) {
        for (int col = 0; col < 4; ++col) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) {
                sum += a(r, k) * b(k, col);
            }
            c(r, col) = sum;
        }
    }
    return c;
}
