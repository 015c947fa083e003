#pragma once

#include <memory>

#include "bodies/cube.h"
#include "bodies/poly_object.h"
#include "math/vector3d.h"
#include "sim/sim_object.h"
#include "sim/sim_state.h"

// The pieces every scene is built from, whether the breakout game or a scene file: the fixed walls
// of a room, the ball, and the ball's cartoon parameters, which a scene file's bodies take unless
// it says otherwise.

// How a body squashes, stretches and bounces (the fields of SimObject of the same names).
struct CartoonParameters {
    double max_squash = 1.0;
    double max_stretch = 1.0;
    double stretch_rate = 1.0;
    double squash_rate = 1.0;
    double restitution = 1.0;
};

// The ball's: a lively stretch in flight, a deep squash, and no energy lost in a bounce.
constexpr CartoonParameters kBallParameters{0.45, 1.9, 0.25, 1.0, 1.0};

// The walls' half thickness: thin enough to stay out of the way, thick enough that a fast body
// cannot pass through one between two probes of the simulator.
constexpr double kWallHalfThickness = static_cast<double>(0.1f);

// A room's big back wall is lit more evenly with a finer grid than a box's.
constexpr int kBackWallSubdivisions = 5;

// The pull of gravity, downwards along z, in world units per second squared.
constexpr double kGravity = 9.8;

// The ball's mesh, a unit sphere, relative to the working directory.
constexpr char kBallMeshPath[] = "objects/sphere.poly";

void Set_Parameters(SimObject& body, const CartoonParameters& parameters);

// A body at rest in `mode` at `position`, sized (for a box) by `scale`.
SimState Still_State(SimMode mode, const Vector3d& position, const Vector3d& scale);

// A fixed box of the room, its half sizes given by the state's scale, every parameter 1.
std::unique_ptr<Cube> Make_Wall(const char* name, const Vector3d& position, const Vector3d& scale);

// The ball's mesh scaled per axis by `half_sizes` (a ball of radius r: all three r). The name is
// referred to, not copied. A mesh that cannot be read throws the reader's GenericException*.
std::unique_ptr<PolyObject> Make_Ball(const char* name, const Vector3d& half_sizes);
