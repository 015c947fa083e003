// The state tests one by one, on the unit box (corners at +-1) and the unit tetrahedron (corners
// (0,0,0), (1,0,0), (0,1,0), (0,0,1)) moved about: which neighbour replaces a feature, in which
// order the planes are tried, and when a pair is final.
#include "collision/state_tests.h"

#include <gtest/gtest.h>

#include <cmath>

#include "collision/feature_lookup.h"
#include "math/quaternion.h"
#include "support/shapes.h"

namespace {

Matrix4d Scaled_Translation(double s, double x, double y, double z) {
    Matrix4d m = Matrix4d::Scale(s, s, s);
    m.Set_Translation({x, y, z});
    return m;
}

// The unit box's faces by their outward direction.
PolyFace* Box_Face(Polyhedron& box, const Vector3d& outward) {
    for (PolyFace& f : box.faces) {
        Vector3d sum;
        for (const PolyVertex* v : f.vertices) {
            sum += v->position;
        }
        if (Dot(sum, outward) == 4.0) {
            return &f;
        }
    }
    return nullptr;
}

}  // namespace

TEST(VertexVertexTest, CoincidentVerticesPenetrateAndSeparateOnesAreFinal) {
    PlacedPolyhedron a(Box_Tables(), Matrix4d());
    PlacedPolyhedron b(Box_Tables(), Translation(2, 2, 2));
    Feature* va = Vertex_At(*a.polyhedron, {1, 1, 1});
    Feature* vb = Vertex_At(*b.polyhedron, {-1, -1, -1});
    const Feature* first = va;
    const Feature* second = vb;
    EXPECT_EQ(Vertex_Vertex_Test(va, a.New_Query(), vb, b.New_Query()), StepResult::Penetrating);
    EXPECT_EQ(va, first);
    EXPECT_EQ(vb, second);

    b.transform = Translation(2.5, 2.5, 2.5);
    EXPECT_EQ(Vertex_Vertex_Test(va, a.New_Query(), vb, b.New_Query()), StepResult::Disjoint);
}

TEST(VertexVertexTest, FirstViolatedLinkOfTheFirstVertexWins) {
    // The other vertex, at (0, 0, 5), lies on the edge side of the planes at (1, 1, 1) towards
    // (-1, 1, 1) and towards (1, -1, 1), not of the one towards (1, 1, -1).
    PlacedPolyhedron a(Box_Tables(), Matrix4d());
    PlacedPolyhedron b(Tetrahedron_Tables(), Translation(0, 0, 5));
    PolyVertex* corner = Vertex_At(*a.polyhedron, {1, 1, 1});
    Feature* va = corner;
    Feature* vb = Vertex_At(*b.polyhedron, {0, 0, 0});
    PolyEdge* expected = nullptr;
    for (FeatureLink* l = corner->links; l != nullptr && expected == nullptr; l = l->next) {
        if (l->edge->Other_End(corner)->position.z == 1.0) {
            expected = l->edge;
        }
    }
    EXPECT_EQ(Vertex_Vertex_Test(va, a.New_Query(), vb, b.New_Query()), StepResult::Continue);
    EXPECT_EQ(va, expected);
}

TEST(VertexEdgeTest, PlanesAreTriedHeadTailLeftRight) {
    PlacedPolyhedron box(Box_Tables(), Matrix4d());
    PolyEdge* edge = Edge_Between(*box.polyhedron, {1, 1, -1}, {1, 1, 1});
    PlacedPolyhedron tetra(Tetrahedron_Tables(), Matrix4d());
    Feature* v = Vertex_At(*tetra.polyhedron, {0, 0, 0});

    // Beyond the head and beside both faces: the head plane comes first.
    const double beyond_head = edge->head->position.z * 3.0;
    tetra.transform = Translation(3, 3, beyond_head);
    Feature* e = edge;
    EXPECT_EQ(Vertex_Edge_Test(v, tetra.New_Query(), e, box.New_Query()), StepResult::Continue);
    EXPECT_EQ(e, edge->head);

    // Between the ends, beside both faces (x > 1 side and y > 1 side, in the faces' own
    // regions): the left face's plane comes before the right's.
    tetra.transform = Translation(3, 0.5, 0);
    e = edge;
    EXPECT_EQ(Vertex_Edge_Test(v, tetra.New_Query(), e, box.New_Query()), StepResult::Continue);
    EXPECT_EQ(e, edge->left_face);

    // In the edge's region: final, and apart.
    tetra.transform = Translation(2, 2, 0);
    e = edge;
    EXPECT_EQ(Vertex_Edge_Test(v, tetra.New_Query(), e, box.New_Query()), StepResult::Disjoint);
    EXPECT_EQ(e, edge);
}

TEST(VertexFaceTest, TheMostViolatedSideWinsAndTheEarlierOnATie) {
    PlacedPolyhedron box(Box_Tables(), Matrix4d());
    PolyFace* top = Box_Face(*box.polyhedron, {0, 0, 1});
    PlacedPolyhedron tetra(Tetrahedron_Tables(), Matrix4d());
    Feature* v = Vertex_At(*tetra.polyhedron, {0, 0, 0});

    // Beyond the side at x = 1 by 2 and the side at y = 1 by 1: the x side.
    tetra.transform = Translation(3, 2, 2);
    Feature* f = top;
    EXPECT_EQ(Vertex_Face_Test(v, tetra.New_Query(), f, box.New_Query(), box.polyhedron->faces),
              StepResult::Continue);
    EXPECT_EQ(f, Edge_Between(*box.polyhedron, {1, 1, 1}, {1, -1, 1}));

    // Beyond both by the same amount: whichever of the two comes first in the face's ring.
    tetra.transform = Translation(2, 2, 2);
    f = top;
    EXPECT_EQ(Vertex_Face_Test(v, tetra.New_Query(), f, box.New_Query(), box.polyhedron->faces),
              StepResult::Continue);
    const PolyEdge* x_side = Edge_Between(*box.polyhedron, {1, 1, 1}, {1, -1, 1});
    const PolyEdge* y_side = Edge_Between(*box.polyhedron, {1, 1, 1}, {-1, 1, 1});
    const FeatureLink* l = top->sides;
    while (l->edge != x_side && l->edge != y_side) {
        l = l->next;
    }
    EXPECT_EQ(f, l->edge);
}

TEST(VertexFaceTest, VertexOnTheFacesPlaneInsideItsRegionTouches) {
    PlacedPolyhedron box(Box_Tables(), Matrix4d());
    PlacedPolyhedron tetra(Tetrahedron_Tables(), Translation(0.25, 0.5, 1));
    Feature* v = Vertex_At(*tetra.polyhedron, {0, 0, 0});
    Feature* f = Box_Face(*box.polyhedron, {0, 0, 1});
    EXPECT_EQ(Vertex_Face_Test(v, tetra.New_Query(), f, box.New_Query(), box.polyhedron->faces),
              StepResult::Penetrating);
}

TEST(VertexFaceTest, AnEdgeLeadingCloserReplacesTheVertex) {
    // Corner (0,0,0) 2 above the top face, its neighbour (0,0,1) 3 above, (1,0,0) and (0,1,0)
    // 2 above too: none closer. Turned upside down, (0,0,-1) is 1 above: that edge wins.
    PlacedPolyhedron box(Box_Tables(), Matrix4d());
    Matrix4d flipped = Matrix4d::Scale(1, -1, -1);
    flipped.Set_Translation({0, 0, 3});
    PlacedPolyhedron tetra(Tetrahedron_Tables(), Translation(0, 0, 3));
    PolyVertex* corner = Vertex_At(*tetra.polyhedron, {0, 0, 0});
    Feature* v = corner;
    Feature* f = Box_Face(*box.polyhedron, {0, 0, 1});
    EXPECT_EQ(Vertex_Face_Test(v, tetra.New_Query(), f, box.New_Query(), box.polyhedron->faces),
              StepResult::Disjoint);
    tetra.transform = flipped;
    EXPECT_EQ(Vertex_Face_Test(v, tetra.New_Query(), f, box.New_Query(), box.polyhedron->faces),
              StepResult::Continue);
    EXPECT_EQ(v, Edge_Between(*tetra.polyhedron, {0, 0, 0}, {0, 0, 1}));
}

TEST(VertexFaceTest, ALocalMinimumBelowAFaceLooksForTheLeastDeepFace) {
    // A tiny tetrahedron's corner at (0.5, 0.2, 0.1), inside the box, tested against the -x face
    // (1.5 deep): the face heights are -0.9 (+z), -1.1 (-z), -0.5 (+x), -1.5 (-x), -0.8 (+y),
    // -1.2 (-y). All negative: the least deep, +x, and contact.
    PlacedPolyhedron box(Box_Tables(), Matrix4d());
    PlacedPolyhedron tetra(Tetrahedron_Tables(), Scaled_Translation(0.01, 0.5, 0.2, 0.1));
    Feature* v = Vertex_At(*tetra.polyhedron, {0, 0, 0});
    Feature* f = Box_Face(*box.polyhedron, {-1, 0, 0});
    EXPECT_EQ(Vertex_Face_Test(v, tetra.New_Query(), f, box.New_Query(), box.polyhedron->faces),
              StepResult::Penetrating);
    EXPECT_EQ(f, Box_Face(*box.polyhedron, {1, 0, 0}));

    // The same corner at (1.5, 0.2, 0.1) lies 0.5 above the +x face: the search moves there.
    tetra.transform = Scaled_Translation(0.01, 1.5, 0.2, 0.1);
    f = Box_Face(*box.polyhedron, {-1, 0, 0});
    EXPECT_EQ(Vertex_Face_Test(v, tetra.New_Query(), f, box.New_Query(), box.polyhedron->faces),
              StepResult::Continue);
    EXPECT_EQ(f, Box_Face(*box.polyhedron, {1, 0, 0}));
}

TEST(EdgeClip, AnEdgeThroughTheVertexOfADerivativeCheckTouches) {
    // The tetrahedron's edge (1,0,0)-(0,0,1), moved by (0.5, 1, 0.5), runs from (1.5, 1, 0.5) to
    // (0.5, 1, 1.5) and crosses the upright box edge's top plane exactly at its corner (1, 1, 1).
    PlacedPolyhedron box(Box_Tables(), Matrix4d());
    PlacedPolyhedron tetra(Tetrahedron_Tables(), Translation(0.5, 1, 0.5));
    PolyEdge* upright = Edge_Between(*box.polyhedron, {1, 1, -1}, {1, 1, 1});
    Feature* e = upright;
    PolyEdge& c = *Edge_Between(*tetra.polyhedron, {1, 0, 0}, {0, 0, 1});
    EXPECT_EQ(Edge_Clip(e, box.New_Query(), tetra.New_Query().Refreshed(c)),
              StepResult::Penetrating);
    EXPECT_EQ(e, upright);
}

TEST(EdgeClip, AnEdgeWhollyBeyondAnEndPlaneMovesToThatEnd) {
    PlacedPolyhedron box(Box_Tables(), Matrix4d());
    PolyEdge* upright = Edge_Between(*box.polyhedron, {1, 1, -1}, {1, 1, 1});
    // Far beyond the tail, though also beside both faces: the end planes come first.
    PlacedPolyhedron tetra(Tetrahedron_Tables(), Translation(3, 3, upright->tail->position.z * 5));
    PolyEdge& c = *Edge_Between(*tetra.polyhedron, {0, 0, 0}, {1, 0, 0});
    Feature* e = upright;
    EXPECT_EQ(Edge_Clip(e, box.New_Query(), tetra.New_Query().Refreshed(c)), StepResult::Continue);
    EXPECT_EQ(e, upright->tail);
}

TEST(EdgeClip, AnEdgeWhollyBesideOneFaceMovesToThatFace) {
    // From (3, -0.5, 0) to (4, -0.5, 0): beside the +x face of the upright edge at (1, 1), inside
    // its end planes and on the edge's side of the +y face's plane.
    PlacedPolyhedron box(Box_Tables(), Matrix4d());
    PlacedPolyhedron tetra(Tetrahedron_Tables(), Translation(3, -0.5, 0));
    PolyEdge* upright = Edge_Between(*box.polyhedron, {1, 1, -1}, {1, 1, 1});
    PolyEdge& c = *Edge_Between(*tetra.polyhedron, {0, 0, 0}, {1, 0, 0});
    Feature* e = upright;
    EXPECT_EQ(Edge_Clip(e, box.New_Query(), tetra.New_Query().Refreshed(c)), StepResult::Continue);
    EXPECT_EQ(e, Box_Face(*box.polyhedron, {1, 0, 0}));
}

TEST(EdgeEdgeTest, FinalOnlyWhenBothClipsAre) {
    // Box edges crossing at right angles one unit apart: the first box turned 45 degrees about x
    // has its top edge along x at height sqrt(2); the second, turned about y and raised by
    // 2 sqrt(2) + 1, has its bottom edge along y at height sqrt(2) + 1.
    PlacedPolyhedron a(Box_Tables(), Quaternion::From_Axis_Angle(45.0, {1, 0, 0}).To_Matrix());
    Matrix4d mb = Quaternion::From_Axis_Angle(45.0, {0, 1, 0}).To_Matrix();
    mb.Set_Translation({0, 0, 2.0 * std::sqrt(2.0) + 1.0});
    PlacedPolyhedron b(Box_Tables(), mb);
    PolyEdge* top = Edge_Between(*a.polyhedron, {1, 1, 1}, {-1, 1, 1});
    PolyEdge* bottom = Edge_Between(*b.polyhedron, {1, 1, -1}, {1, -1, -1});
    ASSERT_NE(top, nullptr);
    ASSERT_NE(bottom, nullptr);
    Feature* e1 = top;
    Feature* e2 = bottom;
    EXPECT_EQ(Edge_Edge_Test(e1, a.New_Query(), e2, b.New_Query()), StepResult::Disjoint);
    EXPECT_EQ(e1, top);
    EXPECT_EQ(e2, bottom);

    // Against an edge of the second box far from the first edge's region, the first clip moves
    // the second edge and the first edge is left alone.
    Feature* far = Edge_Between(*b.polyhedron, {-1, 1, 1}, {-1, -1, 1});
    e2 = far;
    EXPECT_EQ(Edge_Edge_Test(e1, a.New_Query(), e2, b.New_Query()), StepResult::Continue);
    EXPECT_EQ(e1, top);
    EXPECT_NE(e2, far);
}

TEST(EdgeFaceTest, AnEdgeCrossingTheFaceInsideItsRegionPenetrates) {
    PlacedPolyhedron tetra(Tetrahedron_Tables(), Translation(0.2, 0.3, 0.5));
    PlacedPolyhedron box(Box_Tables(), Matrix4d());
    Feature* e = Edge_Between(*tetra.polyhedron, {0, 0, 0}, {0, 0, 1});
    Feature* f = Box_Face(*box.polyhedron, {0, 0, 1});
    EXPECT_EQ(Edge_Face_Test(e, tetra.New_Query(), f, box.New_Query()), StepResult::Penetrating);
}

TEST(EdgeFaceTest, AnEdgeAboveTheFaceMovesOnAndIsNeverFinal) {
    // Slanted edge (1,0,0)-(0,0,1) above the top face, wholly inside its region.
    PlacedPolyhedron tetra(Tetrahedron_Tables(), Translation(-0.5, 0.2, 1.5));
    PlacedPolyhedron box(Box_Tables(), Matrix4d());
    PolyEdge* slanted = Edge_Between(*tetra.polyhedron, {1, 0, 0}, {0, 0, 1});
    PolyFace* top = Box_Face(*box.polyhedron, {0, 0, 1});
    Feature* e = slanted;
    Feature* f = top;
    EXPECT_EQ(Edge_Face_Test(e, tetra.New_Query(), f, box.New_Query()), StepResult::Continue);
    // The lower end, (0.5, 0.2, 1.5), is the closer: the edge gives way to it.
    EXPECT_EQ(f, top);
    EXPECT_EQ(e, Vertex_At(*tetra.polyhedron, {1, 0, 0}));

    // Leaving the region through the side x = 1 on its way down: the face gives way to that side.
    tetra.transform = Translation(0.5, 0.2, 1.5);
    e = slanted;
    EXPECT_EQ(Edge_Face_Test(e, tetra.New_Query(), f, box.New_Query()), StepResult::Continue);
    EXPECT_EQ(e, slanted);
    EXPECT_EQ(f, Edge_Between(*box.polyhedron, {1, 1, 1}, {1, -1, 1}));
}

TEST(EdgeFaceTest, AnEdgeOffACornerEndsTheBoundaryWalkAtThatCorner) {
    // Above the corner (1, 1, 1), beyond both of its sides: the walk steps from one side to the
    // other and back, and stops at the corner they share.
    PlacedPolyhedron tetra(Tetrahedron_Tables(), Translation(1.5, 1.5, 2));
    PlacedPolyhedron box(Box_Tables(), Matrix4d());
    Feature* e = Edge_Between(*tetra.polyhedron, {0, 0, 0}, {0, 1, 0});
    Feature* f = Box_Face(*box.polyhedron, {0, 0, 1});
    EXPECT_EQ(Edge_Face_Test(e, tetra.New_Query(), f, box.New_Query()), StepResult::Continue);
    EXPECT_EQ(f, Vertex_At(*box.polyhedron, {1, 1, 1}));
}
