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

#include "app/demo_scene.h"
#include "bodies/paddle.h"
#include "render/render_window.h"

namespace {

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

    // The room, as the game builds it; the slab far below stays out of the picture.
    BreakoutRoom room = Make_Breakout_Room();
    for (const auto* wall : {&room.left_wall, &room.right_wall, &room.ceiling, &room.back_wall}) {
        view.Add_Render_Object(wall->get());
    }

    // Three rows of blocks in the game's grid, some missing, one colour per row.
    const float colors[3][3] = {{0.95f, 0.45f, 0.4f}, {0.45f, 0.6f, 0.95f}, {0.95f, 0.85f, 0.4f}};
    const char* rows[3] = {"XX.XX", "X.XX.", ".XXXX"};
    std::vector<std::unique_ptr<Block>> blocks;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            if (rows[r][c] != 'X') {
                continue;
            }
            blocks.push_back(Make_Grid_Block(r, c));
            blocks.back()->Set_Color(colors[r][0], colors[r][1], colors[r][2]);
            view.Add_Render_Object(blocks.back().get());
        }
    }

    // The ball in mid-flight as served, stretched along its flight, and the paddle below.
    auto ball = Make_Ball("Ball", Vector3d(kBallRadius, kBallRadius, kBallRadius));
    ball->initial_state.mode = SimMode::Free;
    ball->initial_state.position = Vector3d(-2.5, 0, 3.5);
    ball->initial_state.velocity = Vector3d(7, 0, -7);
    Set_Parameters(*ball, kBallParameters);
    ball->Reset(g_vGravity);
    view.Add_Render_Object(ball.get());

    Paddle paddle("Paddle", Still_State(SimMode::Driven, Vector3d(), kPaddleScale), 1, 1, 1, 1, 1);
    view.Add_Render_Object(&paddle);

    view.show();
    Fl::add_timeout(
        0.2, [](void* window) { static_cast<SceneWindow*>(window)->redraw(); }, &view);
    Fl::add_timeout(seconds, [](void*) { std::exit(0); });
    return Fl::run();
}
