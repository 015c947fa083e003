#include "sim/audit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <utility>

#include "sim/collision.h"
#include "sim/penetration_depth.h"
#include "sim/sim_object.h"
#include "sim/tovrel.h"

namespace {

bool Finite(const Vector3d& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool Finite(const SimState& s) {
    const Quaternion& q = s.orientation;
    return Finite(s.position) && Finite(s.velocity) && Finite(s.scale) && std::isfinite(q.w) &&
           std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z);
}

// "Ball #30": names repeat (every block of the breakout is a "Block"), indices do not.
std::string Label(const SimObject& body) {
    return std::string(body.name) + " #" + std::to_string(body.sim_index);
}

std::string Point(const Vector3d& p) {
    char text[96];
    std::snprintf(text, sizeof text, "(%.4f, %.4f, %.4f)", p.x, p.y, p.z);
    return text;
}

// Fixed, or moved only by its own program: nothing a contact does can move it.
bool Unmovable(const SimObject& body) {
    return body.state.mode == SimMode::Fixed || body.state.mode == SimMode::Driven;
}

bool Inside(const SpaceBox& box, const Vector3d& p, double tolerance) {
    return box.low.x - tolerance <= p.x && p.x <= box.high.x + tolerance &&
           box.low.y - tolerance <= p.y && p.y <= box.high.y + tolerance &&
           box.low.z - tolerance <= p.z && p.z <= box.high.z + tolerance;
}

}  // namespace

std::string Overlap_Figure(double depth) {
    char text[32];
    std::snprintf(text, sizeof text, depth > SimAudit::kExactOverlap ? "%.4f" : "at most %.3f",
                  depth > SimAudit::kExactOverlap ? depth : SimAudit::kExactOverlap);
    return text;
}

// Held by its own timetable: a body deforming in a contact stands still as the timetable says.
bool Has_Contact(const SimObject& body) {
    return body.Held();
}

SimAudit::SimAudit(const Tovrel& sim, std::vector<SpaceBox> room)
    : sim_(sim), room_(std::move(room)) {
    Remember(0.0);
}

const std::vector<AuditViolation>& SimAudit::Check(double now) {
    new_.clear();
    found_.clear();
    Check_Numbers(now);
    Check_Room(now);
    Check_Overlaps(now);
    Check_Motion(now);
    open_.swap(found_);
    Remember(now);
    return new_;
}

void SimAudit::Report(AuditFault fault, int body, int other, double now, const std::string& text) {
    const Key key{static_cast<int>(fault), body, other};
    found_.insert(key);
    if (open_.count(key) == 0) {
        ++counts_[static_cast<int>(fault)];
        new_.push_back({fault, now, text});
    }
}

void SimAudit::Check_Numbers(double now) {
    for (const SimObject* body : sim_.objects) {
        if (!Finite(body->state)) {
            Report(AuditFault::Not_A_Number, body->sim_index, -1, now,
                   Label(*body) + ": not a number in its committed state");
        }
    }
}

void SimAudit::Check_Room(double now) {
    for (const SimObject* body : sim_.active_objects) {
        const Vector3d& p = body->state.position;
        if (body->state.mode == SimMode::Fixed || !Finite(p)) {
            continue;
        }
        const bool inside = std::any_of(room_.begin(), room_.end(), [&](const SpaceBox& box) {
            return Inside(box, p, kRoomTolerance);
        });
        if (!inside) {
            Report(AuditFault::Outside, body->sim_index, -1, now,
                   Label(*body) + " outside the room at " + Point(p));
        }
    }
}

void SimAudit::Check_Overlaps(double now) {
    std::vector<const SimObject*> bodies;
    std::vector<std::unique_ptr<WorldShape>> shapes;
    for (const SimObject* body : sim_.active_objects) {
        if (body->polyhedron != nullptr && Finite(body->state)) {
            bodies.push_back(body);
            shapes.push_back(std::make_unique<WorldShape>(*body->polyhedron, body->state));
        }
    }
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        for (std::size_t j = i + 1; j < bodies.size(); ++j) {
            const SimObject& a = *bodies[i];
            const SimObject& b = *bodies[j];
            // The simulator never looks at such a pair: the breakout's paddle reaches through
            // the back wall, and the walls overlap at the corners, as built.
            const bool both_unmovable = Unmovable(a) && Unmovable(b);
            if (both_unmovable || !shapes[i]->Boxes_Near(*shapes[j], 0.0)) {
                continue;
            }
            const double depth = shapes[i]->Penetration_Depth(*shapes[j], kExactOverlap);
            deepest_overlap_ = std::max(deepest_overlap_, depth);
            if (depth > kOverlapBound) {
                char text[64];
                std::snprintf(text, sizeof text, " overlap by %.4f", depth);
                const bool a_first = a.sim_index < b.sim_index;
                const SimObject& first = a_first ? a : b;
                const SimObject& second = a_first ? b : a;
                Report(AuditFault::Overlap, first.sim_index, second.sim_index, now,
                       Label(first) + " and " + Label(second) + text);
            }
        }
    }
}

void SimAudit::Check_Motion(double now) {
    for (const SimObject* body : sim_.active_objects) {
        Seen& seen = seen_[body->sim_index];
        const bool free_alone = body->state.mode == SimMode::Free && !Has_Contact(*body);
        const bool held = seen.active && seen.free_alone && seen.moving && free_alone &&
                          body->state.position.x == seen.position.x &&
                          body->state.position.y == seen.position.y &&
                          body->state.position.z == seen.position.z;
        if (!held) {
            seen.still_since = -1.0;
            continue;
        }
        if (seen.still_since < 0.0) {
            seen.still_since = last_check_;
        }
        longest_hold_ = std::max(longest_hold_, now - seen.still_since);
        Report(AuditFault::Held_Still, body->sim_index, -1, now,
               Label(*body) + " held still at " + Point(body->state.position) + " with no contact");
    }
}

void SimAudit::Remember(double now) {
    seen_.resize(sim_.objects.size());
    const bool gravity = sim_.gravity.Squared_Length() > 0.0;
    for (Seen& seen : seen_) {
        seen.active = false;
    }
    for (const SimObject* body : sim_.active_objects) {
        Seen& seen = seen_[body->sim_index];
        seen.active = true;
        seen.free_alone = body->state.mode == SimMode::Free && !Has_Contact(*body);
        seen.moving = gravity || body->state.velocity.Squared_Length() > 0.0;
        seen.position = body->state.position;
    }
    last_check_ = now;
}

void SimAudit::Contact_Started(const Collision& c) {
    for (const SimObject* body : {c.body_a, c.body_b}) {
        if (body->state.mode != SimMode::Resting) {
            continue;
        }
        std::deque<double>& starts = seen_[body->sim_index].rest_starts;
        // A clock set back by a Reset starts the count over.
        if (!starts.empty() && starts.back() > sim_.time) {
            starts.clear();
        }
        while (!starts.empty() && starts.front() <= sim_.time - 1.0) {
            starts.pop_front();
        }
        starts.push_back(sim_.time);
        most_rest_starts_ = std::max(most_rest_starts_, static_cast<long>(starts.size()));
    }
}

long SimAudit::Total() const {
    long total = 0;
    for (long count : counts_) {
        total += count;
    }
    return total;
}

std::string SimAudit::Summary() const {
    char text[320];
    std::snprintf(text, sizeof text,
                  "audit: %ld violations: %ld not a number, %ld outside the room, %ld overlaps "
                  "deeper than %.2f, %ld held still; deepest overlap %s, longest hold %.3f s",
                  Total(), Count(AuditFault::Not_A_Number), Count(AuditFault::Outside),
                  Count(AuditFault::Overlap), kOverlapBound, Count(AuditFault::Held_Still),
                  Overlap_Figure(deepest_overlap_).c_str(), longest_hold_);
    return text;
}
