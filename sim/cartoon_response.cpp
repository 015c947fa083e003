#include "sim/cartoon_response.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "collision/ray_hit.h"
#include "math/angles.h"
#include "sim/bracket.h"
#include "sim/collision.h"
#include "sim/push_out.h"
#include "sim/sim_object.h"

namespace {

using Role = Response::Role;

// A rest settles at least as fast as an impact at this speed would.
constexpr double kSlowestSettling = 0.25;
// Two free bodies that touch part at least this fast.
constexpr double kPartingSpeed = 0.5;
// A body left slower than this share of the closing speed of a meeting has stopped.
constexpr double kStopped = 1e-9;
// Duration of a squash that starts while the bodies already move apart, times the squash rate.
constexpr double kSlowSquashTime = 0.25;
// A body asked about its centre alone is shrunk by this factor: small enough that its nearest
// point to the other body is its centre for direction's sake, large enough for a sound query.
constexpr double kSpeck = 0.01;
// A wedged body's squash is eased to within this share of the way to its own shape.
constexpr double kEasePrecision = 0.001;
// Where its own shape is wedged too, the easings tried on the way to it, as shares of the way.
constexpr int kEaseSteps = 8;

// Asks the pair of `c` with X shrunk to a speck about its centre: whether the centre lies in the
// other body. Where it does not, the record's normal now leads from the other body's nearest
// point to X's centre, the short way out of it.
bool Centre_Inside(Collision& c, SimObject& x) {
    return x.Asked_Scaled(kSpeck, [&] { return Query_Pair(c); });
}

// Whether `test` holds for the record of X's pair with a body that never gives way, of X's
// contacts or within its reach; they are tested in that order until one holds.
template <typename Test>
bool Any_Unyielding_Around(const SimObject& x, Test test) {
    auto unyielding = [&](const Collision* r) { return !r->Other(x).Gives_Way() && test(*r); };
    return std::any_of(x.within_reach.begin(), x.within_reach.end(), unyielding) ||
           std::any_of(x.collisions.begin(), x.collisions.end(), unyielding);
}

// The contact normal pointing from the other body towards the deforming body X.
Vector3d Outward_Normal(const Collision& c, const SimObject& x) {
    return &x == c.body_a ? -c.normal : c.normal;
}

// The speed at which a body leaves a surface it touched while coming into it at `closing`, slowly
// or not at all: its restitution's share, and kPartingSpeed at least, or the two would be found
// touching again at the next probe.
double Parting_Speed(double restitution, double closing) {
    return std::max(restitution * closing, kPartingSpeed);
}

// Duration of a phase that moves the body's end by `travel` (in units of its half extent) at
// `rate` times `speed` at the start of a quarter sine. A body whose squash rate is 0 would never
// finish its contact; its phases take no time instead.
double Phase_Time(double travel, const SimObject& x, double speed) {
    if (x.squash_rate <= 0.0) {
        return 0.0;
    }
    // Ever slower impacts would hold a body ever longer, without end as they come to nothing.
    speed = std::max(speed, kSlowestSettling);
    return travel * x.half_extent * kPi / (x.squash_rate * speed * 2.0);
}

// The squash of X arriving at `speed`: as stretched as that speed makes it, down to a squash in
// proportion (a fully stretched body down to max_squash). A slow body already moving apart only
// settles, in a time of its own.
void Set_Squash_Phase(ContactTimetable& tt, const SimObject& x, double speed, bool slow) {
    tt.impact_stretch = SimObject::Stretch_Factor(speed, x.max_stretch, x.stretch_rate);
    tt.squash_scale = 1.0 - (1.0 - x.max_squash) * (tt.impact_stretch / x.max_stretch);
    if (slow) {
        tt.squash_time = x.squash_rate > 0.0 ? kSlowSquashTime / x.squash_rate : 0.0;
    } else {
        tt.squash_time = Phase_Time(tt.impact_stretch - tt.squash_scale, x, speed);
    }
}

// Whether X, arriving at `speed`, has no squash to make: its squash takes no time.
bool Squashes_In_No_Time(const SimObject& x, double speed) {
    ContactTimetable tt;
    Set_Squash_Phase(tt, x, speed, false);
    return tt.squash_time == 0.0;
}

// The release of X leaving at `speed`. A body that leaves with no speed (a rest, or a bounce
// without restitution) recovers its own shape in as long as it took to squash.
void Set_Release_Phase(ContactTimetable& tt, const SimObject& x, double speed) {
    if (speed == 0.0) {
        tt.release_time = tt.squash_time;
        tt.release_stretch = 1.0;
        return;
    }
    tt.release_stretch = SimObject::Stretch_Factor(speed, x.max_stretch, x.stretch_rate);
    tt.release_time = Phase_Time(tt.release_stretch - tt.squash_scale, x, speed);
}

// The angle in degrees between unit travel direction u and the normal line, 0 .. 90.
double Angle_To_Normal(const Vector3d& u, const Vector3d& normal) {
    return std::acos(std::min(1.0, std::fabs(Dot(u, normal)))) * kDegreesPerRadian;
}

void Set_Spin(Response& r, const Vector3d& u, const Vector3d& axis, double degrees) {
    if (u.Vanishes()) {
        r.spin_angle = 0.0;
        return;
    }
    r.spin_axis = axis;
    r.spin_axis.Set_Length(1.0);
    r.spin_angle = degrees;
}

// X, which flew at `before`, turns so that its stretch axis ends along its present velocity, the
// short way round: a body sent back flips its axis's sense.
void Turn_Towards_Velocity(Response& r, SimObject& x, const Vector3d& before) {
    Vector3d u = before;
    Vector3d way = x.state.velocity;
    if (u.Vanishes() || way.Vanishes()) {
        r.spin_angle = 0.0;
        return;
    }
    u.Set_Length(1.0);
    way.Set_Length(1.0);
    if (Dot(u, way) < 0.0) {
        x.state.stretch_forward = !x.state.stretch_forward;
        way = -way;
    }
    const double turn = std::acos(std::min(1.0, Dot(u, way))) * kDegreesPerRadian;
    Set_Spin(r, u, Cross(u, way), turn);
}

// The body stops dead, squashes and recovers; at its end it comes to rest if held up there.
void Rest_Contact(Response& r, SimObject& x, const Vector3d& n, bool moving_apart) {
    r.resting = true;
    Vector3d u;
    ContactTimetable& tt = r.timetable;
    if (r.impact_speed == 0.0) {
        tt.squash_time = 0.0;
        tt.impact_stretch = 1.0;
        tt.squash_scale = 1.0;
    } else {
        // The impact speed may be the pair's closing speed (a body landing on a moving one),
        // not this body's own: the travel direction is its velocity's.
        u = x.state.velocity;
        u.Set_Length(1.0);
        Set_Squash_Phase(tt, x, r.impact_speed, moving_apart);
    }
    r.release_speed = 0.0;
    x.state.velocity = Vector3d();
    x.state.stretch_forward = !x.state.stretch_forward;
    Set_Release_Phase(tt, x, r.release_speed);
    // A resting body only settles onto the surface: it turns by the angle itself, not twice it.
    Set_Spin(r, u, moving_apart ? Cross(u, n) : Cross(n, u), Angle_To_Normal(u, n));
}

// Nothing deforms, and the contact ends the moment it starts.
void Flat_Contact(Response& r, const SimObject& x) {
    ContactTimetable& tt = r.timetable;
    tt.squash_time = 0.0;
    tt.release_time = 0.0;
    r.resting = false;
    r.impact_speed = x.state.velocity.Length();
    tt.impact_stretch = SimObject::Stretch_Factor(r.impact_speed, x.max_stretch, x.stretch_rate);
    tt.squash_scale = tt.impact_stretch;
    tt.release_stretch = tt.impact_stretch;
    r.spin_angle = 0.0;
}

void Bounce(Response& r, SimObject& x, const Vector3d& n) {
    r.resting = false;
    const Vector3d u = x.state.velocity * (1.0 / r.impact_speed);
    Set_Squash_Phase(r.timetable, x, r.impact_speed, false);
    r.release_speed = x.restitution * r.impact_speed;
    const Vector3d v = x.state.velocity;
    x.state.velocity = v - 2.0 * Dot(v, n) * n;
    x.state.velocity.Set_Length(r.release_speed);
    x.state.stretch_forward = !x.state.stretch_forward;
    Set_Release_Phase(r.timetable, x, r.release_speed);
    // Twice the angle between the travel and the normal: the turn that takes the stretch axis from
    // the incoming direction to the outgoing one.
    Set_Spin(r, u, Cross(n, u), 2.0 * Angle_To_Normal(u, n));
}

// X grazes a wall or a ceiling: touches it slowly where nothing holds it up, with no squash to
// spend its way on (its squash takes no time). The part of its velocity into the surface is
// mirrored and scaled by its restitution, and the part along it kept. Bounced whole, mirrored and
// then scaled, a body of no restitution was stopped dead at every such touch: falling between a
// wall and a ball at rest, it touched the ball, was pushed back to the wall, stopped there and
// fell again, 22 times a second. A body that squashes spends its way in the squash and bounces:
// let slide too, flat bodies of no restitution heaped on the floor ran into one another more, in
// rooms of 16 with twice the overlaps, in rooms of 32 up to 79 contact starts a second on a body
// at rest among them (5 as they bounce). At full restitution the two are one, and the bounce is
// kept.
void Slide(Response& r, SimObject& x, const Vector3d& n) {
    const Vector3d before = x.state.velocity;
    r.resting = false;
    Set_Squash_Phase(r.timetable, x, r.impact_speed, false);
    x.state.velocity = before - (1.0 + x.restitution) * Dot(before, n) * n;
    r.release_speed = x.state.velocity.Length();
    Set_Release_Phase(r.timetable, x, r.release_speed);
    Turn_Towards_Velocity(r, x, before);
}

// X skims a wall or a ceiling, fast along it but slow into it: the surface barely takes part.
// Nothing deforms and the contact ends at once; X keeps its way along the surface, scaled by its
// restitution as in a bounce, and leaves the surface at its parting speed. Bounced, it turned
// about the touching point by twice the angle between its travel and the normal, half a turn for a
// graze, which carried a ball bouncing straight up beside a wall on up along it, touching it again
// at once, and so on far above any height its speed could take it.
void Glance(Response& r, SimObject& x, const Vector3d& n, const Vector3d& approach,
            double closing) {
    const double parting = Parting_Speed(x.restitution, closing);
    const Vector3d along = approach + closing * n;
    const Vector3d carried = x.state.velocity - approach;  // a driven surface's own velocity
    x.state.velocity = x.restitution * along + parting * n + carried;
    Flat_Contact(r, x);
}

// A resting body that a driven one runs into is no wall for the driven body: it wakes up and
// bounces off it as off a wall that moves with the driven body, so the bounce is worked out in
// the driven body's frame and the driven body's velocity added back. It leaves at least as fast
// as the driven body moves along the normal, however slow the push.
void Knock_Away(Response& r, SimObject& x, const SimObject& driven, const Vector3d& n,
                const Vector3d& approach) {
    x.state.mode = SimMode::Free;
    x.support = nullptr;
    x.leans_on = nullptr;
    x.state.velocity = approach;
    r.impact_speed = std::max(approach.Length(), kRestSpeed);
    x.state.velocity.Set_Length(r.impact_speed);
    Bounce(r, x, n);
    x.state.velocity += driven.state.velocity;
}

// Whether X, its outward normal `n`, lies on the other body rather than against its side: the
// normal within 45 degrees of straight up, against gravity (none without gravity).
bool Lies_On(const Vector3d& n, const Vector3d& gravity) {
    if (gravity.Vanishes()) {
        return false;
    }
    Vector3d up = -gravity;
    up.Set_Length(1.0);
    return Dot(n, up) >= std::sqrt(0.5);
}

// Whether X lies between two bodies, its outward normals from them `n` and `lean`: some blend of
// the two lies within 45 degrees of straight up, as for a ball in the groove between two others,
// though each of them meets it further round its side. The blends run along the shorter arc
// between the two normals; the point of their great circle nearest straight up is where they come
// nearest, unless it lies off the arc, and then an end is, which Lies_On has asked already.
bool Lies_Between(const Vector3d& n, const Vector3d& lean, const Vector3d& gravity) {
    Vector3d axis = Cross(n, lean);
    if (gravity.Vanishes() || axis.Vanishes()) {
        return false;
    }
    axis.Set_Length(1.0);
    Vector3d up = -gravity;
    up.Set_Length(1.0);
    const Vector3d nearest = up - Dot(up, axis) * axis;
    return Dot(nearest, nearest) >= 0.5 && Dot(Cross(n, nearest), axis) >= 0.0 &&
           Dot(Cross(nearest, lean), axis) >= 0.0;
}

// Whether the other body can hold X up where X's outward normal is `n`, X lying against what
// `r.lean` says besides: it is not itself flying, and X lies on it, or between it and that.
bool Holds_Up(const SimObject& other, const Vector3d& n, const Response& r,
              const Vector3d& gravity) {
    return !other.Flies() &&
           (Lies_On(n, gravity) || (r.lean_body != nullptr && Lies_Between(n, r.lean, gravity)));
}

// X meets a body that does not give way (Fixed or Driven): bounce, slide, glance, rest, flat or
// knock. Only a body that holds X up stops it dead: slow against a wall or a ceiling, X bounces or
// slides on, as stopping it there would leave it stuck to the wall, stopped again at every touch as
// it fell.
void Meet_Unyielding(Response& r, SimObject& x, const SimObject& other, const Vector3d& n,
                     const Vector3d& gravity) {
    const bool driven = other.state.mode == SimMode::Driven;
    Vector3d approach = x.state.velocity;
    if (driven) {
        approach -= other.state.velocity;
    }
    const double closing = -Dot(approach, n);
    const bool moving_apart = closing < 0.0;
    if (driven && closing > 0.0 && x.state.mode == SimMode::Resting) {
        Knock_Away(r, x, other, n, approach);
        return;
    }
    r.impact_speed = x.state.velocity.Length();
    if (r.impact_speed < kRestSpeed && Holds_Up(other, n, r, gravity)) {
        Rest_Contact(r, x, n, moving_apart);
        return;
    }
    if (r.impact_speed >= kRestSpeed && !moving_apart && closing < kRestSpeed &&
        !Holds_Up(other, n, r, gravity)) {
        Glance(r, x, n, approach, closing);
        return;
    }
    if (moving_apart || r.impact_speed == 0.0) {
        Flat_Contact(r, x);
        return;
    }
    if (r.impact_speed < kRestSpeed && x.restitution < 1.0 &&
        Squashes_In_No_Time(x, r.impact_speed)) {
        Slide(r, x, n);
        return;
    }
    Bounce(r, x, n);
}

// X, flying at `before`, leaves a meeting with another free body at its present velocity. Its shape
// starts as its flight made it, squashes as deep as the pair's closing speed makes it, and springs
// back to the stretch of its new speed; both phases go at the closing speed. It turns so that its
// stretch axis ends along its new way, the short way round: a body sent back flips its axis's
// sense.
void Part_After_Meeting(Response& r, SimObject& x, const Vector3d& before, double closing) {
    ContactTimetable& tt = r.timetable;
    r.resting = false;
    r.impact_speed = closing;
    r.release_speed = x.state.velocity.Length();
    tt.impact_stretch = SimObject::Stretch_Factor(before.Length(), x.max_stretch, x.stretch_rate);
    const double depth = SimObject::Stretch_Factor(closing, x.max_stretch, x.stretch_rate);
    tt.squash_scale = 1.0 - (1.0 - x.max_squash) * (depth / x.max_stretch);
    tt.squash_time = Phase_Time(std::fabs(tt.impact_stretch - tt.squash_scale), x, closing);
    tt.release_stretch = SimObject::Stretch_Factor(r.release_speed, x.max_stretch, x.stretch_rate);
    tt.release_time = Phase_Time(std::fabs(tt.release_stretch - tt.squash_scale), x, closing);
    Turn_Towards_Velocity(r, x, before);
}

// Two bodies that both can deform meet. They part as two bodies of masses in proportion to their
// volumes would, at the pair's restitution (the lesser) times their closing speed, so their
// momentum is kept; a resting body run into wakes up. Each starting body squashes on its own
// timetable; a waiting one only takes its new velocity now. Bodies that touch while closing slowly
// or not at all (side by side, each widening as it slows) would be found touching again at every
// step: they are nudged apart at kPartingSpeed at least, and nothing deforms.
void Meet_Yielding(Collision& c, bool start_a, bool start_b) {
    SimObject& a = *c.body_a;
    SimObject& b = *c.body_b;
    const Vector3d before_a = a.state.velocity;
    const Vector3d before_b = b.state.velocity;
    const double closing = c.Closing_Speed();
    if (-closing < kPartingSpeed) {
        const double e = std::min(a.restitution, b.restitution);
        const double parting = Parting_Speed(e, closing);
        const double mass_a = a.Volume();
        const double mass_b = b.Volume();
        const double change = (closing + parting) / (mass_a + mass_b);
        a.state.velocity -= change * mass_b * c.normal;
        b.state.velocity += change * mass_a * c.normal;
        for (SimObject* x : {&a, &b}) {
            // A body stopped dead (equal bodies head-on) is left with the rounding of the
            // change: no direction to turn to.
            if (x->state.velocity.Length() < kStopped * closing) {
                x->state.velocity = Vector3d();
            }
            if (x->state.mode == SimMode::Resting) {
                x->state.mode = SimMode::Free;
                x->support = nullptr;
                x->leans_on = nullptr;
            }
        }
    }
    const bool squash = closing >= kRestSpeed;
    for (auto [x, before, start] : {std::tuple{&a, before_a, start_a}, {&b, before_b, start_b}}) {
        if (start && squash) {
            Part_After_Meeting(c.Response_Of(*x), *x, before, closing);
        } else if (start) {
            Flat_Contact(c.Response_Of(*x), *x);
        }
    }
}

// A free body coming slowly down onto another free one (a box falling onto a box of the same
// stack) does not bounce off it, nor is it nudged away, which would keep a stack hopping for ever:
// the two go on together with their momentum, and the upper one settles as on a support (coming to
// rest once the lower one does). Returns whether that is the case.
bool Stack_On(Collision& c, SimObject& x, bool start_x, bool start_other, const Vector3d& gravity) {
    SimObject& other = c.Other(x);
    const Vector3d n = Outward_Normal(c, x);
    const Vector3d approach = x.state.velocity - other.state.velocity;
    if (x.state.mode != SimMode::Free || other.state.mode != SimMode::Free ||
        approach.Length() >= kRestSpeed || !Lies_On(n, gravity)) {
        return false;
    }
    const double mass_x = x.Volume();
    const double mass_other = other.Volume();
    const Vector3d together = (mass_x * x.state.velocity + mass_other * other.state.velocity) *
                              (1.0 / (mass_x + mass_other));
    if (start_x) {
        Response& r = c.Response_Of(x);
        r.impact_speed = approach.Length();
        Rest_Contact(r, x, n, Dot(approach, n) > 0.0);
    }
    if (start_other) {
        Flat_Contact(c.Response_Of(other), other);
    }
    x.state.velocity = together;
    other.state.velocity = together;
    return true;
}

// A free body coming slowly down onto a resting one settles on it; the resting one stays as it
// is. Returns whether that is the case; X's response is started only when `start`.
bool Settle_On(Collision& c, SimObject& x, bool start, const Vector3d& gravity) {
    SimObject& other = c.Other(x);
    const Vector3d n = Outward_Normal(c, x);
    const Vector3d approach = x.state.velocity - other.state.velocity;
    if (x.state.mode != SimMode::Free || other.state.mode != SimMode::Resting ||
        approach.Length() >= kRestSpeed || !Holds_Up(other, n, c.Response_Of(x), gravity)) {
        return false;
    }
    c.Response_Of(other).role = Response::Role::Still;
    if (start) {
        Response& r = c.Response_Of(x);
        r.impact_speed = x.state.velocity.Length();
        Rest_Contact(r, x, n, Dot(approach, n) > 0.0);
    }
    return true;
}

}  // namespace

// From body A towards body B, or straight up when they share a centre; the pivot of the turn is
// midway between them.
void Give_Direction_If_Unknown(Collision& c) {
    if (!c.normal.Vanishes()) {
        return;
    }
    for (SimObject* x : {c.body_a, c.body_b}) {
        if (x->Gives_Way() && !c.Other(*x).Gives_Way() && !Centre_Inside(c, *x)) {
            return;
        }
    }
    const Vector3d& a = c.body_a->state.position;
    const Vector3d& b = c.body_b->state.position;
    c.normal = b - a;
    if (c.normal.Vanishes()) {
        c.normal = Vector3d(0.0, 0.0, 1.0);
    }
    c.normal.Set_Length(1.0);
    c.point_a = c.point_b = 0.5 * (a + b);
}

void Take_Current_Direction(Collision& c, SimObject& x) {
    if (!Query_Pair(c)) {
        return;
    }
    // The body may have been carried far since the contact was found, by another contact's turn
    // (down a wall, past the other body's edge) while this one waited, and have sunk a little into
    // the other body on the way. The old direction may then lead into the other body, and a
    // push-out or squeeze-out along it out through a wall's lower end; the line from the other
    // body's nearest point to the body's centre leads out of it the short way.
    Centre_Inside(c, x);
}

namespace {

// The degrees turned between two times of a contact. Half of the turn is spread over each phase,
// in proportion to the time; a phase of no duration has nothing to spread it over. Times on both
// sides of the turn from squash to release take each phase's share for their part of it.
double Turn_Between(const Response& r, double from, double to) {
    const ContactTimetable& tt = r.timetable;
    auto spread = [&](double from, double to) {
        const double phase = tt.Duration(tt.Phase_At(to));
        return phase > 0.0 ? r.spin_angle * (to - from) * 0.5 / phase : 0.0;
    };
    const double squash_end = tt.start_time + tt.squash_time;
    if (tt.Phase_At(from) == tt.Phase_At(to)) {
        return spread(from, to);
    }
    return spread(from, squash_end) + spread(squash_end, to);
}

// Where X's centre goes from its committed state as it is turned to `orientation` and rescaled to
// `scale`: about the point where it touches the other body when it turns, or when the other body
// gives way too (squashed about its centre, each would leave a gap that only one of them closes);
// else it stays. Turn and rescale about the contact point: take the offset from it into body space
// with the old pose, and back out with the new one. The point is X's own, straight below its
// centre towards the other body, where X touches it. Not the contact point found with the contact,
// nor that plane: a contact that waited, or the other body driven on since, leaves them far from X,
// and turned and squashed about a point so far away X would be flung along the plane, round the
// other body's edge or a wall's lower end.
Vector3d Centre_When_Deformed(const Collision& c, const SimObject& x, const Quaternion& orientation,
                              const Vector3d& scale) {
    if (!(c.Response_Of(x).spin_angle > 0.0 || c.Other(x).Gives_Way())) {
        return x.state.position;
    }
    const Vector3d outward = Outward_Normal(c, x);
    const Vector3d pivot = x.state.position - x.Reach_Against(outward) * outward;
    Vector3d d = x.state.orientation.Conjugate().Rotate(x.state.position - pivot);
    d = Vector3d(d.x / x.state.scale.x, d.y / x.state.scale.y, d.z / x.state.scale.z);
    d = orientation.Rotate(Scale_Each(d, scale));
    return pivot + d;
}

// X's tentative state for time t from its committed state and its timetable: squashed or
// stretched along its stretch axis, and turned about the point where it touches the other body.
void Deform_Body(const Collision& c, SimObject& x, double t) {
    x.new_state = x.state;
    const Response& r = c.Response_Of(x);
    const ContactTimetable& tt = r.timetable;
    const double s = tt.Scale_At(t);
    const double across = 1.0 / std::sqrt(s);
    x.new_state.scale = Vector3d(s, across, across);
    if (r.spin_angle > 0.0) {
        x.new_state.orientation =
            Quaternion::From_Axis_Angle(Turn_Between(r, x.state.time, t), r.spin_axis) *
            x.state.orientation;
    }
    x.new_state.position = Centre_When_Deformed(c, x, x.new_state.orientation, x.new_state.scale);
    x.new_state.time = t;
}

// Moves X back to touching the other body, but never with X's centre beyond the plane that
// touches the other body at the contact point: past its edge (a wall's lower end), X has swung
// clear of it and would otherwise be drawn round the edge to the far side. An other body done with
// the contact flies on, and X is only kept out of it: drawn after it, a box springing back from a
// meeting was carried 3.9 units in a step after the box that had left it.
void Touch_Other(Collision& c, SimObject& x) {
    const Vector3d inward = -Outward_Normal(c, x);
    const Vector3d& on_other = &x == c.body_a ? c.point_b : c.point_a;
    const bool other_left = c.Response_Of(c.Other(x)).role == Role::Done;
    Push_Out(c, x, inward, other_left ? 0.0 : Dot(on_other - x.new_state.position, inward));
}

// Two free bodies: body A has been moved to touch B, or out of it, and that move is shared
// between them by their masses, so that the pair keeps its place rather than A doing all the
// moving; but B is not carried into a body that never gives way (a box pressed onto the floor):
// it slides along such bodies instead, as far as its share leads along them, and A makes the rest
// of the move. Carried into them, or with A's whole move left to A, a body wedged between two
// that sit in a corner was pushed back and forth between them at every round of parting, and
// stayed sunk into one. Their placing relative to each other is the one the search
// found. A stopped short by such a body (pressed against a wall, wedged into a corner) may still
// sink into B: then B comes out of A, the short way.
void Share_Move(Collision& c, const Vector3d& a_before) {
    SimObject& a = *c.body_a;
    SimObject& b = *c.body_b;
    const Vector3d share_of_b =
        a.Volume() / (a.Volume() + b.Volume()) * (a.new_state.position - a_before);
    a.new_state.position += Move_Or_Slide_Clear_Of_Unyielding(b, -share_of_b);
    if (Touches_Keeping_Witness(c)) {
        Push_Out(c, b, -c.normal, 0.0);
    }
}

void Touch_Each_Other(Collision& c) {
    const Vector3d before = c.body_a->new_state.position;
    Touch_Other(c, *c.body_a);
    Share_Move(c, before);
}

// Whether point p lies inside `body` as it is tried.
bool Holds_Point(const SimObject& body, const Vector3d& p) {
    if (body.Box_Distance_At_Tentative_State(p) > 0.0) {
        return false;
    }
    const auto hit = Ray_Hit(*body.polyhedron, body.Tentative_Transform(), p, {0, 0, 1});
    return hit && *hit == 0.0;
}

// Whether X must come out of the bodies that never give way around it now, with its own shape if
// need be, rather than wait where it is. Among fixed bodies alone it must: nothing around will
// ever move, and a body left sunk into a wall (a box squashed wider than the room, 0.24 into the
// back wall; a flat body with its centre inside the floor, to go on through) stays so. A driven
// body pinning it (the demo's ball, pressed into a corner by the paddle) moves on and lets it go,
// and it waits for that, as the game's play always has, unless its centre has sunk into one of
// them.
bool Must_Come_Out(const SimObject& x, const Vector3d& centre) {
    auto driven = [&](const Collision& r) { return r.Other(x).state.mode == SimMode::Driven; };
    auto holds_centre = [&](const Collision& r) { return Holds_Point(r.Other(x), centre); };
    return !Any_Unyielding_Around(x, driven) || Any_Unyielding_Around(x, holds_centre);
}

// Whether X was last committed in this contact with less squash than its timetable gives for that
// time: eased.
bool Committed_Eased(const Collision& c, const SimObject& x) {
    const ContactTimetable& tt = c.Response_Of(x).timetable;
    return x.state.time >= tt.start_time && x.state.scale.x != tt.Scale_At(x.state.time);
}

// X is wedged where no place near is clear of the bodies around it that do not fly: squashed
// flat against a wall, it has widened into the walls at its sides, or into the floor and the wall
// of a corner. It squashes only as far as there is room: its squash is eased towards its own
// shape, to the least easing that, kept touching the other body, leaves it clear of them all (to
// kEasePrecision of the way). When not even its own shape is clear there (a body squashed flat,
// wider than the room is deep, carried into the floor of a corner by its turn about the point
// where it touches), it stays as it was if it may wait (Must_Come_Out); otherwise its own shape
// is cleared of them all, out of the corner too, from where it stands or else from where it was
// last committed, and its squash eased from there. Where its own shape fits nowhere near, a lesser
// easing may (a box squashed flat across a room is too wide for it, and in its own shape, pressed
// into a slot, too thick): the least of kEaseSteps that can be placed so. Against a body that
// gives way, one that is only pressed back into the walls by touching it (a flat box thickening
// into the floor beside another box) is left clear of them, barely apart from that body. Where
// none fits, it keeps the shape and place it was last committed with, which had room: squashed
// flat on the floor between two bodies at rest, a box left as flat as it was sank 0.4 into a wall.
void Ease_Squash(Collision& c, SimObject& x) {
    const SimState squashed = x.new_state;
    const Vector3d own_shape(1.0, 1.0, 1.0);
    // Where X is eased from: the squashed body's place, or, where X was committed eased in this
    // contact, that place moved as the searches have moved the squashed body since. Squashed
    // again from an eased state, X's centre moves about the contact point as far as the squash
    // takes it from that state, and an easing kept that move: rebuilt time and again, a turned
    // box squashed flat against a wall moved sideways 0.34 each time, and out through the end of
    // the room within one step. Not from beyond a body that never gives way, though: a flat box
    // committed far flatter than it was now squashed, and moved 0.8 since by a parting, had its
    // place so reckoned 1.1 below the floor, clear of everything there, and was eased and left
    // there, out of the room; nor from inside such a body, from where every way out is taken for
    // clear of it: a plate of a box so placed 0.03 into a floor 0.2 thick came out beneath it.
    Vector3d squashed_from = squashed.position;
    if (Committed_Eased(c, x)) {
        const Vector3d moved =
            x.state.position +
            (squashed.position - Centre_When_Deformed(c, x, squashed.orientation, squashed.scale));
        const auto crossed = [&](const Collision& r) {
            return Passes_Through(r.Other(x), squashed.position, moved - squashed.position)
                       .has_value() ||
                   Holds_Point(r.Other(x), moved);
        };
        if (!Any_Unyielding_Around(x, crossed)) {
            squashed_from = moved;
        }
    }
    Vector3d from = squashed_from;
    auto eased = [&](double k) {
        x.new_state.position = from;
        x.new_state.scale = squashed.scale + k * (own_shape - squashed.scale);
    };
    auto wedged_when_eased = [&](double k) {
        eased(k);
        Touch_Other(c, x);
        return Wedged(c, x);
    };
    // X eased by k, wedged where it was tried, moved clear of them all and kept touching the
    // other body from there: whether it is clear.
    auto clear_once_moved = [&](double k) {
        if (!Clear_Of_All(c, x, true)) {
            return false;
        }
        from = x.new_state.position;
        return !wedged_when_eased(k);
    };
    auto own_shape_placed = [&]() {
        if (clear_once_moved(1.0)) {
            return true;
        }
        from = x.state.position;
        return !wedged_when_eased(1.0) || clear_once_moved(1.0);
    };
    auto ease_from = [&](Bracket easing) {
        wedged_when_eased(Narrow(easing, kEasePrecision, wedged_when_eased).good);
    };
    const bool must_come_out = Must_Come_Out(x, squashed.position);
    if (!wedged_when_eased(1.0) || (must_come_out && own_shape_placed())) {
        ease_from({1.0, 0.0});
        return;
    }
    for (int step = 1; must_come_out && step < kEaseSteps; ++step) {
        const double k = static_cast<double>(step) / kEaseSteps;
        from = squashed_from;
        if (!wedged_when_eased(k) || clear_once_moved(k)) {
            ease_from({k, k - 1.0 / kEaseSteps});
            return;
        }
        from = squashed_from;
        eased(k);
        if (c.Other(x).Gives_Way() && Clear_Of_All(c, x, true)) {
            return;
        }
    }
    if (must_come_out) {
        x.new_state = x.state;
        x.new_state.time = squashed.time;
        return;
    }
    x.new_state = squashed;
}

// Pairs in contact are not searched for new collisions, so X must also be kept out of the bodies
// of all its other contacts (in a corner it may wait on several), newest first. Against a partner
// that does not give way, X goes round the primary contact (push_out.h). A free partner gives way:
// X goes straight out of the other body, the short way, and carries its partner along (as a ball
// squashed onto another presses it down into the floor and is lifted off again), but never into a
// body that does not give way. A resting partner stays where it came to rest, as its committed
// state does: carried in the tentative state alone, it would be tried in one place and drawn in
// another, and X kept touching it where it is not.
void Clear_Other_Contacts(Collision& c, SimObject& x, const Vector3d& gravity) {
    SimObject& partner = c.Other(x);
    const bool carry = partner.state.mode == SimMode::Free;
    const Vector3d inward = -Outward_Normal(c, x);
    for (Collision* other : x.collisions) {
        if (other == &c) {
            continue;
        }
        if (carry) {
            const Vector3d before = x.new_state.position;
            Push_Out_Beside(*other, c, x, -Outward_Normal(*other, x));
            Move_Clear_Of_Unyielding(partner, x.new_state.position - before);
        } else {
            Push_Out_Second_Contact(c, *other, x, inward, gravity);
        }
    }
}

void Start_Sides(Collision& c, double t, const Vector3d& gravity, bool start_a, bool start_b) {
    for (auto [x, start] : {std::pair{c.body_a, start_a}, std::pair{c.body_b, start_b}}) {
        if (start) {
            c.Response_Of(*x).timetable.start_time = t;
        }
        // A resting body's committed state holds at any time, and is kept unchanged since it came
        // to rest; woken now, it moves on from now.
        if (x->state.mode == SimMode::Resting) {
            x->state.time = t;
        }
    }
    if (!c.body_a->Gives_Way() || !c.body_b->Gives_Way()) {
        SimObject& x = start_a ? *c.body_a : *c.body_b;
        Meet_Unyielding(c.Response_Of(x), x, c.Other(x), Outward_Normal(c, x), gravity);
        return;
    }
    if (Settle_On(c, *c.body_a, start_a, gravity) || Settle_On(c, *c.body_b, start_b, gravity) ||
        Stack_On(c, *c.body_a, start_a, start_b, gravity) ||
        Stack_On(c, *c.body_b, start_b, start_a, gravity)) {
        return;
    }
    Meet_Yielding(c, start_a, start_b);
}

}  // namespace

void Start_Response(Collision& c, double t, const Vector3d& gravity) {
    Start_Sides(c, t, gravity, c.response_a.role == Role::Running,
                c.response_b.role == Role::Running);
}

void Take_Over(Collision& c, SimObject& x, double t, const Vector3d& gravity) {
    Take_Current_Direction(c, x);
    c.Response_Of(x).role = Role::Running;
    Start_Sides(c, t, gravity, &x == c.body_a, &x == c.body_b);
}

bool Comes_To_Rest(const Collision& c, const SimObject& x, const Vector3d& gravity) {
    const Response& r = c.Response_Of(x);
    return r.resting && x.state.mode == SimMode::Free &&
           Holds_Up(c.Other(x), Outward_Normal(c, x), r, gravity);
}

const SimObject* Also_Leans_On(const Collision& c, const SimObject& x, const Vector3d& gravity) {
    return Lies_On(Outward_Normal(c, x), gravity) ? nullptr : c.Response_Of(x).lean_body;
}

std::optional<Vector3d> Lies_Against(Collision& r, SimObject& x) {
    const bool near = x.Asked_Scaled(1.0 + kTouchingSlack / x.half_extent,
                                     [&] { return Touches_Keeping_Witness(r); });
    const KeepWitness keep(r);
    if (!near || Centre_Inside(r, x)) {
        return std::nullopt;
    }
    return &x == r.body_b ? r.normal : -r.normal;
}

void Deform(Collision& c, double t) {
    for (SimObject* x : {c.body_a, c.body_b}) {
        if (c.Deforms(*x)) {
            Deform_Body(c, *x, t);
        }
    }
}

void Take_Back_Carry_Through(Collision& c) {
    for (SimObject* x : {c.body_a, c.body_b}) {
        if (!c.Deforms(*x)) {
            continue;
        }
        const Vector3d from = x->state.position;
        const Vector3d carry = x->new_state.position - from;
        if (carry.Vanishes()) {
            continue;
        }
        auto through = [&](const Collision& r) {
            return Passes_Through(r.Other(*x), from, carry).has_value();
        };
        if (Any_Unyielding_Around(*x, through)) {
            x->new_state.position = from;
        }
    }
}

void Keep_Touching(Collision& c, const Vector3d& gravity) {
    const bool a_runs = c.response_a.role == Role::Running;
    const bool b_runs = c.response_b.role == Role::Running;
    if (a_runs && b_runs) {
        Touch_Each_Other(c);
    } else if (a_runs || b_runs) {
        Touch_Other(c, a_runs ? *c.body_a : *c.body_b);
    }
    for (auto [x, runs] : {std::pair{c.body_a, a_runs}, {c.body_b, b_runs}}) {
        if (runs) {
            Clear_Other_Contacts(c, *x, gravity);
            if (!Clear_Of_All(c, *x)) {
                Ease_Squash(c, *x);
            }
        }
    }
}

void Part_If_Sunk(Collision& c) {
    const bool both_run = c.response_a.role == Role::Running && c.response_b.role == Role::Running;
    if (!both_run && c.body_a->state.mode == SimMode::Free &&
        c.body_b->state.mode == SimMode::Free) {
        Part_Sunk_Pair(c);
    }
}

bool Parts_When_Sunk(const Collision& c) {
    return c.body_a->Gives_Way() && c.body_b->Gives_Way() &&
           (c.body_a->state.mode == SimMode::Free || c.body_b->state.mode == SimMode::Free);
}

bool Part_Sunk_Pair(Collision& c) {
    if (!Parts_When_Sunk(c) || !Touches_Keeping_Witness(c)) {
        return false;
    }
    Give_Direction_If_Unknown(c);
    const bool a_moves = c.body_a->state.mode == SimMode::Free;
    const bool b_moves = c.body_b->state.mode == SimMode::Free;
    if (a_moves && b_moves) {
        const Vector3d before = c.body_a->new_state.position;
        Push_Out(c, *c.body_a, c.normal, 0.0);
        Share_Move(c, before);
    } else {
        SimObject& free = a_moves ? *c.body_a : *c.body_b;
        SimObject& resting = a_moves ? *c.body_b : *c.body_a;
        const Vector3d out_of_resting = a_moves ? c.normal : -c.normal;
        Push_Out(c, free, out_of_resting, 0.0);
        if (Touches_Keeping_Witness(c)) {
            Push_Out(c, resting, -out_of_resting, 0.0);
        }
    }
    return true;
}

void Update_Contact(Collision& c, double t, const Vector3d& gravity) {
    Deform(c, t);
    Take_Back_Carry_Through(c);
    Keep_Touching(c, gravity);
}
