#include "support/fcl_oracle.h"

#include <fcl/narrowphase/distance.h>

std::shared_ptr<fcl::Convexd> Fcl_Convex(const ShapeTables& tables, const Matrix4d& transform) {
    auto vertices = std::make_shared<std::vector<fcl::Vector3d>>();
    for (size_t i = 0; i + 2 < tables.coordinates.size(); i += 3) {
        const double* c = &tables.coordinates[i];
        const Vector3d p = transform.Transform_Point({c[0], c[1], c[2]});
        vertices->emplace_back(p.x, p.y, p.z);
    }
    auto faces = std::make_shared<std::vector<int>>();
    auto corner = tables.face_indices.begin();
    for (int size : tables.face_sizes) {
        faces->push_back(size);
        faces->insert(faces->end(), corner, corner + size);
        corner += size;
    }
    return std::make_shared<fcl::Convexd>(vertices, static_cast<int>(tables.face_sizes.size()),
                                          faces);
}

double Fcl_Distance(const fcl::Convexd& a, const fcl::Transform3d& ta, const fcl::Convexd& b,
                    const fcl::Transform3d& tb) {
    const fcl::DistanceRequestd request(false, false, 0.0, 0.0, 1e-12, fcl::GST_INDEP);
    fcl::DistanceResultd result;
    return fcl::distance(&a, ta, &b, tb, request, result);
}
