#pragma once

#include <deque>

#include "math/vector3d.h"
#include "render/pointer_ray.h"

class SimObject;
class Tovrel;

// Takes a free body with the pointer and throws it. The pointer's ray picks the body it meets
// first among the active bodies' shapes (a wall or the paddle in front hides what is behind it;
// only a free or resting body is taken). While the button is held, the body follows the pointer
// in the plane through the point where it was taken, facing the camera: before each simulator
// step it is put where the pointer says and made a driven body there, so that it does not fall,
// other free bodies bounce off it as off the paddle, and walls and blocks, which a driven body
// never meets, let it through.
// Its velocity is the pointer's in that plane over the last few ticks, which is what it flies off
// with, free again, once the button is up.
//
// A body in a contact is taken or let go only once the contact has ended, a fraction of a second
// later: the contact's squash timetable is its motion until then. A reset of the simulator, or the
// body leaving the simulation, ends the grab.
class BodyGrab : public PointerGrab {
public:
    // The simulator whose bodies the pointer takes from now on, null for none (nothing is taken
    // then); referred to, not owned. A body taken from the one before is dropped.
    void Bind(Tovrel* simulator);

    bool Press(const PointerRay& ray) override;
    void Drag(const PointerRay& ray) override;
    void Release() override;

    // Before every simulator step: puts a held body where the pointer is. Does nothing while no
    // body is taken, so a game nobody grabs plays as it always has. Also called while the clock
    // stands, after each move of the pointer: a body so placed has no speed.
    void Hold();

    // Forgets the body without touching it, before the scene is destroyed.
    void Drop();

    // A body the pointer's ray passes through as if it were not there: the wall of a closed room
    // on the camera's side, which the view leaves undrawn. Null for none; referred to, not owned.
    void See_Through(const SimObject* body) { see_through_ = body; }

    const SimObject* Body() const { return body_; }  // the body taken or about to be; null if none

private:
    enum class Phase {
        Idle,
        Waiting,     // picked, to be taken once it is out of its contacts
        Holding,     // driven where the pointer is
        Letting_Go,  // the button is up; free again once it is out of its contacts
    };

    struct Sample {
        Vector3d position;
        double time;
    };

    void Place(const Tovrel& simulator);
    void Let_Go();
    Vector3d Pointer_Velocity() const;

    Tovrel* simulator_ = nullptr;
    const SimObject* see_through_ = nullptr;
    Phase phase_ = Phase::Idle;
    SimObject* body_ = nullptr;
    Vector3d plane_point_;        // the point where the body was taken, at the press
    Vector3d plane_normal_;       // unit, the camera's line of sight at the press
    Vector3d offset_;             // from the pointer's point in the plane to the body's centre
    Vector3d pointer_;            // where the pointer's ray meets the plane now
    std::deque<Sample> samples_;  // the body's places at the last few steps, oldest first
};

// The window's grab, bound to the simulator of the scene the window shows.
extern BodyGrab g_BodyGrab;
