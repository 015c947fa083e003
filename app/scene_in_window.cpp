#include "app/scene_in_window.h"

#include "app/body_grab.h"
#include "app/timed_step.h"

namespace {

// A scene file's scene as the window runs it.
class FileSceneRun : public ShownScene {
public:
    FileSceneRun(std::unique_ptr<Scene> scene, SceneView* view, SceneTimers* timers)
        : scene_(std::move(scene)), view_(view), timers_(timers) {
        for (RenderObject* drawable : scene_->Drawables()) {
            view_->Add_Render_Object(drawable);
        }
        for (const SceneBody& body : scene_->bodies) {
            if (Is_Movable(body)) {
                view_->List_Body(body.simulated);
            }
        }
    }

    ~FileSceneRun() override {
        // The simulator first: it refers to the bodies.
        scene_->simulator.reset();
        for (RenderObject* drawable : scene_->Drawables()) {
            view_->Remove_Render_Object(drawable);
        }
    }

    Tovrel& Simulator() override { return *scene_->simulator; }
    PlayTimer Play_Timer() override { return {Tick, this}; }
    void Step_Simulator() override {
        step_milliseconds_ = Timed_Step(*scene_->simulator, g_fTickPeriod * g_dTimeScale);
    }
    double Step_Milliseconds() const override { return step_milliseconds_; }
    const Vector3d& Gravity() const override { return scene_->gravity; }

    // The first body in file order that can move.
    const SimObject* Followed_Body() const override {
        for (const SceneBody& body : scene_->bodies) {
            if (Is_Movable(body)) {
                return body.simulated;
            }
        }
        return nullptr;
    }

private:
    // A resting body is as free as a flying one once something moves it.
    static bool Is_Movable(const SceneBody& body) {
        return body.simulated->initial_state.mode != SimMode::Fixed;
    }

    static void Tick(void* user) {
        FileSceneRun& run = *static_cast<FileSceneRun*>(user);
        run.Step_Simulator();
        run.view_->Request_Redraw();
        run.timers_->Repeat_Timeout(g_fTickPeriod, Tick, user);
    }

    std::unique_ptr<Scene> scene_;
    SceneView* view_;
    SceneTimers* timers_;
    double step_milliseconds_ = 0.0;
};

std::unique_ptr<ShownScene> g_pShownScene;  // null before the first scene and between two

void Show(std::unique_ptr<ShownScene> scene) {
    g_BodyGrab.Bind(&scene->Simulator());
    g_pShownScene = std::move(scene);
}

}  // namespace

void Show_Breakout(std::unique_ptr<BreakoutScene> game) {
    Show(std::move(game));
}

void Show_Scene(std::unique_ptr<Scene> scene, SceneView* view, SceneTimers* timers) {
    // The pointer reaches the bodies through the room's undrawn front wall.
    g_BodyGrab.See_Through(scene->Front_Wall());
    Show(std::make_unique<FileSceneRun>(std::move(scene), view, timers));
}

ShownScene* Shown_Scene() {
    return g_pShownScene.get();
}

BreakoutScene* Shown_Breakout() {
    return dynamic_cast<BreakoutScene*>(g_pShownScene.get());
}

Tovrel* Shown_Simulator() {
    return g_pShownScene != nullptr ? &g_pShownScene->Simulator() : nullptr;
}

void Close_Scene() {
    g_BodyGrab.Bind(nullptr);
    g_BodyGrab.See_Through(nullptr);
    g_pShownScene.reset();
}
