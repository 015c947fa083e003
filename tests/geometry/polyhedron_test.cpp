#include "geometry/polyhedron.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/approx.h"
#include "support/shapes.h"

namespace {

int Count_Links(const FeatureLink* first) {
    int count = 0;
    for (const FeatureLink* l = first; l != nullptr; l = l->next) {
        ++count;
    }
    return count;
}

int Ring_Size(const PolyFace& face) {
    int count = 0;
    const FeatureLink* l = face.sides;
    do {
        ++count;
        EXPECT_EQ(l->next->prev, l);
        l = l->next;
    } while (l != face.sides && count <= 1000);
    return count;
}

// True when `first` is directly followed by `second` somewhere in the face's loop.
bool Loop_Runs(const PolyFace& face, const PolyVertex* first, const PolyVertex* second) {
    const int n = face.vertex_count;
    for (int k = 0; k < n; ++k) {
        if (face.vertices[k] == first && face.vertices[(k + 1) % n] == second) {
            return true;
        }
    }
    return false;
}

// Adjacency every built polyhedron must have, whatever its shape.
void Expect_Consistent_Topology(const Polyhedron& poly) {
    EXPECT_EQ(poly.edges.size(), poly.vertices.size() + poly.faces.size() - 2);
    for (const PolyEdge& e : poly.edges) {
        ASSERT_NE(e.left_face, nullptr);
        ASSERT_NE(e.right_face, nullptr);
        EXPECT_TRUE(Loop_Runs(*e.left_face, e.tail, e.head));
        EXPECT_TRUE(Loop_Runs(*e.right_face, e.head, e.tail));
        EXPECT_EQ(e.left_plane.face, e.left_face);
        EXPECT_EQ(e.right_plane.face, e.right_face);
        EXPECT_TRUE(e.head_plane.at_head);
        EXPECT_FALSE(e.tail_plane.at_head);
        for (const VoronoiPlane* p : {&e.head_plane, &e.tail_plane, &e.left_plane, &e.right_plane}) {
            EXPECT_EQ(p->edge, &e);
        }
        EXPECT_NEAR(e.length, (e.head->position - e.tail->position).Length(), 1e-15);
    }
    size_t vertex_links = 0;
    for (const PolyVertex& v : poly.vertices) {
        EXPECT_EQ(v.kind, FeatureKind::Vertex);
        for (const FeatureLink* l = v.links; l != nullptr; l = l->next) {
            EXPECT_TRUE(l->edge->head == &v || l->edge->tail == &v);
            EXPECT_EQ(l->plane, l->edge->head == &v ? &l->edge->head_plane : &l->edge->tail_plane);
            if (l->next != nullptr) {
                EXPECT_EQ(l->next->prev, l);
            }
            ++vertex_links;
        }
    }
    EXPECT_EQ(vertex_links, 2 * poly.edges.size());
    for (const PolyFace& f : poly.faces) {
        EXPECT_EQ(Ring_Size(f), f.vertex_count);
        // The ring starts with the side from the last loop vertex to the first, then follows the loop.
        const FeatureLink* l = f.sides;
        for (int k = 0; k < f.vertex_count; ++k, l = l->next) {
            const PolyVertex* from = f.vertices[(k + f.vertex_count - 1) % f.vertex_count];
            const PolyVertex* to = f.vertices[k];
            const bool left = l->edge->left_face == &f;
            EXPECT_EQ(l->plane, left ? &l->edge->left_plane : &l->edge->right_plane);
            EXPECT_EQ(left ? l->edge->tail : l->edge->head, from);
            EXPECT_EQ(left ? l->edge->head : l->edge->tail, to);
        }
    }
}

}  // namespace

TEST(Polyhedron, UnitBoxHasTwelveEdgesThreeLinksPerVertexAndFourSidesPerFace) {
    auto box = Make_Box();
    EXPECT_EQ(box->vertices.size(), 8u);
    EXPECT_EQ(box->edges.size(), 12u);
    EXPECT_EQ(box->faces.size(), 6u);
    for (const PolyVertex& v : box->vertices) {
        EXPECT_EQ(Count_Links(v.links), 3);
    }
    Expect_Consistent_Topology(*box);
    EXPECT_EQ(box->X_Half_Extent(), 1.0);
    EXPECT_EQ(box->stamp, 0u);
}

TEST(Polyhedron, TetrahedronPaddleAndPrismsBuildWithEulersEdgeCount) {
    auto tetrahedron = Tetrahedron_Tables().Build();
    EXPECT_EQ(tetrahedron->edges.size(), 6u);
    Expect_Consistent_Topology(*tetrahedron);

    auto paddle = Paddle_Tables().Build();
    EXPECT_EQ(paddle->vertices.size(), 16u);
    EXPECT_EQ(paddle->edges.size(), 28u);
    EXPECT_EQ(paddle->X_Half_Extent(), 1.0);
    Expect_Consistent_Topology(*paddle);

    for (int sides : {3, 5, 8, 40}) {
        SCOPED_TRACE(sides);
        auto prism = Prism_Tables(sides).Build();
        EXPECT_EQ(prism->edges.size(), 3u * sides);
        Expect_Consistent_Topology(*prism);
    }
}

TEST(Polyhedron, EdgesAreNumberedInTheOrderTheFacesMeetThem) {
    auto box = Make_Box();
    // The +z face (0, 1, 2, 3) is built first: its sides 3->0, 0->1, 1->2, 2->3 become edges 0..3.
    const PolyVertex* v = box->vertices.data();
    EXPECT_EQ(box->edges[0].tail, v + 3);
    EXPECT_EQ(box->edges[0].head, v + 0);
    EXPECT_EQ(box->edges[1].tail, v + 0);
    EXPECT_EQ(box->edges[1].head, v + 1);
    EXPECT_EQ(box->edges[3].head, v + 3);
    EXPECT_EQ(box->edges[0].left_face, &box->faces[0]);
    // The -z face (7, 6, 5, 4) shares no side with it, so its sides are new edges 4..7.
    EXPECT_EQ(box->edges[4].tail, v + 4);
    EXPECT_EQ(box->edges[4].head, v + 7);
    // The +x face (0, 3, 7, 4) meets edge 0 (3 -> 0) as 0 -> 3 and becomes its right face.
    EXPECT_EQ(box->edges[0].right_face, &box->faces[2]);
}

TEST(Polyhedron, AVertexListsItsNewestEdgeFirst) {
    auto box = Make_Box();
    for (const PolyVertex& v : box->vertices) {
        const PolyEdge* newest = nullptr;
        for (const PolyEdge& e : box->edges) {
            if (e.head == &v || e.tail == &v) {
                newest = &e;
            }
        }
        EXPECT_EQ(v.links->edge, newest);
        // ...and the oldest last.
        const FeatureLink* last = v.links;
        while (last->next != nullptr) {
            last = last->next;
        }
        const auto oldest = std::find_if(box->edges.begin(), box->edges.end(),
                                         [&](const PolyEdge& e) { return e.head == &v || e.tail == &v; });
        EXPECT_EQ(last->edge, &*oldest);
    }
}

TEST(Polyhedron, FaceRefreshGivesTheOutwardPlane) {
    auto box = Make_Box();
    PolyFace& top = box->faces[0];
    top.Refresh(Matrix4d::Identity(), 1);
    EXPECT_TRUE(Near(top.plane.normal, Vector3d(0, 0, 1), 0.0));
    EXPECT_EQ(top.plane.offset, -1.0);
    for (const PolyVertex* v : top.vertices) {
        EXPECT_EQ(v->stamp, 1u);
    }
}

TEST(Polyhedron, RefreshRecomputesOnlyForANewStamp) {
    auto box = Make_Box();
    PolyEdge& edge = box->edges[0];
    Matrix4d moved;
    moved.Set_Translation(Vector3d(10, 20, 30));

    edge.right_plane.Refresh(Matrix4d::Identity(), 1);
    const Vector3d head_before = edge.head->world;
    const double offset_before = edge.right_plane.offset;

    // Same stamp, other transform: everything stays stale on purpose.
    edge.right_plane.Refresh(moved, 1);
    edge.Refresh(moved, 1);
    EXPECT_TRUE(Near(edge.head->world, head_before, 0.0));
    EXPECT_EQ(edge.right_plane.offset, offset_before);

    // A new stamp recomputes the plane and everything it reads.
    edge.right_plane.Refresh(moved, 2);
    EXPECT_TRUE(Near(edge.head->world, head_before + Vector3d(10, 20, 30), 0.0));
    EXPECT_EQ(edge.stamp, 2u);
    EXPECT_EQ(edge.right_face->stamp, 2u);
    // The plane's normal is unchanged by a translation; its offset moves with it.
    EXPECT_NE(edge.right_plane.offset, offset_before);

    // A vertex untouched by that plane keeps its old cache.
    int stale = 0;
    for (const PolyVertex& v : box->vertices) {
        stale += v.stamp != 2u;
    }
    EXPECT_GT(stale, 0);
}
