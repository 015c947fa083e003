#include "collision/ray_hit.h"

#include <algorithm>
#include <limits>

std::optional<double> Ray_Hit(const Polyhedron& shape, const BodyPose& pose, const Vector3d& origin,
                              const Vector3d& direction) {
    return Ray_Hit(shape, World_Transform(pose), origin, direction);
}

std::optional<double> Ray_Hit(const Polyhedron& shape, const Matrix4d& transform,
                              const Vector3d& origin, const Vector3d& direction) {
    // The ray is clipped by every face's plane in turn: the shape is the intersection of the
    // half-spaces behind its faces, so what is left of the ray, if anything, lies inside it.
    double enter = 0.0;
    double leave = std::numeric_limits<double>::infinity();
    for (const PolyFace& face : shape.faces) {
        // The plane from the placed loop itself, so that a non-uniform scale tilts it rightly.
        const Vector3d a = transform.Transform_Point(face.vertices[0]->position);
        const Vector3d b = transform.Transform_Point(face.vertices[1]->position);
        const Vector3d c = transform.Transform_Point(face.vertices[2]->position);
        const Vector3d outward = Cross(c - b, a - b);
        if (!(outward.Length() > 0.0)) {
            return std::nullopt;  // a shape flattened by its pose has no inside to be hit
        }
        const double height = Dot(outward, origin - b);  // positive outside the face
        const double closing = Dot(outward, direction);  // negative while heading inwards
        if (closing == 0.0) {
            if (height > 0.0) {
                return std::nullopt;  // alongside the face, outside it
            }
            continue;
        }
        const double t = -height / closing;
        if (closing < 0.0) {
            enter = std::max(enter, t);
        } else {
            leave = std::min(leave, t);
        }
        if (!(enter <= leave)) {
            return std::nullopt;
        }
    }
    return enter;
}
