#include "sim/collision.h"

#include <cassert>
#include <cmath>
#include <limits>
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

// A gap is measured to within the rounding of the coordinates: moves this close to it might close
// it.
constexpr double kGapSlack = 1e-9;

// The normal of a gap is the query's to within rounding: a shift along it is measured to within
// this share of the shift.
constexpr double kNormalSlack = 1e-6;

// How far at most the change of X's linear part from placement `from` to `to` (a turn, a change
// of shape) carries any point of its shape about its centre: that change's Frobenius norm times
// the shape's reach (a convex shape's points are blends of its vertices, and move no farther than
// the farthest of them).
double Carry_Between(const SimObject& x, const Matrix4d& from, const Matrix4d& to) {
    double linear = 0.0;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            const double d = to(row, column) - from(row, column);
            linear += d * d;
        }
    }
    return linear == 0.0 ? 0.0 : std::sqrt(linear) * x.Shape_Reach();
}

// How far apart the plane of the last gap shows the bodies placed by `a` and `b` (Still_Apart),
// or some figure not above kGapSlack once it is clear that it shows them no farther.
double Gap_Plane(const Collision& c, const Matrix4d& a, const Matrix4d& b) {
    const Collision::Gap& gap = c.last_gap;
    auto shift = [](const Matrix4d& to, const Matrix4d& from) {
        return Vector3d(to(0, 3) - from(0, 3), to(1, 3) - from(1, 3), to(2, 3) - from(2, 3));
    };
    const Vector3d apart = shift(b, gap.transform_b) - shift(a, gap.transform_a);
    double plane = gap.distance + Dot(gap.normal, apart) - kNormalSlack * apart.Length();
    if (plane > kGapSlack) {
        plane -= Carry_Between(*c.body_a, gap.transform_a, a);
    }
    if (plane > kGapSlack) {
        plane -= Carry_Between(*c.body_b, gap.transform_b, b);
    }
    return plane;
}

bool Query_Placed(Collision& c, const Matrix4d& a, const Matrix4d& b) {
    const bool touching = Query_Placed_Pair(*c.body_a->polyhedron, a, *c.body_b->polyhedron, b, c);
    if (!touching) {
        c.last_gap = {a, b, c.distance, c.normal};
    }
    return touching;
}

}  // namespace

bool Query_Pair(Collision& c) {
    return Query_Placed(c, c.body_a->Tentative_Transform(), c.body_b->Tentative_Transform());
}

bool Still_Apart(const Collision& c, const Matrix4d& a, const Matrix4d& b) {
    return c.last_gap.distance > 0.0 && Gap_Plane(c, a, b) > kGapSlack;
}

double Gap_Plane_Room(const Collision& c, const SimObject& x, const Vector3d& d) {
    const double closing = (&x == c.body_a ? 1.0 : -1.0) * Dot(c.last_gap.normal, d);
    if (!(c.last_gap.distance > 0.0) || !(closing > 0.0)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return Gap_Plane(c, c.body_a->Tentative_Transform(), c.body_b->Tentative_Transform()) / closing;
}

bool May_Touch(Collision& c) {
    const Matrix4d& a = c.body_a->Tentative_Transform();
    const Matrix4d& b = c.body_b->Tentative_Transform();
    return !Still_Apart(c, a, b) && Query_Placed(c, a, b);
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
    return May_Touch(c);
}
