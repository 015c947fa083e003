#pragma once

#include <cstddef>
#include <vector>

#include "sim/collision.h"
#include "sim/contacts.h"
#include "sim/sim_object.h"

// Which contacts a probe of the step rebuilds, and so which bodies it commits.
//
// A body deforming in a contact reaches a tried time only through the contact's rebuild: squashed
// by its timetable, then kept touching, a dozen pair queries and more. A step stops at every
// contact's end and at every first contact, and in a room of many bodies these come every few
// tenths of a millisecond, nearly all of them far from one another; rebuilding every contact at
// every one of them made the step cost the number of contacts times the number of events, the
// square of the bodies. So a probe short of the step's target time rebuilds only the contacts
// joined to its event (the contact that ends, or the pairs found to meet): those of its bodies,
// those of their partners, and on through every body that gives way (Free or Resting; a wall or
// the paddle joins nothing, as no contact moves them). The target time itself is tried with
// every contact, but one rebuilt for that very time by an earlier try, and untouched by the
// events since (a meeting found short of the target elsewhere), keeps what it was rebuilt to.
//
// A body deforming in a contact left out lags: it is not committed, and the pairs it makes are not
// asked, since what it was last tried as belongs to an earlier time. It catches up at the next
// probe that takes its contact in, and a probe at which any deforming body's committed state is
// more than kMaxLag old takes every contact. Without that bound a contact rebuilt after a long
// wait changes its body's shape in one go by more than the searches that keep it out of the walls
// take back (a box springing back from its squash in one move was carried through a wall), and a
// meeting of the lagging body is found that much late. Every step ends with every body at its time.
//
// With one body that gives way (the demo's ball), every contact is joined to every event's, and
// every probe rebuilds everything as it always has.
class ProbeScope {
public:
    // A body deforming in a contact is rebuilt at least this often, in seconds: a quarter of the
    // demo's step. Without a bound, five rooms of 32 bouncing balls lost two bodies through the
    // walls and had more than twice the overlaps; with half a step, a body of a shipped scene was
    // wedged into a corner of the room.
    static constexpr double kMaxLag = 0.004;

    // Every contact: the probes at the step's target time t.
    void Take_All(double t);
    // The contacts joined to the bodies `seeds`, for a probe at time t; every contact when a body
    // deforming in one was last committed more than kMaxLag before t.
    void Take_Around(const std::vector<SimObject*>& seeds, double t, const ContactMap& contacts,
                     std::size_t bodies);
    // The contacts joined to `seeds` as well, at time `t`: a probe that found their collisions.
    void Add(const std::vector<SimObject*>& seeds, double t, const ContactMap& contacts);
    // An event changes the contacts of the scope: what they were rebuilt for no longer holds.
    void Forget_Rebuilds(const ContactMap& contacts) const;

    bool Takes_All() const { return all_; }
    // Whether `c` is to be rebuilt for the probe's time: in the scope and not rebuilt for that
    // very time since the last event that touched it (a target time tried again after a collision
    // found short of it elsewhere), or that moved a body tried at another time since.
    bool Rebuilds(const Collision& c) const {
        return Joined(c) &&
               (c.rebuilt_for != t_ ||
                (c.moved_undeformed && (Tried_Elsewhere(*c.body_a) || Tried_Elsewhere(*c.body_b))));
    }
    // Whether X deforms in a contact left out: X is not committed, and its pairs are not asked.
    bool Lags(const SimObject& x) const { return !all_ && lagging_[x.sim_index] != 0; }

private:
    bool Joined(const Collision& c) const {
        return all_ || joined_[c.body_a->sim_index] || joined_[c.body_b->sim_index];
    }
    void Mark_Lagging(const ContactMap& contacts);
    // Whether X, a body that gives way and deforms in no contact, was last tried at another time
    // than the probe's: a probe since flew it from where it was committed, or put it back where
    // it rests, and what the contact moved it by is lost (a box let go by another, which carried
    // it out of the floor, was committed 0.1 deep in it). A body that deforms is built by its
    // contact alone, and keeps what that was rebuilt to.
    bool Tried_Elsewhere(const SimObject& x) const {
        return x.Only_Carried() && x.new_state.time != t_;
    }

    bool all_ = true;
    double t_ = 0.0;             // the probe's time
    std::vector<char> joined_;   // by sim_index: joined to the probe's events
    std::vector<char> lagging_;  // by sim_index
    std::vector<SimObject*> to_visit_;
};
