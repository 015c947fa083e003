#include "support/hull.h"

#include <algorithm>
#include <stdexcept>

extern "C" {
#include <libqhull_r/qhull_ra.h>
}

ShapeTables Random_Hull_Tables(TestRandom& random, int point_count) {
    // Every point on a sphere is a corner of the hull, so the points are the vertices as they are.
    ShapeTables tables;
    for (int i = 0; i < point_count; ++i) {
        const Vector3d p = random.On_Unit_Sphere();
        tables.coordinates.insert(tables.coordinates.end(), {p.x, p.y, p.z});
    }
    qhT context;
    qhT* qh = &context;
    qh_zero(qh, stderr);
    char options[] = "qhull Qt";  // triangulated output
    if (qh_new_qhull(qh, 3, point_count, tables.coordinates.data(), False, options, nullptr,
                     stderr) != 0) {
        throw std::runtime_error("qhull failed");
    }
    facetT* facet;
    FORALLfacets {
        setT* vertices = qh_facet3vertex(qh, facet);  // clockwise seen from outside
        vertexT *vertex, **vertexp;
        FOREACHvertex_(vertices) {
            tables.face_indices.push_back(qh_pointid(qh, vertex->point));
        }
        std::reverse(tables.face_indices.end() - qh_setsize(qh, vertices),
                     tables.face_indices.end());
        tables.face_sizes.push_back(qh_setsize(qh, vertices));
        qh_settempfree(qh, &vertices);
    }
    qh_freeqhull(qh, !qh_ALL);
    int still_long = 0, total_long = 0;
    qh_memfreeshort(qh, &still_long, &total_long);
    return tables;
}
