#pragma once

#include <cstdint>

#include "math/quaternion.h"
#include "math/vector3d.h"

// How a body moves.
enum class SimMode : int32_t {
    Free = 0,     // ballistic under gravity; orientation and stretch follow its velocity
    Resting = 1,  // was Free and came to rest after a slow contact; no longer moves, still collides
    Fixed = 2,    // never moves
    Driven = 3,   // its state at any time comes from the body itself (Get_State_At)
};

// One snapshot of a body's motion. Times are seconds, positions world units, velocities world
// units per second. A body-space point p sits in the world at position + R(orientation) (scale *
// p), scale applied per axis. For Fixed and Driven bodies `scale` is the body's size (half-extents
// of the unit box); for a Free body it is the squash-and-stretch: x along the stretch axis (local
// x), and 1/sqrt(x) across it, so the volume stays the same.
struct SimState {
    SimMode mode = SimMode::Fixed;
    double time = 0.0;
    Vector3d position;
    Vector3d velocity;
    Quaternion orientation;
    Vector3d scale{1.0, 1.0, 1.0};
    // True while the stretch axis (local x) points along the velocity, false while against it.
    // Flipping it lets a body reverse its motion without turning through 180 degrees.
    bool stretch_forward = true;
};
