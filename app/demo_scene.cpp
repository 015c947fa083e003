#include "app/demo_scene.h"

#include "app/scene_random.h"

const Vector3d g_vGravity(0.0, 0.0, -9.8);
const Vector3d g_vNoGravity(0.0, 0.0, 0.0);
// Five blocks span the room's 12 units less 1.5 at each side.
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

SceneView* g_pView = nullptr;
SceneTimers* g_pTimers = nullptr;
GameEvents* g_pEvents = nullptr;

namespace {

// The room's measures. Several are single-precision values widened to double, which places the
// walls exactly where the game has always had them.
constexpr double kRoomWidth = 12.0;
constexpr double kRoomHeight = static_cast<double>(11.6f);    // the ceiling's centre
constexpr double kWallThickness = static_cast<double>(0.1f);  // half thickness
constexpr double kWallHalfHeight = (static_cast<double>(11.6f) + static_cast<double>(0.4f)) * 0.5;
constexpr double kWallCentreZ = 5.5;
constexpr double kBackWallY = 1.1;
constexpr double kSlabZ = -8.0;
constexpr double kSlabHalfWidth = 24 + static_cast<double>(0.1f);
constexpr double kSlabHalfDepth = 10.0;
constexpr double kGridCentreZ = 8.0;      // the middle row's height
constexpr int kBackWallSubdivisions = 5;  // the big wall is lit more evenly with a finer grid

// A standing block's chance is one half; a row's colour components lie in [1/3, 1).
constexpr double kStandingPercent = 50.0;
constexpr double kColourSpan = 80.0;
constexpr double kColourFloor = 40.0;
constexpr double kColourScale = 1.0 / 120.0;

// The ball and how it squashes and stretches.
constexpr float kBallMeshScale = 0.3f;
const Vector3d kBallStart(-4.0, 0.0, 5.0);
const Vector3d kBallVelocity(7.0, 0.0, -7.0);
constexpr double kBallMaxSquash = 0.45;
constexpr double kBallMaxStretch = 1.9;
constexpr double kBallStretchRate = 0.25;
constexpr double kBallSquashRate = 1.0;
constexpr double kBallRestitution = 1.0;

SimState Still_State(SimMode mode, const Vector3d& position, const Vector3d& scale) {
    SimState s;
    s.mode = mode;
    s.position = position;
    s.scale = scale;
    return s;
}

std::unique_ptr<Cube> Make_Wall(const char* name, const Vector3d& position, const Vector3d& scale) {
    return std::make_unique<Cube>(name, Still_State(SimMode::Fixed, position, scale), 1.0, 1.0, 1.0,
                                  1.0, 1.0);
}

void Add_To_Room(Cube& wall, float red, float green, float blue) {
    wall.Set_Color(red, green, blue);
    g_pView->Add_Render_Object(&wall);
    g_pSimulator->Add_Object(&wall, true);
}

float Colour_Component() {
    return static_cast<float>((Random_Uniform() * kColourSpan + kColourFloor) * kColourScale);
}

}  // namespace

void Build_Scene(SceneView* view, SceneTimers* timers, GameEvents* events) {
    g_pView = view;
    g_pTimers = timers;
    g_pEvents = events;
    g_nBlocksLeft = 0;
    g_bResetRequested = false;

    // Read first, so that a bad mesh file leaves nothing half-built.
    const Vector3d mesh_scale(kBallMeshScale, kBallMeshScale, kBallMeshScale);
    auto ball = std::make_unique<PolyObject>(kBallMeshPath, "Ball", mesh_scale, Vector3d());

    g_pSimulator = std::make_unique<Tovrel>();
    g_pSimulator->gravity = g_vGravity;
    g_pSimulator->on_separation = On_Collision_End;
    g_pSimulator->on_separation_user = nullptr;
    g_pSimulator->on_collision = On_Collision_Start;
    g_pSimulator->on_collision_user = nullptr;

    const double w = g_fBlockWidth;
    const double h = g_fBlockHeight;
    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            const Vector3d position((c - 2) * w, 0.0, kGridCentreZ - (r - 2) * h);
            const Vector3d scale(w / 2, 1.0, h / 2);
            auto block = std::make_unique<Block>(
                "Block", Still_State(SimMode::Fixed, position, scale), 1.0, 1.0, 1.0, 1.0, 1.0);
            block->grid_index = kGridColumns * r + c;
            // Every block joins the simulation now, while bodies can still be added, and waits
            // inactive until a layout needs it.
            g_pSimulator->Add_Object(block.get(), true);
            g_pSimulator->Deactivate_Object(block.get());
            g_apBlocks[block->grid_index] = std::move(block);
        }
    }
    New_Block_Layout();

    const Vector3d wall_scale(kWallThickness, 1.0, kWallHalfHeight);
    const double half_span = kRoomWidth * 0.5 + kWallThickness;
    g_pLeftWall = Make_Wall("Left Wall", {-kRoomWidth / 2, 0.0, kWallCentreZ}, wall_scale);
    Add_To_Room(*g_pLeftWall, 0.0f, 1.0f, 0.0f);
    g_pRightWall = Make_Wall("Right Wall", {kRoomWidth / 2, 0.0, kWallCentreZ}, wall_scale);
    Add_To_Room(*g_pRightWall, 0.0f, 1.0f, 0.0f);
    g_pCeiling = Make_Wall("Ceiling", {0.0, 0.0, kRoomHeight}, {half_span, 1.0, kWallThickness});
    Add_To_Room(*g_pCeiling, 0.0f, 1.0f, 0.0f);
    g_pBackWall = Make_Wall("Back Wall", {0.0, kBackWallY, kWallCentreZ},
                            {half_span, kWallThickness, kWallHalfHeight});
    g_pBackWall->subdivisions = kBackWallSubdivisions;
    Add_To_Room(*g_pBackWall, 0.0f, 0.5f, 0.0f);
    g_pResetSlab =
        Make_Wall("Reset", {0.0, 0.0, kSlabZ}, {kSlabHalfWidth, kSlabHalfDepth, kWallThickness});
    Add_To_Room(*g_pResetSlab, 1.0f, 1.0f, 1.0f);

    g_pBall = std::move(ball);
    SimState start;
    start.mode = SimMode::Free;
    start.position = kBallStart;
    start.velocity = kBallVelocity;
    g_pBall->state = start;
    g_pBall->initial_state = start;
    g_pBall->max_squash = kBallMaxSquash;
    g_pBall->max_stretch = kBallMaxStretch;
    g_pBall->stretch_rate = kBallStretchRate;
    g_pBall->squash_rate = kBallSquashRate;
    g_pBall->restitution = kBallRestitution;
    g_pView->Add_Render_Object(g_pBall.get());
    g_pSimulator->Add_Object(g_pBall.get(), true);
    g_pView->List_Body(g_pBall.get());

    g_pPaddle = std::make_unique<Paddle>("Paddle",
                                         Still_State(SimMode::Driven, Vector3d(), {1.5, 1.5, 0.1}),
                                         1.0, 1.0, 1.0, 1.0, 1.0);
    g_pView->Add_Render_Object(g_pPaddle.get());
    g_pSimulator->Add_Object(g_pPaddle.get(), true);

    g_pSimulator->Reset();
}

void Destroy_Scene() {
    if (g_pView != nullptr) {
        for (auto& block : g_apBlocks) {
            g_pView->Remove_Render_Object(block.get());
        }
        for (RenderObject* body : {static_cast<RenderObject*>(g_pLeftWall.get()),
                                   static_cast<RenderObject*>(g_pRightWall.get()),
                                   static_cast<RenderObject*>(g_pCeiling.get()),
                                   static_cast<RenderObject*>(g_pBackWall.get()),
                                   static_cast<RenderObject*>(g_pResetSlab.get()),
                                   static_cast<RenderObject*>(g_pBall.get()),
                                   static_cast<RenderObject*>(g_pPaddle.get())}) {
            g_pView->Remove_Render_Object(body);
        }
    }
    g_pSimulator.reset();
    for (auto& block : g_apBlocks) {
        block.reset();
    }
    g_pLeftWall.reset();
    g_pRightWall.reset();
    g_pCeiling.reset();
    g_pBackWall.reset();
    g_pResetSlab.reset();
    g_pBall.reset();
    g_pPaddle.reset();
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
