// The builder's adjacency, caches and faults; the collision tests cross-check the plane values.
#include "geometry/polyhedron.h"

#include <algorithm>
#include <memory>

#include "geometry/generic_exception.h"
#include "support/approx.h"
#include "support/hull.h"

TEST(Polyhedron, AdjacencyItsOrdersAndLazyWorldValues) {
    TestRandom random(3);
    SCOPED_TRACE(random.Trace());
    const ShapeTables prism{{0, 0, 1, 1, 0, 1, 0, 1, 1, 0, 0, -1, 1, 0, -1, 0, 1, -1},
                            {3, 3, 4, 4, 4},  // a prism: faces of three and of four corners
                            {0, 1, 2, 3, 5, 4, 0, 3, 4, 1, 0, 2, 5, 3, 1, 4, 5, 2}};
    for (const ShapeTables& tables : {Box_Tables(), Tetrahedron_Tables(), Paddle_Tables(), prism,
                                      Random_Hull_Tables(random, 60)}) {
        const auto poly = tables.Build();
        ASSERT_EQ(poly->edges.size(), poly->vertices.size() + poly->faces.size() - 2);
        size_t links = 0;
        for (const PolyVertex& v : poly->vertices) {  // one link per edge, the newest edge first
            for (const FeatureLink* l = v.links; l != nullptr; l = l->next, ++links) {
                EXPECT_EQ(l->plane,
                          l->edge->head == &v ? &l->edge->head_plane : &l->edge->tail_plane);
                EXPECT_EQ(l->next ? l->next->prev : l, l);
                EXPECT_TRUE(l->next == nullptr || l->next->edge < l->edge) << "not newest first";
            }
        }
        EXPECT_EQ(links, 2 * poly->edges.size());
        const PolyEdge* next_new = poly->edges.data();  // numbered as the faces first meet them
        for (const PolyFace& f : poly->faces) {
            const FeatureLink* l = f.sides;  // from the last loop vertex to the first, then on
            for (int k = 0; k < f.vertex_count; ++k, l = l->next) {
                const PolyEdge& e = *l->edge;
                const bool left = e.left_face == &f;
                const PolyVertex* from = f.vertices[(k + f.vertex_count - 1) % f.vertex_count];
                EXPECT_EQ(left ? e.tail : e.head, from);
                EXPECT_EQ(left ? e.head : e.tail, f.vertices[k]);
                EXPECT_EQ(l->plane, left ? &e.left_plane : &e.right_plane);
                EXPECT_EQ(l->next->prev, l);
                EXPECT_TRUE(!left || &e == next_new++) << "not numbered as the faces meet them";
            }
        }
    }

    // World values are computed once per stamp, and only those that are read.
    auto box = Make_Box();
    PolyEdge& edge = box->edges[0];  // from (1, -1, 1) to (1, 1, 1), along the +z and +x faces
    Matrix4d moved;
    moved.Set_Translation({10, 20, 30});
    edge.right_plane.Refresh(Matrix4d(), 1);
    edge.right_plane.Refresh(moved, 1);  // the same stamp: stale on purpose
    EXPECT_EQ(edge.right_plane.offset, 1.0);
    edge.right_plane.Refresh(moved, 2);
    EXPECT_EQ(edge.right_plane.offset, 31.0);
    EXPECT_EQ(box->vertices[1].stamp, 0u) << "a corner the plane does not read stays untouched";
}

TEST(Polyhedron, BadShapesAreRefusedNamingTheFault) {
    const ShapeTables box = Box_Tables();
    auto with_loop = [&box](int face, const std::vector<int>& loop) {  // in place of 4 corners
        ShapeTables t = box;
        const auto at = t.face_indices.begin() + 4 * face;
        t.face_indices.insert(t.face_indices.erase(at, at + 4), loop.begin(), loop.end());
        t.face_sizes[face] = static_cast<int>(loop.size());
        return t;
    };
    auto with_value = [](ShapeTables t, size_t index, double value) {  // a coordinate, maybe new
        t.coordinates.resize(std::max(t.coordinates.size(), index + 1));
        t.coordinates[index] = value;
        return t;
    };
    const std::tuple<const char*, ShapeTables, const char*> rows[] = {
        {"index past the end", with_loop(0, {0, 1, 2, 8}), "face 0 names vertex 8, outside 0..7"},
        {"negative index", with_loop(0, {0, 1, 2, -1}), "names vertex -1"},
        {"face of two corners", with_loop(0, {0, 1}), "face 0 has 2 corners"},
        {"corner twice", with_loop(0, {0, 1, 1, 3}), "visits vertex 1 twice"},
        {"clockwise face", with_loop(0, {3, 2, 1, 0}), "in the same direction"},
        {"hole", with_loop(5, {3, 2, 6}), "the surface is not closed"},
        {"unused vertex", with_value(box, 26, 0.0), "9 vertices and 6 faces has 13"},
        {"inside out", with_value(Tetrahedron_Tables(), 11, -1.0), "the shape is not convex"},
        {"bent face", with_value(box, 2, 1.2), "face 0 is not flat"},
        {"not a number", with_value(box, 4, NAN), "vertex 1 has a coordinate that is not a finite"},
        {"corners 0 and 1 all but together", with_value(box, 3, 1 - 2.5e-9),
         "corners of face 0 lie on one line"},
        {"flat", {{0, 0, 0, 1, 0, 0, 0, 1, 0}, {3, 3}, {0, 1, 2, 0, 2, 1}}, "at least 4 vertices"},
        {"a point", {std::vector<double>(24, 5.0), box.face_sizes, box.face_indices}, "one line"}};
    for (const auto& [name, tables, fault] : rows) {
        try {
            tables.Build();
            ADD_FAILURE() << name << ": built";
        } catch (GenericException* e) {
            const std::unique_ptr<GenericException> owned(e);
            EXPECT_EQ(e->Message(), "Polyhedron::Polyhedron: invalid shape") << name;
            EXPECT_NE(e->Detail().find(fault), std::string::npos) << name << ": " << e->Detail();
        }
    }
    // The tolerances grow with the shape: a thousand times larger, a corner 1e-7 off its face is
    // on it.
    ShapeTables large = box;
    for (double& coordinate : large.coordinates) {
        coordinate *= 1000;
    }
    large.coordinates[2] += 1e-7;
    EXPECT_NO_THROW(large.Build());
}
