// The view in a real window on the test display: its drawing, camera, keys and frame capture.
#include "render/render_window.h"

#include <FL/Fl.H>
#include <FL/gl.h>
#include <GL/glu.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "bodies/cube.h"
#include "bodies/poly_object.h"
#include "collision/vclip.h"
#include "render/contact_drawing.h"
#include "render/motion_trail.h"
#include "render/paddle_speed.h"
#include "render/pointer_ray.h"
#include "sim/sim_bodies.h"
#include "support/approx.h"
#include "support/gl_feedback.h"
#include "support/gl_window.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 320;

// Notes in `log` when it is drawn, and its shadow with the plane and the light it was given.
struct Spy : RenderObject {
    explicit Spy(const char* name_) : name(name_) {}
    void Draw() override { log.push_back(name); }
    void Draw_Shadow(const float plane[4], const float light[4]) override {
        log.push_back(name + " shadow");
        shadow.assign(plane, plane + 4);
        shadow.insert(shadow.end(), light, light + 4);
    }
    inline static std::vector<std::string> log;
    std::string name;
    std::vector<float> shadow;
};

// The view, reading back each frame, its camera and its light before the buffers are swapped. Each
// test shows it in a fresh working directory, without "textures" or "images".
struct ProbedWindow : RenderWindow {
    ProbedWindow() : RenderWindow(0, 0, kWidth, kHeight, "view") {}
    void draw() override {
        RenderWindow::draw();
        pixels.resize(4 * kWidth * kHeight);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        glGetDoublev(GL_MODELVIEW_MATRIX, camera.m);
        glGetLightfv(GL_LIGHT0, GL_POSITION, light);
    }
    bool Draw_Frame() {
        const int before = Frame_Count();
        redraw();
        return Run_Until([&] { return Frame_Count() > before; });
    }
    // The pixel showing p to the starting camera, 30 in front of (0, 0, 5), 45 degrees across.
    std::vector<int> At(const Vector3d& p) const {
        const double per_unit = kWidth / ((p.y + 30) * std::tan(M_PI / 8) * 2);
        const int x = kWidth / 2 + p.x * per_unit, y = kHeight / 2 + (p.z - 5) * per_unit;
        return {pixels[4 * (y * kWidth + x)], pixels[4 * (y * kWidth + x) + 1],
                pixels[4 * (y * kWidth + x) + 2]};
    }
    std::vector<unsigned char> pixels;
    Matrix4d camera;  // column by column, as OpenGL keeps it
    float light[4] = {};
};

class View : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir_);
        fs::current_path(dir_);
        ASSERT_TRUE(Show_And_Wait(view_));
        ASSERT_TRUE(Run_Until([&] { return view_.Frame_Count() == 1; }));
    }
    void TearDown() override {
        fs::current_path(home_);
        fs::remove_all(dir_);
    }

    const fs::path home_ = fs::current_path();
    const fs::path dir_ = fs::temp_directory_path() / ("tovrel-view-" + std::to_string(getpid()));
    ProbedWindow view_;
};

}  // namespace

TEST_F(View, ShowsEachBodyWhereTheCameraSeesItNewestFirstThenTheShadowsOntoTheFloor) {
    Cube wall("Wall");
    wall.state.position = {-6, 0, 5};
    wall.state.scale = {.5, 1, 4};
    wall.Set_Color(0, 1, 0);
    std::ofstream("mesh.poly")  // an orange tetrahedron, facing the camera
        << "4  -1 -1 -1  1 -1 -1  0 -1 1  0 1 0  1  0 -1 0  1  1 .5 0  4  3 3 3 3\n"
           "0 0 0  1 0 0  2 0 0  0 0 0  3 0 0  1 0 0  1 0 0  3 0 0  2 0 0  2 0 0  3 0 0  0 0 0\n";
    PolyObject mesh("mesh.poly", "Mesh", Vector3d(1, 1, 1), Vector3d(4, 0, 5));
    Spy a("a"), b("b"), c("c"), overlay("overlay");
    b.casts_shadow = c.casts_shadow = true;
    for (RenderObject* body : std::initializer_list<RenderObject*>{&wall, &mesh, &a, &b, &c, &a}) {
        view_.Add_Render_Object(body);
    }
    view_.Set_Overlay(&overlay);
    ASSERT_TRUE(view_.Draw_Frame());
    EXPECT_EQ(Spy::log,
              (std::vector<std::string>{"a", "c", "b", "a", "c shadow", "b shadow", "overlay"}));
    EXPECT_EQ(b.shadow, (std::vector<float>{0, 0, 1, 0, -1, -2, 2, 0}));  // floor, light
    const std::vector<int> green = view_.At({-6, -1, 5});
    EXPECT_GT(green[1], 40) << "the lit wall's green";
    EXPECT_EQ(green[0] + green[2], 0) << "the lit wall's red and blue";
    EXPECT_EQ(view_.At({4, -1, 4.8}),
              (std::vector<int>{255, 128, 0}));                     // unlit, white stand-in map
    EXPECT_EQ(view_.At({-3, 0, 5}), (std::vector<int>{0, 0, 26}));  // cleared to dark blue
    // The point light (0, -2, 7) in the camera's frame: 28 in front of it, 2 up.
    EXPECT_TRUE(Near({view_.light[0], view_.light[1], view_.light[2]}, {0, 2, -28}, 1e-5));
    view_.Remove_Render_Object(&a);  // every entry of it
    view_.Set_Overlay(nullptr);
    Spy::log.clear();
    ASSERT_TRUE(view_.Draw_Frame());
    EXPECT_EQ(Spy::log, (std::vector<std::string>{"c", "b", "c shadow", "b shadow"}));
}

TEST_F(View, CameraFollowsEachDragFromWhereTheButtonWentDownAndQAloneIsItsKey) {
    const double d = M_PI / 180, c = 30 * std::cos(89 * d), s = 30 * std::sin(89 * d),
                 h = 30 / M_SQRT2;
    // Button and mouse motion from (200, 160); then the eye and the target. Across the width is a
    // full turn about z, down the height a full turn up, to 89 degrees at most; a middle drag moves
    // the target by the distance across the width; a right drag zooms by 40 down the height, to 1.
    // clang-format off
    const std::tuple<int, int, int, Vector3d, Vector3d> rows[] = {
        {1, 100, 0, {-30, 0, 5}, {0, 0, 5}}, {1, 400, 0, {-30, 0, 5}, {0, 0, 5}},
        {1, -100, 0, {0, -30, 5}, {0, 0, 5}}, {2, 40, 32, {-3, -30, 8}, {-3, 0, 8}},
        {3, 0, 80, {-3, -40, 8}, {-3, 0, 8}}, {2, 40, 0, {-7, -40, 8}, {-7, 0, 8}},
        {3, 0, -320, {-7, -1, 8}, {-7, 0, 8}}, {4, 200, 200, {-7, -1, 8}, {-7, 0, 8}},
        {3, 0, 232, {-7, -30, 8}, {-7, 0, 8}}, {1, 0, 40, {-7, -h, 8 + h}, {-7, 0, 8}},
        {1, 0, 100, {-7, -c, 8 + s}, {-7, 0, 8}}, {1, 0, -320, {-7, -c, 8 - s}, {-7, 0, 8}}};
    // clang-format on
    for (const auto& [button, dx, dy, eye, target] : rows) {
        Fl::e_keysym = FL_Button + button;
        const int events[] = {FL_PUSH, FL_DRAG, FL_DRAG, FL_RELEASE}, halves[] = {0, 1, 2, 2};
        for (int i = 0; i < 4; ++i) {
            Fl::e_x = 200 + dx * halves[i] / 2;
            Fl::e_y = 160 + dy * halves[i] / 2;
            view_.handle(events[i]);  // measured from the press each time, not added up
        }
        ASSERT_TRUE(view_.Draw_Frame());
        glLoadIdentity();  // GLU's own look-at as the oracle
        gluLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, 0, 0, 1);
        Matrix4d oracle;
        glGetDoublev(GL_MODELVIEW_MATRIX, oracle.m);
        for (int k = 0; k < 16; ++k) {
            EXPECT_NEAR(view_.camera.m[k], oracle.m[k], 1e-4)
                << button << " by " << dx << ", " << dy;
        }
    }
    for (const int key : {'r', 'q'}) {  // keys go on to the application's shortcuts
        Fl::e_keysym = key;
        EXPECT_TRUE(view_.handle(FL_FOCUS));
        EXPECT_EQ(view_.handle(FL_KEYBOARD), 0) << static_cast<char>(key);
    }
}

TEST_F(View, PaddleSpeedFollowsTheArrowKeysHeldDownAtEachTick) {
    // One key: up to 5 its way, or braking harder; none: towards rest, not past it; both: nothing.
    // clang-format off
    const struct { float speed; const char* keys; float next; } rows[] = {
        {2.4f, "LR", 2.4f}, {-5, "LR", -5}, {0, "R", .8f}, {.8f, "R", 1.6f}, {4.5f, "R", 5},
        {5, "R", 5}, {0, "L", -.8f}, {-4.9f, "L", -5}, {2, "L", .8f}, {.5f, "L", -.7f},
        {-2, "R", -.8f}, {-.4f, "R", .8f}, {3, "", 1.8f}, {1, "", 0}, {-3, "", -1.8f},
        {-.5f, "", 0}};
    // clang-format on
    for (const auto& r : rows) {
        const bool left = std::strchr(r.keys, 'L'), right = std::strchr(r.keys, 'R');
        EXPECT_FLOAT_EQ(Next_Paddle_Speed(r.speed, left, right), r.next) << r.speed << r.keys;
    }
    // The view reads the keys from the X server, and the speed truncated: 0.8 reads as 0.
    ASSERT_EQ(std::system("xdotool keydown Right"), 0) << "is xdotool installed?";
    view_.Update_Paddle_Speed();
    const int after_one_tick = view_.Get_Paddle_Speed();
    view_.Update_Paddle_Speed();
    ASSERT_EQ(std::system("xdotool keyup Right"), 0);
    EXPECT_EQ(after_one_tick, 0);
    EXPECT_EQ(view_.Get_Paddle_Speed(), 1);  // 1.6
}

TEST_F(View, CapturesEachDueFrameToANumberedFileOfTheFrame) {
    view_.Set_Capture(true);  // "images" is made at the first capture
    ASSERT_TRUE(view_.Draw_Frame());
    // Capture on or off, frame skip, frames drawn by then, frames captured.
    // clang-format off
    const std::tuple<bool, int, int, std::vector<int>> rows[] = {
        {true, 0, 4, {3, 4}}, {true, 3, 10, {7, 10}}, {true, 1, 12, {11, 12}}, {false, 0, 15, {}},
        {true, 5, 22, {17, 22}}};
    // clang-format on
    for (const auto& [on, skip, frames, captured] : rows) {
        view_.Set_Capture(on);
        view_.Set_Frame_Skip(skip);
        ::testing::internal::CaptureStdout();
        while (view_.Frame_Count() < frames && view_.Draw_Frame()) {
        }
        std::string expected;
        for (int frame : captured) {
            char file[32];
            std::snprintf(file, sizeof file, "images/img%05d.tga", frame);
            expected += "Writing frame #" + std::to_string(frame) + " to file " + file + "...\n";
            EXPECT_EQ(fs::file_size(file), 18 + 21 + 4 * kWidth * kHeight) << file;
        }
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), expected);
    }
}

// What the walk keeps of a ball and a wall whose near face is x = 3.5, over 2 from the ball, drawn
// as OpenGL fed it back; then the same once the ball has run into the wall. The ball gets there in
// one step of a second, which it could cross the gap in: so the pair is near enough to query.
TEST(ContactDrawing, DrawsTheRecordsWitnessSegmentFeaturesAndContactWithoutAQuery) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ready());
    World world({0, 0, 0});
    const SimBody& ball =
        world.Add(true, "Ball", SimMode::Free, {-4, .3, .2}, {4, 0, 0}, {1, 1, 1}, 1);
    world.Add(true, "Wall", SimMode::Fixed, {4, 0, 0}, {}, {.5, 2, 2});
    std::vector<FeedbackPrimitive> drawn;
    ASSERT_TRUE(Record_Primitives([&] { Draw_Contacts(world.sim, ball); }, drawn));
    EXPECT_TRUE(drawn.empty()) << "no records before the first Reset";
    ASSERT_TRUE(world.sim.Reset());
    ASSERT_TRUE(world.sim.Step(1.0));
    const Collision& c = world.Record(0, 1);
    const auto draw = [&](std::vector<FeedbackPrimitive>& drawn) {
        const unsigned long queries = vclip_call_count;
        ASSERT_TRUE(Record_Primitives([&] { Draw_Contacts(world.sim, ball); }, drawn));
        EXPECT_EQ(vclip_call_count, queries);
        ASSERT_GE(drawn.size(), 3u);
        EXPECT_EQ(std::vector<int>({drawn[0].corners, drawn[1].corners, drawn[2].corners}),
                  std::vector<int>({2, 1, 1}));
        EXPECT_TRUE(Near(drawn[0].vertices[0].position, c.point_a, 1e-5));
        EXPECT_TRUE(Near(drawn[0].vertices[1].position, c.point_b, 1e-5));
        EXPECT_TRUE(Near(drawn[2].vertices[0].position, c.point_b, 1e-5));
    };
    draw(drawn);
    EXPECT_NEAR(c.point_b.x, 3.5, 1e-12);
    EXPECT_GE(c.distance, 2);
    const float* green = drawn[0].vertices[0].color;
    EXPECT_EQ(std::vector<float>(green, green + 3), std::vector<float>({0, 1, 0}));
    // The wall's face, outlined through its four world corners (3.5, +-2, +-2).
    int face_sides = 0;
    for (const FeedbackPrimitive& p : drawn) {
        for (const FeedbackVertex& v : p.vertices) {
            const Vector3d corner(3.5, v.position.y > 0 ? 2 : -2, v.position.z > 0 ? 2 : -2);
            face_sides += p.corners == 2 && Near(v.position, corner, 1e-5);
        }
    }
    EXPECT_EQ(face_sides, 8);
    EXPECT_TRUE(std::none_of(drawn.begin(), drawn.end(), [](const FeedbackPrimitive& p) {
        return p.vertices[0].color[2] == 1 && p.vertices[0].color[0] == 1;  // white: no contact
    }));

    while (world.sim.contacts.empty()) {
        ASSERT_TRUE(world.sim.Step(0.01));
    }
    draw(drawn);
    // The primary contact: a white arrow of length 1 from the contact point towards the ball.
    const auto arrow = std::find_if(drawn.begin(), drawn.end(), [](const FeedbackPrimitive& p) {
        return p.corners == 2 && p.vertices[0].color[0] == 1 && p.vertices[0].color[2] == 1;
    });
    ASSERT_NE(arrow, drawn.end());
    EXPECT_TRUE(Near(arrow->vertices[0].position, c.point_a, 1e-5));
    const Vector3d tip = c.point_a - Vector3d(1, 0, 0), back = tip + Vector3d(.25, 0, 0);
    EXPECT_TRUE(Near(arrow->vertices[1].position, tip, 1e-5));
    // Its head: two strokes back from the tip to either side of the shaft, 0.12 from it.
    ASSERT_LT(arrow + 2, drawn.end());
    const Vector3d left = arrow[1].vertices[1].position, right = arrow[2].vertices[1].position;
    EXPECT_TRUE(Near(arrow[1].vertices[0].position, tip, 1e-5)) << "the left barb";
    EXPECT_TRUE(Near(arrow[2].vertices[0].position, tip, 1e-5)) << "the right barb";
    EXPECT_TRUE(Near(0.5 * (left + right), back, 1e-5));
    EXPECT_NEAR((left - back).Length(), .12, 1e-5);
    EXPECT_NEAR(left.x, back.x, 1e-5);
    // The contact point's white ring, after the arrow, lies within a twentieth of the ball's
    // diameter of 2 from the point: a tenth of it across at most, however squashed the ball.
    double reach = 0;
    for (auto p = arrow + 3; p < drawn.end() && p->vertices[0].color[0] == 1; ++p) {
        reach = std::max(reach, (p->vertices[0].position - c.point_a).Length());
    }
    EXPECT_TRUE(reach > 0.05 && reach <= 0.1 + 1e-5) << reach;
}

// Two boxes corner to corner: each closest vertex is marked by a cyan ring a tenth of its own
// box's side across (2 and 1), faint enough to see the box through it.
TEST(ContactDrawing, MarksAVertexByARingATenthOfItsBodyAcross) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ready());
    World world({0, 0, 0});
    const SimBody& ball = world.Add(true, "Ball", SimMode::Free, {0, 0, 0});
    // Near enough to be queried: 0.33 apart, corner (1, 1, 1) to corner (1.3, 1.1, 1.1).
    world.Add(true, "Corner", SimMode::Fixed, {1.8, 1.6, 1.6}, {}, {.5, .5, .5});
    ASSERT_TRUE(world.sim.Reset());
    ASSERT_TRUE(world.sim.Step(0.01));
    const Collision& c = world.Record(0, 1);
    std::vector<FeedbackPrimitive> drawn;
    ASSERT_TRUE(Record_Primitives([&] { Draw_Contacts(world.sim, ball); }, drawn));
    double reach[2] = {0, 0};  // the rings' radii about the ball's and the corner's vertex
    for (const FeedbackPrimitive& p : drawn) {
        const float* rgb = p.vertices[0].color;
        if (rgb[0] < 0.5f && rgb[2] > 0.9f) {
            EXPECT_NEAR(rgb[3], 0.7, 1e-3);
            for (const FeedbackVertex& v : p.vertices) {
                const double to_a = (v.position - c.point_a).Length();
                const double to_b = (v.position - c.point_b).Length();
                reach[to_b < to_a] = std::max(reach[to_b < to_a], std::min(to_a, to_b));
            }
        }
    }
    EXPECT_NEAR(reach[0], 0.1, 1e-5);
    EXPECT_NEAR(reach[1], 0.05, 1e-5);
}

// Onion skins: six poses of the flying ball, three drawn frames apart, each fainter than the one
// after it and behind it along the flight; none while the clock stands still, and a reset starts
// the trail again.
TEST(MotionTrail, DrawsTheLastSixPosesFainterTheOlderAndStartsOverOnAReset) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ready());
    World world({0, 0, 0});
    world.Add(true, "Ball", SimMode::Free, {-5, 0, 0}, {6, 0, 0}, {1, 1, 1}, .5);
    world.Add(true, "Wall", SimMode::Fixed, {0, 0, 12}, {}, {1, 1, 1});  // never reached
    MotionTrail trail;
    ASSERT_TRUE(world.sim.Reset());
    const auto skins = [&] {  // each skin's alpha and the mean x of its corners, oldest first
        std::vector<FeedbackPrimitive> drawn;
        EXPECT_TRUE(Record_Primitives([&] { trail.Draw(world.sim); }, drawn));
        std::map<float, std::pair<double, int>> by_alpha;
        for (const FeedbackPrimitive& p : drawn) {
            for (const FeedbackVertex& v : p.vertices) {
                by_alpha[v.color[3]].first += v.position.x;
                by_alpha[v.color[3]].second += 1;
            }
        }
        std::vector<std::pair<float, double>> out;
        for (const auto& [alpha, sum] : by_alpha) {
            out.emplace_back(alpha, sum.first / sum.second);
        }
        return out;
    };
    EXPECT_TRUE(skins().empty());
    for (int frame = 0; frame <= 30; ++frame) {
        trail.Record(world.sim);
        trail.Record(world.sim);  // drawn again with the clock standing: no new pose
        ASSERT_TRUE(world.sim.Step(1.0 / 60));
    }
    const auto six = skins();
    ASSERT_EQ(six.size(), 6u);
    for (size_t i = 0; i < six.size(); ++i) {
        EXPECT_NEAR(six[i].first, 0.35 * (i + 1) / 6, 1e-3);
        // Poses of frames 15, 18 ... 30: x = -5 + 6 t, t = frame / 60.
        EXPECT_NEAR(six[i].second, -5 + 6 * (15 + 3 * i) / 60.0, 1e-3) << i;
    }
    ASSERT_TRUE(world.sim.Reset());
    trail.Record(world.sim);
    EXPECT_EQ(skins().size(), 1u);
}

// Squashed onto the floor beside a wall, the ball also touches the wall: that contact waits.
TEST(ContactDrawing, AWaitingContactsNormalIsGreyBesideThePrimaryOnesWhite) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ready());
    World world({0, 0, 0});
    const SimBody& ball = world.Ball_Over_Floor(0.3, {0, 0, 0.6}, {0, 0, -10});
    world.Add(true, "Wall", SimMode::Fixed, {1.36, 0, 0}, {}, {1, 5, 5});
    ASSERT_TRUE(world.sim.Reset());
    while (world.sim.contacts.size() < 2 && world.sim.time < 1) {
        ASSERT_TRUE(world.sim.Step(1.0 / 600));
    }
    std::vector<FeedbackPrimitive> drawn;
    ASSERT_TRUE(Record_Primitives([&] { Draw_Contacts(world.sim, ball); }, drawn));
    const auto normal = [&](float grey, const Collision& c, const Vector3d& towards_ball) {
        return std::any_of(drawn.begin(), drawn.end(), [&](const FeedbackPrimitive& p) {
            const float* rgb = p.vertices[0].color;
            return p.corners == 2 && rgb[0] == grey && rgb[1] == grey && rgb[2] == grey &&
                   Near(p.vertices[0].position, c.point_a, 1e-5) &&
                   Near(p.vertices[1].position, c.point_a + towards_ball, 1e-5);
        });
    };
    EXPECT_TRUE(normal(1, world.Record(0, 1), {0, 0, 1})) << "the floor's, primary";
    EXPECT_TRUE(normal(.6f, world.Record(0, 2), {-1, 0, 0})) << "the wall's, waiting";
    world.sim.Deactivate_Object(world.bodies[0].get());
    ASSERT_TRUE(Record_Primitives([&] { Draw_Contacts(world.sim, ball); }, drawn));
    EXPECT_TRUE(drawn.empty()) << "a body out of play has only stale records";
}

TEST(ContactDrawing, GapsAreRedAtTouchingThroughYellowAtOneToGreenFromTwo) {
    const struct {
        double gap;
        float rgb[3];
    } rows[] = {{-1, {1, 0, 0}},   {0, {1, 0, 0}}, {.5, {1, .5, 0}}, {1, {1, 1, 0}},
                {1.5, {.5, 1, 0}}, {2, {0, 1, 0}}, {7, {0, 1, 0}}};
    for (const auto& r : rows) {
        float rgb[3] = {-1, -1, -1};
        Gap_Colour(r.gap, rgb);
        EXPECT_EQ(std::vector<float>(rgb, rgb + 3), std::vector<float>(r.rgb, r.rgb + 3)) << r.gap;
    }
}

// Where the ray through a pixel's middle crosses the plane through the target facing the camera:
// the view is 2 tan 22.5 degrees wide at distance 1, 800 x 600 pixels.
TEST(PointerRay, ThroughAPixelsMiddleAsTheViewsPerspectiveShowsIt) {
    const struct {
        Vector3d eye, target;
        int x, y;
        Vector3d crossing;
    } cases[] = {
        // The top left pixel of the starting camera, 30 from its target.
        {{0, -30, 5}, {0, 0, 5}, 0, 0, {-12.41087, 0, 5 + 9.30427}},
        // Looking along -x from above nothing: the screen's right is +y.
        {{10, 0, 0}, {0, 0, 0}, 799, 299, {0, 4.13696, 0.00518}},
    };
    for (const auto& c : cases) {
        const PointerRay ray = Pointer_Ray(c.eye, c.target, 45, 800, 600, c.x, c.y);
        EXPECT_TRUE(Near(ray.facing, (c.target - c.eye) * (1 / (c.target - c.eye).Length())));
        const double t = Dot(c.target - ray.origin, ray.facing) / Dot(ray.direction, ray.facing);
        EXPECT_TRUE(Near(ray.origin + t * ray.direction, c.crossing, 1e-5));
    }
}
