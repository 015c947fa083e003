// Two unit boxes (corners at +-1) through the installed headers and libraries: the second turned
// a quarter about z and moved to (3, 0, 0) faces the first across a gap of 1 along x.
#include <collision/vclip.h>
#include <geometry/polyhedron.h>
#include <math/matrix4d.h>
#include <math/quaternion.h>
#include <math/vector3d.h>

#include <cmath>
#include <cstdio>

int main() {
    const double corners[] = {1, 1, 1,  -1, 1, 1,  -1, -1, 1,  1, -1, 1,
                              1, 1, -1, -1, 1, -1, -1, -1, -1, 1, -1, -1};
    const int sizes[] = {4, 4, 4, 4, 4, 4};
    const int loops[] = {0, 1, 2, 3, 7, 6, 5, 4, 0, 3, 7, 4, 2, 1, 5, 6, 0, 4, 5, 1, 3, 2, 6, 7};
    Polyhedron first(8, corners, 6, sizes, loops);
    Polyhedron second(8, corners, 6, sizes, loops);

    Matrix4d place_first;
    Matrix4d place_second = Quaternion::From_Axis_Angle(90.0, Vector3d(0, 0, 1)).To_Matrix();
    place_second.m[3] = 3.0;  // row 0, column 3: the x translation

    Feature* f1 = nullptr;
    Feature* f2 = nullptr;
    Vector3d p1;
    Vector3d p2;
    Vector3d normal;
    const double d = VClip(first, place_first, f1, p1, second, place_second, f2, p2, normal);
    std::printf("distance %.15g, normal (%g, %g, %g), features of kinds %d and %d\n", d, normal.x,
                normal.y, normal.z, static_cast<int>(f1->kind), static_cast<int>(f2->kind));
    const bool right = std::fabs(d - 1.0) < 1e-12 && std::fabs(normal.x - 1.0) < 1e-12 &&
                       std::fabs(p1.x - 1.0) < 1e-12 && std::fabs(p2.x - 2.0) < 1e-12;
    return right ? 0 : 1;
}
