// The bodies' motion and drawing, the drawing recorded in OpenGL feedback mode.
#include <GL/gl.h>

#include <filesystem>
#include <fstream>

#include "bodies/block.h"
#include "bodies/paddle.h"
#include "bodies/poly_object.h"
#include "support/approx.h"
#include "support/gl_feedback.h"
#include "support/gl_window.h"
#include "support/shapes.h"

namespace {

// A square pyramid with its apex at (0, 0, 1): vertices, normals, colours, faces, corners.
constexpr char kPyramid[] =
    "5  -1 -1 0  1 -1 0  1 1 0  -1 1 0  0 0 1   1  0 0 1   1  1 1 1   5  4 3 3 3 3\n"
    "0 0 0  3 0 0  2 0 0  1 0 0   0 0 0  1 0 0  4 0 0   1 0 0  2 0 0  4 0 0   2 0 0  3 0 0  4 0 0\n"
    "3 0 0  0 0 0  4 0 0\n";

SimState At(const Vector3d& position, const Vector3d& scale, double degrees_about_z = 0) {
    const Quaternion turn = Quaternion::From_Axis_Angle(degrees_about_z, Vector3d(0, 0, 1));
    return {SimMode::Fixed, 0, position, {}, turn, scale, true};
}

class Bodies : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(gl_.Ready()); }

    std::vector<FeedbackPolygon> Record(const std::function<void()>& draw,
                                        const std::vector<int>& sizes = {}) {
        std::vector<FeedbackPolygon> polygons;
        EXPECT_TRUE(Record_Feedback(draw, polygons, sizes));
        return polygons;
    }

    GlTestContext gl_;
};

}  // namespace

TEST_F(Bodies, PaddleMovesStraightOnAtItsStepsSpeedWhateverTheGravityInItsTabledShape) {
    Paddle paddle("Paddle", At({1, 0, 0}, {1, 1, 1}), 1, 1, 1, 1, 1);
    paddle.state.time = 2;
    // 0.005 and 1/60 are single-precision constants: 0.005 x 12 / (1/60) = 3.5999997...
    paddle.Set_Velocity(Paddle::Velocity_For_Speed(1));
    const Vector3d v = paddle.paddle_velocity;
    EXPECT_TRUE(Near(v, Vector3d(3.6, 0, 0), 1e-6));
    EXPECT_LT(v.x, 3.6);
    SimState later;
    paddle.Get_State_At(2.5, Vector3d(0, 0, -9.8), later);
    EXPECT_TRUE(Near(later.position, Vector3d(2.8, 0, 0), 1e-6));
    EXPECT_TRUE(Near(later.velocity, v, 0));
    EXPECT_EQ(later.time, 2.5);
    EXPECT_TRUE(Near(paddle.state.position, Vector3d(1, 0, 0), 0)) << "the paddle's own state";
    const ShapeTables tables = Paddle_Tables();
    for (int k = 0; k < 56; ++k) {
        const double* xyz = &tables.coordinates[3 * tables.face_indices[k]];
        const Vector3d& corner = paddle.polyhedron->faces[k / 4].vertices[k % 4]->position;
        EXPECT_TRUE(Near(corner, {xyz[0], xyz[1], xyz[2]}, 0)) << "corner " << k;
    }
}

TEST_F(Bodies, BoxesDrawEachCornerWhereTheirPoseScaleAndFadeTakeItWoundToFaceOutwards) {
    const SimState turned = At({1, 2, 3}, {2, 1, .5}, 90), tall = At({}, {1, 2, 3});
    Cube box("Box"), grid("Grid"), turned_box("Turned box", turned, 1, 1, 1, 1, 1);
    Block block("Block", {}, 1, 1, 1, 1, 1), hit("Hit", turned, 1, 1, 1, 1, 1);
    Block spread("Spread", tall, 1, 1, 1, 1, 1), tall_one("Tall", tall, 1, 1, 1, 1, 1);
    Paddle paddle("Paddle", {}, 1, 1, 1, 1, 1);
    Cube sized("Sized", Vector3d(2, 1, .5));  // its size in its shape, drawn where it collides
    EXPECT_TRUE(Near(sized.polyhedron->vertices[0].position, {2, 1, .5}, 0));
    Cube* bodies[] = {&box, &grid, &turned_box, &block, &hit, &spread, &tall_one, &paddle, &sized};
    for (Cube* body : bodies) {
        body->Set_Color(.25f, .5f, .75f);
        body->subdivisions = body == &grid ? 2 : 1;
    }
    block.fade = tall_one.fade = .5f;  // half the colour, half opaque
    hit.fade = spread.fade = 3;        // lit up by a hit; the standing one keeps its size
    spread.fading = tall_one.fading = true;
    const double b = 1 / std::sqrt(2.0);
    const std::vector<float> full = {.25f, .5f, .75f, 1}, half = {.125f, .25f, .375f, .5f};
    // Body, polygon, corner: where the corner is drawn, its normal, and its colour if given.
    // clang-format off
    const std::tuple<int, size_t, size_t, Vector3d, Vector3d, std::vector<float>> rows[] = {
        {0, 5, 2, {-1, 1, -1}, {0, 0, -1}, full}, {1, 0, 2, {1, 0, 0}, {1, 0, 0}, {}},
        // (1, 1, 1) scaled to (2, 1, 0.5), turned to (-1, 2, 0.5), moved; the +x face faces +y.
        {2, 0, 0, {0, 4, 3.5}, {0, 1, 0}, {}}, {4, 0, 0, {0, 4, 3.5}, {0, 1, 0}, {.75f, 1, 1, 1}},
        {3, 5, 0, {.8, -1.2, .8}, {0, -1, 0}, half}, {3, 6, 2, {1, -1, 1}, {0, -b, b}, half},
        {3, 7, 3, {1, -1, -1}, {0, -b, -b}, {}}, {3, 8, 1, {-.8, -1.2, .8}, {-b, -b, 0}, {}},
        {3, 9, 1, {.8, -1.2, -.8}, {b, -b, 0}, {}}, {5, 0, 0, {9 / 7., 1.8f, 1.5}, {1, 0, 0}, {}},
        {6, 0, 0, {1 / 28., 1.8f, 14.625}, {1, 0, 0}, half},
        // Blue whatever its colour, each face lit along its first corner.
        {7, 0, 0, {.5, .5, 4}, Vector3d(.5, .5, 4) * (1 / std::sqrt(16.5)), {0, 0, 1, 1}},
        {8, 0, 0, {2, 1, .5}, {1, 0, 0}, {}}, {8, 5, 2, {-2, 1, -.5}, {0, 0, -1}, full}};
    // clang-format on
    for (const auto& [index, polygon, corner, position, normal, color] : rows) {
        SCOPED_TRACE(::testing::Message() << bodies[index]->name << ", polygon " << polygon);
        const auto p = Record([body = bodies[index]] { body->Draw(); }).at(polygon);
        const FeedbackVertex& v = p.at(corner);
        EXPECT_TRUE(Near(v.position, position, 1e-5)) << "the position";
        EXPECT_TRUE(Near(v.normal, normal, 1e-6)) << "the normal";
        EXPECT_TRUE(color.empty() || std::vector<float>(v.color, v.color + 4) == color)
            << "the colour";
        EXPECT_GT(Dot(Cross(p[1].position - p[0].position, p[2].position - p[1].position), normal),
                  0);
    }
}

TEST_F(Bodies, MeshDrawsUnlitAndCastsItsShadowFromTheLightOntoThePlaneInTranslucentBlack) {
    const std::string path = std::filesystem::temp_directory_path() / "tovrel-pyramid.poly";
    std::ofstream(path) << kPyramid;
    PolyObject pyramid(path.c_str(), "Pyramid", Vector3d(1, 1, 1), Vector3d(0, 0, 0));
    std::filesystem::remove(path);
    pyramid.Draw();
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    // The pyramid moved to `at`, and its apex's shadow on the plane (z = 0, y = 2) from the light.
    const float floor[4] = {0, 0, 1, 0}, wall[4] = {0, 1, 0, -2}, grazing[4] = {1, 0, 0, 0};
    // clang-format off
    const std::tuple<Vector3d, const float*, std::vector<float>, Vector3d> rows[] = {
        {{2, 3, 4}, floor, {0, 0, 1, 0}, {2, 3, .01}},    // from above, lifted 0.01
        {{1, 0, 4}, floor, {0, 0, 10, 1}, {2, 0, .002}},  // a lamp 5 above: twice as far out
        {{1, 5, 2}, wall, {0, 1, 0, 0}, {1, 2.01, 3}},    // along the wall's normal
        {{1, 5, 2}, wall, {1, 1, 0, 0}, {-2, 2.01, 3}},   // slanting: 3 along -(1, 1, 0)
        {{1, 5, 2}, wall, {1, 10, 3, 1}, {1, 2.002, 3}}};  // a lamp 8 off the wall
    // clang-format on
    for (const auto& [at, plane, light, apex] : rows) {
        pyramid.state.position = at;
        const auto drawn = Record([&, p = plane, l = light.data()] { pyramid.Draw_Shadow(p, l); },
                                  {4, 3, 3, 3, 3});
        const float* c = drawn.at(1).at(2).color;
        EXPECT_TRUE(Near(drawn[1][2].position, apex, 1e-5)) << light[0] << light[1] << light[2];
        EXPECT_EQ(std::vector<float>(c, c + 4),
                  std::vector<float>({0, 0, 0, .8f}));  // translucent black
    }
    // No shadow falls from a light along the plane, nor from a body without a shadow of its own.
    EXPECT_TRUE(Record([&] { pyramid.Draw_Shadow(floor, grazing); }).empty());
    EXPECT_TRUE(Record([&] { Cube("Box").Draw_Shadow(floor, floor); }).empty());
}
