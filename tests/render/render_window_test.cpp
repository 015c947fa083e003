#include "render/render_window.h"

#include <FL/Fl_Box.H>
#include <FL/Fl_Window.H>
#include <FL/gl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "probed_window.h"
#include "support/approx.h"

namespace {

// A drawable that notes when and in what GL state the view calls it.
struct Spy : RenderObject {
    Spy(std::vector<std::string>& log_, std::string label_) : log(log_), label(std::move(label_)) {}

    void Draw() override {
        log.push_back(label);
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
        glGetLightfv(GL_LIGHT0, GL_POSITION, light_position);
        glGetIntegerv(GL_VIEWPORT, viewport);
        blending = glIsEnabled(GL_BLEND);
        lighting = glIsEnabled(GL_LIGHTING);
        texturing = glIsEnabled(GL_TEXTURE_2D);
    }
    void Draw_Shadow(const float plane_[4], const float light_[4]) override {
        log.push_back(label + " shadow");
        std::copy(plane_, plane_ + 4, plane);
        std::copy(light_, light_ + 4, light);
    }

    // Where the modelview matrix at the time of drawing took a world point.
    Vector3d To_Eye(const Vector3d& p) const {
        const double* m = modelview;
        return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
                m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
                m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
    }

    std::vector<std::string>& log;
    std::string label;
    double modelview[16] = {};
    float light_position[4] = {};
    int viewport[4] = {};
    bool blending = false, lighting = false, texturing = true;
    float plane[4] = {}, light[4] = {};
};

class View : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Show_And_Wait(view_));
        ASSERT_TRUE(Run_Until([&] { return view_.Frame_Count() > 0; }));
    }

    ScratchDirectory directory_{"tovrel-view"};  // no texture file here
    ProbedWindow view_{0, 0, 320, 240, "view"};
    std::vector<std::string> log_;
};

}  // namespace

TEST_F(View, DrawsTheNewestObjectFirstThenTheShadowsOfThoseThatCastOne) {
    Spy a(log_, "a"), b(log_, "b"), c(log_, "c");
    b.casts_shadow = true;
    c.casts_shadow = true;
    view_.Add_Render_Object(&a);
    view_.Add_Render_Object(&b);
    view_.Add_Render_Object(&c);
    ASSERT_TRUE(view_.Draw_Frame());
    EXPECT_EQ(log_, (std::vector<std::string>{"c", "b", "a", "c shadow", "b shadow"}));
    // Onto the floor z = 0, from the view's directional shadow light.
    EXPECT_EQ(std::vector<float>(b.plane, b.plane + 4), (std::vector<float>{0, 0, 1, 0}));
    EXPECT_EQ(std::vector<float>(b.light, b.light + 4), (std::vector<float>{-1, -2, 2, 0}));
}

TEST_F(View, ObjectAddedTwiceIsDrawnTwiceAndRemovedAtOnce) {
    Spy a(log_, "a"), b(log_, "b"), absent(log_, "absent");
    view_.Add_Render_Object(&a);
    view_.Add_Render_Object(&b);
    view_.Add_Render_Object(&a);
    ASSERT_TRUE(view_.Draw_Frame());
    EXPECT_EQ(log_, (std::vector<std::string>{"a", "b", "a"}));
    log_.clear();
    view_.Remove_Render_Object(&absent);
    ASSERT_TRUE(view_.Draw_Frame());
    EXPECT_EQ(log_, (std::vector<std::string>{"a", "b", "a"}));
    log_.clear();
    view_.Remove_Render_Object(&a);
    ASSERT_TRUE(view_.Draw_Frame());
    EXPECT_EQ(log_, (std::vector<std::string>{"b"}));
}

TEST_F(View, ObjectsDrawUnderTheCameraWithTheLightInWorldCoordinatesAndBlending) {
    Spy a(log_, "a");
    view_.Add_Render_Object(&a);
    ASSERT_TRUE(view_.Draw_Frame());
    // From (0, -30, 5) along +y with z up: world x stays eye x, world z - 5 is eye y, and the
    // distance in front of the eye is y + 30 along eye -z.
    EXPECT_TRUE(Near(a.To_Eye(Vector3d(0, 0, 5)), Vector3d(0, 0, -30), 1e-5));
    EXPECT_TRUE(Near(a.To_Eye(Vector3d(1, 2, 3)), Vector3d(1, -2, -32), 1e-5));
    // The point light (0, -2, 7), stored in eye coordinates: (0, 2, -28).
    EXPECT_TRUE(Near(Vector3d(a.light_position[0], a.light_position[1], a.light_position[2]),
                     Vector3d(0, 2, -28), 1e-5));
    EXPECT_EQ(a.light_position[3], 1.0f);
    EXPECT_TRUE(a.blending);
    EXPECT_FALSE(a.texturing);
    EXPECT_EQ(std::vector<int>(a.viewport, a.viewport + 4), (std::vector<int>{0, 0, 320, 240}));
}

TEST_F(View, ALightPositionSetBetweenFramesIsTakenAtTheNextOneInWorldCoordinates) {
    Spy a(log_, "a");
    view_.Add_Render_Object(&a);
    const float directional[4] = {1.0f, 0.0f, 0.0f, 0.0f};
    view_.Set_Light_Position(directional);  // between frames, as the game's timer does
    ASSERT_TRUE(view_.Draw_Frame());
    // World +x is eye +x: a direction is turned by the camera but not moved.
    EXPECT_TRUE(Near(Vector3d(a.light_position[0], a.light_position[1], a.light_position[2]),
                     Vector3d(1, 0, 0), 1e-6));
    EXPECT_EQ(a.light_position[3], 0.0f);
}

TEST(ViewGroup, WidgetsMadeAfterTheViewGoToTheWindowThatHoldsIt) {
    Fl_Window outer(400, 300, "outer");
    RenderWindow view(5, 5, 200, 200, "view");
    Fl_Box after(250, 5, 50, 50);
    outer.end();
    EXPECT_EQ(view.children(), 0);
    EXPECT_EQ(after.parent(), &outer);
}

TEST_F(View, ResizingSetsTheViewportAgain) {
    Spy a(log_, "a");
    view_.Add_Render_Object(&a);
    view_.size(200, 100);
    ASSERT_TRUE(view_.Draw_Frame());
    EXPECT_EQ(std::vector<int>(a.viewport, a.viewport + 4), (std::vector<int>{0, 0, 200, 100}));
}

TEST_F(View, ClearsToDarkBlueAndCountsEveryFrame) {
    const int before = view_.Frame_Count();
    ASSERT_TRUE(view_.Draw_Frame());
    ASSERT_TRUE(view_.Draw_Frame());
    EXPECT_EQ(view_.Frame_Count(), before + 2);
    const auto corner = view_.At(0, 0);
    EXPECT_EQ(corner.r, 0);
    EXPECT_EQ(corner.g, 0);
    EXPECT_NEAR(corner.b, 0.1 * 255, 1.0);
}

TEST_F(View, ArrowKeysDriveThePaddleSpeedWhichReadsTruncated) {
    view_.right_down = true;
    view_.Update_Paddle_Speed();
    EXPECT_EQ(view_.Get_Paddle_Speed(), 0);  // 0.8
    view_.Update_Paddle_Speed();
    EXPECT_EQ(view_.Get_Paddle_Speed(), 1);  // 1.6
    for (int tick = 0; tick < 10; ++tick) {
        view_.Update_Paddle_Speed();
    }
    EXPECT_EQ(view_.Get_Paddle_Speed(), 5);
    view_.left_down = true;
    view_.Update_Paddle_Speed();
    EXPECT_EQ(view_.Get_Paddle_Speed(), 5);  // both held: unchanged
    view_.right_down = false;
    view_.Update_Paddle_Speed();
    EXPECT_EQ(view_.Get_Paddle_Speed(), 3);  // braking: 3.8
    view_.left_down = false;
    for (int tick = 0; tick < 3; ++tick) {
        view_.Update_Paddle_Speed();  // 2.6, 1.4, 0.2: all above -1
    }
    EXPECT_EQ(view_.Get_Paddle_Speed(), 0);
    view_.left_down = true;
    view_.Update_Paddle_Speed();  // braking past zero: -1.0
    view_.Update_Paddle_Speed();  // -1.8
    EXPECT_EQ(view_.Get_Paddle_Speed(), -1);
}

TEST(ViewFirstFrame, WithoutTheMapPrintsTheFailureThenSetsUpAWhiteSphereMap) {
    ScratchDirectory directory("tovrel-first-frame");
    ProbedWindow view(0, 0, 160, 120, "view");
    std::vector<std::string> log;
    Spy spy(log, "spy");
    view.Add_Render_Object(&spy);
    ::testing::internal::CaptureStdout();
    ASSERT_TRUE(Show_And_Wait(view));
    ASSERT_TRUE(Run_Until([&] { return view.Frame_Count() > 0; }));
    ASSERT_TRUE(view.Draw_Frame());
    const std::string out = ::testing::internal::GetCapturedStdout();

    GLuint name = 0;
    view.make_current();
    glGetIntegerv(GL_TEXTURE_BINDING_2D, reinterpret_cast<GLint*>(&name));
    ASSERT_NE(name, 0u);
    const std::string expected =
        "Couldn't load image \"textures/env_toonshade.tga\"\n"
        "Envmap ID is " +
        std::to_string(name) +
        "\n"
        "Enabling environment mapping, m_nEnvName == " +
        std::to_string(name) + "\n";
    EXPECT_EQ(out, expected);  // once, on the first frame only

    // The drawing the first frame set up for the bodies that switch texturing on.
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_T));
    GLint mode = 0;
    glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &mode);
    EXPECT_EQ(mode, GL_SPHERE_MAP);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_MODULATE);
    GLint wrap = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_CLAMP);
    // In place of the missing map: one white texel, which leaves a body's colours as they are.
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(width, 1);
    EXPECT_EQ(height, 1);
    unsigned char texel[4] = {};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    EXPECT_EQ(std::vector<int>(texel, texel + 4), (std::vector<int>{255, 255, 255, 255}));
    // Environment mapping switched lighting off; the view leaves it to the bodies.
    EXPECT_FALSE(spy.lighting);
}

TEST(ViewFirstFrame, WithTheMapPrintsItsSizeAndUploadsItBottomRowFirst) {
    ScratchDirectory directory("tovrel-first-frame-map");
    // A 2 x 2 uncompressed 24-bit TGA written byte by byte, rows from the bottom, pixels as
    // B, G, R: red, green along the bottom; blue, white along the top.
    const unsigned char tga[18 + 12] = {0, 0,  2, 0, 0, 0,   0, 0,   0, 0,   0, 0, 2,   0,   2,
                                        0, 24, 0, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255};
    std::filesystem::create_directory("textures");
    std::ofstream("textures/env_toonshade.tga", std::ios::binary)
        .write(reinterpret_cast<const char*>(tga), sizeof tga);
    ProbedWindow view(0, 0, 160, 120, "view");
    ::testing::internal::CaptureStdout();
    ASSERT_TRUE(Show_And_Wait(view));
    ASSERT_TRUE(Run_Until([&] { return view.Frame_Count() > 0; }));
    const std::string out = ::testing::internal::GetCapturedStdout();

    GLuint name = 0;
    view.make_current();
    glGetIntegerv(GL_TEXTURE_BINDING_2D, reinterpret_cast<GLint*>(&name));
    EXPECT_EQ(out,
              "Loading env map \"textures/env_toonshade.tga\", 2x2...\n"
              "Envmap ID is " +
                  std::to_string(name) +
                  "\n"
                  "Enabling environment mapping, m_nEnvName == " +
                  std::to_string(name) + "\n");
    unsigned char texels[16] = {};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    EXPECT_EQ(
        std::vector<int>(texels, texels + 16),
        (std::vector<int>{255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255}));
}
