#pragma once

#include <vector>

#include "sim/audit.h"

// Where the centres of the breakout's moving bodies belong, for the audit: the room between the
// side walls, under the ceiling and before the back wall, down to the walls' lower edges; and,
// below those edges or out through the open front, the space above the slab that catches a
// missed ball. The same places the game itself keeps the ball within.
std::vector<SpaceBox> Breakout_Room();
