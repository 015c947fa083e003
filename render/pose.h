#pragma once

#include "math/quaternion.h"
#include "sim/sim_object.h"

// The GL side of a body's committed pose. Each call multiplies the current OpenGL matrix, so a
// body-space point is scaled first, then rotated, then moved: drawing issues translation,
// rotation and scale in that order.

// One glRotated for the orientation, in degrees about its unit axis. Nothing is issued for the
// identity, nor for a quaternion whose w drifted outside [-1, 1]: that counts as the identity too,
// where a rotation by "not a number" would wipe out everything drawn after it.
void Apply_Orientation(const Quaternion& orientation);

// Translation by state.position, then the orientation.
void Apply_Placement(const SimState& state);

// The whole committed pose of a body: translation, rotation, then scale by state.scale.
void Apply_Transform(const SimObject& body);
