#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "geometry/poly_mesh.h"
#include "sim/sim_object.h"
#include "sim/tovrel.h"
#include "support/shapes.h"

// The simulator tests' one fixture. A body without drawing, a box (the unit box scaled to half-size
// `size`) or a ball of the demo's sphere mesh, with the demo ball's cartoon parameters; a world.
struct SimBody : SimObject {
    SimBody(const char* name, SimMode mode, const Vector3d& at, const Vector3d& velocity = {},
            const Vector3d& size = {1, 1, 1}, double r = 0)
        : SimObject(name) {
        const char* const mesh = TOVREL_SOURCE_DIR "/data/objects/sphere.poly";
        polyhedron = r == 0 ? Make_Box() : Load_Poly_Mesh(mesh, {r, r, r}, {}).polyhedron;
        // A body that can deform has its squash and stretch for a scale, and its size in its shape.
        const bool deforms = mode == SimMode::Free || mode == SimMode::Resting;
        if (r == 0 && deforms) {
            ShapeTables box = Box_Tables();
            for (size_t i = 0; i < box.coordinates.size(); i += 3) {
                box.coordinates[i] *= size.x, box.coordinates[i + 1] *= size.y;
                box.coordinates[i + 2] *= size.z;
            }
            polyhedron = box.Build();
        }
        Compute_Half_Extent();
        initial_state.mode = mode, initial_state.position = at, initial_state.velocity = velocity;
        initial_state.scale = r == 0 && deforms ? Vector3d(1, 1, 1) : size;
        state = new_state = initial_state;
        max_squash = 0.45, max_stretch = 1.9, stretch_rate = 0.25, squash_rate = 1.0;
    }
};

struct World {
    explicit World(const Vector3d& gravity = {0, 0, -9.8}) {
        sim.gravity = gravity;
        sim.on_collision = [](Collision* c, void* w) { static_cast<World*>(w)->Note("+", *c); };
        sim.on_separation = [](Collision* c, void* w) { static_cast<World*>(w)->Note("-", *c); };
        sim.on_collision_user = sim.on_separation_user = this;
    }
    SimBody& Add(bool active, const char* name, SimMode mode, const Vector3d& at,
                 const Vector3d& velocity = {}, const Vector3d& size = {1, 1, 1}, double r = 0) {
        bodies.push_back(std::make_unique<SimBody>(name, mode, at, velocity, size, r));
        sim.Add_Object(bodies.back().get(), active);
        return *bodies.back();
    }
    // A ball (body 0) above a floor whose top is z = 0 (body 1).
    SimBody& Ball_Over_Floor(double r, const Vector3d& at, const Vector3d& velocity,
                             SimMode floor = SimMode::Fixed) {
        SimBody& ball = Add(true, "Ball", SimMode::Free, at, velocity, {1, 1, 1}, r);
        Add(true, "Floor", floor, {0, 0, -1}, {}, {20, 20, 1});
        return ball;
    }
    void Note(const char* sign, const Collision& c) {
        events += sign + std::string(c.body_a->name) + "/" + c.body_b->name + " ";
        journal.push_back(bodies[0]->state);
    }
    void Run_Until(size_t moments, double dt, double limit) {  // journal entries, or the clock
        while (journal.size() < moments && sim.time < limit) {
            ASSERT_TRUE(sim.Step(dt));
        }
    }
    Collision& Record(int i, int j) { return sim.pair_table.Record_Of(*bodies[i], *bodies[j]); }

    Tovrel sim;
    std::vector<std::unique_ptr<SimBody>> bodies;
    std::string events;             // "+A/B " when a contact became primary, "-A/B " when it ended
    std::vector<SimState> journal;  // body 0's committed state, of the callback's time
};
