// Scenarios of the whole query worked out by hand on unit boxes (corners at +-1) and the unit
// tetrahedron, and the two broken invariants that end the program.
#include "collision/vclip.h"

#include <gtest/gtest.h>

#include <cmath>

#include "collision/body_pair_query.h"
#include "collision/feature_lookup.h"
#include "collision/final_routines.h"
#include "support/approx.h"
#include "support/shapes.h"

namespace {

struct Answer {
    double distance;
    Vector3d point1;
    Vector3d point2;
    Vector3d normal;
};

Answer Query(PlacedPolyhedron& a, Feature*& fa, PlacedPolyhedron& b, Feature*& fb) {
    Answer r{};
    r.distance = VClip(*a.polyhedron, a.transform, fa, r.point1, *b.polyhedron, b.transform, fb,
                       r.point2, r.normal);
    return r;
}

}  // namespace

TEST(VClip, BoxesThreeApartAreOneApartAcrossFacingFaces) {
    PlacedPolyhedron a(Box_Tables(), Matrix4d());
    PlacedPolyhedron b(Box_Tables(), Translation(3, 0, 0));
    Feature* fa = nullptr;
    Feature* fb = nullptr;
    const Answer r = Query(a, fa, b, fb);
    EXPECT_DOUBLE_EQ(r.distance, 1.0);
    EXPECT_TRUE(Near(r.normal, {1, 0, 0}));
    EXPECT_DOUBLE_EQ(r.point1.x, 1.0);
    EXPECT_DOUBLE_EQ(r.point2.x, 2.0);
    EXPECT_TRUE(Near(r.point2 - r.point1, r.distance * r.normal));
    // A repeated query starts from the final pair and ends at once, leaving it in place.
    const Feature* final_a = fa;
    const Feature* final_b = fb;
    const unsigned long tests = vclip_state_test_count;
    EXPECT_DOUBLE_EQ(Query(a, fa, b, fb).distance, 1.0);
    EXPECT_EQ(vclip_state_test_count - tests, 1u);
    EXPECT_EQ(fa, final_a);
    EXPECT_EQ(fb, final_b);
}

TEST(VClip, OverlappingOrTouchingBoxesGiveNoPositiveDistance) {
    for (double x : {1.5, 2.0, 0.0}) {
        PlacedPolyhedron a(Box_Tables(), Matrix4d());
        PlacedPolyhedron b(Box_Tables(), Translation(x, 0, 0));
        Feature* fa = nullptr;
        Feature* fb = nullptr;
        EXPECT_LE(Query(a, fa, b, fb).distance, 0.0) << "second box at x = " << x;
    }
}

TEST(VClip, EmptySlotsStartFromTheFirstVertexOfEach) {
    // The second box is turned half a turn so that its first corner, (1, 1, 1), faces the first
    // box's first corner, (1, 1, 1); they are each other's closest features, so the walk that
    // starts from them ends after one test.
    Vector3d axis(1, -1, 0);
    axis.Set_Length(1.0);
    Matrix4d turned = Quaternion::From_Axis_Angle(180.0, axis).To_Matrix();
    turned.Set_Translation({5, 5, 5});
    PlacedPolyhedron a(Box_Tables(), Matrix4d());
    PlacedPolyhedron b(Box_Tables(), turned);
    Feature* fa = nullptr;
    Feature* fb = nullptr;
    const unsigned long tests = vclip_state_test_count;
    const Answer r = Query(a, fa, b, fb);
    EXPECT_EQ(vclip_state_test_count - tests, 1u);
    EXPECT_EQ(fa, &a.polyhedron->vertices[0]);
    EXPECT_EQ(fb, &b.polyhedron->vertices[0]);
    EXPECT_NEAR(r.distance, 3.0 * std::sqrt(3.0), 1e-12);

    // Only the second slot empty: it starts from its first vertex too.
    fb = nullptr;
    EXPECT_NEAR(Query(a, fa, b, fb).distance, 3.0 * std::sqrt(3.0), 1e-12);
    EXPECT_EQ(fb, &b.polyhedron->vertices[0]);
}

TEST(VClip, StartsFromTheFeaturesInTheSlots) {
    // Body 1's +x face against body 2's corner (-1, 1, 1), now at (2, 1, 1): already a final
    // pair, met the other way round (face, vertex), so the normal is negated back to 1 -> 2.
    PlacedPolyhedron a(Box_Tables(), Matrix4d());
    PlacedPolyhedron b(Box_Tables(), Translation(3, 0, 0));
    Feature* fa = Face_Through(*a.polyhedron, {1, 1, 1}, {1, -1, 1}, {1, 1, -1});
    Feature* fb = Vertex_At(*b.polyhedron, {-1, 1, 1});
    const Feature* face = fa;
    const Feature* corner = fb;
    const unsigned long tests = vclip_state_test_count;
    const Answer r = Query(a, fa, b, fb);
    EXPECT_EQ(vclip_state_test_count - tests, 1u);
    EXPECT_EQ(fa, face);
    EXPECT_EQ(fb, corner);
    EXPECT_DOUBLE_EQ(r.distance, 1.0);
    EXPECT_TRUE(Near(r.normal, {1, 0, 0}));
    EXPECT_TRUE(Near(r.point1, {1, 1, 1}));
    EXPECT_TRUE(Near(r.point2, {2, 1, 1}));
}

TEST(VClip, CoincidentCornersTouchWithoutANotANumber) {
    // Corner (-1, -1, -1) of the second box sits exactly on corner (1, 1, 1) of the first.
    PlacedPolyhedron a(Box_Tables(), Matrix4d());
    PlacedPolyhedron b(Box_Tables(), Translation(2, 2, 2));
    Feature* fa = Vertex_At(*a.polyhedron, {1, 1, 1});
    Feature* fb = Vertex_At(*b.polyhedron, {-1, -1, -1});
    const Answer r = Query(a, fa, b, fb);
    EXPECT_EQ(r.distance, 0.0);
    EXPECT_TRUE(Near(r.normal, {0, 0, 0}));
    EXPECT_TRUE(Near(r.point1, {1, 1, 1}));
}

TEST(VClip, OrdinaryQueriesPrintNothing) {
    PlacedPolyhedron a(Box_Tables(), Matrix4d());
    PlacedPolyhedron b(Paddle_Tables(), Translation(0.5, 3, 1));
    Feature* fa = nullptr;
    Feature* fb = nullptr;
    ::testing::internal::CaptureStderr();
    for (int i = 0; i < 30; ++i) {
        b.transform.Set_Translation({0.5, 3.0 - 0.1 * i, 1});
        Query(a, fa, b, fb);
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST(VClipDeathTest, AWalkThatCyclesStopsAtTheStepLimit) {
    // A last row of (2, 0, 0, 1) sends the plane x = -1/2 of the first box to infinity: its
    // "world shape" is no longer convex and the walk goes round in circles.
    PlacedPolyhedron a(Box_Tables(), Matrix4d());
    a.transform.m[12] = 2.0;
    PlacedPolyhedron b(Box_Tables(), Translation(3, 0, 0));
    Feature* fa = nullptr;
    Feature* fb = nullptr;
    vclip_call_count = 41;
    EXPECT_DEATH(Query(a, fa, b, fb), "^Cycling in vclip: 42\n$");
}

TEST(VClipDeathTest, TwoFacesInTheSlotsAreABrokenInvariant) {
    PlacedPolyhedron a(Box_Tables(), Matrix4d());
    PlacedPolyhedron b(Box_Tables(), Translation(3, 0, 0));
    Feature* fa = &a.polyhedron->faces[0];
    Feature* fb = &b.polyhedron->faces[0];
    EXPECT_DEATH(Query(a, fa, b, fb), "^Face Face test should never happen\n$");
}

TEST(FinalRoutines, ExactlyParallelEdgesMeasureFromTheFirstEdgesHead) {
    // Both boxes turned 45 degrees about z: their upright edges stay exactly upright, the first
    // box's at x = sqrt(2), the second's at x = sqrt(2) + 1, half a unit higher.
    Matrix4d turn = Quaternion::From_Axis_Angle(45.0, {0, 0, 1}).To_Matrix();
    PlacedPolyhedron a(Box_Tables(), turn);
    turn.Set_Translation({2.0 * std::sqrt(2.0) + 1.0, 0, 0.5});
    PlacedPolyhedron b(Box_Tables(), turn);
    PolyEdge& e1 = *Edge_Between(*a.polyhedron, {1, -1, 1}, {1, -1, -1});
    PolyEdge& e2 = *Edge_Between(*b.polyhedron, {-1, 1, 1}, {-1, 1, -1});
    const WalkSide s1 = a.New_Query();
    const WalkSide s2 = b.New_Query();
    Vector3d p1;
    Vector3d p2;
    Vector3d normal;
    const double d = Edge_Edge_Final(e1, s1, e2, s2, {p1, p2, normal});
    EXPECT_NEAR(d, 1.0, 1e-12);
    EXPECT_TRUE(Near(p1, e1.head->world));
    EXPECT_TRUE(Near(p2, p1 + Vector3d(1, 0, 0)));
    EXPECT_TRUE(Near(normal, {1, 0, 0}));
}

TEST(FinalRoutines, EdgeThroughAFaceMeetsItAtTheCrossing) {
    // The tetrahedron's upright edge (0,0,0)-(0,0,1), moved to (0.2, 0.3, 0.5), pierces the
    // box's top face at (0.2, 0.3, 1) with half a unit on each side.
    PlacedPolyhedron tetra(Tetrahedron_Tables(), Translation(0.2, 0.3, 0.5));
    PlacedPolyhedron box(Box_Tables(), Matrix4d());
    PolyEdge& e = *Edge_Between(*tetra.polyhedron, {0, 0, 0}, {0, 0, 1});
    PolyFace& top = *Face_Through(*box.polyhedron, {1, 1, 1}, {-1, 1, 1}, {1, -1, 1});
    Vector3d p1;
    Vector3d p2;
    Vector3d normal;
    const double d = Edge_Face_Final(e, tetra.New_Query(), top, box.New_Query(), {p1, p2, normal});
    EXPECT_NEAR(d, 0.5, 1e-15);
    EXPECT_TRUE(Near(p1, {0.2, 0.3, 1.0}, 1e-15));
    EXPECT_TRUE(Near(p2, p1));
    EXPECT_TRUE(Near(normal, {0, 0, -1}));
}

TEST(FinalRoutines, EdgeLyingInAFacesPlaneGivesItsTail) {
    // Edge (0,0,0)-(1,0,0) moved to (-0.5, 0, 1): both ends on the plane z = 1, so there is no
    // single crossing; the tail stands for it rather than 0/0.
    PlacedPolyhedron tetra(Tetrahedron_Tables(), Translation(-0.5, 0, 1));
    PlacedPolyhedron box(Box_Tables(), Matrix4d());
    PolyEdge& e = *Edge_Between(*tetra.polyhedron, {0, 0, 0}, {1, 0, 0});
    PolyFace& top = *Face_Through(*box.polyhedron, {1, 1, 1}, {-1, 1, 1}, {1, -1, 1});
    Vector3d p1;
    Vector3d p2;
    Vector3d normal;
    const WalkSide side = tetra.New_Query();
    const double d = Edge_Face_Final(e, side, top, box.New_Query(), {p1, p2, normal});
    EXPECT_EQ(d, 0.0);
    EXPECT_TRUE(Near(p1, e.tail->world));
    EXPECT_TRUE(Near(p2, e.tail->world));
}

TEST(FinalRoutines, VertexBelowAFaceHasANegativeHeight) {
    PlacedPolyhedron tetra(Tetrahedron_Tables(), Translation(0.25, -0.5, 0.75));
    PlacedPolyhedron box(Box_Tables(), Matrix4d());
    PolyVertex& v = *Vertex_At(*tetra.polyhedron, {0, 0, 0});
    PolyFace& top = *Face_Through(*box.polyhedron, {1, 1, 1}, {-1, 1, 1}, {1, -1, 1});
    Vector3d p1;
    Vector3d p2;
    Vector3d normal;
    const double d =
        Vertex_Face_Final(v, tetra.New_Query(), top, box.New_Query(), {p1, p2, normal});
    EXPECT_DOUBLE_EQ(d, -0.25);
    EXPECT_TRUE(Near(p1, {0.25, -0.5, 0.75}));
    EXPECT_TRUE(Near(p2, {0.25, -0.5, 1.0}));
    EXPECT_TRUE(Near(normal, {0, 0, -1}));
}
