// The sign conventions of the Voronoi planes, checked on random points of each feature's region
// after a random world transform: every vertex-edge and edge-face plane is positive on the side of
// the vertex or face and negative on the edge's side; a face's own plane is positive outside.
#include <gtest/gtest.h>

#include "geometry/polyhedron.h"
#include "math/quaternion.h"
#include "support/random.h"
#include "support/shapes.h"

namespace {

Matrix4d Random_Transform(TestRandom& random) {
    Matrix4d m = random.Rotation().To_Matrix() *
                 Matrix4d::Scale(random.Uniform(0.2, 5), random.Uniform(0.2, 5), random.Uniform(0.2, 5));
    m.Set_Translation(random.In_Box(20.0));
    return m;
}

void Check_Plane_Signs(Polyhedron& poly, TestRandom& random) {
    const Matrix4d transform = Random_Transform(random);
    const unsigned stamp = ++poly.stamp;
    for (PolyFace& f : poly.faces) {
        f.Refresh(transform, stamp);
        for (const FeatureLink* l = f.sides;;) {
            l->plane->Refresh(transform, stamp);
            l = l->next;
            if (l == f.sides) {
                break;
            }
        }
    }
    for (PolyEdge& e : poly.edges) {
        e.head_plane.Refresh(transform, stamp);
        e.tail_plane.Refresh(transform, stamp);
    }

    Vector3d centre;
    for (const PolyVertex& v : poly.vertices) {
        centre += v.world * (1.0 / poly.vertices.size());
    }

    for (const PolyFace& f : poly.faces) {
        EXPECT_LT(f.plane.Value(centre), 0.0);
        Vector3d inside;
        double total = 0.0;
        for (const PolyVertex* v : f.vertices) {
            const double weight = random.Uniform(0.1, 1.0);
            inside += weight * v->world;
            total += weight;
        }
        const Vector3d above = inside * (1.0 / total) + random.Uniform(0.0, 2.0) * f.plane.normal;
        const FeatureLink* l = f.sides;
        for (int k = 0; k < f.vertex_count; ++k, l = l->next) {
            EXPECT_GT(l->plane->Value(above), 0.0) << "face side plane " << k;
        }
    }

    for (const PolyEdge& e : poly.edges) {
        const Vector3d beside = e.tail->world + random.Uniform(0.05, 0.95) * e.vector +
                                random.Uniform(0.1, 1.0) * e.left_face->plane.normal +
                                random.Uniform(0.1, 1.0) * e.right_face->plane.normal;
        EXPECT_LT(e.head_plane.Value(beside), 0.0);
        EXPECT_LT(e.tail_plane.Value(beside), 0.0);
        EXPECT_LT(e.left_plane.Value(beside), 0.0);
        EXPECT_LT(e.right_plane.Value(beside), 0.0);
    }

    for (const PolyVertex& v : poly.vertices) {
        Vector3d beyond = v.world;
        for (const PolyFace& f : poly.faces) {
            for (const PolyVertex* corner : f.vertices) {
                if (corner == &v) {
                    beyond += random.Uniform(0.1, 1.0) * f.plane.normal;
                }
            }
        }
        for (const FeatureLink* l = v.links; l != nullptr; l = l->next) {
            EXPECT_GT(l->plane->Value(beyond), 0.0);
        }
    }
}

}  // namespace

TEST(VoronoiPlane, SignConventionsHoldOnRandomPointsOfEveryRegion) {
    TestRandom random(21);
    SCOPED_TRACE(random.Trace());
    for (const ShapeTables& tables : {Box_Tables(), Tetrahedron_Tables(), Paddle_Tables(), Prism_Tables(7)}) {
        auto poly = tables.Build();
        for (int trial = 0; trial < 50; ++trial) {
            Check_Plane_Signs(*poly, random);
        }
    }
}
