#include "sim/collision.h"

#include <cassert>
#include <cmath>
#include <limits>
#include <optional>
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

// How far any point of X's shape can have moved from placement `from` to `to`: its centre's move,
// plus the change of the linear part times the shape's reach (the change's Frobenius norm bounds
// how far it carries a point at unit distance from the centre). A convex shape's points are
// blends of its vertices, and move no farther than the farthest of them. Once the centre alone
// has moved `limit`, that move is returned: the caller only asks whether the whole is short of it.
double Farthest_Move(const SimObject& x, const Matrix4d& from, const Matrix4d& to, double limit) {
    const Vector3d centre(to(0, 3) - from(0, 3), to(1, 3) - from(1, 3), to(2, 3) - from(2, 3));
    const double centre_move = centre.Length();
    if (!(centre_move < limit)) {
        return centre_move;
    }
    double linear = 0.0;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            const double d = to(row, column) - from(row, column);
            linear += d * d;
        }
    }
    return centre_move + std::sqrt(linear) * x.Shape_Reach();
}

// How the bodies, placed by `a` and `b`, have shifted against each other since the last gap (B's
// shift less A's), where they lie as they lay then but for a shift of each; none otherwise.
std::optional<Vector3d> Shift_Since_Gap(const Collision& c, const Matrix4d& a, const Matrix4d& b) {
    const Collision::Gap& gap = c.last_gap;
    if (!(gap.distance > 0.0)) {
        return std::nullopt;
    }
    for (const auto& [now, then] : {std::pair{&a, &gap.transform_a}, {&b, &gap.transform_b}}) {
        for (int row = 0; row < 4; ++row) {
            for (int column = 0; column < 3; ++column) {
                if ((*now)(row, column) != (*then)(row, column)) {
                    return std::nullopt;
                }
            }
        }
        if ((*now)(3, 3) != (*then)(3, 3)) {
            return std::nullopt;
        }
    }
    auto shift = [](const Matrix4d& to, const Matrix4d& from) {
        return Vector3d(to(0, 3) - from(0, 3), to(1, 3) - from(1, 3), to(2, 3) - from(2, 3));
    };
    return shift(b, gap.transform_b) - shift(a, gap.transform_a);
}

// Whether the bodies, placed by `a` and `b`, have only shifted since the last gap, and the plane
// of that gap shows them still apart. Two convex bodies that only shift are as far apart as the
// origin is from the difference of their shapes, shifted: a convex function of the shifts, which
// is nowhere below its tangent plane at the last gap, where it falls along the gap's normal. So
// they are apart wherever that plane is: a body tried along a line past another, or slid along
// it, stays apart for as long as its move along the normal leaves the gap open, however far it
// goes across it. The normal is the query's to within rounding, which the slack per unit moved
// covers.
bool Apart_By_Tangent(const Collision& c, const Matrix4d& a, const Matrix4d& b) {
    constexpr double kNormalSlack = 1e-6;
    const std::optional<Vector3d> apart = Shift_Since_Gap(c, a, b);
    return apart &&
           c.last_gap.distance + Dot(c.last_gap.normal, *apart) - kNormalSlack * apart->Length() >
               kGapSlack;
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
    const Collision::Gap& gap = c.last_gap;
    if (!(gap.distance > 0.0)) {
        return false;
    }
    // Rounded, a sum of moves is never less than either of them: a body that has moved the room
    // alone settles it.
    const double room = gap.distance - kGapSlack;
    const double moved_a = Farthest_Move(*c.body_a, gap.transform_a, a, room);
    if (!(moved_a < room)) {
        return false;
    }
    return moved_a + Farthest_Move(*c.body_b, gap.transform_b, b, room) < room;
}

double Gap_Plane_Room(const Collision& c, const SimObject& x, const Vector3d& d) {
    const std::optional<Vector3d> apart =
        Shift_Since_Gap(c, c.body_a->Tentative_Transform(), c.body_b->Tentative_Transform());
    const double closing = (&x == c.body_a ? 1.0 : -1.0) * Dot(c.last_gap.normal, d);
    if (!apart || !(closing > 0.0)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return (c.last_gap.distance + Dot(c.last_gap.normal, *apart)) / closing;
}

bool May_Touch(Collision& c) {
    const Matrix4d& a = c.body_a->Tentative_Transform();
    const Matrix4d& b = c.body_b->Tentative_Transform();
    return !Still_Apart(c, a, b) && !Apart_By_Tangent(c, a, b) && Query_Placed(c, a, b);
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
