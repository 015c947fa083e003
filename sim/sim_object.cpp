#include "sim/sim_object.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "math/angles.h"
#include "math/invariant.h"
#include "sim/collision.h"

SimObject::SimObject(const char* name_) : name(name_) {}

SimObject::~SimObject() = default;

void SimObject::Set_Sim_Index(int index) {
    if (sim_index != -1) {
        std::fprintf(stderr, "SimObject: Attempt to reset sim_index for object %s.\n", name);
        return;
    }
    sim_index = index;
}

void SimObject::Reset(const Vector3d& gravity) {
    state = initial_state;
    if (state.mode == SimMode::Free) {
        Orient_To_Motion(state, max_stretch, stretch_rate, gravity);
    }
    new_state = state;
    collisions.clear();
    support = nullptr;
    leans_on = nullptr;
}

void SimObject::Integrate(double dt, const Vector3d& gravity) {
    new_state = state;
    if (state.mode != SimMode::Free) {
        return;
    }
    new_state.position = (dt * state.velocity + 0.5 * dt * dt * gravity) + state.position;
    new_state.velocity = state.velocity + dt * gravity;
    new_state.time = state.time + dt;
    if (Dot(new_state.velocity, state.velocity) < 0.0) {
        new_state.stretch_forward = !new_state.stretch_forward;
    }
    Orient_To_Motion(new_state, max_stretch, stretch_rate, gravity);
}

void SimObject::Advance_To(double t, const Vector3d& gravity) {
    if (new_state.time == t) {
        return;
    }
    switch (state.mode) {
        case SimMode::Free:
            if (!Held()) {
                Integrate(t - state.time, gravity);
            }
            new_state.time = t;
            break;
        case SimMode::Driven:
            Get_State_At(t, gravity, new_state);
            break;
        case SimMode::Resting:
            // A contact may have moved it as it tried a time; it stays where it came to rest.
            new_state = state;
            break;
        case SimMode::Fixed:
            break;
    }
}

void SimObject::Commit() {
    if (state.mode == SimMode::Free || state.mode == SimMode::Driven) {
        state = new_state;
    }
}

void SimObject::Add_Collision(Collision* c) {
    if (Gives_Way()) {
        collisions.push_front(c);
    }
}

Collision* SimObject::Running_Contact() const {
    for (Collision* c : collisions) {
        if (c->Deforms(*this)) {
            return c;
        }
    }
    return nullptr;
}

bool SimObject::Held() const {
    return Running_Contact() != nullptr;
}

void SimObject::Measure() const {
    reach_ = 0.0;
    box_low_ = Vector3d(1e300, 1e300, 1e300);
    box_high_ = Vector3d(-1e300, -1e300, -1e300);
    for (const PolyVertex& v : polyhedron->vertices) {
        reach_ = std::max(reach_, v.position.Length());
        box_low_ = Vector3d(std::min(box_low_.x, v.position.x), std::min(box_low_.y, v.position.y),
                            std::min(box_low_.z, v.position.z));
        box_high_ =
            Vector3d(std::max(box_high_.x, v.position.x), std::max(box_high_.y, v.position.y),
                     std::max(box_high_.z, v.position.z));
    }
    // Each face, fanned into triangles, with the origin spans tetrahedra whose signed volumes sum
    // to the shape's, wherever the origin lies.
    double six_volume = 0.0;
    for (const PolyFace& f : polyhedron->faces) {
        const Vector3d& p0 = f.vertices[0]->position;
        for (int i = 1; i + 1 < f.vertex_count; ++i) {
            six_volume += Dot(p0, Cross(f.vertices[i]->position, f.vertices[i + 1]->position));
        }
    }
    volume_ = six_volume / 6.0;
    measured_shape_ = polyhedron.get();
}

double SimObject::Reach_Against(const Vector3d& u) const {
    if (reached_shape_ == polyhedron.get() && u == reached_against_ &&
        state.orientation == reached_turn_ && state.scale == reached_scale_) {
        return reach_against_;
    }
    const Vector3d local = state.orientation.Conjugate().Rotate(-u);
    const std::vector<PolyVertex>& vertices = polyhedron->vertices;
    auto along = [&](const PolyVertex& v) {
        return Dot(Scale_Each(v.position, state.scale), local);
    };
    if (reached_shape_ != polyhedron.get() || reached_vertex_ >= vertices.size()) {
        reached_vertex_ = 0;
    }
    const PolyVertex* top = &vertices[reached_vertex_];
    double reach = along(*top);
    double next_best = 0.0;
    for (const PolyVertex* higher = top; higher != nullptr;) {
        top = higher;
        higher = nullptr;
        next_best = -std::numeric_limits<double>::infinity();
        for (const FeatureLink* l = top->links; l != nullptr; l = l->next) {
            const PolyVertex& neighbour = *l->edge->Other_End(top);
            const double value = along(neighbour);
            next_best = std::max(next_best, value);
            if (value > reach) {
                reach = value;
                higher = &neighbour;
            }
        }
    }
    reached_vertex_ = static_cast<std::size_t>(top - vertices.data());
    // A vertex's value is rounded by some ulps of the shape's reach: a neighbour clearly below the
    // top leaves every other vertex clearly below it too, and the top's value the largest asked.
    Measure_Shape();
    const Vector3d& s = state.scale;
    const double clear = 1e-9 * reach_ * std::max({std::fabs(s.x), std::fabs(s.y), std::fabs(s.z)});
    if (!(reach - next_best > clear)) {
        reach = 0.0;
        for (const PolyVertex& v : vertices) {
            reach = std::max(reach, along(v));
        }
    }
    reach = std::max(0.0, reach);
    reached_shape_ = polyhedron.get();
    reached_turn_ = state.orientation;
    reached_scale_ = state.scale;
    reached_against_ = u;
    reach_against_ = reach;
    return reach;
}

const Matrix4d& SimObject::Tentative_Transform() const {
    const SimState& s = new_state;
    if (!transform_known_ || !(s.orientation == placed_.orientation) || s.scale != placed_.scale) {
        placed_ = {s.position, s.orientation, s.scale};
        transform_ = World_Transform(placed_);
        transform_known_ = true;
    } else if (s.position != placed_.position) {
        // A search tries a body at place after place, turned and scaled alike: the linear part
        // stands, and the translation is the position itself.
        placed_.position = s.position;
        transform_.Set_Translation(s.position);
    }
    return transform_;
}

double SimObject::Reach_At_Tentative_State() const {
    Measure_Shape();
    const Vector3d& s = new_state.scale;
    return reach_ * std::max({std::fabs(s.x), std::fabs(s.y), std::fabs(s.z)});
}

double SimObject::Box_Distance_At_Tentative_State(const Vector3d& p) const {
    Measure_Shape();
    const SimState& s = new_state;
    if (!(s.orientation == turn_of_)) {
        turn_of_ = s.orientation;
        turn_ = s.orientation.To_Matrix();
    }
    // In body space, scaled: the box's corner point nearest p, then back to the world.
    const Vector3d w = p - s.position;
    const Matrix4d& r = turn_;
    const Vector3d local(r(0, 0) * w.x + r(1, 0) * w.y + r(2, 0) * w.z,
                         r(0, 1) * w.x + r(1, 1) * w.y + r(2, 1) * w.z,
                         r(0, 2) * w.x + r(1, 2) * w.y + r(2, 2) * w.z);
    auto nearest = [](double v, double scale, double low, double high) {
        const double a = scale * low;
        const double b = scale * high;
        return std::clamp(v, std::min(a, b), std::max(a, b));
    };
    const Vector3d on_box(nearest(local.x, s.scale.x, box_low_.x, box_high_.x),
                          nearest(local.y, s.scale.y, box_low_.y, box_high_.y),
                          nearest(local.z, s.scale.z, box_low_.z, box_high_.z));
    return (local - on_box).Length();
}

double SimObject::Volume() const {
    Measure_Shape();
    const Vector3d& s = initial_state.scale;
    return volume_ * s.x * s.y * s.z;
}

bool SimObject::Remove_Collision(Collision* c) {
    if (Gives_Way()) {
        auto found = std::find(collisions.begin(), collisions.end(), c);
        if (found == collisions.end()) {
            Broken_Invariant("SimObject::Remove_Collision: Collision not in list\n");
        }
        collisions.erase(found);
    }
    return !collisions.empty();
}

void SimObject::Get_State_At(double t, const Vector3d&, SimState& out) {
    out = state;
    out.time = t;
}

void SimObject::Compute_Half_Extent() {
    half_extent = polyhedron ? polyhedron->X_Half_Extent() : 0.0;
}

void SimObject::Orient_To_Motion(SimState& s, double max_stretch, double stretch_rate,
                                 const Vector3d& gravity) {
    const Vector3d axis = s.orientation.Rotate(Vector3d(1.0, 0.0, 0.0));
    Vector3d direction;
    double speed = 0.0;
    if (s.velocity.Vanishes()) {
        // At a standstill the stretch axis hangs along gravity. Its direction is normalised so
        // that the cosine below is a cosine and not a multiple of g.
        direction = gravity;
        direction.Set_Length(1.0);
    } else {
        speed = s.velocity.Length();
        direction = s.velocity * (1.0 / speed);
    }
    if (!s.stretch_forward) {
        direction = -direction;
    }

    Vector3d turn_axis = Cross(axis, direction);
    const double cosine = std::clamp(Dot(axis, direction), -1.0, 1.0);
    const double degrees = std::acos(cosine) * kDegreesPerRadian;
    if (!turn_axis.Vanishes()) {
        turn_axis.Set_Length(1.0);
        s.orientation = Quaternion::From_Axis_Angle(degrees, turn_axis) * s.orientation;
    }

    const double k = Stretch_Factor(speed, max_stretch, stretch_rate);
    const double across = 1.0 / std::sqrt(k);
    s.scale = Vector3d(k, across, across);
}

double SimObject::Stretch_Factor(double speed, double max_stretch, double stretch_rate) {
    return (speed * max_stretch * stretch_rate + 1.0) / (speed * stretch_rate + 1.0);
}
