#pragma once

#include "app/scene_view.h"

class SimObject;
class Tovrel;
struct Vector3d;

// The play timer's callback and user data for a scene. Each re-arms itself.
struct PlayTimer {
    SceneTimers::Callback callback = nullptr;
    void* user = nullptr;
};

// What the window's controls, its overlays, the pointer's grab and the play timer need of the
// scene shown, whichever kind it is: the breakout game or a scene file's scene. Destroying one
// takes its bodies out of the view it was shown in; its pending timeouts are the owner's to remove
// first.
class ShownScene {
public:
    virtual ~ShownScene() = default;

    virtual Tovrel& Simulator() = 0;

    // The callback and user data the window's Play control arms.
    virtual PlayTimer Play_Timer() = 0;

    // One tick's worth of simulation, without any game rules: the Step control.
    virtual void Step_Simulator() = 0;

    // How long the last step took on the wall clock, in milliseconds.
    virtual double Step_Milliseconds() const = 0;

    // The gravity the scene has while the gravity toggle is on.
    virtual const Vector3d& Gravity() const = 0;

    // The body Show Contacts follows; null when there is none.
    virtual const SimObject* Followed_Body() const = 0;
};
