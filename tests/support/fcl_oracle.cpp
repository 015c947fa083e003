#include "support/fcl_oracle.h"

#include <fcl/narrowphase/collision.h>
#include <fcl/narrowphase/distance.h>

#include <cstdlib>
#include <vector>

namespace {

// Far below the 1e-7 agreement the cross-checks ask for, and still reached by GJK on polytopes.
constexpr double kDistanceTolerance = 1e-12;

}  // namespace

std::shared_ptr<fcl::Convexd> Fcl_Convex(const ShapeTables& tables, const Matrix4d& transform) {
    auto vertices = std::make_shared<std::vector<fcl::Vector3d>>();
    for (size_t i = 0; i + 2 < tables.coordinates.size(); i += 3) {
        const Vector3d p = transform.Transform_Point(
            {tables.coordinates[i], tables.coordinates[i + 1], tables.coordinates[i + 2]});
        vertices->emplace_back(p.x, p.y, p.z);
    }
    auto faces = std::make_shared<std::vector<int>>();
    size_t next = 0;
    for (int size : tables.face_sizes) {
        faces->push_back(size);
        for (int k = 0; k < size; ++k) {
            faces->push_back(tables.face_indices[next++]);
        }
    }
    return std::make_shared<fcl::Convexd>(vertices, static_cast<int>(tables.face_sizes.size()),
                                          faces);
}

double Fcl_Distance(const fcl::Convexd& a, const fcl::Transform3d& ta, const fcl::Convexd& b,
                    const fcl::Transform3d& tb) {
    fcl::DistanceRequestd request;
    request.gjk_solver_type = fcl::GST_INDEP;
    request.distance_tolerance = kDistanceTolerance;
    fcl::DistanceResultd result;
    return fcl::distance(&a, ta, &b, tb, request, result);
}

double Fcl_Distance(const fcl::Convexd& a, const fcl::Convexd& b) {
    return Fcl_Distance(a, fcl::Transform3d::Identity(), b, fcl::Transform3d::Identity());
}

bool Fcl_Collide(const fcl::Convexd& a, const fcl::Convexd& b) {
    fcl::CollisionRequestd request;
    request.gjk_solver_type = fcl::GST_INDEP;
    fcl::CollisionResultd result;
    return fcl::collide(&a, fcl::Transform3d::Identity(), &b, fcl::Transform3d::Identity(), request,
                        result) > 0;
}

unsigned Oracle_Seed(unsigned fallback) {
    const char* text = std::getenv("TOVREL_ORACLE_SEED");
    return text != nullptr ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : fallback;
}

int Oracle_Cases(int fallback) {
    const char* text = std::getenv("TOVREL_ORACLE_CASES");
    return text != nullptr ? std::atoi(text) : fallback;
}
