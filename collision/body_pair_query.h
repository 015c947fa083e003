#pragma once

#include "geometry/polyhedron.h"
#include "math/matrix4d.h"
#include "math/quaternion.h"
#include "math/vector3d.h"

// Where a body stands and how it is deformed: a body-space point p sits in the world at
// position + R(orientation) (scale * p), the per-axis scale applied along the body's own axes.
struct BodyPose {
    Vector3d position;
    Quaternion orientation;
    Vector3d scale{1.0, 1.0, 1.0};
};

// translation * rotation * scale: the body-to-world transform of a pose.
Matrix4d World_Transform(const BodyPose& pose);

// What a pair of bodies keeps from one query to the next: the closest features, always, to start
// the next walk beside its answer; and the witness data of the last query that found the bodies
// apart. A record whose features are both empty starts from the first vertex of each shape.
struct ClosestFeatures {
    Feature* feature_a = nullptr;  // on body A's polyhedron
    Vector3d point_a;              // world-space closest point on body A
    Feature* feature_b = nullptr;  // on body B's polyhedron
    Vector3d point_b;              // world-space closest point on body B
    double distance = 0.0;         // gap between the points, > 0
    Vector3d normal;               // unit, from body A towards body B
};

// Places both shapes by their poses and runs the closest-feature walk from the record's features.
// Returns true when the bodies touch or interpenetrate (a distance of exactly 0 counts as contact,
// and so does the NaN of a degenerate placement, such as a zero scale),
// leaving the record's points, distance and normal as they were; otherwise stores them and returns
// false. The features are updated either way.
bool Query_Body_Pair(Polyhedron& shape_a, const BodyPose& pose_a, Polyhedron& shape_b,
                     const BodyPose& pose_b, ClosestFeatures& record);
// The same with the shapes placed by their world transforms.
bool Query_Placed_Pair(Polyhedron& shape_a, const Matrix4d& transform_a, Polyhedron& shape_b,
                       const Matrix4d& transform_b, ClosestFeatures& record);
