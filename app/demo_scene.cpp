#include "app/demo_scene.h"

#include <cmath>

#include "app/body_grab.h"
#include "app/scene_random.h"

const Vector3d g_vGravity(0.0, 0.0, -kGravity);
const Vector3d g_vNoGravity(0.0, 0.0, 0.0);
// Five blocks span the room's 12 units less 1.5 at each side; five rows a third of its height.
const float g_fBlockWidth = (12 - 2 * 1.5) * 0.2;
const float g_fBlockHeight = 11.6 * static_cast<double>(1.0f / 15.0f);
const float g_fTickPeriod = 1.0f / 60.0f;
double g_dTimeScale = 1.0;

std::unique_ptr<Tovrel> g_pSimulator;
std::array<std::unique_ptr<Block>, kBlockCount> g_apBlocks;
std::unique_ptr<Cube> g_pLeftWall;
std::unique_ptr<Cube> g_pRightWall;
std::unique_ptr<Cube> g_pCeiling;
std::unique_ptr<Cube> g_pBackWall;
std::unique_ptr<Cube> g_pResetSlab;
std::unique_ptr<PolyObject> g_pBall;
std::unique_ptr<Paddle> g_pPaddle;
int g_nBlocksLeft = 0;
bool g_bResetRequested = false;
int g_nBallsMissed = 0;
double g_dStepMilliseconds = 0.0;

SceneView* g_pView = nullptr;
SceneTimers* g_pTimers = nullptr;
GameEvents* g_pEvents = nullptr;

namespace {

constexpr double kGridCentreZ = 8.0;  // the middle row's height

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
void Take_Away(std::unique_ptr<Body>& body) {
    if (g_pView != nullptr && body != nullptr) {
        g_pView->Remove_Render_Object(body.get());
    }
    body.reset();
}

float Colour_Component() {
    return static_cast<float>((Random_Uniform() * kColourSpan + kColourFloor) * kColourScale);
}

}  // namespace

BreakoutRoom Make_Breakout_Room() {
    const Vector3d wall_scale(kWallHalfThickness, kWallHalfDepth, kWallHalfHeight);
    const double half_span = kRoomWidth * 0.5 + kWallHalfThickness;
    BreakoutRoom room;
    room.left_wall = Make_Wall("Left Wall", {-kRoomWidth / 2, 0.0, kWallCentreZ}, wall_scale);
    room.right_wall = Make_Wall("Right Wall", {kRoomWidth / 2, 0.0, kWallCentreZ}, wall_scale);
    room.ceiling = Make_Wall("Ceiling", {0.0, 0.0, kCeilingZ},
                             {half_span, kWallHalfDepth, kWallHalfThickness});
    room.back_wall = Make_Wall("Back Wall", {0.0, kBackWallY, kWallCentreZ},
                               {half_span, kWallHalfThickness, kWallHalfHeight});
    room.reset_slab = Make_Wall("Reset", {0.0, 0.0, kSlabZ},
                                {kSlabHalfWidth, kSlabHalfDepth, kWallHalfThickness});
    room.left_wall->Set_Color(0.0f, 1.0f, 0.0f);
    room.right_wall->Set_Color(0.0f, 1.0f, 0.0f);
    room.ceiling->Set_Color(0.0f, 1.0f, 0.0f);
    room.back_wall->Set_Color(0.0f, 0.5f, 0.0f);
    room.back_wall->subdivisions = kBackWallSubdivisions;
    room.reset_slab->Set_Color(1.0f, 1.0f, 1.0f);
    return room;
}

std::unique_ptr<Block> Make_Grid_Block(int row, int column) {
    const double w = g_fBlockWidth;
    const double h = g_fBlockHeight;
    const Vector3d position((column - 2) * w, 0.0, kGridCentreZ - (row - 2) * h);
    const Vector3d scale(w / 2, 1.0, h / 2);
    auto block = std::make_unique<Block>("Block", Still_State(SimMode::Fixed, position, scale), 1.0,
                                         1.0, 1.0, 1.0, 1.0);
    block->grid_index = kGridColumns * row + column;
    return block;
}

void Build_Scene(SceneView* view, SceneTimers* timers, GameEvents* events) {
    g_pView = view;
    g_pTimers = timers;
    g_pEvents = events;
    g_nBlocksLeft = 0;
    g_bResetRequested = false;
    g_nBallsMissed = 0;
    g_dStepMilliseconds = 0.0;

    // Read first, so that a bad mesh file leaves nothing half-built.
    auto ball = Make_Ball("Ball", Vector3d(kBallRadius, kBallRadius, kBallRadius));

    g_pSimulator = std::make_unique<Tovrel>();
    g_pSimulator->gravity = g_vGravity;
    g_pSimulator->on_separation = On_Collision_End;
    g_pSimulator->on_separation_user = nullptr;
    g_pSimulator->on_collision = On_Collision_Start;
    g_pSimulator->on_collision_user = nullptr;

    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            auto block = Make_Grid_Block(r, c);
            // Every block joins the simulation now, while bodies can still be added, and waits
            // inactive until a layout needs it.
            g_pSimulator->Add_Object(block.get(), true);
            g_pSimulator->Deactivate_Object(block.get());
            g_apBlocks[block->grid_index] = std::move(block);
        }
    }
    New_Block_Layout();

    BreakoutRoom room = Make_Breakout_Room();
    for (auto* wall :
         {&room.left_wall, &room.right_wall, &room.ceiling, &room.back_wall, &room.reset_slab}) {
        g_pView->Add_Render_Object(wall->get());
        g_pSimulator->Add_Object(wall->get(), true);
    }
    g_pLeftWall = std::move(room.left_wall);
    g_pRightWall = std::move(room.right_wall);
    g_pCeiling = std::move(room.ceiling);
    g_pBackWall = std::move(room.back_wall);
    g_pResetSlab = std::move(room.reset_slab);

    g_pBall = std::move(ball);
    SimState start;
    start.mode = SimMode::Free;
    start.position = kBallStart;
    start.velocity = kBallVelocity;
    g_pBall->state = start;
    g_pBall->initial_state = start;
    Set_Parameters(*g_pBall, kBallParameters);
    g_pView->Add_Render_Object(g_pBall.get());
    g_pSimulator->Add_Object(g_pBall.get(), true);
    g_pView->List_Body(g_pBall.get());

    g_pPaddle = std::make_unique<Paddle>(
        "Paddle", Still_State(SimMode::Driven, Vector3d(), kPaddleScale), 1.0, 1.0, 1.0, 1.0, 1.0);
    g_pPaddle->min_x = -kPaddleTravel;
    g_pPaddle->max_x = kPaddleTravel;
    g_pView->Add_Render_Object(g_pPaddle.get());
    g_pSimulator->Add_Object(g_pPaddle.get(), true);

    g_pSimulator->Reset();
}

void Destroy_Scene() {
    g_BodyGrab.Drop();
    g_pSimulator.reset();
    for (auto& block : g_apBlocks) {
        Take_Away(block);
    }
    Take_Away(g_pLeftWall);
    Take_Away(g_pRightWall);
    Take_Away(g_pCeiling);
    Take_Away(g_pBackWall);
    Take_Away(g_pResetSlab);
    Take_Away(g_pBall);
    Take_Away(g_pPaddle);
    g_nBlocksLeft = 0;
    g_bResetRequested = false;
    g_pView = nullptr;
    g_pTimers = nullptr;
    g_pEvents = nullptr;
}

void New_Block_Layout() {
    g_nBlocksLeft = 0;
    for (int r = 0; r < kGridRows; ++r) {
        const float red = Colour_Component();
        const float green = Colour_Component();
        const float blue = Colour_Component();
        for (int c = 0; c < kGridColumns; ++c) {
            if (Random_Uniform() * 100 < kStandingPercent) {
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

bool Ball_Within_Bounds(const Vector3d& p) {
    if (p.z <= kWallBottomZ || p.y < -kWallHalfDepth) {
        // Below the walls, or out through the open front: it can only fall onto the slab.
        return std::fabs(p.x) <= kSlabHalfWidth && std::fabs(p.y) <= kSlabHalfDepth &&
               p.z > kSlabTopZ;
    }
    return std::fabs(p.x) < kWallFaceX && p.z < kCeilingFaceZ && p.y < kBackFaceY;
}
