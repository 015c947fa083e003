#pragma once

#include <array>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "math/vector3d.h"

class SimObject;
class Tovrel;
struct Collision;

// An axis-aligned box of space between two corners.
struct SpaceBox {
    Vector3d low;
    Vector3d high;
};

// What the audit looks for after every tick.
enum class AuditFault {
    Not_A_Number,  // a NaN (or infinity) in a body's committed state
    Outside,       // a moving body's centre outside the room
    Overlap,       // two bodies interpenetrating deeper than SimAudit::kOverlapBound
    Held_Still,    // a free body that did not move over a tick while it had no contact
};
constexpr int kAuditFaults = 4;

struct AuditViolation {
    AuditFault fault;
    double time;       // the caller's clock at the end of the tick it was found in
    std::string text;  // what, naming the bodies: "Ball #3 and Box #4 overlap by 0.0213"
};

// Watches a running simulator from outside: called after every tick, it checks the bodies'
// committed states without disturbing anything (it copies poses and places shapes of its own, so
// no body state, pair record, feature cache or query counter changes). A fault that lasts several
// ticks (the same body, or the same pair) is one violation, reported at its first tick.
class SimAudit {
public:
    // A moving body's centre may stand this far outside the room before it counts as out.
    static constexpr double kRoomTolerance = 0.01;
    // Two bodies may interpenetrate this deep: the contact response pushes them apart only to
    // within a small distance, and its squash is measured against the partner in steps.
    static constexpr double kOverlapBound = 0.01;
    // Overlaps deeper than this are measured exactly; shallower ones only bounded by it.
    static constexpr double kExactOverlap = 0.005;

    // `room`: where the centres of the bodies that can move must stay, the union of the boxes
    // (one for a closed room). Takes the simulator's present states as the start of the first
    // tick.
    SimAudit(const Tovrel& sim, std::vector<SpaceBox> room);

    // Checks the tick that has just ended at `now` (the caller's clock, which may differ from the
    // simulator's when the caller resets it). Returns the violations that began in this tick.
    const std::vector<AuditViolation>& Check(double now);

    // For the owner of the simulator's contact callback: a contact began, which counts against
    // each of its bodies that is at rest.
    void Contact_Started(const Collision& c);

    long Count(AuditFault fault) const { return counts_[static_cast<int>(fault)]; }
    long Total() const;
    // The deepest interpenetration of two bodies at the end of a tick (exact above
    // kExactOverlap).
    double Deepest_Overlap() const { return deepest_overlap_; }
    // The longest time in seconds a free body without a contact stood still.
    double Longest_Hold() const { return longest_hold_; }
    // Contact starts a second at rest: the most contacts that one body at rest started within
    // any one second of the simulator's clock. A body resting among many, woken by each body
    // that runs into it and soon at rest again, rests for little of the time it is run into; its
    // starts over its time at rest made six impacts in eight seconds a rate of 5.6.
    double Rest_Contact_Rate() const { return most_rest_starts_; }

    // The last line of an audited run: the counts of each fault and the figures.
    std::string Summary() const;

private:
    // What the last check saw of a body.
    struct Seen {
        bool active = false;
        bool free_alone = false;  // Free, without a contact
        bool moving = false;      // has a velocity, or gravity pulls it
        Vector3d position;
        double still_since = -1.0;       // when it was last seen moving, while it stands still
        std::deque<double> rest_starts;  // its contact starts at rest within the last second
    };
    using Key = std::array<int, 3>;  // fault, body, other body (-1 for a fault of one body)

    void Report(AuditFault fault, int body, int other, double now, const std::string& text);
    void Check_Numbers(double now);
    void Check_Room(double now);
    void Check_Overlaps(double now);
    void Check_Motion(double now);
    void Remember(double now);

    const Tovrel& sim_;
    std::vector<SpaceBox> room_;
    std::vector<Seen> seen_;  // by sim_index
    double last_check_ = 0.0;
    std::set<Key> open_;  // the faults found in the last check
    std::set<Key> found_;
    std::vector<AuditViolation> new_;
    std::array<long, kAuditFaults> counts_{};
    double deepest_overlap_ = 0.0;
    double longest_hold_ = 0.0;
    long most_rest_starts_ = 0;
};

// "0.0213" for an overlap measured exactly, "at most 0.005" for one only bounded.
std::string Overlap_Figure(double depth);

// Whether a body takes part in a contact: while it does, its motion follows the contact's
// timetable rather than its flight, and it may stand still.
bool Has_Contact(const SimObject& body);
