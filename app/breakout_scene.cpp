#include "app/breakout_scene.h"

#include "app/scene_bodies.h"

namespace {

// A standing block's chance is one half; a row's colour components lie in [1/3, 1).
constexpr double kStandingPercent = 50.0;
constexpr double kColourSpan = 80.0;
constexpr double kColourFloor = 40.0;
constexpr double kColourScale = 1.0 / 120.0;

// Where the ball starts.
const Vector3d kBallStart(-4.0, 0.0, 5.0);
const Vector3d kBallVelocity(7.0, 0.0, -7.0);

// Out of the view, then destroyed.
template <typename Body>
void Take_Away(SceneView& view, std::unique_ptr<Body>& body) {
    if (body != nullptr) {
        view.Remove_Render_Object(body.get());
    }
    body.reset();
}

float Colour_Component(SceneRandom& random) {
    return static_cast<float>((random.Random_Uniform() * kColourSpan + kColourFloor) *
                              kColourScale);
}

}  // namespace

std::unique_ptr<BreakoutScene> BreakoutScene::Build_Scene(SceneView* view, SceneTimers* timers,
                                                          GameEvents* events, bool autopilot) {
    // Read first, so that a bad mesh file leaves nothing half-built.
    auto ball = Make_Ball("Ball", Vector3d(kBallRadius, kBallRadius, kBallRadius));

    std::unique_ptr<BreakoutScene> scene(new BreakoutScene);
    BreakoutScene& s = *scene;
    s.g_pView = view;
    s.g_pTimers = timers;
    s.g_pEvents = events;
    if (autopilot) {
        s.autopilot.emplace();
    }
    s.random.Seed_Random(kGameSeed);

    s.g_pSimulator = std::make_unique<Tovrel>();
    s.g_pSimulator->gravity = g_vGravity;
    s.g_pSimulator->on_separation = On_Collision_End;
    s.g_pSimulator->on_separation_user = &s;
    s.g_pSimulator->on_collision = On_Collision_Start;
    s.g_pSimulator->on_collision_user = &s;

    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            auto block = Make_Grid_Block(r, c);
            // Every block joins the simulation now, while bodies can still be added, and waits
            // inactive until a layout needs it.
            s.g_pSimulator->Add_Object(block.get(), true);
            s.g_pSimulator->Deactivate_Object(block.get());
            s.g_apBlocks[block->grid_index] = std::move(block);
        }
    }
    s.New_Block_Layout();

    BreakoutRoom room = Make_Breakout_Room();
    for (auto* wall :
         {&room.left_wall, &room.right_wall, &room.ceiling, &room.back_wall, &room.reset_slab}) {
        view->Add_Render_Object(wall->get());
        s.g_pSimulator->Add_Object(wall->get(), true);
    }
    s.g_pLeftWall = std::move(room.left_wall);
    s.g_pRightWall = std::move(room.right_wall);
    s.g_pCeiling = std::move(room.ceiling);
    s.g_pBackWall = std::move(room.back_wall);
    s.g_pResetSlab = std::move(room.reset_slab);

    s.g_pBall = std::move(ball);
    SimState start;
    start.mode = SimMode::Free;
    start.position = kBallStart;
    start.velocity = kBallVelocity;
    s.g_pBall->state = start;
    s.g_pBall->initial_state = start;
    Set_Parameters(*s.g_pBall, kBallParameters);
    view->Add_Render_Object(s.g_pBall.get());
    s.g_pSimulator->Add_Object(s.g_pBall.get(), true);
    view->List_Body(s.g_pBall.get());

    s.g_pPaddle = std::make_unique<Paddle>(
        "Paddle", Still_State(SimMode::Driven, Vector3d(), kPaddleScale), 1.0, 1.0, 1.0, 1.0, 1.0);
    s.g_pPaddle->min_x = -kPaddleTravel;
    s.g_pPaddle->max_x = kPaddleTravel;
    view->Add_Render_Object(s.g_pPaddle.get());
    s.g_pSimulator->Add_Object(s.g_pPaddle.get(), true);

    s.g_pSimulator->Reset();
    return scene;
}

BreakoutScene::~BreakoutScene() {
    g_pSimulator.reset();
    for (auto& block : g_apBlocks) {
        Take_Away(*g_pView, block);
    }
    Take_Away(*g_pView, g_pLeftWall);
    Take_Away(*g_pView, g_pRightWall);
    Take_Away(*g_pView, g_pCeiling);
    Take_Away(*g_pView, g_pBackWall);
    Take_Away(*g_pView, g_pResetSlab);
    Take_Away(*g_pView, g_pBall);
    Take_Away(*g_pView, g_pPaddle);
}

void BreakoutScene::New_Block_Layout() {
    g_nBlocksLeft = 0;
    for (int r = 0; r < kGridRows; ++r) {
        const float red = Colour_Component(random);
        const float green = Colour_Component(random);
        const float blue = Colour_Component(random);
        for (int c = 0; c < kGridColumns; ++c) {
            if (random.Random_Uniform() * 100 < kStandingPercent) {
                Block* block = g_apBlocks[kGridColumns * r + c].get();
                g_pSimulator->Activate_Object(block);
                g_pView->Add_Render_Object(block);
                block->fade = 1.0f;
                block->fading = false;
                block->Set_Color(red, green, blue);
                ++g_nBlocksLeft;
            }
        }
    }
    if (g_pEvents != nullptr) {
        g_pEvents->New_Layout(g_nBlocksLeft);
    }
}

Tovrel& BreakoutScene::Simulator() {
    return *g_pSimulator;
}

PlayTimer BreakoutScene::Play_Timer() {
    return {Play_Tick, this};
}

double BreakoutScene::Step_Milliseconds() const {
    return g_dStepMilliseconds;
}

const Vector3d& BreakoutScene::Gravity() const {
    return g_vGravity;
}

const SimObject* BreakoutScene::Followed_Body() const {
    return g_pBall.get();
}
