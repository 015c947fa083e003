// Two unit boxes through the installed headers and libraries: the second, turned a quarter about z
// and moved to (3, 0, 0), faces the first across a gap of 1 along x.
#include <collision/vclip.h>
#include <math/quaternion.h>

#include <cmath>
#include <cstdio>

int main() {
    const double corners[] = {1, 1, 1,  -1, 1, 1,  -1, -1, 1,  1, -1, 1,
                              1, 1, -1, -1, 1, -1, -1, -1, -1, 1, -1, -1};
    const int sizes[] = {4, 4, 4, 4, 4, 4};
    const int loops[] = {0, 1, 2, 3, 7, 6, 5, 4, 0, 3, 7, 4, 2, 1, 5, 6, 0, 4, 5, 1, 3, 2, 6, 7};
    Polyhedron first(8, corners, 6, sizes, loops), second(8, corners, 6, sizes, loops);
    Matrix4d place_second = Quaternion::From_Axis_Angle(90.0, Vector3d(0, 0, 1)).To_Matrix();
    place_second.Set_Translation(Vector3d(3, 0, 0));
    Feature *f1 = nullptr, *f2 = nullptr;
    Vector3d p1, p2, normal;
    const double d = VClip(first, Matrix4d(), f1, p1, second, place_second, f2, p2, normal);
    std::printf("distance %.15g, normal (%g, %g, %g)\n", d, normal.x, normal.y, normal.z);
    const double error =
        std::fabs(d - 1) + std::fabs(normal.x - 1) + std::fabs(p1.x - 1) + std::fabs(p2.x - 2);
    return error < 1e-12 ? 0 : 1;
}
