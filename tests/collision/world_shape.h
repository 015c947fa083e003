#pragma once

#include <utility>
#include <vector>

#include "math/matrix4d.h"
#include "support/shapes.h"

// A shape placed in the world, computed from its tables without the polyhedron's features: the
// exact reference the closest-feature walk is checked against.
struct WorldShape {
    WorldShape(const ShapeTables& tables, const Matrix4d& transform);

    // The largest face-plane value at p: 0 on the surface, negative inside.
    double Outside(const Vector3d& p) const;

    std::vector<Vector3d> vertices;
    std::vector<std::vector<int>> faces;  // loops, counter-clockwise seen from outside
    std::vector<Vector3d> normals;        // outward unit normal of each face
    std::vector<double> offsets;          // normal . p + offset is 0 on the face's plane
    std::vector<std::pair<Vector3d, Vector3d>> sides;  // of every face: each edge twice
    double size = 0.0;  // largest distance of a vertex from the origin
};

// The distance between two convex shapes, point by point over every pair of an edge with an edge
// or a face; 0 when they touch, overlap or one holds the other.
double Exact_Distance(const WorldShape& a, const WorldShape& b);
