#include "bodies/poly_object.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "geometry/generic_exception.h"
#include "support/approx.h"
#include "support/gl_feedback.h"
#include "support/gl_window.h"

namespace {

// A square pyramid, base (+-1, +-1, 0), apex (0, 0, 1). The base has four corner colours and one
// normal; the front face two normals; the right face three; the back face one normal and one
// colour throughout.
constexpr char kPyramid[] = R"(5
-1 -1 0   1 -1 0   1 1 0   -1 1 0   0 0 1
6
0 0 -1   0 -2 1   2 0 1   0 2 1   -2 0 1   0 0 1
4
1 0 0   0 1 0   0 0 1   1 1 0
5
4 3 3 3 3
0 0 0  3 0 1  2 0 2  1 0 3
0 1 0  1 1 1  4 5 2
1 1 0  2 2 1  4 5 2
2 3 3  3 3 3  4 3 3
3 4 0  0 4 1  4 5 2
)";

const Vector3d kCorners[5] = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}, {0, 0, 1}};
const Vector3d kColors[4] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}};
const double kSide = 1.0 / std::sqrt(5.0);
const Vector3d kNormals[6] = {{0, 0, -1},
                              {0, -2 * kSide, kSide},
                              {2 * kSide, 0, kSide},
                              {0, 2 * kSide, kSide},
                              {-2 * kSide, 0, kSide},
                              {0, 0, 1}};
// Per face, per corner: vertex, normal, colour.
const std::vector<std::vector<std::array<int, 3>>> kFaces = {
    {{0, 0, 0}, {3, 0, 1}, {2, 0, 2}, {1, 0, 3}},
    {{0, 1, 0}, {1, 1, 1}, {4, 5, 2}},
    {{1, 1, 0}, {2, 2, 1}, {4, 5, 2}},
    {{2, 3, 3}, {3, 3, 3}, {4, 3, 3}},
    {{3, 4, 0}, {0, 4, 1}, {4, 5, 2}},
};

class MeshFile {
public:
    explicit MeshFile(const char* text)
        : path_(std::filesystem::temp_directory_path() /
                ("tovrel-mesh-" + std::to_string(::getpid()) + ".poly")) {
        std::ofstream(path_) << text;
    }
    ~MeshFile() { std::filesystem::remove(path_); }
    const char* Path() const { return path_.c_str(); }

private:
    std::filesystem::path path_;
};

std::unique_ptr<PolyObject> Load_Pyramid(const MeshFile& file) {
    return std::make_unique<PolyObject>(file.Path(), "Ball", Vector3d(1, 1, 1), Vector3d(0, 0, 0));
}

class PolyObjectDrawing : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(gl_.Ready()); }

    // What `draw` emitted, as the pyramid's five polygons.
    std::vector<FeedbackPolygon> Record_Faces(const std::function<void()>& draw) {
        std::vector<FeedbackPolygon> triangles, faces;
        EXPECT_TRUE(Record_Feedback(draw, triangles));
        EXPECT_TRUE(Join_Polygons(triangles, {4, 3, 3, 3, 3}, faces));
        return faces;
    }

    GlTestContext gl_;
    MeshFile file_{kPyramid};
};

const float kFloor[4] = {0, 0, 1, 0};

}  // namespace

TEST(PolyObject, ReadsTheTablesScaledAndMovedAndBuildsTheShape) {
    MeshFile file(kPyramid);
    PolyObject body(file.Path(), "Ball", Vector3d(2, 1, 0.5), Vector3d(1, 0, 0));
    EXPECT_EQ(body.path, file.Path());
    EXPECT_STREQ(body.name, "Ball");
    ASSERT_EQ(body.mesh_vertices.size(), 5u);
    EXPECT_TRUE(Near(body.mesh_vertices[0], Vector3d(-1, -1, 0)));
    EXPECT_TRUE(Near(body.mesh_vertices[4], Vector3d(1, 0, 0.5)));
    // Normals go through the inverse scale: (0, -2, 1) / (2, 1, 0.5) = (0, -2, 2).
    EXPECT_TRUE(Near(body.mesh_normals[1], Vector3d(0, -1, 1) * (1 / std::sqrt(2.0))));
    EXPECT_EQ(body.mesh_colors.size(), 4u);
    EXPECT_EQ(body.face_sizes, (std::vector<int>{4, 3, 3, 3, 3}));
    EXPECT_EQ(body.vertex_indices.size(), 16u);
    EXPECT_EQ(body.color_indices[3], 3);
    ASSERT_NE(body.polyhedron, nullptr);
    EXPECT_EQ(body.polyhedron->faces.size(), 5u);
    EXPECT_EQ(body.polyhedron->edges.size(), 8u);
    EXPECT_EQ(body.half_extent, 2.0);  // x runs from -1 to 3
    EXPECT_EQ(body.state.mode, SimMode::Fixed);
    EXPECT_EQ(body.max_stretch, 1.0);
    EXPECT_EQ(body.restitution, 1.0);
    EXPECT_FALSE(body.casts_shadow);
}

TEST(PolyObject, MissingFileThrowsTheReadersExceptionNamingIt) {
    const char* path = "no/such/sphere.poly";
    try {
        PolyObject body(path, "Ball", Vector3d(1, 1, 1), Vector3d(0, 0, 0));
        FAIL() << "a body was built from a missing file";
    } catch (GenericException* e) {
        std::unique_ptr<GenericException> owned(e);
        EXPECT_EQ(e->Message(), std::string("PolyObject::PolyObject: Cannot open file: ") + path);
    }
}

TEST(PolyObject, TheDemoBallLoads) {
    const std::string path = std::string(TOVREL_SOURCE_DIR) + "/data/objects/sphere.poly";
    const double s = static_cast<double>(0.3f);
    PolyObject ball(path.c_str(), "Ball", Vector3d(s, s, s), Vector3d(0, 0, 0));
    EXPECT_EQ(ball.face_sizes.size(), 320u);
    EXPECT_GT(ball.half_extent, 0.25);
    EXPECT_LE(ball.half_extent, s);
}

TEST_F(PolyObjectDrawing, DrawsEveryCornerWithItsOwnColourAndNormal) {
    auto body = Load_Pyramid(file_);
    const auto faces = Record_Faces([&] { body->Draw(); });
    ASSERT_EQ(faces.size(), 5u);
    for (size_t f = 0; f < 5; ++f) {
        ASSERT_EQ(faces[f].size(), kFaces[f].size());
        for (size_t k = 0; k < faces[f].size(); ++k) {
            const FeedbackVertex& v = faces[f][k];
            const auto [vertex, normal, color] = kFaces[f][k];
            EXPECT_TRUE(Near(v.position, kCorners[vertex], 1e-5))
                << "face " << f << " corner " << k;
            EXPECT_TRUE(Near(v.normal, kNormals[normal], 1e-6)) << "face " << f << " corner " << k;
            EXPECT_TRUE(Near(Vector3d(v.color[0], v.color[1], v.color[2]), kColors[color], 1e-6))
                << "face " << f << " corner " << k;
            EXPECT_EQ(v.color[3], 1.0f);
        }
    }
    // The right face is smooth: three normals. The back face is flat: one.
    EXPECT_FALSE(Near(faces[2][0].normal, faces[2][1].normal, 1e-3));
    EXPECT_FALSE(Near(faces[2][1].normal, faces[2][2].normal, 1e-3));
    EXPECT_TRUE(Near(faces[3][0].normal, faces[3][2].normal, 0.0));
}

TEST_F(PolyObjectDrawing, DrawsInItsCommittedPose) {
    auto body = Load_Pyramid(file_);
    body->state.position = Vector3d(1, 2, 3);
    body->state.orientation = Quaternion::From_Axis_Angle(90, Vector3d(1, 0, 0));
    body->state.scale = Vector3d(2, 2, 2);
    const auto faces = Record_Faces([&] { body->Draw(); });
    ASSERT_EQ(faces.size(), 5u);
    // The apex (0, 0, 1): scaled to (0, 0, 2), a quarter turn about x takes it to (0, -2, 0).
    EXPECT_TRUE(Near(faces[1][2].position, Vector3d(1, 0, 3), 1e-5));
    // The base's normal (0, 0, -1) turns to (0, 1, 0); the body does not renormalise it, so the
    // scale of 2 halves it.
    EXPECT_TRUE(Near(faces[0][0].normal, Vector3d(0, 0.5, 0), 1e-6));
}

TEST_F(PolyObjectDrawing, LeavesTexturingOffAndLightingOnWhateverTheyWere) {
    auto body = Load_Pyramid(file_);
    for (bool before : {false, true}) {
        if (before) {
            glEnable(GL_TEXTURE_2D);
            glEnable(GL_LIGHTING);
        } else {
            glDisable(GL_TEXTURE_2D);
            glDisable(GL_LIGHTING);
        }
        body->Draw();
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << before;
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING)) << before;
    }
}

TEST_F(PolyObjectDrawing, ShadowFromAboveDropsEveryCornerOntoTheFloorInTranslucentBlack) {
    auto body = Load_Pyramid(file_);
    body->state.position = Vector3d(2, 3, 4);  // the apex at (2, 3, 5)
    const float overhead[4] = {0, 0, 1, 0};
    const auto faces = Record_Faces([&] { body->Draw_Shadow(kFloor, overhead); });
    ASSERT_EQ(faces.size(), 5u);
    EXPECT_TRUE(Near(faces[1][2].position, Vector3d(2, 3, 0.01), 1e-5));
    for (size_t f = 0; f < 5; ++f) {
        for (size_t k = 0; k < faces[f].size(); ++k) {
            const Vector3d corner = kCorners[kFaces[f][k][0]] + body->state.position;
            EXPECT_TRUE(Near(faces[f][k].position, Vector3d(corner.x, corner.y, 0.01), 1e-5));
            EXPECT_EQ(faces[f][k].color[0], 0.0f);
            EXPECT_EQ(faces[f][k].color[1], 0.0f);
            EXPECT_EQ(faces[f][k].color[2], 0.0f);
            EXPECT_EQ(faces[f][k].color[3], 0.8f);
        }
    }
}

TEST_F(PolyObjectDrawing, ShadowOfAPointLightSpreadsFromTheLight) {
    auto body = Load_Pyramid(file_);
    body->state.position = Vector3d(1, 0, 4);  // the apex at (1, 0, 5)
    const float lamp[4] = {0, 0, 10, 1};
    const auto faces = Record_Faces([&] { body->Draw_Shadow(kFloor, lamp); });
    ASSERT_EQ(faces.size(), 5u);
    // (10 x, 10 y, 0.01, 10 - z) after the division: the apex, 5 below the lamp, lands at twice
    // its distance from the lamp's foot.
    EXPECT_TRUE(Near(faces[1][2].position, Vector3d(2, 0, 0.002), 1e-5));
    // A base corner (2, 1, 4), 6 below the lamp: (20/6, 10/6, 0.01/6).
    EXPECT_TRUE(Near(faces[2][1].position, Vector3d(20.0 / 6, 10.0 / 6, 0.01 / 6), 1e-5));
}

TEST_F(PolyObjectDrawing, ShadowOnATiltedPlaneFollowsTheLightOntoIt) {
    auto body = Load_Pyramid(file_);
    body->state.position = Vector3d(1, 5, 2);  // the apex at (1, 5, 3), 3 in front of y = 2
    const float wall[4] = {0, 1, 0, -2};
    // Straight along the wall's normal: onto (1, 2, 3), lifted 0.01 off the wall.
    const float along_normal[4] = {0, 1, 0, 0};
    auto faces = Record_Faces([&] { body->Draw_Shadow(wall, along_normal); });
    ASSERT_EQ(faces.size(), 5u);
    EXPECT_TRUE(Near(faces[1][2].position, Vector3d(1, 2.01, 3), 1e-5));
    // Light from (1, 1, 0): the ray from the apex goes 3 along -(1, 1, 0) to reach the wall.
    const float slanted[4] = {1, 1, 0, 0};
    faces = Record_Faces([&] { body->Draw_Shadow(wall, slanted); });
    ASSERT_EQ(faces.size(), 5u);
    EXPECT_TRUE(Near(faces[1][2].position, Vector3d(-2, 2.01, 3), 1e-5));
}

TEST_F(PolyObjectDrawing, LightAlongThePlaneCastsNothing) {
    auto body = Load_Pyramid(file_);
    const float grazing[4] = {1, 0, 0, 0};
    std::vector<FeedbackPolygon> triangles;
    ASSERT_TRUE(Record_Feedback([&] { body->Draw_Shadow(kFloor, grazing); }, triangles));
    EXPECT_TRUE(triangles.empty());
}

TEST_F(PolyObjectDrawing, BaseShadowOperationDrawsNothing) {
    struct Plain : RenderObject {
        void Draw() override {}
    } plain;
    EXPECT_FALSE(plain.casts_shadow);
    const float lamp[4] = {0, 0, 10, 1};
    std::vector<FeedbackPolygon> triangles;
    ASSERT_TRUE(Record_Feedback([&] { plain.Draw_Shadow(kFloor, lamp); }, triangles));
    EXPECT_TRUE(triangles.empty());
}
