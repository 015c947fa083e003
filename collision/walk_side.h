#pragma once

#include <cassert>
#include <cstdint>
#include <optional>

#include "geometry/polyhedron.h"
#include "math/matrix4d.h"
#include "math/vector3d.h"

// What one state test of the feature walk concludes.
enum class StepResult : int {
    Continue = 0,      // one slot now holds a neighbour of its old feature: test again
    Disjoint = 1,      // the pair is final and the bodies are apart
    Penetrating = -1,  // the pair is final and the bodies touch or interpenetrate
};

// One body of a query: its world transform and the stamp this query raised its polyhedron to.
// Every world value the walk reads is refreshed through it first, so it is computed at most once
// per query and only for the features the walk visits.
struct WalkSide {
    const Matrix4d& transform;
    std::uint64_t stamp;

    const Vector3d& World(PolyVertex& v) const {
        v.Refresh(transform, stamp);
        return v.world;
    }
    PolyEdge& Refreshed(PolyEdge& e) const {
        e.Refresh(transform, stamp);
        return e;
    }
    PolyFace& Refreshed(PolyFace& f) const {
        f.Refresh(transform, stamp);
        return f;
    }
    // The plane's value at p (normal . p + offset) with the plane made current first.
    double Value(VoronoiPlane& plane, const Vector3d& p) const {
        plane.Refresh(transform, stamp);
        return plane.Value(p);
    }
};

// The parameter along a segment where a signed value going from a (at 0) to b (at 1) crosses
// zero; a and b have opposite signs or one of them is zero.
inline double Crossing(double a, double b) {
    return a / (a - b);
}

// From vertex v to the point at parameter lambda of the segment tail + lambda * c. Its dot product
// with c has the sign of the derivative of the distance from v along the segment there.
inline Vector3d Offset_From_Vertex(const Vector3d& tail, double lambda, const Vector3d& c,
                                   const PolyVertex& v) {
    return tail + lambda * c - v.world;
}

// The derivative check at a clipping point: the dot product of that offset with c, or nothing
// when the offset vanishes, which means the segment runs through v: the bodies touch there.
inline std::optional<double> Slope_At_Vertex(const Vector3d& tail, double lambda, const Vector3d& c,
                                             const PolyVertex& v) {
    const Vector3d d = Offset_From_Vertex(tail, lambda, c, v);
    if (d.Vanishes()) {
        return std::nullopt;
    }
    return Dot(d, c);
}

// Downcasts after a dispatch on Feature::kind.
inline PolyVertex& As_Vertex(Feature* f) {
    assert(f->kind == FeatureKind::Vertex);
    return *static_cast<PolyVertex*>(f);
}
inline PolyEdge& As_Edge(Feature* f) {
    assert(f->kind == FeatureKind::Edge);
    return *static_cast<PolyEdge*>(f);
}
inline PolyFace& As_Face(Feature* f) {
    assert(f->kind == FeatureKind::Face);
    return *static_cast<PolyFace*>(f);
}
