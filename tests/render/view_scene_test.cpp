// The view in a real window with real bodies: what the camera must see, read back from the frame.
#include <FL/Fl.H>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "bodies/block.h"
#include "bodies/paddle.h"
#include "bodies/poly_object.h"
#include "probed_window.h"

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 300;

// A box of half-size 1 as a mesh, all corners orange.
constexpr char kOrangeBox[] = R"(8
1 1 1  -1 1 1  -1 -1 1  1 -1 1  1 1 -1  -1 1 -1  -1 -1 -1  1 -1 -1
6
0 0 1  0 0 -1  1 0 0  -1 0 0  0 1 0  0 -1 0
1
1 0.5 0
6
4 4 4 4 4 4
0 0 0  1 0 0  2 0 0  3 0 0
7 1 0  6 1 0  5 1 0  4 1 0
0 2 0  3 2 0  7 2 0  4 2 0
2 3 0  1 3 0  5 3 0  6 3 0
0 4 0  4 4 0  5 4 0  1 4 0
3 5 0  2 5 0  6 5 0  7 5 0
)";

SimState At(const Vector3d& position, const Vector3d& scale, SimMode mode = SimMode::Fixed) {
    SimState s;
    s.mode = mode;
    s.position = position;
    s.scale = scale;
    return s;
}

// Where the starting camera, 30 in front of (0, 0, 5) with a horizontal field of view of 45
// degrees, shows the world point (x, y, z): pixel column and row (from the bottom).
std::pair<int, int> Pixel_Of(double x, double y, double z) {
    const double half_width = std::tan(22.5 * M_PI / 180);
    const double half_height = half_width * kHeight / kWidth;
    const double depth = y + 30;
    return {static_cast<int>((x / depth / half_width + 1) / 2 * kWidth),
            static_cast<int>(((z - 5) / depth / half_height + 1) / 2 * kHeight)};
}

class Scene : public ::testing::Test {
protected:
    void SetUp() override {
        wall_.Set_Color(0, 1, 0);
        block_.Set_Color(1, 0, 0);
        view_.Add_Render_Object(&wall_);
        view_.Add_Render_Object(&block_);
        view_.Add_Render_Object(ball_.get());
        view_.Add_Render_Object(&paddle_);
        ASSERT_TRUE(Show_And_Wait(view_));
        ASSERT_TRUE(Run_Until([&] { return view_.Frame_Count() > 0; }));
        ASSERT_TRUE(view_.Draw_Frame());  // a frame after the first, once texturing is set up
    }

    ScratchDirectory directory_{"tovrel-scene"};
    Cube wall_{"Left Wall", At({-6, 0, 5}, {0.5, 1, 4}), 1, 1, 1, 1, 1};
    Block block_{"Block", At({0, 0, 8}, {1.5, 1, 0.5}), 1, 1, 1, 1, 1};
    Paddle paddle_{"Paddle", At({0, 0, 0}, {1.5, 1.5, 0.1}, SimMode::Driven), 1, 1, 1, 1, 1};
    std::unique_ptr<PolyObject> ball_ = [] {
        std::ofstream("orange_box.poly") << kOrangeBox;
        auto ball = std::make_unique<PolyObject>("orange_box.poly", "Ball", Vector3d(1, 1, 1),
                                                 Vector3d(0, 0, 0));
        ball->state.position = Vector3d(4, 0, 5);
        return ball;
    }();
    ProbedWindow view_{0, 0, kWidth, kHeight, "scene"};
};

}  // namespace

TEST_F(Scene, EachBodyShowsInItsColourWhereTheCameraSeesIt) {
    // The block's inset front at y = -1.2, centred on (0, 8): lit red.
    const auto [bx, by] = Pixel_Of(0, -1.2, 8);
    const auto block = view_.At(bx, by);
    EXPECT_GT(block.r, 100);
    EXPECT_EQ(block.g, 0);
    EXPECT_EQ(block.b, 0);
    // The wall's front at y = -1, x = -6: lit green, dimmer (the light is far to its right).
    const auto [wx, wy] = Pixel_Of(-6, -1, 5);
    const auto wall = view_.At(wx, wy);
    EXPECT_EQ(wall.r, 0);
    EXPECT_GT(wall.g, 40);
    EXPECT_EQ(wall.b, 0);
    // The paddle's front at y = -1.2, the middle of its box part at z = 0: blue.
    const auto [px, py] = Pixel_Of(0, -1.2, 0);
    const auto paddle = view_.At(px, py);
    EXPECT_EQ(paddle.r, 0);
    EXPECT_EQ(paddle.g, 0);
    EXPECT_GT(paddle.b, 40);
    // The mesh body, unlit, its colour modulated by the white stand-in for the missing map:
    // exactly its own orange.
    const auto [mx, my] = Pixel_Of(4, -1, 5);
    const auto ball = view_.At(mx, my);
    EXPECT_NEAR(ball.r, 255, 1);
    EXPECT_NEAR(ball.g, 128, 1);
    EXPECT_EQ(ball.b, 0);
    // Between them only the dark blue background.
    const auto [gx, gy] = Pixel_Of(-3, 0, 5);
    const auto gap = view_.At(gx, gy);
    EXPECT_EQ(gap.r, 0);
    EXPECT_EQ(gap.g, 0);
    EXPECT_NEAR(gap.b, 26, 1);
}

TEST_F(Scene, OrbitingAQuarterTurnPutsTheWallInFrontOfTheTarget) {
    const auto before = view_.At(kWidth / 2, kHeight / 2);
    EXPECT_EQ(before.g, 0);  // the middle of the room: background
    Fl::e_keysym = FL_Button + 1;
    Fl::e_x = 100;
    Fl::e_y = 100;
    view_.handle(FL_PUSH);
    Fl::e_x = 100 + kWidth / 4;
    view_.handle(FL_DRAG);
    view_.handle(FL_RELEASE);
    ASSERT_TRUE(view_.Draw_Frame());
    // From (-30, 0, 5) towards the target the wall at x = -6 fills the middle of the view; its
    // -x side faces away from the light and shows only the ambient fifth of its green.
    const auto after = view_.At(kWidth / 2, kHeight / 2);
    EXPECT_EQ(after.r, 0);
    EXPECT_NEAR(after.g, 0.2 * 255, 2);
    EXPECT_EQ(after.b, 0);
}
