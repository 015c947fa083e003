#pragma once

#include <algorithm>
#include <sstream>
#include <string>

#include "geometry/polyhedron.h"

// A feature named by its body-space corners: o, X, Y, Z are the tetrahedron's (0, 0, 0), (1, 0, 0),
// (0, 1, 0), (0, 0, 1); "+-+" is the box corner (1, -1, 1). One corner names a vertex, two an
// edge, three the face through them.
inline Feature* Find(Polyhedron& poly, const std::string& names) {
    std::istringstream in(names);
    std::vector<Vector3d> named;
    for (std::string c; in >> c;) {
        auto at = [&c](int i) {
            return c.size() == 1 ? (c == std::string(1, "XYZ"[i]) ? 1.0 : 0.0)
                   : c[i] == '+' ? 1.0
                                 : -1.0;
        };
        named.emplace_back(at(0), at(1), at(2));
    }
    auto all_named = [&named](Feature* feature, std::vector<PolyVertex*> corners) {
        size_t hits = 0;
        for (const PolyVertex* v : corners) {
            hits += std::count_if(named.begin(), named.end(), [v](const Vector3d& p) {
                return (p - v->position).Length() == 0;
            });
        }
        return hits == named.size() && (named.size() > 2 || corners.size() == named.size())
                   ? feature
                   : nullptr;
    };
    Feature* found = nullptr;
    for (PolyVertex& v : poly.vertices)
        found = found ? found : all_named(&v, {&v});
    for (PolyEdge& e : poly.edges)
        found = found ? found : all_named(&e, {e.head, e.tail});
    for (PolyFace& f : poly.faces)
        found = found ? found : all_named(&f, f.vertices);
    return found;
}
