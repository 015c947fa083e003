#pragma once

#include <limits>

#include "bodies/cube.h"

// The body the player steers: a box with a tapered nose along +z, drawn in blue, moving
// kinematically (mode Driven). Between two calls of Set_Velocity it moves in a straight line at
// constant velocity, which the simulator evaluates at whatever times it tries.
class Paddle : public Cube {
public:
    Paddle(const char* name, const SimState& state, double max_squash, double max_stretch,
           double stretch_rate, double squash_rate, double restitution);

    void Set_Velocity(const Vector3d& velocity) { paddle_velocity = velocity; }

    // The velocity for the view's integer paddle speed: `speed` steps of 0.005 x 12 units per
    // frame of 1/60 s along x, about 3.6 units per second per step.
    static Vector3d Velocity_For_Speed(int speed);

    void Draw() override;

    // The committed state carried along at `paddle_velocity` from its time to t, its x kept
    // within [min_x, max_x], where it stops as against a wall; gravity is unused.
    void Get_State_At(double t, const Vector3d& gravity, SimState& out) override;

    Vector3d paddle_velocity;                                 // world units per second
    double min_x = -std::numeric_limits<double>::infinity();  // of the centre
    double max_x = std::numeric_limits<double>::infinity();
};

// The paddle's collision shape: 16 vertices, 14 quadrilaterals (see paddle.cpp).
std::unique_ptr<Polyhedron> Make_Paddle_Shape();
