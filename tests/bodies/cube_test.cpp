#include "bodies/cube.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "support/approx.h"
#include "support/gl_feedback.h"
#include "support/gl_window.h"

namespace {

class CubeDrawing : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(gl_.Ready()); }

    std::vector<FeedbackPolygon> Draw_Quads(Cube& cube) {
        std::vector<FeedbackPolygon> quads;
        EXPECT_TRUE(Record_Quads([&] { cube.Draw(); }, quads));
        return quads;
    }

    GlTestContext gl_;
};

// The six faces as a viewer expects them, each counter-clockwise seen from outside.
struct Face {
    Vector3d normal;
    std::vector<Vector3d> corners;
};
const Face kFaces[6] = {
    {{1, 0, 0}, {{1, 1, 1}, {1, -1, 1}, {1, -1, -1}, {1, 1, -1}}},
    {{-1, 0, 0}, {{-1, 1, -1}, {-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}}},
    {{0, 1, 0}, {{1, 1, 1}, {1, 1, -1}, {-1, 1, -1}, {-1, 1, 1}}},
    {{0, -1, 0}, {{1, -1, 1}, {-1, -1, 1}, {-1, -1, -1}, {1, -1, -1}}},
    {{0, 0, 1}, {{1, 1, 1}, {-1, 1, 1}, {-1, -1, 1}, {1, -1, 1}}},
    {{0, 0, -1}, {{1, -1, -1}, {-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}}},
};

// Twice the signed area vector of a planar polygon: its direction is the side from which the
// corners run counter-clockwise.
Vector3d Area_Vector(const std::vector<Vector3d>& corners) {
    Vector3d sum;
    for (size_t i = 0; i < corners.size(); ++i) {
        sum += Cross(corners[i], corners[(i + 1) % corners.size()]);
    }
    return sum;
}

}  // namespace

TEST(Cube, StartsAsAFixedUnitBoxWithNeutralParameters) {
    Cube cube("Wall");
    EXPECT_STREQ(cube.name, "Wall");
    EXPECT_EQ(cube.state.mode, SimMode::Fixed);
    EXPECT_EQ(cube.initial_state.mode, SimMode::Fixed);
    EXPECT_TRUE(Near(cube.state.scale, Vector3d(1, 1, 1), 0.0));
    EXPECT_EQ(cube.max_squash, 1.0);
    EXPECT_EQ(cube.max_stretch, 1.0);
    EXPECT_EQ(cube.stretch_rate, 1.0);
    EXPECT_EQ(cube.restitution, 1.0);
    EXPECT_FALSE(cube.casts_shadow);
    EXPECT_EQ(cube.subdivisions, 3);
    ASSERT_NE(cube.polyhedron, nullptr);
    EXPECT_EQ(cube.polyhedron->vertices.size(), 8u);
    EXPECT_EQ(cube.polyhedron->edges.size(), 12u);
    EXPECT_EQ(cube.polyhedron->faces.size(), 6u);
    EXPECT_EQ(cube.half_extent, 1.0);
}

TEST(Cube, TakesItsStartStateAndTheParametersInArgumentOrder) {
    SimState start;
    start.position = Vector3d(-6, 0, 5.5);
    start.scale = Vector3d(0.1, 1, 6);
    Cube wall("Left Wall", start, 0.1, 0.2, 0.3, 0.4, 0.5);
    EXPECT_TRUE(Near(wall.state.position, start.position, 0.0));
    EXPECT_TRUE(Near(wall.initial_state.scale, start.scale, 0.0));
    EXPECT_EQ(wall.max_squash, 0.1);
    EXPECT_EQ(wall.max_stretch, 0.2);
    EXPECT_EQ(wall.stretch_rate, 0.3);
    EXPECT_EQ(wall.squash_rate, 0.4);
    EXPECT_EQ(wall.restitution, 0.5);
    // The shape stays the unit box: the size lives in the state's scale.
    EXPECT_EQ(wall.half_extent, 1.0);
}

TEST(Cube, BoxShapeHasOutwardFacesInTheOrderTopBottomRightLeftBackFront) {
    const auto box = Make_Box_Shape();
    const Vector3d outward[6] = {{0, 0, 1},  {0, 0, -1}, {1, 0, 0},
                                 {-1, 0, 0}, {0, 1, 0},  {0, -1, 0}};
    ASSERT_EQ(box->faces.size(), 6u);
    for (int f = 0; f < 6; ++f) {
        std::vector<Vector3d> loop;
        for (const PolyVertex* v : box->faces[f].vertices) {
            loop.push_back(v->position);
            EXPECT_EQ(Dot(v->position, outward[f]), 1.0) << "face " << f;
        }
        EXPECT_TRUE(Near(Area_Vector(loop), outward[f] * 8.0)) << "face " << f;
    }
}

TEST_F(CubeDrawing, OneCellPerSideDrawsEachFaceAsItsFourCornersWithItsNormalAndColour) {
    Cube cube("Box");
    cube.subdivisions = 1;
    cube.Set_Color(0.25f, 0.5f, 0.75f);
    const auto quads = Draw_Quads(cube);
    ASSERT_EQ(quads.size(), 6u);
    for (int f = 0; f < 6; ++f) {
        EXPECT_TRUE(Same_Corners(Corners(quads[f]), kFaces[f].corners)) << "face " << f;
        for (const FeedbackVertex& v : quads[f]) {
            EXPECT_TRUE(Near(v.normal, kFaces[f].normal, 1e-6)) << "face " << f;
            EXPECT_FLOAT_EQ(v.color[0], 0.25f);
            EXPECT_FLOAT_EQ(v.color[1], 0.5f);
            EXPECT_FLOAT_EQ(v.color[2], 0.75f);
            EXPECT_FLOAT_EQ(v.color[3], 1.0f);
        }
        EXPECT_GT(Dot(Area_Vector(Corners(quads[f])), kFaces[f].normal), 0.0) << "face " << f;
    }
}

TEST_F(CubeDrawing, TwoCellsStartTheRightFaceAtItsTopBackCorner) {
    Cube cube("Box");
    cube.subdivisions = 2;
    const auto quads = Draw_Quads(cube);
    ASSERT_EQ(quads.size(), 24u);
    EXPECT_TRUE(Same_Corners(Corners(quads[0]), {{1, 1, 1}, {1, 0, 1}, {1, 0, 0}, {1, 1, 0}}));
    // i = 0, k = 1: the cell next to it towards the B-C side.
    EXPECT_TRUE(Same_Corners(Corners(quads[1]), {{1, 0, 1}, {1, -1, 1}, {1, -1, 0}, {1, 0, 0}}));
}

TEST_F(CubeDrawing, FinerGridsTileEveryFaceWithCellsOfItsOwnWinding) {
    for (int n : {3, 5}) {
        Cube cube("Box");
        cube.subdivisions = n;
        const auto quads = Draw_Quads(cube);
        ASSERT_EQ(quads.size(), static_cast<size_t>(6 * n * n)) << n << " cells";
        const double side = 2.0 / n;
        for (int f = 0; f < 6; ++f) {
            double covered = 0.0;
            for (int q = 0; q < n * n; ++q) {
                const auto corners = Corners(quads[f * n * n + q]);
                for (const Vector3d& c : corners) {
                    EXPECT_NEAR(Dot(c, kFaces[f].normal), 1.0, 1e-5) << "off face " << f;
                }
                const Vector3d area = Area_Vector(corners) * 0.5;
                EXPECT_NEAR(Dot(area, kFaces[f].normal), side * side, 1e-5) << "face " << f;
                covered += Dot(area, kFaces[f].normal);
            }
            EXPECT_NEAR(covered, 4.0, 1e-4) << "face " << f << " with " << n << " cells";
        }
    }
}

TEST_F(CubeDrawing, NoCellsDrawNoVertexAtAll) {
    for (int n : {0, -2}) {
        Cube cube("Box");
        cube.subdivisions = n;
        EXPECT_TRUE(Draw_Quads(cube).empty()) << n;
    }
}

TEST_F(CubeDrawing, DrawsAtItsPositionTurnedAndScaled) {
    Cube cube("Box");
    cube.subdivisions = 1;
    cube.state.position = Vector3d(1, 2, 3);
    cube.state.orientation = Quaternion::From_Axis_Angle(90, Vector3d(0, 0, 1));
    cube.state.scale = Vector3d(2, 1, 0.5);
    const auto quads = Draw_Quads(cube);
    ASSERT_EQ(quads.size(), 6u);
    // (1, 1, 1) scaled to (2, 1, 0.5), turned a quarter about z to (-1, 2, 0.5), moved by (1, 2,
    // 3).
    EXPECT_TRUE(Near(quads[0][0].position, Vector3d(0, 4, 3.5), 1e-5));
    // (1, -1, -1): (2, -1, -0.5), then (1, 2, -0.5), then (2, 4, 2.5).
    EXPECT_TRUE(Near(quads[0][2].position, Vector3d(2, 4, 2.5), 1e-5));
    // The +x face now faces +y; the scale does not tilt an axis-aligned normal.
    EXPECT_TRUE(Near(quads[0][0].normal, Vector3d(0, 1, 0), 1e-6));
    // The top stays on top, 0.5 above the centre.
    EXPECT_TRUE(Near(quads[4][0].normal, Vector3d(0, 0, 1), 1e-6));
    EXPECT_NEAR(quads[4][0].position.z, 3.5, 1e-5);
}

TEST_F(CubeDrawing, LeavesNormalizeOffAndTheMatrixStackAsItWas) {
    Cube cube("Box");
    cube.state.position = Vector3d(1, 2, 3);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslated(0.5, 0, 0);
    GLint depth_before = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_before);
    glEnable(GL_NORMALIZE);
    cube.Draw();
    EXPECT_FALSE(glIsEnabled(GL_NORMALIZE));
    GLint depth_after = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_after);
    EXPECT_EQ(depth_after, depth_before);
    GLdouble m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(m[12], 0.5);
    EXPECT_EQ(m[13], 0.0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
