#pragma once

#include <optional>

#include "collision/body_pair_query.h"

// Where a ray first meets a convex shape placed by `pose`: the ray parameter t >= 0 of the first
// point origin + t * direction inside the shape or on its surface, 0 when the origin itself is
// inside; nothing when the ray misses it or points away. With a unit direction, t is the distance.
// Only the shape's body-space vertices and face loops are read, so any shape may be asked about
// whatever queries are under way on it.
std::optional<double> Ray_Hit(const Polyhedron& shape, const BodyPose& pose, const Vector3d& origin,
                              const Vector3d& direction);
// The same with the shape placed by its world transform.
std::optional<double> Ray_Hit(const Polyhedron& shape, const Matrix4d& transform,
                              const Vector3d& origin, const Vector3d& direction);
