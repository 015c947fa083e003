#include "collision/feature_lookup.h"

#include <algorithm>

namespace {

bool Same(const Vector3d& a, const Vector3d& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

}  // namespace

PolyVertex* Vertex_At(Polyhedron& poly, const Vector3d& p) {
    for (PolyVertex& v : poly.vertices) {
        if (Same(v.position, p)) {
            return &v;
        }
    }
    return nullptr;
}

PolyEdge* Edge_Between(Polyhedron& poly, const Vector3d& p, const Vector3d& q) {
    for (PolyEdge& e : poly.edges) {
        if ((Same(e.tail->position, p) && Same(e.head->position, q)) ||
            (Same(e.tail->position, q) && Same(e.head->position, p))) {
            return &e;
        }
    }
    return nullptr;
}

PolyFace* Face_Through(Polyhedron& poly, const Vector3d& p, const Vector3d& q, const Vector3d& r) {
    for (PolyFace& f : poly.faces) {
        auto has = [&f](const Vector3d& x) {
            return std::any_of(f.vertices.begin(), f.vertices.end(),
                               [&x](const PolyVertex* v) { return Same(v->position, x); });
        };
        if (has(p) && has(q) && has(r)) {
            return &f;
        }
    }
    return nullptr;
}
