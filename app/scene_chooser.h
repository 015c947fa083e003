#pragma once

#include <string>
#include <vector>

#include "app/scene_choices.h"

class Fl_Widget;
class SceneTimers;
class SceneView;

// The main window's "Scene" chooser: the breakout game or a scene file, rebuilt from the start
// when chosen, in place of the scene running. The play state, the gravity toggle and the view's
// overlays carry over to the new scene; the parameter windows of the old one's bodies close.

// Fills the chooser with `choices`, `shown` being the scene already running. Every scene is
// built on `view` and runs on `timers`, both referred to, not owned; the breakout with its
// autopilot when `autopilot` is set.
void Offer_Scenes(std::vector<SceneChoice> choices, size_t shown, SceneView* view,
                  SceneTimers* timers, bool autopilot);

// Builds the scene of the chooser's entry `index` and puts it in place of the running one.
// Returns what is wrong with the entry's scene file, leaving the running scene as it was, or
// empty when the new scene runs.
std::string Switch_Scene(size_t index);

// The chooser's callback: Switch_Scene to the entry chosen; a scene file in error is told in an
// alert and on the console, and the chooser goes back to the scene still running.
void Scene_Chooser_Callback(Fl_Widget* widget, void* user);
