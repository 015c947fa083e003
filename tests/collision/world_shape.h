#pragma once

#include <vector>

#include "math/matrix4d.h"
#include "math/vector3d.h"
#include "support/shapes.h"

// A shape placed in the world, computed directly from its tables without the polyhedron's
// features: what the checks of the closest-feature walk compare against.
struct WorldShape {
    WorldShape(const ShapeTables& tables, const Matrix4d& transform);

    // The largest face-plane value at p: 0 on the surface, negative inside, the distance to the
    // nearest face plane's outside when positive.
    double Outside(const Vector3d& p) const;

    std::vector<Vector3d> vertices;
    std::vector<std::vector<int>> faces;  // loops, counter-clockwise seen from outside
    std::vector<Vector3d> normals;        // outward unit normal of each face
    std::vector<double> offsets;          // normal . p + offset is 0 on the face's plane
    double size = 0.0;                    // largest distance of a vertex from the origin
};

// The widest gap between the shapes' projections over every face normal and every cross product
// of two edge directions: positive exactly when the convex shapes are apart (some such axis
// separates them), not positive when they touch or overlap.
double Separating_Gap(const WorldShape& a, const WorldShape& b);

// The distance between two disjoint convex shapes as the least distance over every vertex-face
// and edge-edge pair, computed point by point; 0 when their surfaces meet.
double Brute_Force_Distance(const WorldShape& a, const WorldShape& b);
