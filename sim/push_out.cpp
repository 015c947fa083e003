#include "sim/push_out.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <vector>

#include "collision/ray_hit.h"
#include "sim/bracket.h"
#include "sim/collision.h"
#include "sim/sim_object.h"

namespace {

// Step of the push-out's search for the other body, and the precision its bisection stops at.
constexpr double kPushOutStep = 0.1;
constexpr double kPushOutPrecision = 0.001;
// A body wedged among bodies around it moves at most this many times its half extent to the nearest
// place clear of them all.
constexpr double kClearReach = 3.0;

// What a search of X's place must not carry X into: the bodies that do not give way (Fixed and
// Driven), and for X at rest the others at rest, near it and not in contact with it, or of its
// contacts other than the ones searched (SimObject::Stops_At). A body X already sinks into where
// the search starts may stay so, unless the search leads further into it. Any other body that X is
// pushed into gives way: the detection pass finds the pair, and they meet and part. Two bodies at
// rest it never pairs: a resting box pushed out of a ball squashed wide against it went 0.38 in a
// step into a ball resting beside it, and stayed 0.29 deep in it.
class ThirdBodies {
public:
    ThirdBodies(SimObject& x, std::initializer_list<const Collision*> searched)
        : parted_at_rest_(x.state.mode == SimMode::Resting &&
                          std::any_of(searched.begin(), searched.end(), [&](const Collision* r) {
                              return r->Other(x).Gives_Way();
                          })) {
        auto add = [&](Collision* r) {
            if (x.Stops_At(r->Other(x)) &&
                std::find(searched.begin(), searched.end(), r) == searched.end()) {
                const Vector3d towards = &x == r->body_a ? r->normal : -r->normal;
                bodies_.push_back({r, Touches_Keeping_Witness(*r), towards});
            }
        };
        bodies_.reserve(x.within_reach.size() + x.collisions.size());
        std::for_each(x.within_reach.begin(), x.within_reach.end(), add);
        std::for_each(x.collisions.begin(), x.collisions.end(), add);
    }
    // Whether X, tried after a move along `d`, sinks into one that it may not. Into a body that
    // has never been apart from X, whose side is unknown, no move is allowed: a box sunk into the
    // end wall of a room was carried on through it.
    bool Blocks(const Vector3d& d) const {
        return std::any_of(bodies_.begin(), bodies_.end(),
                           [&](const Third& b) { return Blocked_By(b, d); });
    }
    // Whether a search stopped by a body, X tried just into it, ends short of it rather than just
    // touching it (where the detection pass finds the contact): where X rests, is parted from a
    // body that gives way and already lay against the one that stops it. The step's end parts such
    // pairs round after round, each from where the last left them, and every stop just touching
    // sank X a thousandth further in; no pass pairs a body at rest with a wall, and a resting box
    // went 0.05 a step into the back wall, until its centre was past the wall's face. A free body
    // sunk so is in contact with the wall at the next pass, which keeps it out (stopped short too,
    // it moved the rooms of 64 balls, and one left two balls 0.02 into each other).
    bool Stops_Short(const Vector3d& d) const {
        return parted_at_rest_ && std::any_of(bodies_.begin(), bodies_.end(), [&](const Third& b) {
                   return b.touched_at_start && Blocked_By(b, d);
               });
    }
    // Unit direction `d` with the parts leading into the bodies X lies against taken off: the way
    // along them. Zero when there is no such body, or no way left.
    Vector3d Along_Touched(const Vector3d& d) const {
        int taken_off = 0;
        Vector3d along = Without_Parts_Into(d, true, taken_off);
        if (taken_off == 0 || along.Is_Near_Zero()) {
            return Vector3d();
        }
        along.Set_Length(1.0);
        return along;
    }
    // `v` with the part leading into each of the bodies (only those X lies against, where
    // `touched_only`) taken off, one after another; `taken_off` counts the parts.
    Vector3d Without_Parts_Into(Vector3d v, bool touched_only, int& taken_off) const {
        for (const Third& b : bodies_) {
            const double into = Dot(v, b.towards);
            if ((b.touched_at_start || !touched_only) && into > 0.0) {
                v -= into * b.towards;
                ++taken_off;
            }
        }
        return v;
    }

private:
    struct Third {
        Collision* record;
        bool touched_at_start;
        Vector3d towards;  // from X towards the body, by the record's last separation
    };
    static bool Blocked_By(const Third& b, const Vector3d& d) {
        const bool allowed =
            b.touched_at_start && !b.towards.Vanishes() && Dot(d, b.towards) <= 0.0;
        return !allowed && Touches_Keeping_Witness(*b.record);
    }
    bool parted_at_rest_;  // X rests, and is parted from a body that gives way
    std::vector<Third> bodies_;
};

// How far X's centre may go from `from` along unit direction `d` and stay within the reach
// around where its within_reach was found (SimObject::reach_radius).
double Room_Within_Reach(const SimObject& x, const Vector3d& from, const Vector3d& d) {
    const Vector3d w = from - x.reach_centre;
    const double along = Dot(w, d);
    const double square = along * along - (w.Squared_Length() - x.reach_radius * x.reach_radius);
    return square > 0.0 ? std::max(0.0, std::sqrt(square) - along) : 0.0;
}

// Steps X from where it is along unit direction `d` until `touches()` changes its answer, then
// bisects the last step down to kPushOutPrecision and leaves X on the free side. Returns how far
// X moved; or, when no change comes within `reach`, -1 with X back where it was. No search carries
// X into or through a body it is not in contact with: it stops where X just touches that body
// (the detection pass finds the contact; or short of it, ThirdBodies::Stops_Short), or short of
// the other body if that comes first.
// `started_touching` is what `touches()` answers where X is. Where `touches()` asks one pair
// (`one_pair`), the last step's halvings are led by the plane of the pair's last gap, where the
// two should meet (Gap_Plane_Room): most of them need no query, and the search ends where the
// halvings alone would have.
template <typename Touches>
double Search_Along(SimObject& x, const Vector3d& d, Touches touches, const ThirdBodies& third,
                    double reach, bool started_touching, const Collision* one_pair) {
    const Vector3d origin = x.new_state.position;
    reach = std::min(reach, Room_Within_Reach(x, origin, d));
    const auto place = [&](double k) { x.new_state.position = origin + k * d; };
    const auto touches_at = [&](double k) {
        place(k);
        return touches();
    };
    double before = 0.0;
    double reached = 0.0;
    do {
        if (reached >= reach) {
            place(0.0);
            return -1.0;
        }
        before = reached;
        reached = std::min(reached + kPushOutStep, reach);
        place(reached);
        if (third.Blocks(d)) {
            const Bracket stop = Narrow({before, reached}, kPushOutPrecision, [&](double k) {
                place(k);
                return third.Blocks(d);
            });
            place(stop.bad);
            reached = third.Stops_Short(d) ? stop.good : stop.bad;
            place(reached);
            if (started_touching || !touches()) {
                return reached;
            }
            break;
        }
    } while (touches() == started_touching);
    const Bracket last_step =
        started_touching ? Bracket{reached, before} : Bracket{before, reached};
    const double way = last_step.bad > last_step.good ? 1.0 : -1.0;
    // The plane is asked with X tried at `from`; every halving that follows places X anew.
    const auto meets_at = [&](double from) {
        if (one_pair == nullptr) {
            return std::numeric_limits<double>::quiet_NaN();
        }
        place(from);
        return from + way * Gap_Plane_Room(*one_pair, x, way * d);
    };
    const double free = Narrow_Guided(last_step, kPushOutPrecision, touches_at, meets_at).good;
    place(free);
    return free;
}

// The part of `v` across unit direction `axis`, as a unit vector; zero when there is none.
Vector3d Across(const Vector3d& v, const Vector3d& axis) {
    Vector3d across = v - Dot(v, axis) * axis;
    if (!across.Vanishes()) {
        across.Set_Length(1.0);
    }
    return across;
}

// X is pinched: the body of waiting contact `q` lies across from the primary contact `c`'s, and
// pushing X straight out of either sinks it into the other, a little deeper at every probe until
// it comes out through the far side. Neither body gives way, so X squeezes out sideways, across
// the primary's direction, to the nearest place where it touches neither: the way it moves, out
// of the pinch's opening or the way it falls, whichever is nearest (along a wall it may be a long
// way). A search stopped by a third body while X still touches either found no way out: along two
// long walls it carried a pinched box 2.3 to the room's end wall, and on the next rebuild through
// it.
void Squeeze_Out(Collision& c, Collision& q, SimObject& x, const Vector3d& inward,
                 const Vector3d& towards_other, const Vector3d& gravity) {
    const KeepWitness keep_c(c);
    const KeepWitness keep_q(q);
    auto touches_either = [&] { return May_Touch(c) || May_Touch(q); };
    const ThirdBodies third(x, {&c, &q});
    const Vector3d origin = x.new_state.position;
    const bool pinched = touches_either();
    const Vector3d& on_other = &x == q.body_a ? q.point_b : q.point_a;
    Vector3d nearest = origin;
    double reach = kSqueezeReach * x.half_extent;
    // The last two at right angles, so that one of them always leads across.
    const Vector3d leads[] = {x.state.velocity, -(inward + towards_other), gravity,
                              Vector3d(0.0, 0.0, -1.0), Vector3d(1.0, 0.0, 0.0)};
    for (const Vector3d& lead : leads) {
        const Vector3d way = Across(lead, inward);
        if (way.Vanishes()) {
            continue;
        }
        for (const Vector3d& d : {way, -way}) {
            // Never with X's centre much beyond the plane touching the second body at its
            // contact point: that way leads out through its far side, or round its edge. X may
            // already be a little beyond it, wedged at the edge.
            const double closing = Dot(d, towards_other);
            const double room =
                closing > 0.0 ? (Dot(on_other - origin, towards_other) + kPushOutStep) / closing
                              : reach;
            x.new_state.position = origin;
            const double moved =
                Search_Along(x, d, touches_either, third, std::min(reach, room), pinched, nullptr);
            if (moved >= 0.0 && !touches_either()) {
                reach = moved;
                nearest = x.new_state.position;
            }
        }
    }
    x.new_state.position = nearest;
}

// Push_Out, with the bodies of the records `searched` (the one pushed out of, and a primary contact
// left to its own search) not counted as third bodies.
void Push_Out_Searching(Collision& c, SimObject& x, const Vector3d& d, double reach,
                        std::initializer_list<const Collision*> searched) {
    const KeepWitness keep(c);
    // The search keeps nothing the query finds, and the places that the plane of the last gap
    // found shows apart need no query (Still_Apart).
    auto touches = [&] { return May_Touch(c); };
    const ThirdBodies third(x, searched);
    if (touches()) {
        // Straight out may lead into a body X lies against (a ball pressed into a corner):
        // then it slides out along that body instead. Either way X comes out the short way, within
        // kSqueezeReach half extents, or stays: further it would be jumping along the other body
        // (a box squashed flat across a room, into both of its walls, would slide up one of them
        // to its top).
        const Vector3d origin = x.new_state.position;
        const double reach = kSqueezeReach * x.half_extent;
        Search_Along(x, -d, touches, third, reach, true, &c);
        const Vector3d slide = third.Along_Touched(-d);
        if (!slide.Vanishes() && touches()) {
            x.new_state.position = origin;
            Search_Along(x, slide, touches, third, reach, true, &c);
        }
    } else if (reach > 0.0) {
        Search_Along(x, d, touches, third, reach, false, &c);
    }
}

}  // namespace

namespace {

// X wedged among bodies that do not fly: those that never give way (Fixed, Driven) and those at
// rest, which stay where they came to rest, as a wall does; and, while X is squashed (wider across
// than its own shape), a free body of its other contacts deforming in a contact of its own, which
// that contact puts back where it keeps it touching at every rebuild, as a wall stays: pushed
// aside, it came straight back, and bodies squashing side by side on the floor widened into each
// other (at Max Squash 0.1, 531 overlaps in five rooms of 32 bodies, as deep as 0.52). Not while X
// is stretched: narrower than its own shape, it has room, and a box stretched at 18 units a second
// between a wall and such a body, taking it for a wall, found no way out of the wall. Any other
// free one that X sinks into meets it and parts from it as any two free bodies do, so only these
// are cleared here.
class Wedge {
public:
    Wedge(Collision& c, SimObject& x) : x_(x) {
        const bool squashed = x.new_state.scale.x < 1.0;
        auto add_still = [&](Collision* r, bool held_too) {
            const SimObject& other = r->Other(x);
            if (!other.Flies() || (held_too && squashed && other.Held())) {
                around_.push_back(r);
            }
        };
        add_still(&c, false);
        for (Collision* r : x.collisions) {
            if (r != &c) {
                add_still(r, true);
            }
        }
        for (Collision* r : x.within_reach) {
            add_still(r, false);
        }
        for (Collision* r : around_) {
            sunk_at_start_.push_back(Sunk_Into(*r));
        }
    }

    bool Wedged() const {
        return std::find(sunk_at_start_.begin(), sunk_at_start_.end(), true) !=
               sunk_at_start_.end();
    }

    // The ways tried: along the axes, away from each body around as their last separations say,
    // and between a body X sinks into and another, which leaves both at once (out of a wedge);
    // never deeper into a body X sinks into, which would lead through it.
    std::vector<Vector3d> Ways() const {
        std::vector<Vector3d> ways = {{1, 0, 0},  {-1, 0, 0}, {0, 1, 0},
                                      {0, -1, 0}, {0, 0, 1},  {0, 0, -1}};
        for (const Collision* r : around_) {
            const Vector3d away = Away_From(*r);
            if (!away.Vanishes()) {
                ways.push_back(away);
            }
        }
        const std::vector<Vector3d> out_of_sinks = Aways(true);
        const std::vector<Vector3d> out_of_others = Aways(false);
        for (const Vector3d& out : out_of_sinks) {
            for (const Vector3d& other : out_of_others) {
                Add_Between(out, other, ways);
            }
        }
        auto deeper = [&](const Vector3d& d) {
            return std::any_of(out_of_sinks.begin(), out_of_sinks.end(),
                               [&](const Vector3d& out) { return Dot(d, out) < 0.0; });
        };
        ways.erase(std::remove_if(ways.begin(), ways.end(), deeper), ways.end());
        return ways;
    }

    // The ways between two bodies X sinks into, which leave both at once: out of the corner of
    // a floor and a wall, diagonally.
    std::vector<Vector3d> Corner_Ways() const {
        const std::vector<Vector3d> out_of_sinks = Aways(true);
        std::vector<Vector3d> ways;
        for (std::size_t i = 0; i < out_of_sinks.size(); ++i) {
            for (std::size_t j = i + 1; j < out_of_sinks.size(); ++j) {
                Add_Between(out_of_sinks[i], out_of_sinks[j], ways);
            }
        }
        return ways;
    }

    // How far X must go from `origin` along `d` to be clear of all, to within kPushOutPrecision:
    // -1 when a new body closes that way, or none within `reach`.
    double Clear_Along(const Vector3d& origin, const Vector3d& d, double reach) {
        reach = std::min(reach, Room_Within_Reach(x_, origin, d));
        double sunk = 0.0;
        for (double k = kPushOutStep; k <= reach; k += kPushOutStep) {
            const Place p = Place_At(origin + k * d);
            if (p == Place::Blocked) {
                return -1.0;
            }
            if (p == Place::Clear) {
                const double clear = Narrow({k, sunk}, kPushOutPrecision, [&](double m) {
                                         return Place_At(origin + m * d) != Place::Clear;
                                     }).good;
                return Leads_Through(origin, clear * d) ? -1.0 : clear;
            }
            sunk = k;
        }
        return -1.0;
    }

private:
    // Whether X's centre, going `way` from `origin`, passes through a body around: a place clear
    // of them all beyond a wall thinner than X is flat (a box squashed to a plate, sunk into the
    // floor, came out beneath it) is no way out.
    bool Leads_Through(const Vector3d& origin, const Vector3d& way) const {
        return std::any_of(around_.begin(), around_.end(), [&](const Collision* r) {
            return Passes_Through(r->Other(x_), origin, way).has_value();
        });
    }

    // The ways away from the bodies X sinks into where it started (`sunk`), or from the others.
    std::vector<Vector3d> Aways(bool sunk) const {
        std::vector<Vector3d> aways;
        for (std::size_t i = 0; i < around_.size(); ++i) {
            const Vector3d away = Away_From(*around_[i]);
            if (sunk_at_start_[i] == sunk && !away.Vanishes()) {
                aways.push_back(away);
            }
        }
        return aways;
    }

    static void Add_Between(const Vector3d& a, const Vector3d& b, std::vector<Vector3d>& ways) {
        Vector3d between = a + b;
        if (!between.Vanishes()) {
            between.Set_Length(1.0);
            ways.push_back(between);
        }
    }

    // Where X is tried: clear of all, sunk only into bodies it was in at the start, or into a
    // new one (that way is closed).
    enum class Place { Clear, Sunk, Blocked };
    Place Place_At(const Vector3d& at) {
        x_.new_state.position = at;
        Place result = Place::Clear;
        for (std::size_t i = 0; i < around_.size(); ++i) {
            if (Sunk_Into(*around_[i])) {
                if (!sunk_at_start_[i]) {
                    return Place::Blocked;
                }
                result = Place::Sunk;
            }
        }
        return result;
    }

    Vector3d Away_From(const Collision& r) const {
        Vector3d away = &x_ == r.body_a ? -r.normal : r.normal;
        if (!away.Vanishes()) {
            away.Set_Length(1.0);
        }
        return away;
    }

    // A body that X touches only within a couple of the searches' precisions, as the push-outs
    // leave it (or as a query answers a placement exactly at touching), is no sink.
    bool Sunk_Into(Collision& r) {
        if (!Touches_Keeping_Witness(r)) {
            return false;
        }
        const Vector3d away = Away_From(r);
        if (away.Vanishes()) {
            return true;
        }
        const Vector3d at = x_.new_state.position;
        x_.new_state.position = at + 2.0 * kPushOutPrecision * away;
        const bool deeper = Touches_Keeping_Witness(r);
        x_.new_state.position = at;
        return deeper;
    }

    SimObject& x_;
    std::vector<Collision*> around_;
    std::vector<bool> sunk_at_start_;
};

}  // namespace

std::optional<double> Passes_Through(const SimObject& body, const Vector3d& from,
                                     const Vector3d& way) {
    if (body.Box_Distance_At_Tentative_State(from) > way.Length()) {
        return std::nullopt;
    }
    const Matrix4d& placed = body.Tentative_Transform();
    const auto enters = Ray_Hit(*body.polyhedron, placed, from, way);
    if (!enters || !(*enters > 0.0) || *enters > 1.0) {
        return std::nullopt;
    }
    const auto back = Ray_Hit(*body.polyhedron, placed, from + way, -way);
    return back && *back > 0.0 ? enters : std::nullopt;
}

bool Clear_Of_All(Collision& c, SimObject& x, bool out_of_corners) {
    Wedge wedge(c, x);
    if (!wedge.Wedged()) {
        return true;
    }
    const Vector3d origin = x.new_state.position;
    Vector3d nearest = origin;
    double reach = kClearReach * x.half_extent;
    bool cleared = false;
    auto try_ways = [&](const std::vector<Vector3d>& ways) {
        for (const Vector3d& d : ways) {
            const double clear = wedge.Clear_Along(origin, d, reach);
            if (clear >= 0.0) {
                reach = clear;
                nearest = origin + clear * d;
                cleared = true;
            }
        }
    };
    try_ways(wedge.Ways());
    if (!cleared && out_of_corners) {
        try_ways(wedge.Corner_Ways());
    }
    x.new_state.position = nearest;
    return cleared;
}

bool Wedged(Collision& c, SimObject& x) {
    return Wedge(c, x).Wedged();
}

namespace {

// Move_Clear_Of_Unyielding, with the bodies around X already gathered where it stands.
bool Move_Clear_Of(SimObject& x, const Vector3d& move, const ThirdBodies& unyielding) {
    if (move.Vanishes()) {
        return true;
    }
    const Vector3d before = x.new_state.position;
    // Tried along the way no further apart than a search's step: carried a long way at once (by
    // a body pushed out of a third), X would otherwise pass through a wall thinner than the move.
    const int steps = std::max(1, static_cast<int>(std::ceil(move.Length() / kPushOutStep)));
    for (int step = 1; step <= steps; ++step) {
        x.new_state.position = before + (static_cast<double>(step) / steps) * move;
        if (unyielding.Blocks(move)) {
            x.new_state.position = before;
            return false;
        }
    }
    return true;
}

}  // namespace

bool Move_Clear_Of_Unyielding(SimObject& x, const Vector3d& move) {
    return move.Vanishes() || Move_Clear_Of(x, move, ThirdBodies(x, {}));
}

Vector3d Move_Or_Slide_Clear_Of_Unyielding(SimObject& x, const Vector3d& move) {
    if (move.Vanishes()) {
        return move;
    }
    const ThirdBodies unyielding(x, {});
    if (Move_Clear_Of(x, move, unyielding)) {
        return move;
    }
    int taken_off = 0;
    const Vector3d slide = unyielding.Without_Parts_Into(move, false, taken_off);
    return Move_Clear_Of(x, slide, unyielding) ? slide : Vector3d();
}

void Push_Out(Collision& c, SimObject& x, const Vector3d& d, double reach) {
    Push_Out_Searching(c, x, d, reach, {&c});
}

void Push_Out_Beside(Collision& q, const Collision& c, SimObject& x, const Vector3d& d) {
    Push_Out_Searching(q, x, d, 0.0, {&q, &c});
}

void Push_Out_Second_Contact(Collision& c, Collision& q, SimObject& x, const Vector3d& inward,
                             const Vector3d& gravity) {
    const Vector3d towards_other = &x == q.body_a ? q.normal : -q.normal;
    const double along = Dot(towards_other, inward);
    const Vector3d across = towards_other - along * inward;
    if (along < -across.Length()) {
        if (Touches_Keeping_Witness(q)) {
            Squeeze_Out(c, q, x, inward, towards_other, gravity);
        }
    } else if (across.Vanishes()) {
        Push_Out_Beside(q, c, x, towards_other);
    } else {
        Push_Out_Beside(q, c, x, Across(towards_other, inward));
    }
}
