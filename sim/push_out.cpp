#include "sim/push_out.h"

#include <algorithm>
#include <cmath>

#include "sim/collision.h"
#include "sim/sim_object.h"

namespace {

// Step of the push-out's search for the other body, and the precision its bisection stops at.
constexpr double kPushOutStep = 0.1;
constexpr double kPushOutPrecision = 0.001;
// The searches give up after this distance rather than run forever when the direction never
// leads to (or away from) the other body; the body then stays where it was.
constexpr double kPushOutReach = 100.0;
// A pinched body squeezes out at most this many times its half extent; further away it would not
// be squeezing out but jumping, and it stays where it is.
constexpr double kSqueezeReach = 8.0;

// Steps X from where it is along unit direction `d` until `touches()` changes its answer, then
// bisects the last step down to kPushOutPrecision and leaves X on the free side. Returns how far
// X moved; or, when no change comes within `reach`, -1 with X back where it was.
template <typename Touches>
double Search_Along(SimObject& x, const Vector3d& d, Touches touches,
                    double reach = kPushOutReach) {
    const Vector3d origin = x.new_state.position;
    auto place = [&](double k) { x.new_state.position = origin + k * d; };
    const bool started_touching = touches();
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
    } while (touches() == started_touching);
    double free = started_touching ? reached : before;
    double hit = started_touching ? before : reached;
    while (std::fabs(hit - free) > kPushOutPrecision) {
        const double mid = (hit + free) * 0.5;
        place(mid);
        (touches() ? hit : free) = mid;
    }
    place(free);
    return free;
}

// The searches query pairs at trial positions, up to 100 units away; what a contact goes by (its
// normal, and its contact point as the pivot of the turn) stays that of the pair's last
// separation before the contact, however far a search wanders.
class KeepWitness {
public:
    explicit KeepWitness(Collision& c)
        : c_(c),
          point_a_(c.point_a),
          point_b_(c.point_b),
          distance_(c.distance),
          normal_(c.normal) {}
    ~KeepWitness() {
        c_.point_a = point_a_;
        c_.point_b = point_b_;
        c_.distance = distance_;
        c_.normal = normal_;
    }
    KeepWitness(const KeepWitness&) = delete;
    KeepWitness& operator=(const KeepWitness&) = delete;

private:
    Collision& c_;
    const Vector3d point_a_;
    const Vector3d point_b_;
    const double distance_;
    const Vector3d normal_;
};

// The part of `v` across unit direction `axis`, as a unit vector; zero when there is none.
Vector3d Across(const Vector3d& v, const Vector3d& axis) {
    Vector3d across = v - Dot(v, axis) * axis;
    if (!across.Vanishes()) {
        across.Set_Length(1.0);
    }
    return across;
}

// Whether the pair of `q` touches where it is being tried, leaving what its contact goes by alone.
bool Sunk_Into(Collision& q) {
    const KeepWitness keep(q);
    return Query_Pair(q);
}

// X is pinched: the body of waiting contact `q` lies across from the primary contact `c`'s, and
// pushing X straight out of either sinks it into the other, a little deeper at every probe until
// it comes out through the far side. Neither body gives way, so X squeezes out sideways, across
// the primary's direction, to the nearest place where it touches neither: the way it moves, out
// of the pinch's opening or the way it falls, whichever is nearest (along a wall it may be a long
// way).
void Squeeze_Out(Collision& c, Collision& q, SimObject& x, const Vector3d& inward,
                 const Vector3d& towards_other, const Vector3d& gravity) {
    const KeepWitness keep_c(c);
    const KeepWitness keep_q(q);
    auto touches_either = [&] { return Query_Pair(c) || Query_Pair(q); };
    const Vector3d origin = x.new_state.position;
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
            const double moved = Search_Along(x, d, touches_either, std::min(reach, room));
            if (moved >= 0.0) {
                reach = moved;
                nearest = x.new_state.position;
            }
        }
    }
    x.new_state.position = nearest;
}

}  // namespace

void Push_Out(Collision& c, SimObject& x, const Vector3d& d, double reach) {
    const KeepWitness keep(c);
    auto touches = [&] { return Query_Pair(c); };
    if (touches()) {
        Search_Along(x, -d, touches);
    } else if (reach > 0.0) {
        Search_Along(x, d, touches, reach);
    }
}

void Push_Out_Second_Contact(Collision& c, Collision& q, SimObject& x, const Vector3d& inward,
                             const Vector3d& gravity) {
    const Vector3d towards_other = &x == q.body_a ? q.normal : -q.normal;
    const double along = Dot(towards_other, inward);
    const Vector3d across = towards_other - along * inward;
    if (along < -across.Length()) {
        if (Sunk_Into(q)) {
            Squeeze_Out(c, q, x, inward, towards_other, gravity);
        }
    } else if (across.Vanishes()) {
        Push_Out(q, x, towards_other, 0.0);
    } else {
        Push_Out(q, x, Across(towards_other, inward), 0.0);
    }
}
