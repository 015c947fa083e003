#pragma once

#include <cmath>
#include <memory>

#include "geometry/poly_mesh.h"
#include "sim/sim_object.h"
#include "support/shapes.h"

// Plain simulated bodies for simulator tests, without any drawing: boxes sized by their state's
// scale, and balls made from the demo's sphere mesh.

inline SimState Posed(SimMode mode, const Vector3d& position, const Vector3d& velocity = {},
                      const Vector3d& scale = {1, 1, 1}) {
    SimState s;
    s.mode = mode;
    s.position = position;
    s.velocity = velocity;
    s.scale = scale;
    return s;
}

// A box of half-size `half_size` (the unit box scaled by its state).
struct TestBox : SimObject {
    TestBox(const char* name, const Vector3d& position, const Vector3d& half_size,
            SimMode mode = SimMode::Fixed)
        : SimObject(name) {
        polyhedron = Make_Box();
        Compute_Half_Extent();
        initial_state = state = Posed(mode, position, {}, half_size);
    }
};

// The cartoon parameters of the demo's ball.
struct CartoonParameters {
    double max_squash = 0.45;
    double max_stretch = 1.9;
    double stretch_rate = 0.25;
    double squash_rate = 1.0;
    double restitution = 1.0;
};

// A free ball of the given radius: the demo's sphere mesh, scaled.
struct TestBall : SimObject {
    TestBall(double radius, const Vector3d& position, const Vector3d& velocity,
             const CartoonParameters& p = CartoonParameters())
        : SimObject("Ball") {
        polyhedron = Load_Poly_Mesh(TOVREL_SOURCE_DIR "/data/objects/sphere.poly",
                                    {radius, radius, radius}, {})
                         .polyhedron;
        Compute_Half_Extent();
        initial_state = state = Posed(SimMode::Free, position, velocity);
        max_squash = p.max_squash;
        max_stretch = p.max_stretch;
        stretch_rate = p.stretch_rate;
        squash_rate = p.squash_rate;
        restitution = p.restitution;
    }
};
