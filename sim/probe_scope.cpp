#include "sim/probe_scope.h"

#include <algorithm>

void ProbeScope::Take_All(double t) {
    all_ = true;
    t_ = t;
}

void ProbeScope::Take_Around(const std::vector<SimObject*>& seeds, double t,
                             const ContactMap& contacts, std::size_t bodies) {
    // Where every contact has a body of the event's (the demo's, all of the ball), all are joined.
    bool all_joined = true;
    for (const auto& key_and_contact : contacts) {
        const Collision* c = key_and_contact.second;
        for (const SimObject* x : {c->body_a, c->body_b}) {
            if (c->Deforms(*x) && x->state.time < t - kMaxLag) {
                Take_All(t);
                return;
            }
        }
        all_joined = all_joined && std::any_of(seeds.begin(), seeds.end(), [&](const SimObject* x) {
                         return x->Gives_Way() && (x == c->body_a || x == c->body_b);
                     });
    }
    if (all_joined) {
        Take_All(t);
        return;
    }
    all_ = false;
    joined_.assign(bodies, 0);
    Add(seeds, t, contacts);
}

void ProbeScope::Add(const std::vector<SimObject*>& seeds, double t, const ContactMap& contacts) {
    t_ = t;
    if (all_) {
        return;
    }
    auto join = [this](SimObject* x) {
        if (x->Gives_Way() && !joined_[x->sim_index]) {
            joined_[x->sim_index] = 1;
            to_visit_.push_back(x);
        }
    };
    for (SimObject* x : seeds) {
        join(x);
    }
    while (!to_visit_.empty()) {
        const SimObject* x = to_visit_.back();
        to_visit_.pop_back();
        for (const Collision* c : x->collisions) {
            join(c->body_a);
            join(c->body_b);
        }
    }
    Mark_Lagging(contacts);
}

void ProbeScope::Mark_Lagging(const ContactMap& contacts) {
    lagging_.assign(joined_.size(), 0);
    for (const auto& [key, c] : contacts) {
        if (Joined(*c) || c->rebuilt_for == t_) {
            continue;
        }
        for (const SimObject* x : {c->body_a, c->body_b}) {
            if (c->Deforms(*x)) {
                lagging_[x->sim_index] = 1;
            }
        }
    }
}

void ProbeScope::Forget_Rebuilds(const ContactMap& contacts) const {
    for (const auto& [key, c] : contacts) {
        if (Joined(*c)) {
            c->rebuilt_for = -1.0;
        }
    }
}
