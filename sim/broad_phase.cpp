#include "sim/broad_phase.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <numeric>

#include "geometry/polyhedron.h"
#include "sim/sim_object.h"

namespace {

// World units every box is grown by: far beyond the rounding of placing a shape.
constexpr double kBoundMargin = 0.01;
// A moving body's box is grown by this much of its own size besides: its shape changes from one
// probe to the next (a squash widens it across as it flattens it), which speed does not measure.
constexpr double kShapeChange = 0.5;

// Whether a contact of two moving bodies of these modes could do something: one is Free, or a
// Driven body meets a Resting one (which it may knock away).
constexpr auto Pairs_With = [](SimMode a, SimMode b) {
    return a == SimMode::Free || b == SimMode::Free ||
           (a == SimMode::Resting && b == SimMode::Driven) ||
           (a == SimMode::Driven && b == SimMode::Resting);
};

Box Everywhere() {
    return {{-DBL_MAX, -DBL_MAX, -DBL_MAX}, {DBL_MAX, DBL_MAX, DBL_MAX}};
}

// A moving body's box as grown for its speed and change of shape.
constexpr auto kGrownBox = [](const auto& moving) -> const Box& { return moving.box; };

template <typename T>
T& Slot(std::vector<T>& by_index, int index) {
    if (index >= static_cast<int>(by_index.size())) {
        by_index.resize(index + 1);
    }
    return by_index[index];
}

}  // namespace

Box BroadPhase::Bound(const SimObject& body, double grow, double grow_by_size, double* grown) {
    BodyBox& own = Slot(body_boxes_, body.sim_index);
    const Polyhedron* shape = body.polyhedron.get();
    if (grown != nullptr) {
        *grown = 0.0;  // where the box is everywhere
    }
    if (shape == nullptr || shape->vertices.empty()) {
        return Everywhere();
    }
    if (own.shape != shape) {
        double lo[3] = {DBL_MAX, DBL_MAX, DBL_MAX};
        double hi[3] = {-DBL_MAX, -DBL_MAX, -DBL_MAX};
        for (const PolyVertex& v : shape->vertices) {
            const double p[3] = {v.position.x, v.position.y, v.position.z};
            for (int k = 0; k < 3; ++k) {
                lo[k] = std::min(lo[k], p[k]);
                hi[k] = std::max(hi[k], p[k]);
            }
        }
        for (int k = 0; k < 3; ++k) {
            own.centre[k] = 0.5 * (lo[k] + hi[k]);
            own.half[k] = 0.5 * (hi[k] - lo[k]);
        }
        own.shape = shape;
    }
    const Matrix4d& m = body.Tentative_Transform();
    const double det = m(0, 0) * (m(1, 1) * m(2, 2) - m(1, 2) * m(2, 1)) -
                       m(0, 1) * (m(1, 0) * m(2, 2) - m(1, 2) * m(2, 0)) +
                       m(0, 2) * (m(1, 0) * m(2, 1) - m(1, 1) * m(2, 0));
    if (!std::isnormal(det)) {
        return Everywhere();
    }
    double centre[3];
    double half[3];
    for (int k = 0; k < 3; ++k) {
        centre[k] = m(k, 3);
        half[k] = 0.0;
        for (int j = 0; j < 3; ++j) {
            centre[k] += m(k, j) * own.centre[j];
            half[k] += std::fabs(m(k, j)) * own.half[j];
        }
    }
    grow += grow_by_size * std::max({half[0], half[1], half[2]});
    Box box;
    for (int k = 0; k < 3; ++k) {
        box.lo[k] = centre[k] - half[k] - grow;
        box.hi[k] = centre[k] + half[k] + grow;
        if (!std::isfinite(box.lo[k]) || !std::isfinite(box.hi[k])) {
            return Everywhere();
        }
    }
    if (grown != nullptr) {
        *grown = grow;
    }
    return box;
}

bool BroadPhase::Refile(const SimObject& body) {
    Still& still = Slot(still_, body.sim_index);
    const SimState& s = body.new_state;
    if (Slot(filed_, body.sim_index) && still.shape == body.polyhedron.get() &&
        still.position == s.position && still.orientation == s.orientation &&
        still.scale == s.scale) {
        return false;
    }
    still.position = s.position;
    still.orientation = s.orientation;
    still.scale = s.scale;
    still.shape = body.polyhedron.get();
    still.box = Bound(body, kBoundMargin, 0.0);
    return true;
}

void BroadPhase::File_Still(const std::vector<SimObject*>& active) {
    std::vector<BoxTree::Entry> entries;
    for (const SimObject* body : active) {
        if (body->state.mode == SimMode::Fixed) {
            Refile(*body);
            entries.push_back({still_[body->sim_index].box, body->sim_index});
        }
    }
    std::fill(filed_.begin(), filed_.end(), false);
    for (const BoxTree::Entry& entry : entries) {
        filed_[entry.id] = true;
    }
    filed_count_ = static_cast<int>(entries.size());
    tree_.Build(std::move(entries));
}

template <typename BoxOf, typename Pairs>
void BroadPhase::Sweep(const std::vector<const Moving*>& sweep, BoxOf box_of, Pairs pairs) {
    open_free_.clear();
    open_resting_.clear();
    open_driven_.clear();
    auto pair_with_open = [&](std::vector<const Moving*>& open, const Moving& m) {
        for (size_t k = 0; k < open.size();) {
            if (box_of(*open[k]).hi[0] < box_of(m).lo[0]) {
                open[k] = open.back();
                open.pop_back();
                continue;
            }
            // Open, a box starts no further along x than m's and ends no sooner than m's starts:
            // the two overlap along x, and only height and depth are left to ask.
            const Box& a = box_of(*open[k]);
            const Box& b = box_of(m);
            if (a.lo[2] <= b.hi[2] && b.lo[2] <= a.hi[2] && a.lo[1] <= b.hi[1] &&
                b.lo[1] <= a.hi[1]) {
                near_.push_back({std::min(open[k]->position, m.position),
                                 std::max(open[k]->position, m.position)});
            }
            ++k;
        }
    };
    for (const Moving* m : sweep) {
        if (pairs(m->mode, SimMode::Free)) {
            pair_with_open(open_free_, *m);
        }
        if (pairs(m->mode, SimMode::Resting)) {
            pair_with_open(open_resting_, *m);
        }
        if (pairs(m->mode, SimMode::Driven)) {
            pair_with_open(open_driven_, *m);
        }
        (m->mode == SimMode::Free      ? open_free_
         : m->mode == SimMode::Resting ? open_resting_
                                       : open_driven_)
            .push_back(m);
    }
}

template <typename BoxOf>
void BroadPhase::Sweep_Yielding(BoxOf box_of) {
    sweep_.clear();
    for (const Moving& m : moving_) {
        if (m.mode != SimMode::Driven) {
            sweep_.push_back(&m);
        }
    }
    std::sort(sweep_.begin(), sweep_.end(), [&](const Moving* a, const Moving* b) {
        return box_of(*a).lo[0] < box_of(*b).lo[0];
    });
    Sweep(sweep_, box_of, Pairs_With);
}

const std::vector<NearPair>& BroadPhase::Near_Pairs(const std::vector<SimObject*>& active,
                                                    double reach) {
    near_.clear();
    moving_.clear();
    int still_count = 0;
    bool refile = false;
    for (int i = 0; i < static_cast<int>(active.size()); ++i) {
        const SimObject& body = *active[i];
        Slot(position_, body.sim_index) = i;
        if (body.state.mode == SimMode::Fixed) {
            ++still_count;
            const bool moved = placements_due_ ? Refile(body) : !Slot(filed_, body.sim_index);
            refile = refile || moved;
        } else {
            const double speed =
                std::max(body.state.velocity.Length(), body.new_state.velocity.Length());
            Moving& m = moving_.emplace_back();
            m.box = Bound(body, kBoundMargin + reach * speed, kShapeChange, &m.grown_by);
            m.position = i;
            m.mode = body.state.mode;
            m.sim_index = body.sim_index;
        }
    }
    placements_due_ = false;
    // Every still body of this pass is filed as it stands; with as many filed, no other is.
    if (refile || still_count != filed_count_) {
        File_Still(active);
    }
    // In order of their grown boxes: the bodies within a body's reach are found in this order.
    std::sort(moving_.begin(), moving_.end(),
              [](const Moving& a, const Moving& b) { return a.box.lo[0] < b.box.lo[0]; });
    active_count_ = active.size();
    driven_.clear();
    for (const Moving& m : moving_) {
        if (m.mode == SimMode::Driven) {
            driven_.push_back(&m);
        }
    }
    const auto sweep_all_grown = [this](auto pairs) {
        sweep_.assign(moving_.size(), nullptr);
        for (std::size_t i = 0; i < moving_.size(); ++i) {
            sweep_[i] = &moving_[i];
        }
        Sweep(sweep_, kGrownBox, pairs);
    };
    if (Yielding_Count() < 2) {
        sweep_all_grown(Pairs_With);  // no pair of two bodies that give way to sieve
    } else {
        if (!driven_.empty()) {
            sweep_all_grown([](SimMode a, SimMode b) {
                return (a == SimMode::Driven || b == SimMode::Driven) && Pairs_With(a, b);
            });
        }
        // Grown less all but the margin: within rounding, a box that the margin covers.
        for (Moving& m : moving_) {
            const double less = m.grown_by - kBoundMargin;
            for (int k = 0; k < 3; ++k) {
                m.shape_box.lo[k] = m.box.lo[k] + less;
                m.shape_box.hi[k] = m.box.hi[k] - less;
            }
        }
        Sweep_Yielding([](const Moving& m) -> const Box& { return m.shape_box; });
    }
    for (const Moving& m : moving_) {
        if (m.mode != SimMode::Free) {
            continue;
        }
        tree_.Overlapping(m.box, [&](int sim_index) {
            const int other = position_[sim_index];
            near_.push_back({std::min(other, m.position), std::max(other, m.position)});
        });
    }
    Order_Near(active_count_);
    return near_;
}

const std::vector<std::pair<int, int>>& BroadPhase::Yielding_Pairs_Grown(
    const std::vector<SimObject*>& objects) {
    yielding_grown_.clear();
    if (Yielding_Count() < 2) {
        return yielding_grown_;
    }
    for (Moving& m : moving_) {
        if (m.mode != SimMode::Driven) {
            m.mode = objects[m.sim_index]->state.mode;
        }
    }
    near_.clear();
    Sweep_Yielding(kGrownBox);
    Order_Near(active_count_);
    // The active list may have changed since (a callback deactivates a body): by sim_index.
    sim_index_at_.resize(active_count_);
    for (const Moving& m : moving_) {
        sim_index_at_[m.position] = m.sim_index;
    }
    for (const NearPair& pair : near_) {
        yielding_grown_.emplace_back(sim_index_at_[pair.first], sim_index_at_[pair.second]);
    }
    return yielding_grown_;
}

const std::vector<int>& BroadPhase::Yielding_Beyond_Grown(const std::vector<SimObject*>& objects) {
    beyond_grown_.clear();
    if (Yielding_Count() < 2) {
        return beyond_grown_;  // no pair that a parting could sink into each other
    }
    for (const Moving& m : moving_) {
        if (m.mode == SimMode::Driven) {
            continue;
        }
        if (!Encloses(m.box, Bound(*objects[m.sim_index], 0.0, 0.0))) {
            beyond_grown_.push_back(m.sim_index);
        }
    }
    return beyond_grown_;
}

// Counted out by first position, which runs to the number of active bodies, then each body's
// few sorted by second: one comparison sort of all the pairs took a tenth of the time of a room
// of 256 balls. A few pairs (the game's passes find one or two among some forty bodies) are
// sorted outright: counting them out would pass over every body, a thirtieth of the game's step.
void BroadPhase::Order_Near(std::size_t bodies) {
    constexpr std::size_t kFewPairs = 16;
    if (near_.size() <= kFewPairs) {
        std::sort(near_.begin(), near_.end(), [](const NearPair& a, const NearPair& b) {
            return a.first < b.first || (a.first == b.first && a.second < b.second);
        });
        return;
    }
    next_.assign(bodies + 1, 0);
    for (const NearPair& pair : near_) {
        ++next_[pair.first + 1];
    }
    std::partial_sum(next_.begin(), next_.end(), next_.begin());
    ordered_.resize(near_.size());
    for (const NearPair& pair : near_) {
        ordered_[next_[pair.first]++] = pair;
    }
    auto begin = ordered_.begin();
    for (std::size_t first = 0; first < bodies; ++first) {
        const auto end = ordered_.begin() + next_[first];
        std::sort(begin, end,
                  [](const NearPair& a, const NearPair& b) { return a.second < b.second; });
        begin = end;
    }
    near_.swap(ordered_);
}

void BroadPhase::Bodies_Within(const SimObject& x, double reach, bool unyielding_only,
                               std::vector<int>& found) {
    found.clear();
    const Box box = Bound(x, kBoundMargin + reach, 0.0);
    tree_.Overlapping(box, [&](int sim_index) { found.push_back(sim_index); });
    const auto take = [&](const Moving& m) {
        if (m.sim_index != x.sim_index && Overlap(m.box, box)) {
            found.push_back(m.sim_index);
        }
    };
    if (unyielding_only) {
        for (const Moving* m : driven_) {
            take(*m);
        }
    } else {
        std::for_each(moving_.begin(), moving_.end(), take);
    }
}
