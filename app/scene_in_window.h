#pragma once

#include <memory>

#include "app/scene_builder.h"
#include "app/scene_view.h"

// A scene file's scene in the window, where the breakout's would be: its simulator becomes the
// one the window's controls and the play timer step, its bodies are drawn, and its free and resting
// bodies are offered in the list of bodies, each with its parameter window. The play timer then
// only steps and redraws: a scene of a file has no game rules.
void Show_Scene(std::unique_ptr<Scene> scene, SceneView* view, SceneTimers* timers);

// The gravity of the scene shown while the gravity toggle is on: the scene file's, or the
// breakout's when no scene file's scene is shown.
const Vector3d& Shown_Scene_Gravity();

// The body Show Contacts follows: the breakout's ball, or the first free or resting body of the
// scene file's scene shown; null when there is none.
const SimObject* Followed_Body();

// Takes the shown scene out of the view and destroys it; nothing when none is shown.
void Close_Scene();
