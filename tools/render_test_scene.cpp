// Shows the demo's room in the OpenGL view, still, for screenshots of what the renderer draws:
// the walls, ceiling and back wall, a few rows of coloured blocks, the paddle, and the toon-shaded
// ball in mid-flight, stretched along its motion. Run it inside data/ so that it finds
// objects/sphere.poly and textures/env_toonshade.tga. It prints "drawn" once the second frame is
// on screen, then stays until it is killed or `seconds` (default 60) have passed.
//
//   cd data && ../build/release/tools/render_test_scene [seconds]
#include <FL/Fl.H>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "bodies/block.h"
#include "bodies/paddle.h"
#include "bodies/poly_object.h"
#include "render/render_window.h"

namespace {

const Vector3d kGravity(0, 0, -9.8);

SimState Fixed_At(const Vector3d& position, const Vector3d& scale) {
    SimState s;
    s.position = position;
    s.scale = scale;
    return s;
}

// The view, telling the script when a frame after the first (the texture set-up) is shown.
class SceneWindow : public RenderWindow {
public:
    using RenderWindow::RenderWindow;

    void draw() override {
        RenderWindow::draw();
        if (Frame_Count() == 2) {
            std::printf("drawn\n");
            std::fflush(stdout);
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    SceneWindow view(0, 0, 909, 720, "RenderWindow");

    // The room, as the game builds it.
    const double wall_height = (static_cast<double>(11.6f) + static_cast<double>(0.4f)) * 0.5;
    const double thin = static_cast<double>(0.1f);
    std::vector<std::unique_ptr<Cube>> room;
    room.push_back(std::make_unique<Cube>(
        "Left Wall", Fixed_At({-6, 0, 5.5}, {thin, 1, wall_height}), 1, 1, 1, 1, 1));
    room.push_back(std::make_unique<Cube>(
        "Right Wall", Fixed_At({6, 0, 5.5}, {thin, 1, wall_height}), 1, 1, 1, 1, 1));
    room.push_back(std::make_unique<Cube>(
        "Ceiling", Fixed_At({0, 0, static_cast<double>(11.6f)}, {6 + thin, 1, thin}), 1, 1, 1, 1,
        1));
    room.push_back(std::make_unique<Cube>(
        "Back Wall", Fixed_At({0, 1.1, 5.5}, {6 + thin, thin, wall_height}), 1, 1, 1, 1, 1));
    for (int i = 0; i < 3; ++i) {
        room[i]->Set_Color(0, 1, 0);
    }
    room[3]->Set_Color(0, 0.5f, 0);
    room[3]->subdivisions = 5;
    for (auto& part : room) {
        view.Add_Render_Object(part.get());
    }

    // Three rows of blocks in the game's grid, some missing, one colour per row.
    const double width = static_cast<double>(1.8f);
    const double height = 11.6 * static_cast<double>(1.0f / 15.0f);
    const float colors[3][3] = {{0.95f, 0.45f, 0.4f}, {0.45f, 0.6f, 0.95f}, {0.95f, 0.85f, 0.4f}};
    const char* rows[3] = {"XX.XX", "X.XX.", ".XXXX"};
    std::vector<std::unique_ptr<Block>> blocks;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 5; ++c) {
            if (rows[r][c] != 'X') {
                continue;
            }
            const Vector3d position((c - 2) * width, 0, 8 - (r - 2) * height);
            blocks.push_back(std::make_unique<Block>(
                "Block", Fixed_At(position, {width / 2, 1, height / 2}), 1, 1, 1, 1, 1));
            blocks.back()->Set_Color(colors[r][0], colors[r][1], colors[r][2]);
            view.Add_Render_Object(blocks.back().get());
        }
    }

    // The ball as served, stretched along its flight, and the paddle below.
    const double s = static_cast<double>(0.3f);
    PolyObject ball("objects/sphere.poly", "Ball", Vector3d(s, s, s), Vector3d(0, 0, 0));
    ball.initial_state.mode = SimMode::Free;
    ball.initial_state.position = Vector3d(-2.5, 0, 3.5);
    ball.initial_state.velocity = Vector3d(7, 0, -7);
    ball.max_squash = 0.45;
    ball.max_stretch = 1.9;
    ball.stretch_rate = 0.25;
    ball.Reset(kGravity);
    view.Add_Render_Object(&ball);

    SimState paddle_start = Fixed_At({0, 0, 0}, {1.5, 1.5, 0.1});
    paddle_start.mode = SimMode::Driven;
    Paddle paddle("Paddle", paddle_start, 1, 1, 1, 1, 1);
    view.Add_Render_Object(&paddle);

    view.show();
    Fl::add_timeout(
        0.2, [](void* window) { static_cast<SceneWindow*>(window)->redraw(); }, &view);
    Fl::add_timeout(seconds, [](void*) { std::exit(0); });
    return Fl::run();
}
