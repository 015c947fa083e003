#include "app/scene_in_window.h"

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
        if (body.simulated->initial_state.mode == SimMode::Free) {
            view->List_Body(body.simulated);
        }
    }
    g_pSimulator = std::move(scene->simulator);
    g_pShownScene = std::move(scene);
}

void Close_Scene() {
    if (g_pShownScene == nullptr) {
        return;
    }
    // The simulator first: it refers to the bodies.
    g_pSimulator.reset();
    for (RenderObject* drawable : g_pShownScene->Drawables()) {
        g_pView->Remove_Render_Object(drawable);
    }
    g_pShownScene.reset();
    g_pView = nullptr;
    g_pTimers = nullptr;
}
