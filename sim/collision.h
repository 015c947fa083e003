#pragma once

#include <cstdint>

#include "collision/body_pair_query.h"
#include "math/matrix4d.h"
#include "math/vector3d.h"
#include "sim/contact_timetable.h"

class SimObject;

// What a contact does to one of its bodies, in the contact's record. A body that can deform (a
// Free one, or a Resting one that something runs into) squashes and springs back on a timetable of
// its own, so the two bodies of a contact part each when its own timetable ends; a Fixed or Driven
// body is never deformed, turned or moved by a contact.
struct Response {
    enum class Role {
        Still,    // not deformed by this contact
        Waiting,  // deforms once its body's running contact ends
        Running,  // deforming on this timetable now
        Done,     // its timetable has ended; the body flies on while its partner's runs
    };

    Role role = Role::Still;
    bool resting = false;        // a slow impact: at its end the body comes to rest where held up
    ContactTimetable timetable;  // from when the body began to deform in this contact
    double impact_speed = 0.0;   // the speed that sets the squash: closing speed of the pair
    double release_speed = 0.0;
    Vector3d spin_axis;       // of the turn made during the contact
    double spin_angle = 0.0;  // total turn during the contact, degrees
    // A body that does not fly, besides the other one, that the body lies against as the contact
    // starts or ends slowly, and the body's outward normal from it (null and zero where none):
    // between the two it may be held up where neither holds it alone.
    const SimObject* lean_body = nullptr;
    Vector3d lean;
};

// The record of one pair of bodies, kept for the whole run. From the pair query it caches the
// closest features, to start the next query from, and the witness data of the last query that
// found the pair apart (the ClosestFeatures part: feature_a, point_a, feature_b, point_b,
// distance, normal, with normal pointing from body_a towards body_b). While the bodies touch it
// also holds what the contact does to each of them.
struct Collision : ClosestFeatures {
    Collision(SimObject* a, SimObject* b) : body_a(a), body_b(b) {}

    SimObject* body_a;  // the body with the lower sim_index
    SimObject* body_b;  // the body with the higher sim_index

    Response response_a;  // what the contact does to body_a
    Response response_b;  // ... and to body_b
    // While in contact: the time a probe last rebuilt its bodies for, kept while no event touches
    // them (ProbeScope); negative when none holds.
    double rebuilt_for = -1.0;
    // Whether its last rebuild moved a body of it that deforms in no contact (one it carries
    // along, or lets go): a probe at another time tries such a body afresh, undoing the move.
    bool moved_undeformed = false;
    // The last query that found the pair apart, whatever became of its witness since: where it
    // placed the two bodies, the gap it found (negative while none is known) and the gap's
    // normal. Bodies that have moved less than that since, along the normal, are still apart
    // (Still_Apart). In a room of many bodies most near pairs are farther apart than their bodies
    // move between two probes.
    struct Gap {
        Matrix4d transform_a;
        Matrix4d transform_b;
        double distance = -1.0;
        Vector3d normal;  // unit, from body_a towards body_b
    };
    Gap last_gap;

    Response& Response_Of(const SimObject& x) { return &x == body_a ? response_a : response_b; }
    const Response& Response_Of(const SimObject& x) const {
        return &x == body_a ? response_a : response_b;
    }
    SimObject& Other(const SimObject& x) const { return &x == body_a ? *body_b : *body_a; }
    // How fast the bodies close along the normal by their committed velocities; below 0 they part.
    double Closing_Speed() const;
    // Whether X deforms in it now, held by its timetable.
    bool Deforms(const SimObject& x) const {
        return Response_Of(x).role == Response::Role::Running;
    }
    // Some body deforms in it now: it is queued by End(). Otherwise it waits behind others.
    bool Running() const {
        return response_a.role == Response::Role::Running ||
               response_b.role == Response::Role::Running;
    }
    // The earliest end of a running timetable: the contact's next event. Only while Running().
    double End() const;
};

// The key of a pair, (lower sim_index << 16) | higher sim_index, whichever body is named first.
// Unique while every index is below 65536, which the simulator sees to (Tovrel::kMaxBodies).
int32_t Pair_Key(const SimObject& a, const SimObject& b);
int32_t Pair_Key(const Collision& c);

// The pair query: places both bodies by their tentative state `new_state` and runs the closest-
// feature walk from the record's cached features. True when the bodies touch or interpenetrate;
// the record's points, distance and normal are then left as they were.
bool Query_Pair(Collision& c);

// Whether the bodies, placed by `placed_a` and `placed_b` (their tentative transforms, which a
// caller asking about many pairs fetches once a body), are certainly still apart. At the last
// query that found the pair apart (`last_gap`), the plane across its normal between its closest
// points had each convex body wholly on its own side, that gap apart. Since then each body's
// centre has shifted, and its turn and change of shape carry none of its points farther than the
// change of its linear part times its reach: while the shifts along the normal and those carries
// leave the gap open, the plane still parts them, and they need not be asked. A body tried along a
// line past another, or slid along it, stays apart however far it goes across the normal.
bool Still_Apart(const Collision& c, const Matrix4d& placed_a, const Matrix4d& placed_b);

// Whether the pair may touch where its bodies are tried: false at once while Still_Apart, and then
// the record is left as it was, its features and witness those of an earlier query; otherwise the
// pair query.
bool May_Touch(Collision& c);

// How far X, one of the pair's bodies, may move from where it is tried along unit direction `d`
// before the plane of the pair's last gap (Still_Apart) no longer parts them: where the pair, so
// far apart, is expected to meet. NaN where no gap is known or X's move does not close it.
double Gap_Plane_Room(const Collision& c, const SimObject& x, const Vector3d& d);

// Restores the witness data (points, distance, normal) of a record when it goes out of scope:
// searches that query a pair at trial positions leave what its contact goes by (the pair's last
// separation before the contact) as it was, however far they wander.
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

// The pair query, leaving the record's witness data as it was: whether the pair touches where its
// bodies are being tried.
bool Touches_Keeping_Witness(Collision& c);
