#include "support/hull.h"

#include <stdexcept>

extern "C" {
#include <libqhull_r/qhull_ra.h>
}

ShapeTables Hull_Tables(std::vector<double> coordinates) {
    ShapeTables tables{std::move(coordinates), {}, {}};
    qhT context, *qh = &context;
    qh_zero(qh, stderr);
    char options[] = "qhull Qt";  // triangulated output
    if (qh_new_qhull(qh, 3, static_cast<int>(tables.coordinates.size() / 3),
                     tables.coordinates.data(), False, options, nullptr, stderr) != 0) {
        throw std::runtime_error("qhull failed");
    }
    facetT* facet;
    FORALLfacets {  // triangles, their corners listed clockwise seen from outside
        setT* corners = qh_facet3vertex(qh, facet);
        for (int k = 2; k >= 0; --k) {
            tables.face_indices.push_back(qh_pointid(qh, SETelemt_(corners, k, vertexT)->point));
        }
        tables.face_sizes.push_back(3);
        qh_settempfree(qh, &corners);
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
