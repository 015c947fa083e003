#pragma once

#include <memory>

#include "collision/walk_side.h"
#include "geometry/polyhedron.h"
#include "math/matrix4d.h"
#include "support/shapes.h"

// A polyhedron with a fixed world transform, for calling the walk's parts one by one.
struct PlacedPolyhedron {
    PlacedPolyhedron(const ShapeTables& tables, const Matrix4d& m)
        : polyhedron(tables.Build()), transform(m) {}

    // The side of a new query: the polyhedron's stamp raised, as a query does.
    WalkSide New_Query() { return WalkSide{transform, ++polyhedron->stamp}; }

    std::unique_ptr<Polyhedron> polyhedron;
    Matrix4d transform;
};

inline Matrix4d Translation(double x, double y, double z) {
    Matrix4d m;
    m.Set_Translation({x, y, z});
    return m;
}

// Features found by their body-space corners; null when there is none.
PolyVertex* Vertex_At(Polyhedron& poly, const Vector3d& p);
PolyEdge* Edge_Between(Polyhedron& poly, const Vector3d& p, const Vector3d& q);  // either way
PolyFace* Face_Through(Polyhedron& poly, const Vector3d& p, const Vector3d& q, const Vector3d& r);
