#include "app/scene_in_window.h"

#include "app/body_grab.h"
#include "app/demo_scene.h"

namespace {

// The scene shown; its simulator is lent to g_pSimulator while it is.
std::unique_ptr<Scene> g_pShownScene;

}  // namespace

void Show_Scene(std::unique_ptr<Scene> scene, SceneView* view, SceneTimers* timers) {
    g_pView = view;
    g_pTimers = timers;
    for (RenderObject* drawable : scene->Drawables()) {
        view->Add_Render_Object(drawable);
    }
    for (const SceneBody& body : scene->bodies) {
        // A resting body is as free as a flying one once something moves it.
        if (body.simulated->initial_state.mode != SimMode::Fixed) {
            view->List_Body(body.simulated);
        }
    }
    // The pointer reaches the bodies through the room's undrawn front wall.
    g_BodyGrab.See_Through(scene->Front_Wall());
    g_pSimulator = std::move(scene->simulator);
    g_pShownScene = std::move(scene);
}

const Vector3d& Shown_Scene_Gravity() {
    return g_pShownScene != nullptr ? g_pShownScene->gravity : g_vGravity;
}

const SimObject* Followed_Body() {
    if (g_pShownScene == nullptr) {
        return g_pBall.get();
    }
    for (const SceneBody& body : g_pShownScene->bodies) {
        if (body.simulated->initial_state.mode != SimMode::Fixed) {
            return body.simulated;
        }
    }
    return nullptr;
}

void Close_Scene() {
    if (g_pShownScene == nullptr) {
        return;
    }
    g_BodyGrab.Drop();
    g_BodyGrab.See_Through(nullptr);
    // The simulator first: it refers to the bodies.
    g_pSimulator.reset();
    for (RenderObject* drawable : g_pShownScene->Drawables()) {
        g_pView->Remove_Render_Object(drawable);
    }
    g_pShownScene.reset();
    g_pView = nullptr;
    g_pTimers = nullptr;
}
