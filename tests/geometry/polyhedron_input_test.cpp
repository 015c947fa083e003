// The builder refuses anything but a closed convex polyhedron, before building, with a reason.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "geometry/generic_exception.h"
#include "geometry/polyhedron.h"
#include "support/shapes.h"

namespace {

// The fault the builder names for these tables, or "" when it builds them.
std::string Build_Fault(const ShapeTables& tables) {
    try {
        tables.Build();
    } catch (GenericException* e) {
        std::unique_ptr<GenericException> owned(e);
        EXPECT_EQ(e->Message(), "Polyhedron::Polyhedron: invalid shape");
        return e->Detail();
    }
    return "";
}

ShapeTables Replace_Face(ShapeTables t, int face, const std::vector<int>& loop) {
    int first = 0;
    for (int f = 0; f < face; ++f) {
        first += t.face_sizes[f];
    }
    t.face_indices.erase(t.face_indices.begin() + first, t.face_indices.begin() + first + t.face_sizes[face]);
    t.face_indices.insert(t.face_indices.begin() + first, loop.begin(), loop.end());
    t.face_sizes[face] = static_cast<int>(loop.size());
    return t;
}

ShapeTables Box_With(int face, const std::vector<int>& loop) { return Replace_Face(Box_Tables(), face, loop); }

ShapeTables Torus_Tables() {  // a 3 x 3 grid of quadrilaterals closed into a ring: one hole
    ShapeTables t;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const double u = 2 * M_PI * i / 3, v = 2 * M_PI * j / 3;
            t.coordinates.insert(t.coordinates.end(),
                                 {(2 + std::cos(v)) * std::cos(u), (2 + std::cos(v)) * std::sin(u), std::sin(v)});
        }
    }
    auto at = [](int i, int j) { return 3 * (i % 3) + j % 3; };
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            t.face_sizes.push_back(4);
            t.face_indices.insert(t.face_indices.end(), {at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)});
        }
    }
    return t;
}

}  // namespace

TEST(PolyhedronInput, GoodShapesBuild) {
    EXPECT_EQ(Build_Fault(Box_Tables()), "");
    EXPECT_EQ(Build_Fault(Paddle_Tables()), "");
    EXPECT_EQ(Build_Fault(Prism_Tables(12)), "");
}

TEST(PolyhedronInput, IndicesAndLoopsAreChecked) {
    EXPECT_NE(Build_Fault(Box_With(0, {0, 1, 2, 8})).find("names vertex 8, outside 0..7"), std::string::npos);
    EXPECT_NE(Build_Fault(Box_With(0, {0, 1, 2, -1})).find("names vertex -1"), std::string::npos);
    EXPECT_NE(Build_Fault(Box_With(0, {0, 1})).find("face 0 has 2 corners"), std::string::npos);
    EXPECT_NE(Build_Fault(Box_With(0, {0, 1, 1, 3})).find("visits vertex 1 twice"), std::string::npos);
}

TEST(PolyhedronInput, EverySideNeedsExactlyTwoOppositelyWoundFaces) {
    ShapeTables open = Box_Tables();  // the -y face missing
    open.face_sizes.pop_back();
    open.face_indices.resize(open.face_indices.size() - 4);
    EXPECT_NE(Build_Fault(open).find("not closed"), std::string::npos);

    // The +z face wound clockwise runs along its sides in the same direction as its neighbours.
    EXPECT_NE(Build_Fault(Box_With(0, {3, 2, 1, 0})).find("in the same direction"), std::string::npos);
}

TEST(PolyhedronInput, EdgeCountMustBeEulers) {
    EXPECT_NE(Build_Fault(Torus_Tables()).find("has 16"), std::string::npos);  // 18 edges, a hole

    ShapeTables two = Tetrahedron_Tables();  // two separate pieces: 12 edges where 14 are due
    const ShapeTables one = Tetrahedron_Tables();
    for (size_t i = 0; i < one.coordinates.size(); ++i) {
        two.coordinates.push_back(one.coordinates[i] + 5.0);
    }
    two.face_sizes.insert(two.face_sizes.end(), one.face_sizes.begin(), one.face_sizes.end());
    for (int index : one.face_indices) {
        two.face_indices.push_back(index + 4);
    }
    EXPECT_NE(Build_Fault(two).find("separate pieces"), std::string::npos);

    ShapeTables unused = Box_Tables();
    unused.coordinates.insert(unused.coordinates.end(), {0, 0, 0});
    EXPECT_NE(Build_Fault(unused).find("unused vertices"), std::string::npos);
}

TEST(PolyhedronInput, ShapeMustBeFlatFacedConvexAndWoundOutward) {
    ShapeTables inside_out = Box_Tables();
    for (size_t f = 0; f < inside_out.face_sizes.size(); ++f) {
        std::reverse(inside_out.face_indices.begin() + 4 * f, inside_out.face_indices.begin() + 4 * f + 4);
    }
    EXPECT_NE(Build_Fault(inside_out).find("not convex"), std::string::npos);

    ShapeTables bent = Box_Tables();
    bent.coordinates[2] = 1.2;  // vertex 0 lifted off the planes of its three faces
    EXPECT_NE(Build_Fault(bent).find("not flat"), std::string::npos);

    // An octahedron with one tip pushed inward past the middle: flat triangles, not convex.
    ShapeTables dented{{1, 0, 0, -1, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0.5, 0, 0, -1},
                       std::vector<int>(8, 3),
                       {0, 2, 4, 2, 1, 4, 1, 3, 4, 3, 0, 4, 2, 0, 5, 1, 2, 5, 3, 1, 5, 0, 3, 5}};
    EXPECT_EQ(Build_Fault(dented), "");
    dented.coordinates[14] = -0.5;
    EXPECT_NE(Build_Fault(dented).find("not convex"), std::string::npos);

    // A midpoint on the edge 0-1 of the +z face makes its first three corners collinear.
    ShapeTables midpoint = Replace_Face(Box_With(4, {0, 4, 5, 1, 8}), 0, {0, 8, 1, 2, 3});
    midpoint.coordinates.insert(midpoint.coordinates.end(), {0, 1, 1});
    EXPECT_NE(Build_Fault(midpoint).find("lie on one line"), std::string::npos);

    ShapeTables not_a_number = Box_Tables();
    not_a_number.coordinates[4] = std::numeric_limits<double>::quiet_NaN();
    EXPECT_NE(Build_Fault(not_a_number).find("vertex 1 has a coordinate"), std::string::npos);

    ShapeTables flat{{0, 0, 0, 1, 0, 0, 0, 1, 0}, {3, 3}, {0, 1, 2, 0, 2, 1}};
    EXPECT_NE(Build_Fault(flat).find("at least 4 vertices"), std::string::npos);
}
