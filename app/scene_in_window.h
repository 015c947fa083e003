#pragma once

#include <memory>

#include "app/breakout_scene.h"
#include "app/scene_builder.h"
#include "app/scene_view.h"
#include "app/shown_scene.h"

// The scene the window shows, which its controls, its overlays, the pointer's grab and the play
// timer work on: the breakout game, or a scene file's scene in its place. One is shown at a time;
// the one shown is closed before another is shown.

// The breakout game, as built on the window's view and timers.
void Show_Breakout(std::unique_ptr<BreakoutScene> game);

// A scene file's scene: its bodies are drawn, and its free and resting bodies are offered in the
// list of bodies, each with its parameter window. Its play timer only steps and redraws: a scene
// of a file has no game rules.
void Show_Scene(std::unique_ptr<Scene> scene, SceneView* view, SceneTimers* timers);

// The scene shown; null when none is.
ShownScene* Shown_Scene();

// The breakout shown, or null while a scene file's scene is.
BreakoutScene* Shown_Breakout();

// The simulator of the scene shown; null when none is.
Tovrel* Shown_Simulator();

// Takes the shown scene out of the view and destroys it; nothing when none is shown. Timeouts
// pending for it are the caller's to remove first.
void Close_Scene();
