#include "support/hull.h"

#include <cstdio>
#include <map>
#include <stdexcept>

extern "C" {
#include <libqhull_r/qhull_ra.h>
}

ShapeTables Hull_Tables(const std::vector<Vector3d>& points) {
    std::vector<coordT> coordinates;
    for (const Vector3d& p : points) {
        coordinates.insert(coordinates.end(), {p.x, p.y, p.z});
    }
    qhT context;
    qhT* qh = &context;
    qh_zero(qh, stderr);
    char options[] = "qhull Qt";
    if (qh_new_qhull(qh, 3, static_cast<int>(points.size()), coordinates.data(), False, options,
                     nullptr, stderr) != 0) {
        throw std::runtime_error("qhull failed");
    }

    ShapeTables tables;
    std::map<int, int> index_of_point;  // qhull point id -> vertex index in the tables
    auto index = [&](vertexT* v) {
        const int id = qh_pointid(qh, v->point);
        auto [it, added] = index_of_point.emplace(id, static_cast<int>(index_of_point.size()));
        if (added) {
            const Vector3d& p = points[id];
            tables.coordinates.insert(tables.coordinates.end(), {p.x, p.y, p.z});
        }
        return it->second;
    };
    facetT* facet;
    FORALLfacets {
        int corner[3];
        Vector3d at[3];
        int k = 0;
        vertexT *vertex, **vertexp;
        FOREACHvertex_(facet->vertices) {
            corner[k] = index(vertex);
            at[k] = points[qh_pointid(qh, vertex->point)];
            ++k;
        }
        const Vector3d outward(facet->normal[0], facet->normal[1], facet->normal[2]);
        if (Dot(Cross(at[1] - at[0], at[2] - at[0]), outward) < 0.0) {
            std::swap(corner[1], corner[2]);
        }
        tables.face_sizes.push_back(3);
        tables.face_indices.insert(tables.face_indices.end(), {corner[0], corner[1], corner[2]});
    }

    qh_freeqhull(qh, !qh_ALL);
    int still_long = 0;
    int total_long = 0;
    qh_memfreeshort(qh, &still_long, &total_long);
    return tables;
}

ShapeTables Random_Hull_Tables(TestRandom& random, int point_count) {
    std::vector<Vector3d> points;
    for (int i = 0; i < point_count; ++i) {
        points.push_back(random.On_Unit_Sphere());
    }
    return Hull_Tables(points);
}
