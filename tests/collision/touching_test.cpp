// Features within rounding of each other, and placements that give no distance at all: the walk
// and the pair query answer contact, never end the program and never call such bodies apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "collision/body_pair_query.h"
#include "collision/vclip.h"
#include "support/shapes.h"

// Walks that come back to a pair they held end in contact, never ending the program: a box's edge
// across another's 2e-16 above it, where two tests disagree by a rounding and hand the walk back
// and forth; two boxes squashed alike to 0.92, stacked face to face 0.0007 apart, turned against
// each other about the vertical, every pair of features of the two faces tied: it went round six.
TEST(VClipTouching, AWalkComingBackToAPairItHeldEndsInContact) {
    struct Case {
        double half_size;
        int lower_edge, upper_face;
        double rows[24];  // the first three rows of the lower box's transform, then the upper's
    };
    // clang-format off
    const Case cases[] = {
        {1.0, 1, 2, {
        -0x1.f9645109807bap-2, -0x1.1f0cf7e58673fp-7, -0x1.460231f48eaf5p-4, 0, 0x1.f9f2ef412892p-5,
        0x1.194297f8efb2p-2, -0x1.a720abb73c3eap-2, 0, 0x1.a17b98e76c29fp-5, -0x1.abbbdf8580d7ap-2,
        -0x1.1485a1ed3230cp-2, 0, -0x1.164a37b6dee8fp-9, 0x1.25bdcc9891ed1p-7, -0x1.fde6428eb59fcp-9,
        -0x1.7120b147fe338p-4, 0x1.fa2514e40e49fp-8, 0x1.04ba1693ba2f5p-8, 0x1.448df1611cf1fp-8,
        -0x1.2168e098b0a41p-3, 0x1.885e421e34dfcp-8, -0x1.fff8a5bb86aeep-10, -0x1.fd144f1872d97p-8,
        -0x1.672ba5dbc6d3ap-1}},
        {0.3, 9, 3, {
        -0x1.d738fd2aabe55p-51, -0x1.82a3b2abc17bbp-1, 0x1.6fe24eb66d20dp-1, 0x1.64ba2f310c7cbp+2,
        0x1.616abde000ebdp-51, -0x1.6fe24eb66d212p-1, -0x1.82a3b2abc17bap-1, 0x1.781cdcb399d0ap-4,
        0x1.d738fd2aabe59p-1, 0x1.904524e24e6f5p-53, 0x1.0ad8c341899fbp-52, 0x1.4b514a989ad25p-2,
        0x1.d738fd2aabe55p-54, -0x1.a31eb459bfeabp-5, -0x1.0a866d65141f6p+0, 0x1.656a7eadb3156p+2,
        0x1.26839e3aab6f5p-55, 0x1.0a866d65141f5p+0, -0x1.a31eb459bfeabp-5, 0x1.5b6a2082e52bbp-1,
        0x1.d738fd2aabe57p-1, -0x1.0ad8c341899fbp-55, 0x1.0ad8c341899fbp-53, 0x1.c0c450def22efp-1}}};
    // clang-format on
    for (const Case& k : cases) {
        ShapeTables tables = Box_Tables();
        for (double& coordinate : tables.coordinates) {
            coordinate *= k.half_size;
        }
        auto lower = tables.Build(), upper = tables.Build();
        Matrix4d ml, mu;
        std::copy(k.rows, k.rows + 12, ml.m);
        std::copy(k.rows + 12, k.rows + 24, mu.m);
        Feature *edge = &lower->edges[k.lower_edge], *face = &upper->faces[k.upper_face];
        Vector3d p1, p2, normal;
        testing::internal::CaptureStderr();
        EXPECT_LE(VClip(*lower, ml, edge, p1, *upper, mu, face, p2, normal), 0.0) << k.half_size;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }
}

// A NaN anywhere in a placement makes the distance NaN, which is no proof of a gap; a flattened
// box (zero-length edges in the world) still has one, and gets it without a NaN.
TEST(VClipTouching, APlacementWithoutADistanceIsContactAndNeverWritesNaN) {
    auto a = Make_Box(), b = Make_Box();
    ClosestFeatures record;
    BodyPose pa, pb;
    pb.position = {3, 0.2, 0.1};
    ASSERT_FALSE(Query_Body_Pair(*a, pa, *b, pb, record));
    pb.position.x = NAN;
    EXPECT_TRUE(Query_Body_Pair(*a, pa, *b, pb, record));
    EXPECT_EQ(record.distance, 1.0) << "the record keeps its last separation";
    for (const Vector3d& scale : {Vector3d(0, 1, 1), Vector3d(1, 0, 1), Vector3d(0, 0, 0)}) {
        pa.scale = scale;
        pb.position = {3 + scale.x, 0.2,
                       0.1};  // 2 clear of the flattened box, reaching x = scale.x
        ClosestFeatures flat;
        EXPECT_FALSE(Query_Body_Pair(*a, pa, *b, pb, flat)) << scale.x << scale.y << scale.z;
        EXPECT_NEAR(flat.distance, 2.0, 1e-12) << scale.x << scale.y << scale.z;
        EXPECT_FALSE(std::isnan(flat.point_a.x + flat.point_b.y + flat.normal.z));
    }
}

// Two equal boxes turned alike, the second moved by (1.5, 1.5, 0) of their own axes, sunk half a
// unit into each other across a vertical edge: the top edge of the first along y and the top edge
// of the second along x cross at a point of both. Started from those two edges the walk stops at
// once, on closest points that coincide; turned, the points differ by their rounding, which is no
// gap.
TEST(VClipTouching, EdgesCrossingAtAPointOfBothAreContactHoweverTheBodiesAreTurned) {
    auto a = Make_Box(), b = Make_Box();
    auto edge_between = [](Polyhedron& box, const Vector3d& p, const Vector3d& q) -> Feature* {
        for (PolyEdge& e : box.edges) {
            if ((e.tail->position == p && e.head->position == q) ||
                (e.tail->position == q && e.head->position == p)) {
                return &e;
            }
        }
        return nullptr;
    };
    for (int turn = 0; turn < 40; ++turn) {
        BodyPose pa, pb;
        Vector3d axis(1, 0.3 * turn, -0.7);
        axis.Set_Length(1.0);
        pa.orientation = Quaternion::From_Axis_Angle(21.0 * turn, axis);
        pa.position = {0.1 * turn, -0.3, 2.7};
        pb.orientation = pa.orientation;
        pb.position = pa.position + pa.orientation.Rotate(Vector3d(1.5, 1.5, 0));
        Feature* fa = edge_between(*a, {1, -1, 1}, {1, 1, 1});
        Feature* fb = edge_between(*b, {-1, -1, 1}, {1, -1, 1});
        ASSERT_TRUE(fa != nullptr && fb != nullptr);
        Vector3d p1, p2, normal;
        EXPECT_LE(VClip(*a, World_Transform(pa), fa, p1, *b, World_Transform(pb), fb, p2, normal),
                  0.0)
            << "turn " << turn;
    }
}

// An edge that passes by the corner of another's region where the plane towards a face meets the
// plane at an end vertex leaves the region at one point, which tells nothing of the way on: a
// tetrahedron's edge through (1, 1, 9/8), above the end of a box's top edge, its tail 1/8 inside
// the box. Started from the two edges, the walk goes on to the box's top face and finds contact.
TEST(VClipTouching, AnEdgeLeavingARegionAtOnePointStillLeadsOn) {
    auto box = Make_Box();
    ShapeTables tables = Tetrahedron_Tables();
    tables.coordinates = {0.75, 0.75, 0.875, 1.25, 1.25, 1.375, 0, 1.5, 3, 1.5, 0, 3};
    auto tetrahedron = tables.Build();
    auto edge_from = [](Polyhedron& p) -> Feature* {
        return &*std::find_if(p.edges.begin(), p.edges.end(), [&](const PolyEdge& e) {
            return e.tail->position + e.head->position ==
                   p.vertices[0].position + p.vertices[1].position;
        });
    };
    Feature *e1 = edge_from(*box), *e2 = edge_from(*tetrahedron);
    Vector3d p1, p2, normal;
    EXPECT_LE(VClip(*box, Matrix4d(), e1, p1, *tetrahedron, Matrix4d(), e2, p2, normal), 0.0);
}
