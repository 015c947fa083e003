#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "math/vector3d.h"
#include "sim/broad_phase.h"
#include "sim/collision.h"
#include "sim/contacts.h"
#include "sim/pair_table.h"
#include "sim/probe_scope.h"
#include "sim/sim_state.h"

class SimObject;

// The simulator. It keeps every body, the active ones that move and collide, gravity, the clock,
// and the contact bookkeeping. `Step` moves the clock from event to event: an event is the end of
// the earliest running contact or the step's target time. Where bodies are found interpenetrating
// at a tried time, the time of first contact is narrowed down by bisection to within
// kContactTimePrecision, the new contacts are processed, and the step goes on from there. A probe
// short of the step's target time rebuilds only the contacts joined to its event (ProbeScope);
// those at the target time rebuild every one.
//
// Bodies are added before the first Reset, which starts the clock at 0; bodies that should join
// later are added inactive and activated when needed. Only pairs that the broad phase finds near
// are queried, and a pair's record is made when it first is. The simulator refers to bodies
// without owning them; it owns the pair table and its records.
class Tovrel {
public:
    // Called with the contact and the user pointer stored beside it.
    using ContactCallback = void (*)(Collision*, void*);

    // The most bodies it holds; Add_Object refuses more, with a message.
    static constexpr std::size_t kMaxBodies = 65536;

    Tovrel() = default;
    Tovrel(const Tovrel&) = delete;
    Tovrel& operator=(const Tovrel&) = delete;

    void Add_Object(SimObject* body, bool make_active);
    // A body that was never added is refused with a message.
    void Activate_Object(SimObject* body);
    void Deactivate_Object(SimObject* body);

    // Every body back to its initial state, no contacts, clock at 0. Always true.
    bool Reset();

    // Advances the clock by dt. False, with a message, before the first Reset.
    bool Step(double dt);

    std::vector<SimObject*> objects;         // every body, in the order added (index = sim_index)
    std::vector<SimObject*> active_objects;  // moved and tested for collisions, in activation order
    ContactMap contacts;                     // contacts under way, primary or waiting
    ContactQueue contact_queue;              // primary contacts, earliest end on top
    PairTable pair_table;                    // the records of the pairs that came near
    double time = -1.0;                      // seconds; negative until the first Reset
    Vector3d gravity{0.0, 0.0, -9.81};       // acceleration of free bodies, +z up

    ContactCallback on_collision = nullptr;  // a contact becomes primary
    void* on_collision_user = nullptr;
    ContactCallback on_separation = nullptr;  // a primary contact ends
    void* on_separation_user = nullptr;

    // The records of the pairs the last detection pass asked about: found near, and neither
    // passed over as still apart nor left for a lagging body; none before the first pass since
    // the last Reset. What each says is where its bodies were at that pass.
    const std::vector<Collision*>& Asked_Records() const { return asked_records_; }
    // Whether the pair of `c` is in contact now (primary or waiting).
    bool In_Contact(const Collision& c) const { return contacts.count(Pair_Key(c)) != 0; }

private:
    // Every active body tries time t; every contact of the probe's scope rebuilds its bodies for t.
    void Advance_All(double t);
    // A bisection probe: only the contacts of the bodies of `found` that give way rebuild theirs
    // for time t, for only those pairs are asked again; the others can wait for the final probe,
    // which rebuilds its scope and the new contacts' groups. A body that gives way, of none of
    // them and in no contact, is not tried: no search of theirs looks at it, and tried here it
    // would only be tried again.
    void Advance_Around(double t, const std::vector<Collision*>& found);
    // A partner that these contacts carry along but that deforms in a contact of its own, left
    // out, is built afresh by nothing: it starts every probe of the bisection where the probe
    // before the bisection left it. Carried on from where the last probe left it, it kept the
    // carries of every probe, and a box squashed against a wall crept 3.4 units up it, into a
    // third body.
    void Start_From_Before_Bisection(SimObject& partner);
    // Both of the above: the contacts of `moving` rebuild their bodies, which have tried time t.
    void Rebuild(double t, const std::vector<Collision*>& moving);
    // Asks the pairs of `found` again; those that collide replace its contents (left alone when
    // none does). Returns their number.
    int Narrow_Found(std::vector<Collision*>& found);
    // Whether a pair starts a contact where its bodies are tried: one not in contact when it
    // collides; one in contact (`in_contact`, which the caller has looked up) when a body it let
    // go has come back into the other.
    bool Collides_Now(Collision& c, bool in_contact);
    // A pair of two bodies that give way whose last gap shows them still apart: the detection does
    // not ask it, unless it is in contact. The bisection does: a contact goes by its pair's last
    // separation, which its probes narrow down to where the bodies met; a pair passed over there
    // keeps an earlier one (five rooms of 8 balls lost a body through a wall so). A pair with a
    // body that never gives way (a wall, a block, the paddle) is asked at every probe: passed over
    // right up to where it could touch, the demo's game changed its play, and Show Contacts draws
    // what the last probe found of each of the ball's pairs. A body's transform is null when it
    // does not give way.
    bool Passed_Over(const Collision& c, const Matrix4d* placed_a, const Matrix4d* placed_b) const;
    // Asks every near pair of active bodies that is not in contact (or in one that has let a
    // body go), has no lagging body and is not passed over, in the order of a search of every
    // pair; the colliding records replace the contents of `found` (left alone when there are none).
    int Find_New_Collisions(std::vector<Collision*>& found);
    // Moves the clock to t, or to the first contact before it; returns the number of new contacts.
    int Advance_To_Event(double t, std::vector<Collision*>& found);
    // New contacts start for the bodies free to deform, and wait for the others.
    void Process_New_Collisions(const std::vector<Collision*>& found);
    // The earliest end of a running timetable: that body is let go (or comes to rest) and its
    // newest waiting contact takes over; the contact is over when no body deforms in it.
    void End_Contact();
    void Queue_If_Running(Collision* c);
    void Touch_From_Start(Collision& c);
    void Touch_Again_Where_Moved(const std::vector<Collision*>& moving);
    // A body let go with contacts waiting on it would fly through their bodies: its newest one
    // takes over, unless its bodies have parted since it was found, and then it is dropped. A body
    // may already deform in another contact (one that a partner started), and then needs none.
    void Take_Up_Waiting(SimObject& body);
    // The pair of `c` is no longer in contact; the record stays, as every pair's does.
    void Drop_Contact(Collision& c);
    // A body let go from a contact whose partner still deforms has come back into the partner.
    void Rejoin(Collision* c);
    // The records of the pairs of a body with the bodies around it that never give way (for a
    // body at rest, and the others at rest) and that it is not in contact with, into its
    // within_reach: those its searches stop at (SimObject::Stops_At); for each body of `c` that
    // deforms in it or is free. A free body that only waits in `c` is carried along by the other,
    // and the list it kept from its last contact of its own lacks the wall that contact was with:
    // let go by a wall and carried by a box it touched, a ball went through that wall.
    void Find_Within_Reach(SimObject& body);
    // Once a rebuild for a body of several contacts, unless the take-back of a carry has moved it
    // since: nothing else around it changes within a rebuild.
    void Find_Within_Reach(Collision& c);
    // Takes back a carry through a body that never gives way (Take_Back_Carry_Through), with the
    // bodies around found where the squash carried the body, and then again where it was taken
    // back to: its searches stop at what lies around where it is. A ball springing back from a
    // squash as wide as its room was carried 2.7 units out through the back wall and taken back;
    // its list, made out there, held nothing, and its easing carried it out through the front wall.
    void Take_Back_Carry_Through_Within_Reach(Collision& c);
    // The records of X's pairs with the bodies within its reach (kSqueezeReach half extents; only
    // those that never give way, where `unyielding_only`) that `keep` takes and that it is not in
    // contact with, into `records`; the others get no record. The reach is at least the way X's
    // centre has come since it was committed: a box springing back from a deep squash about a far
    // corner of itself was carried 5.4 units, through a wall that lay beyond its reach from where
    // it ended, and what takes back a carry through a wall never saw that wall. Returns the reach.
    template <typename Keep>
    double Records_Within(SimObject& x, bool unyielding_only, Keep keep,
                          std::vector<Collision*>& records);
    // Whether X sinks into a body that does not fly, its support or another, where it was last
    // tried: sunk in, it is not held up but stuck, and must not come to rest there, where nothing
    // would ever part them. A free body sunk into it comes out of it once it rests: a box between
    // a resting ball and a free ball that had landed on it, sunk into one when pushed out of the
    // other, started 39 contacts a second with the resting one and never rested. Sunk less than
    // kTouchingSlack, it only touches: a box kept against a wall as it landed on a resting one, a
    // thousandth into the wall, was refused rest, fell a thousandth and met the resting one again,
    // 28 times a second.
    bool Sunk_Into_Any(SimObject& x);
    void Settle(SimObject& body, SimObject& support, const SimObject* leans_on);
    // A resting body whose support, or what it leans on besides, flies off or leaves the
    // simulation falls.
    void Wake_Unsupported();
    // For each free body of `c` slow enough to come to rest, the body that does not fly, besides
    // the other, that it lies against, the most nearly beneath it (Response::lean_body): a body
    // may rest between two that neither holds it up alone. In rooms of 32 bodies without squash or
    // bounce, a ball in the pocket between two resting balls and a wall, each meeting it 54
    // degrees from straight up, slid from one to the other and never rested, starting 40 contacts
    // a second with them.
    void Find_Leans(Collision& c);
    // Bodies that can give way, left sunk into each other at the end of a step, are parted there.
    void Part_Sunk_At_Step_End();
    // The pairs the step's end looks at: those in contact, then the near ones not in contact.
    template <typename Visit>
    void Each_Step_End_Pair(Visit visit);
    // How deep the deepest of the pairs that the step's end parts is sunk where they are tried
    // (exact above kTouchingSlack, and at most that below).
    double Deepest_Sunk_Pair();

    BroadPhase broad_phase_;
    ProbeScope scope_;
    std::vector<Collision*> near_records_;   // the step's end's: see Part_Sunk_At_Step_End
    std::vector<Vector3d> least_at_;         // ... and where its rounds left the least sunk
    std::vector<Collision*> asked_records_;  // those of them it asked about
    std::vector<const Matrix4d*> placed_;    // the pass's tentative transforms, by active position
    std::vector<int> near_indexes_;   // Records_Within's, kept to spare an allocation a probe
    std::vector<Collision*> around_;  // Sunk_Into_Any's
    long rebuild_ = 0;                // counts the rebuilds of contacts, each a batch of them
    // By sim_index: the rebuild, and the place, at which the body's within_reach was last found.
    std::vector<std::pair<long, Vector3d>> found_around_;
    // Where each contact's bodies were tried before it rebuilt them, in the contacts' order.
    std::vector<std::pair<Vector3d, Vector3d>> tried_at_;
    // Where each contact's bodies were left by its own keep-touching, in the contacts' order.
    std::vector<std::pair<Vector3d, Vector3d>> kept_at_;
    std::vector<Collision*> advancing_;  // the contacts a probe rebuilds
    std::vector<bool> in_found_;         // by sim_index: the bodies a probe asks about
    // The partners of Start_From_Before_Bisection, each with its tried state at the start of the
    // bisection under way.
    std::vector<std::pair<SimObject*, SimState>> before_bisection_;
    std::vector<Collision*> still_found_;  // Narrow_Found's, kept to spare an allocation a probe
    // The earliest time the last detection pass found a body's centre entering a fixed body.
    double first_entry_ = 0.0;
    std::vector<SimObject*> met_;  // the bodies of a probe's event, kept likewise
    double reach_ = 0.0;  // the span of the current step: how far ahead the broad phase looks
};
