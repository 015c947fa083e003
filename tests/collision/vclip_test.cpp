// Whole queries worked out by hand on unit boxes (corners at +-1, numbered and faced as in
// support/shapes.h) and the unit tetrahedron, and the two broken invariants that end the program.
#include "collision/vclip.h"

#include <gtest/gtest.h>

#include "collision/body_pair_query.h"
#include "collision/final_routines.h"
#include "support/approx.h"
#include "support/shapes.h"

namespace {

struct Answer {
    double distance;
    Vector3d point1, point2, normal;
    unsigned long tests;
};

Answer Walk(Polyhedron& a, const Matrix4d& ma, Feature* fa, Polyhedron& b, const Matrix4d& mb,
            Feature* fb) {
    Answer q{};
    const unsigned long before = vclip_state_test_count;
    q.distance = VClip(a, ma, fa, q.point1, b, mb, fb, q.point2, q.normal);
    q.tests = vclip_state_test_count - before;
    return q;
}

Matrix4d Moved(double x, double y, double z, Matrix4d m = Matrix4d()) {
    m.Set_Translation({x, y, z});
    return m;
}

}  // namespace

// One record carried through the rows, as the simulator carries a pair's record from step to step.
TEST(BodyPairQuery, BoxesAtWorkedOutPosesWithTheirDeformation) {
    const auto box_a = Make_Box(), box_b = Make_Box();
    const struct {
        const char* name;
        Vector3d scale_a;
        double turn_a, x_b;  // degrees about z; the second box's position along x
        bool contact;
        double distance, x_a, x_b_point;  // the last separation: gap and witness points along +x
    } rows[] = {{"three apart", {1, 1, 1}, 0, 3, false, 1, 1, 2},
                {"overlapping keeps the last separation", {1, 1, 1}, 0, 1.5, true, 1, 1, 2},
                {"exactly touching is contact", {1, 1, 1}, 0, 2, true, 1, 1, 2},
                {"squashed along x", {0.5, 2, 2}, 0, 2, false, 0.5, 0.5, 1},
                {"squashed along its own x, turned", {0.5, 2, 2}, 90, 3.5, false, 0.5, 2, 2.5}};
    ClosestFeatures record;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const BodyPose a{{}, Quaternion::From_Axis_Angle(row.turn_a, {0, 0, 1}), row.scale_a};
        const BodyPose b{{row.x_b, 0, 0}, {}, {1, 1, 1}};
        EXPECT_EQ(Query_Body_Pair(*box_a, a, *box_b, b, record), row.contact);
        EXPECT_NEAR(record.distance, row.distance, 1e-12);
        EXPECT_TRUE(Near(record.normal, {1, 0, 0}));
        EXPECT_NEAR(record.point_a.x, row.x_a, 1e-12);
        EXPECT_NEAR(record.point_b.x, row.x_b_point, 1e-12);
        const ClosestFeatures before = record;  // the same query again: the same answer at once
        const unsigned long tests = vclip_state_test_count;
        Query_Body_Pair(*box_a, a, *box_b, b, record);
        EXPECT_EQ(vclip_state_test_count - tests, 1u);
        EXPECT_TRUE(record.feature_a == before.feature_a && record.feature_b == before.feature_b);
    }
}

TEST(VClip, StartsFromTheFirstVerticesOrTheSlotsAndExchangesRolesForTheNormal) {
    auto a = Make_Box(), b = Make_Box(), tetrahedron = Tetrahedron_Tables().Build();
    // Half a turn about (1, -1, 0) points the second box's first corner, +++, at the first's.
    const Vector3d axis = Vector3d(1, -1, 0) * std::sqrt(0.5);
    Feature *fa = nullptr, *fb = nullptr;
    const Answer q = Walk(*a, Matrix4d(), fa, *b,
                          Moved(5, 5, 5, Quaternion::From_Axis_Angle(180, axis).To_Matrix()), fb);
    EXPECT_EQ(q.tests, 1u);
    EXPECT_NEAR(q.distance, 3 * std::sqrt(3.0), 1e-12);
    // Final pairs met the other way round are computed with the bodies exchanged and the normal
    // turned back to point from body 1 to body 2: the +x face and the corner -++ moved to (2, 1,
    // 1); the top face and the edge o-Z through it at (0.2, 0.3, 1), half a unit deep.
    const Answer r = Walk(*a, Matrix4d(), &a->faces[2], *b, Moved(3, 0, 0), &b->vertices[1]);
    EXPECT_TRUE(r.tests == 1 && r.distance == 1.0);
    EXPECT_TRUE(Near(r.point1, {1, 1, 1}) && Near(r.point2, {2, 1, 1}) &&
                Near(r.normal, {1, 0, 0}));
    const Answer s = Walk(*a, Matrix4d(), &a->faces[0], *tetrahedron, Moved(0.2, 0.3, 0.5),
                          &tetrahedron->edges[3]);
    EXPECT_NEAR(s.distance, -0.5, 1e-15);
    EXPECT_TRUE(Near(s.point1, {0.2, 0.3, 1}) && Near(s.point2, s.point1) &&
                Near(s.normal, {0, 0, 1}));
}

TEST(VClip, CoincidentCornersParallelEdgesAndAnEdgeInAFacesPlane) {
    auto a = Make_Box(), b = Make_Box();
    const Answer q = Walk(*a, Matrix4d(), &a->vertices[0], *b, Moved(2, 2, 2), &b->vertices[6]);
    EXPECT_TRUE(q.distance == 0.0 && Near(q.normal, {0, 0, 0}, 0.0) && Near(q.point1, {1, 1, 1}));
    // Turned 45 degrees about z, the boxes' upright edges stay exactly upright, the first's at
    // x = sqrt(2), the second's one unit further and half a unit higher.
    const Matrix4d turn = Quaternion::From_Axis_Angle(45.0, {0, 0, 1}).To_Matrix();
    const Matrix4d further = Moved(2 * std::sqrt(2.0) + 1, 0, 0.5, turn);
    PolyEdge& e1 = a->edges[9];
    PolyEdge& e2 = b->edges[11];
    Vector3d p1, p2, normal;
    EXPECT_NEAR(
        Edge_Edge_Final(e1, {turn, ++a->stamp}, e2, {further, ++b->stamp}, {p1, p2, normal}), 1.0,
        1e-12);
    EXPECT_TRUE(Near(p1, e1.head->world) && Near(p2, p1 + Vector3d(1, 0, 0)) &&
                Near(normal, {1, 0, 0}));
    // The edge o-X at (-0.5, 0, 1) lies in the top face's plane: no single crossing, so its tail.
    auto tetrahedron = Tetrahedron_Tables().Build();
    const Matrix4d lying = Moved(-0.5, 0, 1), rest;
    EXPECT_EQ(Edge_Face_Final(tetrahedron->edges[0], {lying, 1}, a->faces[0], {rest, ++a->stamp},
                              {p1, p2, normal}),
              0.0);
    EXPECT_TRUE(Near(p1, {0.5, 0, 1}) && Near(p2, p1));  // edge 0 runs from X to o
}

TEST(VClipDeathTest, BrokenInvariantsEndTheProgramWithTheirMessage) {
    auto a = Make_Box(), b = Make_Box();
    EXPECT_DEATH(Walk(*a, Matrix4d(), &a->faces[0], *b, Moved(3, 0, 0), &b->faces[0]),
                 "^Face Face test should never happen\n$");
    // A last row of (2, 0, 0, 1) sends the plane x = -1/2 of the first box to infinity: its world
    // shape is no longer convex and the walk goes round in circles.
    Matrix4d projective;
    projective.m[12] = 2.0;
    vclip_call_count = 41;
    EXPECT_DEATH(Walk(*a, projective, nullptr, *b, Moved(3, 0, 0), nullptr),
                 "^Cycling in vclip: 42\n$");
}
