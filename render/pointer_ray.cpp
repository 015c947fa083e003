#include "render/pointer_ray.h"

#include <cmath>

#include "math/angles.h"

PointerRay Pointer_Ray(const Vector3d& eye, const Vector3d& target, double horizontal_fov,
                       double width, double height, int x, int y) {
    Vector3d forward = target - eye;
    forward.Set_Length(1.0);
    Vector3d right = Cross(forward, Vector3d(0.0, 0.0, 1.0));
    right.Set_Length(1.0);
    const Vector3d up = Cross(right, forward);
    // The view spans [-1, 1] both ways, edge to edge, from the left and from the bottom; a pointer
    // on a pixel points at the pixel's middle.
    const double across = 2.0 * (x + 0.5) / width - 1.0;
    const double upwards = 1.0 - 2.0 * (y + 0.5) / height;
    const double half_width = std::tan(horizontal_fov / 2 * kRadiansPerDegree);
    const double half_height = half_width * height / width;
    Vector3d direction = forward + (across * half_width) * right + (upwards * half_height) * up;
    direction.Set_Length(1.0);
    return {eye, direction, forward};
}
