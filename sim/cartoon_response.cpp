#include "sim/cartoon_response.h"

#include <algorithm>
#include <cmath>

#include "math/angles.h"
#include "sim/collision.h"
#include "sim/push_out.h"
#include "sim/sim_object.h"

namespace {

// Impacts slower than this (world units per second) are rests rather than bounces.
constexpr double kRestSpeed = 1.0;
// Duration of a squash that starts while the bodies already move apart, times the squash rate.
constexpr double kSlowSquashTime = 0.25;
// A body asked about its centre alone is shrunk by this factor: small enough that its nearest
// point to the other body is its centre for direction's sake, large enough for a sound query.
constexpr double kSpeck = 0.01;

// The body that deforms: the free one of the pair (body A when both are), else the resting one.
// A fixed or driven body goes on as its own motion says.
SimObject& Deforming_Body(const Collision& c) {
    if (c.body_a->state.mode == SimMode::Free) {
        return *c.body_a;
    }
    if (c.body_b->state.mode == SimMode::Free) {
        return *c.body_b;
    }
    return c.body_a->state.mode == SimMode::Resting ? *c.body_a : *c.body_b;
}

SimObject& Other_Body(const Collision& c, const SimObject& x) {
    return &x == c.body_a ? *c.body_b : *c.body_a;
}

// How far X reaches from its centre against unit direction `u`, in its committed pose.
double Reach_Along(const SimObject& x, const Vector3d& u) {
    const Vector3d local = x.state.orientation.Conjugate().Rotate(-u);
    double reach = 0.0;
    for (const PolyVertex& v : x.polyhedron->vertices) {
        reach = std::max(reach, Dot(Scale_Each(v.position, x.state.scale), local));
    }
    return reach;
}

// The contact normal pointing from the other body towards the deforming body X.
Vector3d Outward_Normal(const Collision& c, const SimObject& x) {
    return &x == c.body_a ? -c.normal : c.normal;
}

// Duration of a phase that moves the body's end by `travel` (in units of its half extent) at
// `rate` times `speed` at the start of a quarter sine. A body whose squash rate is 0 would never
// finish its contact; its phases take no time instead.
double Phase_Time(double travel, const SimObject& x, double speed) {
    if (x.squash_rate <= 0.0) {
        return 0.0;
    }
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

void Set_Spin(Collision& c, const Vector3d& u, const Vector3d& axis, double degrees) {
    if (u.Vanishes()) {
        c.spin_angle = 0.0;
        return;
    }
    c.spin_axis = axis;
    c.spin_axis.Set_Length(1.0);
    c.spin_angle = degrees;
}

void Rest_Contact(Collision& c, bool moving_apart) {
    c.resting = true;
    SimObject& x = Deforming_Body(c);
    const Vector3d n = Outward_Normal(c, x);
    Vector3d u;
    ContactTimetable& tt = c.timetable;
    if (c.impact_speed == 0.0) {
        tt.squash_time = 0.0;
        tt.impact_stretch = 1.0;
        tt.squash_scale = 1.0;
    } else {
        u = x.state.velocity * (1.0 / c.impact_speed);
        Set_Squash_Phase(tt, x, c.impact_speed, moving_apart);
    }
    c.release_speed = 0.0;
    x.state.velocity = Vector3d();
    x.state.stretch_forward = !x.state.stretch_forward;
    Set_Release_Phase(tt, x, c.release_speed);
    // A resting body only settles onto the surface: it turns by the angle itself, not twice it.
    Set_Spin(c, u, moving_apart ? Cross(u, n) : Cross(n, u), Angle_To_Normal(u, n));
}

// Nothing deforms, and the contact ends the moment it starts.
void Flat_Contact(Collision& c) {
    const SimObject& x = Deforming_Body(c);
    ContactTimetable& tt = c.timetable;
    tt.squash_time = 0.0;
    tt.release_time = 0.0;
    c.resting = false;
    c.impact_speed = x.state.velocity.Length();
    tt.impact_stretch = SimObject::Stretch_Factor(c.impact_speed, x.max_stretch, x.stretch_rate);
    tt.squash_scale = tt.impact_stretch;
    tt.release_stretch = tt.impact_stretch;
    c.spin_angle = 0.0;
}

void Bounce(Collision& c, SimObject& x, const Vector3d& n) {
    c.resting = false;
    const Vector3d u = x.state.velocity * (1.0 / c.impact_speed);
    Set_Squash_Phase(c.timetable, x, c.impact_speed, false);
    c.release_speed = x.restitution * c.impact_speed;
    const Vector3d v = x.state.velocity;
    x.state.velocity = v - 2.0 * Dot(v, n) * n;
    x.state.velocity.Set_Length(c.release_speed);
    x.state.stretch_forward = !x.state.stretch_forward;
    Set_Release_Phase(c.timetable, x, c.release_speed);
    // Twice the angle between the travel and the normal: the turn that takes the stretch axis from
    // the incoming direction to the outgoing one.
    Set_Spin(c, u, Cross(n, u), 2.0 * Angle_To_Normal(u, n));
}

// A resting body that a driven one runs into is no wall for the driven body: it wakes up and
// bounces off it as off a wall that moves with the driven body, so the bounce is worked out in
// the driven body's frame and the driven body's velocity added back. It leaves at least as fast
// as the driven body moves along the normal, however slow the push.
void Knock_Away(Collision& c, SimObject& x, const SimObject& driven, const Vector3d& n,
                const Vector3d& approach) {
    x.state.mode = SimMode::Free;
    x.state.velocity = approach;
    c.impact_speed = std::max(approach.Length(), kRestSpeed);
    x.state.velocity.Set_Length(c.impact_speed);
    Bounce(c, x, n);
    x.state.velocity += driven.state.velocity;
}

}  // namespace

// From body A towards body B, or straight up when they share a centre; the pivot of the turn is
// midway between them.
void Give_Direction_If_Unknown(Collision& c) {
    if (!c.normal.Vanishes()) {
        return;
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

void Take_Current_Direction(Collision& c) {
    if (!Query_Pair(c)) {
        return;
    }
    // The body may have been carried far since the contact was found, by another contact's turn
    // (down a wall, past the other body's edge) while this one waited, and have sunk a little into
    // the other body on the way. The old direction may then lead into the other body, and a
    // push-out or squeeze-out along it out through a wall's lower end; the line from the other
    // body's nearest point to the body's centre leads out of it the short way.
    SimObject& x = Deforming_Body(c);
    const Vector3d scale = x.new_state.scale;
    x.new_state.scale = scale * kSpeck;
    Query_Pair(c);
    x.new_state.scale = scale;
}

void Start_Response(Collision& c, double t) {
    c.timetable.start_time = t;
    SimObject& x = Deforming_Body(c);
    const SimObject& other = Other_Body(c, x);
    const Vector3d n = Outward_Normal(c, x);
    const bool driven = other.state.mode == SimMode::Driven;
    Vector3d approach = x.state.velocity;
    if (driven) {
        approach -= other.state.velocity;
    }
    const bool moving_apart = Dot(approach, n) > 0.0;
    if (driven && Dot(approach, n) < 0.0 && x.state.mode == SimMode::Resting) {
        Knock_Away(c, x, other, n, approach);
        return;
    }
    c.impact_speed = x.state.velocity.Length();
    if (c.impact_speed < kRestSpeed) {
        Rest_Contact(c, moving_apart);
        return;
    }
    if (moving_apart) {
        Flat_Contact(c);
        return;
    }
    Bounce(c, x, n);
}

void Update_Contact(Collision& c, double t, const Vector3d& gravity) {
    for (SimObject* body : {c.body_a, c.body_b}) {
        body->new_state = body->state;
    }
    for (SimObject* body : {c.body_a, c.body_b}) {
        if (body->state.mode == SimMode::Driven) {
            body->Advance_To(t, gravity);
        }
    }

    SimObject& x = Deforming_Body(c);
    const ContactTimetable& tt = c.timetable;
    const double s = tt.Scale_At(t);
    const double across = 1.0 / std::sqrt(s);
    x.new_state.scale = Vector3d(s, across, across);

    // The plane that touches the other body at the contact point, facing X.
    const Vector3d outward = Outward_Normal(c, x);
    const Vector3d& on_other = &x == c.body_a ? c.point_b : c.point_a;

    if (c.spin_angle > 0.0) {
        // Half of the turn is spread over each phase, in proportion to the time since the last
        // committed state. A phase of no duration has nothing to spread it over.
        const double phase = tt.Duration(tt.Phase_At(t));
        const double turn = phase > 0.0 ? c.spin_angle * (t - x.state.time) * 0.5 / phase : 0.0;
        x.new_state.orientation =
            Quaternion::From_Axis_Angle(turn, c.spin_axis) * x.state.orientation;
        // Turn and rescale about the contact point: take the offset from it into body space with
        // the old pose, and back out with the new one. The point is X's own, straight below its
        // centre towards the other body, where X touches it. Not the contact point found with
        // the contact, nor that plane: a contact that waited, or the other body driven on since,
        // leaves them far from X, and turned and squashed about a point so far away X would be
        // flung along the plane, round the other body's edge or a wall's lower end.
        const Vector3d pivot = x.state.position - Reach_Along(x, outward) * outward;
        Vector3d d = x.state.orientation.Conjugate().Rotate(x.state.position - pivot);
        d = Vector3d(d.x / x.state.scale.x, d.y / x.state.scale.y, d.z / x.state.scale.z);
        d = x.new_state.orientation.Rotate(Scale_Each(d, x.new_state.scale));
        x.new_state.position = pivot + d;
    }

    // Back to touching the other body, but never with X's centre beyond the plane that touches
    // the other body at the contact point: past its edge (a wall's lower end), X has swung clear
    // of it and would otherwise be drawn round the edge to the far side.
    const Vector3d inward = -outward;
    Push_Out(c, x, inward, Dot(on_other - x.new_state.position, inward));
    // Pairs in contact are not searched for new collisions, so X must also be kept out of the
    // bodies of all its waiting contacts (in a corner it may wait on several), newest first.
    for (Collision* waiting : x.collisions) {
        if (waiting != &c) {
            Push_Out_Second_Contact(c, *waiting, x, inward, gravity);
        }
    }
    c.body_a->new_state.time = t;
    c.body_b->new_state.time = t;
}
