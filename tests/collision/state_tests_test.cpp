// One state test at a time, the tetrahedron placed about the unit box at rest, each row worked out
// by hand from the planes of the features involved (named as Find explains). Where
// two or more planes are violated, the figures make the order of the planes decide the row.
#include "collision/state_tests.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "math/quaternion.h"
#include "support/shapes.h"

namespace {

// A feature named by its body-space corners: o, X, Y, Z are the tetrahedron's (0, 0, 0), (1, 0, 0),
// (0, 1, 0), (0, 0, 1); "+-+" is the box corner (1, -1, 1). One corner names a vertex, two an
// edge, three the face through them.
inline Feature* Find(Polyhedron& poly, const std::string& names) {
    std::istringstream in(names);
    std::vector<Vector3d> named;
    for (std::string c; in >> c;) {
        auto at = [&c](int i) {
            return c.size() == 1 ? (c == std::string(1, "XYZ"[i]) ? 1.0 : 0.0)
                   : c[i] == '+' ? 1.0
                                 : -1.0;
        };
        named.emplace_back(at(0), at(1), at(2));
    }
    auto all_named = [&named](Feature* feature, std::vector<PolyVertex*> corners) {
        size_t hits = 0;
        for (const PolyVertex* v : corners) {
            hits += std::count_if(named.begin(), named.end(), [v](const Vector3d& p) {
                return (p - v->position).Length() == 0;
            });
        }
        return hits == named.size() && (named.size() > 2 || corners.size() == named.size())
                   ? feature
                   : nullptr;
    };
    Feature* found = nullptr;
    for (PolyVertex& v : poly.vertices)
        found = found ? found : all_named(&v, {&v});
    for (PolyEdge& e : poly.edges)
        found = found ? found : all_named(&e, {e.head, e.tail});
    for (PolyFace& f : poly.faces)
        found = found ? found : all_named(&f, f.vertices);
    return found;
}

constexpr StepResult kMove = StepResult::Continue, kApart = StepResult::Disjoint,
                     kTouch = StepResult::Penetrating;
const char *kUpright = "++- +++", *kTop = "+++ -++ --+", *kPlusX = "+++ +-+ +--",
           *kMinusX = "-++ --+ ---";

Matrix4d At(Vector3d p, double degrees = 0, Vector3d axis = {0, 0, 1}, double scale = 1) {
    Matrix4d m = Quaternion::From_Axis_Angle(degrees, axis).To_Matrix() *
                 Matrix4d::Scale(scale, scale, scale);
    m.Set_Translation(p);
    return m;
}

const struct {
    const char* name;
    Matrix4d tetrahedron;
    const char *a, *b;  // the tetrahedron's feature, the box's
    StepResult result;
    const char *next_a, *next_b;  // where the slots end up; "" unchanged
} kSteps[] = {
    {"coincident corners", At({1, 1, 1}), "o", "+++", kTouch, "", ""},
    {"corners in each other's regions", At({1.5, 1.5, 1.5}), "o", "+++", kApart, "", ""},
    // +++ lies 0.5 beyond o's plane towards Y, 2 beyond that towards X; o lists Z, Y, X.
    {"first vertex, first violated link", At({-1, 0.5, 2}), "o", "+++", kMove, "o Y", ""},
    // o lies 0.5 beyond +++'s plane towards -++, 1 beyond that towards +-+; +++ lists ++-, -++,
    // +-+.
    {"second vertex, first violated link", At({0.5, 0, 2}, 180), "o", "+++", kMove, "", "+++ -++"},
    {"head plane before both face planes", At({0.5, 0.5, 3}), "o", kUpright, kMove, "", "+++"},
    {"tail plane before both face planes", At({0.5, 0.5, -3}), "o", kUpright, kMove, "", "++-"},
    {"left face plane (by 0.5) before right (3)", At({-2, 0.5, 0}), "o", kUpright, kMove, "",
     kPlusX},
    {"vertex in the edge's region", At({2, 2, 0}), "o", kUpright, kApart, "", ""},
    {"edge wholly outside a vertex plane", At({2, 2, 0}, 90, {1, 0, 0}), "o", kUpright, kMove,
     "o Z", ""},
    {"vertex on the edge", At({1, 1, 0}), "o", kUpright, kTouch, "", ""},
    {"most violated side (2, the second)", At({2, 3, 2}), "o", kTop, kMove, "", "+++ -++"},
    {"earlier side on a tie", At({2, 2, 2}), "o", kTop, kMove, "", "+-+ +++"},
    {"on the face's plane inside its region", At({0.25, 0.5, 1}), "o", kTop, kTouch, "", ""},
    {"above the face, no neighbour closer", At({0, 0, 3}), "o", kTop, kApart, "", ""},
    {"a neighbour nearer the plane above", At({0, 0, 3}, 180, {1, 0, 0}), "o", kTop, kMove, "o Z",
     ""},
    {"a neighbour nearer the plane below", At({0.5, 0.2, 0.1}, 180), "o", kMinusX, kMove, "o X",
     ""},
    {"least deep face of a local minimum", At({0.5, 0.2, 0.1}, 0, {}, 0.01), "o", kMinusX, kTouch,
     "", kPlusX},
    {"a face above a local minimum", At({1.5, 0.2, 0.1}, 0, {}, 0.01), "o", kMinusX, kMove, "",
     kPlusX},
    {"wholly beyond the tail plane and both faces", At({-3, 0, -5}), "o X", kUpright, kMove, "",
     "++-"},
    {"wholly beside one face", At({3, -0.5, 0}), "o X", kUpright, kMove, "", kPlusX},
    {"wholly beside both faces: the left", At({-3, 0, 0}), "o X", kUpright, kMove, "", kPlusX},
    {"through a derivative check's vertex", At({0.5, 1, 0.5}), "X Z", kUpright, kTouch, "", ""},
    {"crossing edges one apart", At({0, 0.5, 2}), "o Y", "+++ -++", kApart, "", ""},
    {"first clip moves on, second not run", At({0, 0.5, 2}), "o Y", "+-- ---", kMove, "",
     "++- -+- ---"},
    {"edge through the face", At({0.2, 0.3, 0.5}), "o Z", kTop, kTouch, "", ""},
    {"edge above the face: its lower end", At({-0.5, 0.2, 1.5}), "X Z", kTop, kMove, "X", ""},
    {"edge leaving through a side", At({0.5, 0.2, 1.5}), "X Z", kTop, kMove, "", "+-+ +++"},
    {"edge beyond one side, within its ends", At({2, -0.5, 2}), "o Y", kTop, kMove, "", "+-+ +++"},
    {"edge beyond two sides: their corner", At({1.5, 1.5, 2}), "o Y", kTop, kMove, "", "+++"},
    // Beyond the side x = 1 and, at its tail, beyond y = -1, the distance to +-+ falls by 0.05.
    {"a side's end plane leads the walk on", At({1.5, -1.5, 1.5}, -5.71), "o Y", kTop, kMove, "",
     "+-+"},
};

}  // namespace

TEST(StateTests, EachStepWorkedOutByHand) {
    for (const auto& step : kSteps) {
        SCOPED_TRACE(step.name);
        auto tetrahedron = Tetrahedron_Tables().Build(), box = Make_Box();
        Feature *fa = Find(*tetrahedron, step.a), *fb = Find(*box, step.b);
        ASSERT_TRUE(fa != nullptr && fb != nullptr);
        Feature *next_a = *step.next_a ? Find(*tetrahedron, step.next_a) : fa,
                *next_b = *step.next_b ? Find(*box, step.next_b) : fb;
        const Matrix4d rest;
        const WalkSide a{step.tetrahedron, 1}, b{rest, 1};  // stamp 1 is new to new polyhedra
        const int kinds = 3 * static_cast<int>(fa->kind) + static_cast<int>(fb->kind);
        EXPECT_EQ(kinds == 0   ? Vertex_Vertex_Test(fa, a, fb, b)
                  : kinds == 1 ? Vertex_Edge_Test(fa, a, fb, b)
                  : kinds == 2 ? Vertex_Face_Test(fa, a, fb, b, box->faces)
                  : kinds == 4 ? Edge_Edge_Test(fa, a, fb, b)
                               : Edge_Face_Test(fa, a, fb, b),
                  step.result);
        EXPECT_TRUE(fa == next_a && fb == next_b);
    }
}
