#pragma once

#include <array>
#include <memory>
#include <optional>

#include "app/autopilot.h"
#include "app/demo_scene.h"
#include "app/scene_random.h"
#include "app/scene_view.h"
#include "app/shown_scene.h"
#include "bodies/block.h"
#include "bodies/cube.h"
#include "bodies/paddle.h"
#include "bodies/poly_object.h"
#include "sim/tovrel.h"

// The breakout game, whole: the simulator and every body it moves, the game's counters, its
// random generator, and the view, timers and event listener the game reports to. The window, the
// run without a window and the tests each build one and drive it through the same rules.
// Everything the game does happens in its callbacks below (the simulator's contact callbacks, the
// play timer's tick, the serve a second after a cleared grid), each given the scene as its user
// pointer. No state of the game lives outside this object (the time scale it steps by is the
// window's setting), so a scene torn down and built again plays exactly as the first.
//
// The object never moves (the simulator's callbacks and the timers refer to it), so it is only
// built on the heap, by Build_Scene.
class BreakoutScene : public ShownScene {
public:
    // Creates the simulator and every body, registers them with the simulator and the view, seeds
    // the generator with kGameSeed, draws the first block layout and resets the simulator (sim
    // indices: blocks 0 ... 24, left wall 25, right wall 26, ceiling 27, back wall 28, slab 29,
    // ball 30, paddle 31). A ball mesh that cannot be read throws the reader's GenericException*
    // before anything is built. `events` may be null. With `autopilot`, the game steers its own
    // paddle and the keys are not read. The play timer is not armed: Play_Tick with the scene as
    // user data is its callback.
    static std::unique_ptr<BreakoutScene> Build_Scene(SceneView* view, SceneTimers* timers,
                                                      GameEvents* events = nullptr,
                                                      bool autopilot = false);

    // Takes every body out of the view; the simulator goes first, as it refers to them. Pending
    // timeouts of the scene are the caller's to remove.
    ~BreakoutScene() override;

    BreakoutScene(const BreakoutScene&) = delete;
    BreakoutScene& operator=(const BreakoutScene&) = delete;

    // Draws a new random set of standing blocks: per row one colour from three draws, then one
    // draw per column (below one half: the block stands), eight draws a row whatever the outcome.
    void New_Block_Layout();

    // Steps the simulator by a tick period times the time scale, timing the step.
    void Step_Simulator() override;

    // As the window shows the game: Play_Tick is the play timer, the ball is the body followed.
    Tovrel& Simulator() override;
    PlayTimer Play_Timer() override;
    double Step_Milliseconds() const override;
    const Vector3d& Gravity() const override;
    const SimObject* Followed_Body() const override;

    // Whether the ball is in the simulation: it is not while it waits to be served again.
    bool Ball_In_Play() const;

    std::unique_ptr<Tovrel> g_pSimulator;
    std::array<std::unique_ptr<Block>, kBlockCount> g_apBlocks;  // row-major, top row first
    std::unique_ptr<Cube> g_pLeftWall;
    std::unique_ptr<Cube> g_pRightWall;
    std::unique_ptr<Cube> g_pCeiling;
    std::unique_ptr<Cube> g_pBackWall;
    std::unique_ptr<Cube> g_pResetSlab;
    std::unique_ptr<PolyObject> g_pBall;
    std::unique_ptr<Paddle> g_pPaddle;
    int g_nBlocksLeft = 0;           // blocks of the current layout not yet removed
    bool g_bResetRequested = false;  // the ball touched the slab; the next tick resets
    int g_nBallsMissed = 0;          // balls that fell onto the slab or were lost
    // The wall-clock time of the last step; measured only, it never steers.
    double g_dStepMilliseconds = 0.0;

    SceneView* g_pView = nullptr;
    SceneTimers* g_pTimers = nullptr;
    GameEvents* g_pEvents = nullptr;  // may be null

    SceneRandom random;  // every layout continues its sequence

    std::optional<Autopilot> autopilot;  // steers the paddle in place of the keys when set

private:
    BreakoutScene() = default;
};

// The simulator's callbacks, installed with the scene as `user`: a touched block lights up
// (fade 3), touching the slab asks for a reset; a block whose contact ends leaves the simulation
// and starts fading.
void On_Collision_Start(Collision* c, void* user);
void On_Collision_End(Collision* c, void* user);

// One tick of the play timer, `user` being the scene: steps the simulation by a tick period times
// the time scale, sets the paddle's velocity from the view's paddle speed (or the autopilot's),
// then either resets (after the slab was touched, or when the ball was lost out of the room some
// other way) or fades hit blocks, when none is left draws a new layout and takes the ball away
// for a second, and asks for a redraw. Re-arms itself with the same user data.
void Play_Tick(void* user);

// The one-shot timer a second after the grid was cleared, `user` being the scene: the ball comes
// back, the simulation starts over.
void Restore_Ball(void* user);
