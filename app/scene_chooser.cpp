#include "app/scene_chooser.h"

#include <FL/Fl.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Light_Button.H>
#include <FL/Fl_Select_Browser.H>
#include <FL/fl_ask.H>

#include <cstdio>

#include "app/breakout_scene.h"
#include "app/main_window.h"
#include "app/options.h"
#include "app/scene_in_window.h"
#include "app/view_overlays.h"
#include "geometry/generic_exception.h"
#include "render/render_window.h"

namespace {

std::vector<SceneChoice> g_Choices;
size_t g_nShownChoice = 0;
SceneView* g_pSceneView = nullptr;
SceneTimers* g_pSceneTimers = nullptr;
bool g_bAutopilot = false;  // the breakout steers its own paddle

// A menu reads '/' as a submenu, '\' as an escape, '&' as an underlined shortcut and a leading
// '_' as a divider; a scene's name means none of them.
std::string Menu_Label(const std::string& label) {
    std::string escaped;
    for (const char c : label) {
        if (c == '/' || c == '\\' || (c == '_' && escaped.empty())) {
            escaped += '\\';
        } else if (c == '&') {
            escaped += '&';
        }
        escaped += c;
    }
    return escaped;
}

// The breakout is torn down before it is built again, so its ball's mesh is tried first: a mesh
// gone bad since the start leaves the running scene alone.
std::string Ball_Mesh_Fault() {
    try {
        Make_Ball("Ball", Vector3d(kBallRadius, kBallRadius, kBallRadius));
    } catch (GenericException* fault) {
        std::string text =
            fault->Message() + (fault->Detail().empty() ? "" : ": ") + fault->Detail();
        delete fault;
        return text;
    }
    return "";
}

// Takes the running scene away, whichever it is, with everything that refers to its bodies.
void Close_Running_Scene() {
    Disarm_Play_Timer();
    Fl::remove_timeout(Restore_Ball);
    Close_Parameter_Windows();
    g_pObjectBrowser->clear();
    Close_Scene();
}

}  // namespace

void Offer_Scenes(std::vector<SceneChoice> choices, size_t shown, SceneView* view,
                  SceneTimers* timers, bool autopilot) {
    g_Choices = std::move(choices);
    g_nShownChoice = shown;
    g_pSceneView = view;
    g_pSceneTimers = timers;
    g_bAutopilot = autopilot;
    g_pSceneChooser->clear();
    for (const SceneChoice& choice : g_Choices) {
        g_pSceneChooser->add(Menu_Label(choice.label).c_str());
    }
    g_pSceneChooser->value(static_cast<int>(shown));
}

std::string Switch_Scene(size_t index) {
    const SceneChoice& choice = g_Choices.at(index);
    std::unique_ptr<Scene> scene;
    if (choice.path.empty()) {
        const std::string fault = Ball_Mesh_Fault();
        if (!fault.empty()) {
            return fault;
        }
    } else {
        try {
            scene = Load_Scene(choice.path);
        } catch (const SceneFileError& fault) {
            return fault.what();
        }
    }
    Close_Running_Scene();
    if (scene != nullptr) {
        Show_Scene(std::move(scene), g_pSceneView, g_pSceneTimers);
    } else {
        // The game as the program starts it, the same layouts in the same order.
        Show_Breakout(
            BreakoutScene::Build_Scene(g_pSceneView, g_pSceneTimers, nullptr, g_bAutopilot));
    }
    Arm_Play_Timer();
    g_nShownChoice = index;
    g_pSceneChooser->value(static_cast<int>(index));
    Gravity_Callback(g_pGravityButton, nullptr);
    g_ViewOverlays.Show_Trail(g_ViewOverlays.Showing_Trail());  // no pose of the old bodies
    g_pRenderWindow->redraw();
    return "";
}

void Scene_Chooser_Callback(Fl_Widget* widget, void*) {
    const int picked = static_cast<Fl_Choice*>(widget)->value();
    if (picked < 0) {
        return;
    }
    const std::string fault = Switch_Scene(static_cast<size_t>(picked));
    if (!fault.empty()) {
        g_pSceneChooser->value(static_cast<int>(g_nShownChoice));
        std::fprintf(stderr, "%s: %s\n", kProgram, fault.c_str());
        fl_alert("%s", fault.c_str());
    }
}
