#include "app/body_grab.h"

#include <algorithm>
#include <limits>

#include "collision/ray_hit.h"
#include "sim/sim_object.h"
#include "sim/tovrel.h"

BodyGrab g_BodyGrab;

namespace {

// The throw's velocity is the pointer's over this many ticks: a hand's last flick, without the
// jitter of a single tick's pointer events.
constexpr std::size_t kSmoothingTicks = 4;

bool Is_Active(const Tovrel& simulator, const SimObject& body) {
    const auto& active = simulator.active_objects;
    return std::find(active.begin(), active.end(), &body) != active.end();
}

bool In_Contact(const Tovrel& simulator, const SimObject& body) {
    return std::any_of(simulator.contacts.begin(), simulator.contacts.end(),
                       [&](const auto& entry) {
                           return entry.second->body_a == &body || entry.second->body_b == &body;
                       });
}

bool Can_Be_Taken(const SimObject& body) {
    return body.state.mode == SimMode::Free || body.state.mode == SimMode::Resting;
}

}  // namespace

bool BodyGrab::Press(const PointerRay& ray) {
    if (phase_ != Phase::Idle || simulator_ == nullptr) {
        return false;
    }
    SimObject* nearest = nullptr;
    double nearest_t = std::numeric_limits<double>::infinity();
    for (SimObject* body : simulator_->active_objects) {
        if (body->polyhedron == nullptr || body == see_through_) {
            continue;
        }
        const SimState& s = body->state;
        const auto t = Ray_Hit(*body->polyhedron, {s.position, s.orientation, s.scale}, ray.origin,
                               ray.direction);
        if (t && *t < nearest_t) {
            nearest = body;
            nearest_t = *t;
        }
    }
    if (nearest == nullptr || !Can_Be_Taken(*nearest)) {
        return false;
    }
    body_ = nearest;
    phase_ = Phase::Waiting;
    plane_point_ = ray.origin + nearest_t * ray.direction;
    plane_normal_ = ray.facing;
    pointer_ = plane_point_;
    offset_ = body_->state.position - plane_point_;
    samples_.clear();
    return true;
}

void BodyGrab::Drag(const PointerRay& ray) {
    const double closing = Dot(ray.direction, plane_normal_);
    if (phase_ == Phase::Idle || !(closing > 0.0)) {
        return;  // a ray along the plane or away from it meets it nowhere ahead
    }
    pointer_ =
        ray.origin + (Dot(plane_point_ - ray.origin, plane_normal_) / closing) * ray.direction;
}

void BodyGrab::Release() {
    if (phase_ == Phase::Waiting) {
        Drop();  // never taken: it goes on as it was
    } else if (phase_ == Phase::Holding) {
        phase_ = Phase::Letting_Go;
    }
}

void BodyGrab::Bind(Tovrel* simulator) {
    Drop();
    simulator_ = simulator;
}

void BodyGrab::Drop() {
    phase_ = Phase::Idle;
    body_ = nullptr;
    samples_.clear();
}

void BodyGrab::Hold() {
    if (phase_ == Phase::Idle) {
        return;
    }
    const Tovrel& simulator = *simulator_;
    const bool taken = phase_ != Phase::Waiting;
    const bool in_contact = In_Contact(simulator, *body_);
    if (!Is_Active(simulator, *body_)) {
        // Free, as it would have been should it come back; but a free body must know its contacts,
        // and a driven one does not keep them: with one still running, only a reset frees it.
        if (taken && !in_contact) {
            body_->state.mode = SimMode::Free;
        }
        Drop();
        return;
    }
    if (taken && body_->state.mode != SimMode::Driven) {
        Drop();  // the simulator was reset, and the body with it
        return;
    }
    if (!taken) {
        if (in_contact) {
            return;
        }
        body_->state.mode = SimMode::Driven;
        phase_ = Phase::Holding;
    }
    Place(simulator);
    if (phase_ == Phase::Letting_Go && !in_contact) {
        Let_Go();
    }
}

void BodyGrab::Place(const Tovrel& simulator) {
    const Vector3d position = pointer_ + offset_;
    if (!samples_.empty() && samples_.back().time == simulator.time) {
        samples_.clear();  // moved while the clock stood: placed by hand, with no speed
    }
    samples_.push_back({position, simulator.time});
    if (samples_.size() > kSmoothingTicks + 1) {
        samples_.pop_front();
    }
    SimState& s = body_->state;
    s.position = position;
    s.velocity = Pointer_Velocity();
    s.time = simulator.time;
    s.stretch_forward = true;
    // Stretched along the way it is carried, as it would be flying so.
    SimObject::Orient_To_Motion(s, body_->max_stretch, body_->stretch_rate, simulator.gravity);
    body_->new_state = s;
}

void BodyGrab::Let_Go() {
    body_->state.mode = SimMode::Free;  // placed and turned along its velocity already
    body_->new_state = body_->state;
    Drop();
}

Vector3d BodyGrab::Pointer_Velocity() const {
    const Sample& first = samples_.front();
    const Sample& last = samples_.back();
    const double span = last.time - first.time;
    return span > 0.0 ? (last.position - first.position) * (1.0 / span) : Vector3d();
}
