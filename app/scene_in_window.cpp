#include "app/scene_in_window.h"

#include "app/body_grab.h"
#include "app/timed_step.h"

namespace {

// A scene file's scene as the window runs it.
struct FileSceneRun {
    std::unique_ptr<Scene> scene;
    SceneView* view = nullptr;
    SceneTimers* timers = nullptr;
    double step_milliseconds = 0.0;
};

// At most one of the two is set: the scene shown.
std::unique_ptr<BreakoutScene> g_pShownBreakout;
std::unique_ptr<FileSceneRun> g_pShownFileScene;

void Step_File_Scene(FileSceneRun& run) {
    run.step_milliseconds = Timed_Step(*run.scene->simulator, g_fTickPeriod * g_dTimeScale);
}

// The play timer of a scene file's scene, `user` being its FileSceneRun.
void File_Scene_Tick(void* user) {
    FileSceneRun& run = *static_cast<FileSceneRun*>(user);
    Step_File_Scene(run);
    run.view->Request_Redraw();
    run.timers->Repeat_Timeout(g_fTickPeriod, File_Scene_Tick, user);
}

}  // namespace

void Show_Breakout(std::unique_ptr<BreakoutScene> game) {
    g_BodyGrab.Bind(game->g_pSimulator.get());
    g_pShownBreakout = std::move(game);
}

void Show_Scene(std::unique_ptr<Scene> scene, SceneView* view, SceneTimers* timers) {
    for (RenderObject* drawable : scene->Drawables()) {
        view->Add_Render_Object(drawable);
    }
    for (const SceneBody& body : scene->bodies) {
        // A resting body is as free as a flying one once something moves it.
        if (body.simulated->initial_state.mode != SimMode::Fixed) {
            view->List_Body(body.simulated);
        }
    }
    g_BodyGrab.Bind(scene->simulator.get());
    // The pointer reaches the bodies through the room's undrawn front wall.
    g_BodyGrab.See_Through(scene->Front_Wall());
    g_pShownFileScene.reset(new FileSceneRun{std::move(scene), view, timers});
}

BreakoutScene* Shown_Breakout() {
    return g_pShownBreakout.get();
}

Tovrel* Shown_Simulator() {
    if (g_pShownBreakout != nullptr) {
        return g_pShownBreakout->g_pSimulator.get();
    }
    return g_pShownFileScene != nullptr ? g_pShownFileScene->scene->simulator.get() : nullptr;
}

PlayTimer Shown_Play_Timer() {
    if (g_pShownBreakout != nullptr) {
        return {Play_Tick, g_pShownBreakout.get()};
    }
    return {File_Scene_Tick, g_pShownFileScene.get()};
}

void Step_Shown_Scene() {
    if (g_pShownBreakout != nullptr) {
        g_pShownBreakout->Step_Simulator();
    } else if (g_pShownFileScene != nullptr) {
        Step_File_Scene(*g_pShownFileScene);
    }
}

double Shown_Step_Milliseconds() {
    if (g_pShownBreakout != nullptr) {
        return g_pShownBreakout->g_dStepMilliseconds;
    }
    return g_pShownFileScene != nullptr ? g_pShownFileScene->step_milliseconds : 0.0;
}

const Vector3d& Shown_Scene_Gravity() {
    return g_pShownFileScene != nullptr ? g_pShownFileScene->scene->gravity : g_vGravity;
}

const SimObject* Followed_Body() {
    if (g_pShownBreakout != nullptr) {
        return g_pShownBreakout->g_pBall.get();
    }
    if (g_pShownFileScene == nullptr) {
        return nullptr;
    }
    for (const SceneBody& body : g_pShownFileScene->scene->bodies) {
        if (body.simulated->initial_state.mode != SimMode::Fixed) {
            return body.simulated;
        }
    }
    return nullptr;
}

void Close_Scene() {
    g_BodyGrab.Bind(nullptr);
    g_BodyGrab.See_Through(nullptr);
    g_pShownBreakout.reset();
    if (g_pShownFileScene == nullptr) {
        return;
    }
    Scene& scene = *g_pShownFileScene->scene;
    // The simulator first: it refers to the bodies.
    scene.simulator.reset();
    for (RenderObject* drawable : scene.Drawables()) {
        g_pShownFileScene->view->Remove_Render_Object(drawable);
    }
    g_pShownFileScene.reset();
}
