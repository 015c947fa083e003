#pragma once

#include "math/vector3d.h"

// Where a ball centred at `position`, flying at `velocity` under `gravity`, will be along x when
// it next comes down to the paddle's top, bouncing off the side walls on the way; where it will
// never come down that far, or is already below, its x now. Blocks and the ceiling are ignored:
// the guess is made again every tick.
double Landing_X(const Vector3d& position, const Vector3d& velocity, const Vector3d& gravity);

// The paddle speed that takes the paddle from `paddle_x` to `target_x`: proportional to the
// distance, rounded to the integer speeds the keys give, never beyond the keys' -5 to 5, and never
// aiming the paddle into a side wall, where it would squeeze the ball.
int Autopilot_Speed(double target_x, double paddle_x);

class BreakoutScene;

// An attract mode: the game playing itself. It steers the paddle under where the scene's ball
// will come down, and when a slow touch has left the ball resting (which it then does for good,
// even in mid-air against a wall), it presses Reset after a second, as a player would. When no
// block has been cleared for a while, it catches the ball off-centre, so that the ball leaves on
// a new path.
class Autopilot {
public:
    // Once a tick after the simulation step, where resetting the simulator is safe: reads the
    // ball's and the paddle's committed states and returns the paddle speed to set, -5 to 5.
    int Steer(BreakoutScene& scene);

private:
    int resting_ticks_ = 0;  // how long the ball has lain still
    int blocks_left_ = 0;    // the count of blocks left at the last tick
    int quiet_ticks_ = 0;
    unsigned shoulder_catches_ = 0;  // catches on the shoulder so far, each a different way
};
