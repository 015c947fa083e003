// The walk worked out by hand on the unit box (corners at +-1) and tetrahedron: state tests one at
// a time (where two or more planes are violated, the figures make the plane order decide the row),
// whole queries and final pairs, and the broken invariants that end the program.
#include "collision/vclip.h"

#include <gtest/gtest.h>

#include <string>

#include "collision/body_pair_query.h"
#include "collision/final_routines.h"
#include "collision/state_tests.h"
#include "support/approx.h"
#include "support/shapes.h"

namespace {

// Features by index: the tetrahedron's v0 to v3 are o (0, 0, 0), X, Y, Z, its e0 X-o, e1 o-Y, e3
// o-Z, e4 X-Z; the box's v0 is +++ (1, 1, 1), v3 +-+, v4 ++-, its e0 +-+ to +++, e1 +++ to -++, e5
// +-- to ---, e8 ++- to +++, f0 its top (z = 1), f1 its bottom, f2 and f3 at x = 1 and x = -1.
Feature* Find(Polyhedron& poly, const std::string& name) {
    const size_t i = std::stoul(name.substr(1));
    return name[0] == 'v'   ? static_cast<Feature*>(&poly.vertices[i])
           : name[0] == 'e' ? static_cast<Feature*>(&poly.edges[i])
                            : &poly.faces[i];
}

constexpr StepResult kMove = StepResult::Continue, kTouch = StepResult::Penetrating,
                     kApart = StepResult::Disjoint;
const char *kUp = "e8", *kTop = "f0", *kPlusX = "f2", *kMinX = "f3";  // the box's

Matrix4d At(Vector3d p, double degrees = 0, Vector3d axis = {0, 0, 1}, double scale = 1) {
    return World_Transform({p, Quaternion::From_Axis_Angle(degrees, axis), {scale, scale, scale}});
}

const struct {
    const char* name;
    Matrix4d tetrahedron;
    const char *a, *b;  // the tetrahedron's feature, the box's
    StepResult result;
    const char *next_a, *next_b;  // where the slots end up; "" unchanged
} kSteps[] = {
    // clang-format off
    // +++ lies 0.5 beyond o's plane towards Y, 2 beyond that towards X; o lists Z, Y, X.
    {"first vertex, first violated link", At({-1, 0.5, 2}), "v0", "v0", kMove, "e1", ""},
    // o lies 0.5 past +++'s plane towards -++, 1 past that towards +-+; +++ lists ++-, -++, +-+.
    {"second vertex, first violated link", At({0.5, 0, 2}, 180), "v0", "v0", kMove, "", "e1"},
    {"head plane before both face planes", At({0.5, 0.5, 3}), "v0", kUp, kMove, "", "v0"},
    {"tail plane before both face planes", At({0.5, 0.5, -3}), "v0", kUp, kMove, "", "v4"},
    {"left face plane (0.5) before right (3)", At({-2, 0.5, 0}), "v0", kUp, kMove, "", kPlusX},
    {"vertex on the edge", At({1, 1, 0}), "v0", kUp, kTouch, "", ""},
    {"corner straight above a corner", At({1, 1, 2}), "v0", "v0", kApart, "", ""},
    {"corner straight beside a corner", At({1, 2, 1}), "v0", "v0", kApart, "", ""},
    {"most violated side (2, the second)", At({2, 3, 2}), "v0", kTop, kMove, "", "e1"},
    {"earlier side on a tie", At({2, 2, 2}), "v0", kTop, kMove, "", "e0"},
    {"on the face's plane in its region", At({0.25, 0.5, 1}), "v0", kTop, kTouch, "", ""},
    {"a neighbour nearer below the plane", At({0.5, 0.2, 0.1}, 180), "v0", kMinX, kMove, "e0", ""},
    {"least deep, local minimum", At({.5, .2, .1}, 0, {}, .01), "v0", kMinX, kTouch, "", kPlusX},
    {"beyond the tail plane and both faces", At({-3, 0, -5}), "e0", kUp, kMove, "", "v4"},
    {"wholly beside both faces: the left", At({-3, 0, 0}), "e0", kUp, kMove, "", kPlusX},
    {"through a derivative check's vertex", At({0.5, 1, 0.5}), "e4", kUp, kTouch, "", ""},
    {"first clip moves, no second", At({0, 0.5, 2}), "e1", "e5", kMove, "", "f1"},
    {"edge beyond two sides: their corner", At({1.5, 1.5, 2}), "e1", kTop, kMove, "", "v0"},
    // Beyond the side x = 1 and, at its tail, beyond y = -1, the distance to +-+ falls by 0.05.
    {"a side's end plane leads on", At({1.5, -1.5, 1.5}, -5.71), "e1", kTop, kMove, "", "v3"},
    // Beyond the side x = 1, one end on its end plane (at +-+, at +++), the other beyond: the side.
    {"the head on a side's end plane", At({1.5, -2, 1.5}), "e1", kTop, kMove, "", "e0"},
    {"the tail on a side's end plane", At({1.5, 1, 1.5}), "e1", kTop, kMove, "", "e0"},
    // Parallel, a square root of 2 apart, each reaching past the other's end: where each crosses the
    // other's end plane, its distance to that end is flat, and neither moves.
    {"parallel edges, overlapping below", At({2, 2, -1.5}), "e3", kUp, kApart, "", ""},
    {"parallel edges, overlapping above", At({2, 2, 0.5}), "e3", kUp, kApart, "", ""},
    // X-Z, turned to run up and out along x, enters the upright edge's region through its lower
    // end's plane half a unit out: towards that end the distance falls, at a slope of a half.
    {"a gentle slope beyond the lower end", At({2, 2, -1.5}, 180), "e4", kUp, kMove, "", "v4"},
    // clang-format on
};

}  // namespace

TEST(StateTests, EachStepWorkedOutByHand) {
    for (const auto& step : kSteps) {
        SCOPED_TRACE(step.name);
        auto tetrahedron = Tetrahedron_Tables().Build(), box = Make_Box();
        Feature *fa = Find(*tetrahedron, step.a), *fb = Find(*box, step.b);
        Feature *next_a = *step.next_a ? Find(*tetrahedron, step.next_a) : fa,
                *next_b = *step.next_b ? Find(*box, step.next_b) : fb;
        const WalkSide a{step.tetrahedron, 1}, b{Matrix4d(), 1};  // stamp 1 is new to new ones
        const int kinds = 3 * static_cast<int>(fa->kind) + static_cast<int>(fb->kind);
        EXPECT_EQ(kinds == 0   ? Vertex_Vertex_Test(fa, a, fb, b)
                  : kinds == 1 ? Vertex_Edge_Test(fa, a, fb, b)
                  : kinds == 2 ? Vertex_Face_Test(fa, a, fb, b, box->faces)
                  : kinds == 4 ? Edge_Edge_Test(fa, a, fb, b)
                               : Edge_Face_Test(fa, a, fb, b),
                  step.result);
        EXPECT_EQ(fa, next_a) << "the tetrahedron's feature";
        EXPECT_EQ(fb, next_b) << "the box's feature";
    }
}

// One record carried through the rows, as the simulator does; the same query again takes one test.
TEST(BodyPairQuery, BoxesAtWorkedOutPosesWithTheirDeformation) {
    const auto box_a = Make_Box(), box_b = Make_Box();
    const struct {
        const char* name;
        BodyPose a;
        double x_b;  // the second box's position along x
        bool contact;
        Vector3d last;  // the last separation: its gap and its witness points' x
    } rows[] = {{"three apart", {}, 3, false, {1, 1, 2}},
                {"overlapping keeps the last separation", {}, 1.5, true, {1, 1, 2}},
                {"exactly touching is contact", {}, 2, true, {1, 1, 2}},
                {"squashed along its own x, turned",
                 {{}, Quaternion::From_Axis_Angle(90, {0, 0, 1}), {0.5, 2, 2}},
                 3.5,
                 false,
                 {0.5, 2, 2.5}}};
    ClosestFeatures record;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const BodyPose b{{row.x_b, 0, 0}, {}, {1, 1, 1}};
        EXPECT_EQ(Query_Body_Pair(*box_a, row.a, *box_b, b, record), row.contact);
        EXPECT_TRUE(Near({record.distance, record.point_a.x, record.point_b.x}, row.last));
        EXPECT_TRUE(Near(record.normal, {1, 0, 0}));
        const ClosestFeatures before = record;
        const unsigned long tests = vclip_state_test_count;
        Query_Body_Pair(*box_a, row.a, *box_b, b, record);
        EXPECT_EQ(vclip_state_test_count - tests, 1u);
        EXPECT_EQ(record.feature_a, before.feature_a);
        EXPECT_EQ(record.feature_b, before.feature_b);
    }
}

// The edge o-Z through the top face at (0.2, 0.3, 1), half a unit deep, is a final pair met the
// other way round: the normal turned back to point from body 1 to 2. Coincident corners give no
// normal; upright parallel edges their first's head; an edge lying in a face's plane its tail.
TEST(VClipDeathTest, WorkedOutQueriesFinalPairsAndTheBrokenInvariantsThatEndTheProgram) {
    auto a = Make_Box(), b = Make_Box(), tetrahedron = Tetrahedron_Tables().Build();
    const Matrix4d rest, turn = At({}, 45);
    Feature *fb = nullptr, *top = &a->faces[0], *corner = &a->vertices[0];
    Vector3d p1, p2, normal;
    EXPECT_NEAR(VClip(*a, rest, top, p1, *tetrahedron, At({0.2, 0.3, 0.5}),
                      fb = &tetrahedron->edges[3], p2, normal),
                -0.5, 1e-15);
    EXPECT_TRUE(Near(p1, {0.2, 0.3, 1}));
    EXPECT_TRUE(Near(p2, p1));
    EXPECT_TRUE(Near(normal, {0, 0, 1}));
    EXPECT_EQ(VClip(*a, rest, corner, p1, *b, At({2, 2, 2}), fb = &b->vertices[6], p2, normal),
              0.0);
    EXPECT_TRUE(Near(normal, {0, 0, 0}, 0.0));
    EXPECT_TRUE(Near(p1, {1, 1, 1}));
    // The tetrahedron's corner at its origin, its outward direction (-1, -1, -1) turned onto
    // (-1, -1, 0), a quarter away from the box's upright edge at (1, 1): edge and vertex, the
    // vertex-edge distance measured the other way round.
    Vector3d axis = Cross({-1, -1, -1}, {-1, -1, 0});
    axis.Set_Length(1.0);
    Matrix4d facing =
        Quaternion::From_Axis_Angle(std::acos(2 / std::sqrt(6.0)) * 180 / M_PI, axis).To_Matrix();
    facing.Set_Translation(Vector3d(1, 1, 0) + 0.25 * Vector3d(M_SQRT1_2, M_SQRT1_2, 0));
    Feature* edge_slot = nullptr;
    EXPECT_NEAR(VClip(*a, rest, edge_slot, p1, *tetrahedron, facing, fb = nullptr, p2, normal),
                0.25, 1e-12);
    EXPECT_EQ(edge_slot->kind, FeatureKind::Edge);
    EXPECT_TRUE(Near(p1, {1, 1, 0}));
    EXPECT_TRUE(Near(normal, {M_SQRT1_2, M_SQRT1_2, 0}));
    // Turned 45 degrees about z, the upright edges stay exactly upright, at x = sqrt(2) and, half a
    // unit higher, one unit further.
    PolyEdge &e1 = a->edges[9], &e2 = b->edges[11];
    const Matrix4d further = At({2 * std::sqrt(2.0) + 1, 0, 0.5}, 45);
    EXPECT_NEAR(
        Edge_Edge_Final(e1, {turn, ++a->stamp}, e2, {further, ++b->stamp}, {p1, p2, normal}), 1.0,
        1e-12);
    EXPECT_TRUE(Near(p1, e1.head->world));
    EXPECT_TRUE(Near(p2, p1 + Vector3d(1, 0, 0)));
    EXPECT_TRUE(Near(normal, {1, 0, 0}));
    EXPECT_EQ(Edge_Face_Final(tetrahedron->edges[0], {At({-0.5, 0, 1}), ++tetrahedron->stamp},
                              a->faces[0], {rest, ++a->stamp}, {p1, p2, normal}),
              0.0);
    EXPECT_TRUE(Near(p1, {0.5, 0, 1}));  // edge 0 runs from X to o
    EXPECT_TRUE(Near(p2, p1));
    EXPECT_DEATH(VClip(*a, rest, top, p1, *b, At({3, 0, 0}), fb = &b->faces[0], p2, normal),
                 "^Face Face test should never happen\n$");
    // A last row of (2, 0, 0, 1) sends the plane x = -1/2 of the first box to infinity: its world
    // shape is no longer convex and the walk goes round in circles, which it ends in contact, as
    // for any placement it cannot take apart.
    Matrix4d projective;
    projective.m[12] = 2.0;
    EXPECT_LE(
        VClip(*a, projective, corner = nullptr, p1, *b, At({3, 0, 0}), fb = nullptr, p2, normal),
        0.0);
}
