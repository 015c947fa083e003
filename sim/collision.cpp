#include "sim/collision.h"

#include <cassert>
#include <utility>

#include "sim/sim_object.h"

int32_t Pair_Key(const SimObject& a, const SimObject& b) {
    int32_t low = a.sim_index;
    int32_t high = b.sim_index;
    if (low > high) {
        std::swap(low, high);
    }
    // Shifted unsigned: an index of 32768 or more must not overflow into the sign bit.
    return static_cast<int32_t>((static_cast<uint32_t>(low) << 16) | static_cast<uint32_t>(high));
}

double Collision::Closing_Speed() const {
    return Dot(body_a->state.velocity - body_b->state.velocity, normal);
}

int32_t Pair_Key(const Collision& c) {
    return Pair_Key(*c.body_a, *c.body_b);
}

namespace {

BodyPose Tentative_Pose(const SimObject& body) {
    return {body.new_state.position, body.new_state.orientation, body.new_state.scale};
}

}  // namespace

bool Query_Pair(Collision& c) {
    return Query_Body_Pair(*c.body_a->polyhedron, Tentative_Pose(*c.body_a), *c.body_b->polyhedron,
                           Tentative_Pose(*c.body_b), c);
}

double Collision::End() const {
    double end = 0.0;
    bool found = false;
    for (const Response* r : {&response_a, &response_b}) {
        if (r->role == Response::Role::Running && (!found || r->timetable.End() < end)) {
            end = r->timetable.End();
            found = true;
        }
    }
    assert(found);
    return end;
}

bool Touches_Keeping_Witness(Collision& c) {
    // Most of the bodies a search keeps clear of are far from it: a sphere around one and the box
    // around the other say so at once.
    const SimObject& a = *c.body_a;
    const SimObject& b = *c.body_b;
    if (a.Box_Distance_At_Tentative_State(b.new_state.position) > b.Reach_At_Tentative_State() ||
        b.Box_Distance_At_Tentative_State(a.new_state.position) > a.Reach_At_Tentative_State()) {
        return false;
    }
    const KeepWitness keep(c);
    return Query_Pair(c);
}
