#include "support/hull.h"

#include <algorithm>
#include <stdexcept>

extern "C" {
#include <libqhull_r/qhull_ra.h>
}

ShapeTables Hull_Tables(std::vector<double> coordinates) {
    ShapeTables tables{std::move(coordinates), {}, {}};
    qhT context;
    qhT* qh = &context;
    qh_zero(qh, stderr);
    char options[] = "qhull Qt";  // triangulated output
    const int point_count = static_cast<int>(tables.coordinates.size() / 3);
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
        tables.face_sizes.push_back(qh_setsize(qh, vertices));
        std::reverse(tables.face_indices.end() - tables.face_sizes.back(), tables.face_indices.end());
        qh_settempfree(qh, &vertices);
    }
    qh_freeqhull(qh, !qh_ALL);
    int still_long = 0, total_long = 0;
    qh_memfreeshort(qh, &still_long, &total_long);
    return tables;
}

ShapeTables Random_Hull_Tables(TestRandom& random, int point_count) {
    std::vector<double> coordinates;
    for (int i = 0; i < point_count; ++i) {
        const Vector3d p = random.On_Unit_Sphere();
        coordinates.insert(coordinates.end(), {p.x, p.y, p.z});
    }
    return Hull_Tables(std::move(coordinates));
}
