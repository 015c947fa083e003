#include "sim/tovrel.h"

#include <algorithm>
#include <cstdio>

#include "math/invariant.h"
#include "sim/cartoon_response.h"
#include "sim/sim_object.h"

namespace {

// The bisection narrows a first contact down to this many seconds.
constexpr double kContactTimePrecision = 0.001;

}  // namespace

void Tovrel::Add_Object(SimObject* body, bool make_active) {
    if (body->sim_index != -1) {
        std::fprintf(stderr, "Tovrel::Add_Object: Object %s already in\n", body->name);
        return;
    }
    if (time >= 0.0) {
        std::fprintf(stderr, "Tovrel::Add_Object: Cannot add object %s after sim has started\n",
                     body->name);
        return;
    }
    body->Set_Sim_Index(static_cast<int>(objects.size()));
    objects.push_back(body);
    if (make_active) {
        active_objects.push_back(body);
    }
}

void Tovrel::Deactivate_Object(SimObject* body) {
    auto found = std::find_if(active_objects.begin(), active_objects.end(),
                              [&](const SimObject* b) { return b->sim_index == body->sim_index; });
    if (found != active_objects.end()) {
        active_objects.erase(found);
    }
}

void Tovrel::Activate_Object(SimObject* body) {
    const int i = body->sim_index;
    if (i < 0 || i >= static_cast<int>(objects.size()) || objects[i] != body) {
        std::fprintf(stderr, "Tovrel::Activate_Object: Object %s not in sim\n", body->name);
        return;
    }
    const bool active =
        std::any_of(active_objects.begin(), active_objects.end(),
                    [&](const SimObject* b) { return b->sim_index == body->sim_index; });
    if (!active) {
        active_objects.push_back(body);
    }
}

bool Tovrel::Reset() {
    for (SimObject* body : objects) {
        body->Reset(gravity);
    }
    contacts.clear();
    contact_queue.Clear();
    // The closest features carry over, to start the next queries beside their answers; the last
    // separation does not describe the bodies put back, so no contact may go by its normal.
    pair_table.For_Each([](Collision& c) { c.normal = Vector3d(); });
    near_records_.clear();
    time = 0.0;
    return true;
}

bool Tovrel::Step(double dt) {
    const double target = time + dt;
    if (time < 0.0) {
        std::fprintf(stderr, "Simulator not initialized\n");
        return false;
    }
    reach_ = dt;
    broad_phase_.Check_Placements();
    while (time < target) {
        std::vector<Collision*> found;
        const bool ending = !contact_queue.Empty() && contact_queue.Top()->timetable.End() < target;
        const double next = ending ? contact_queue.Top()->timetable.End() : target;
        if (Advance_To_Event(next, found) > 0) {
            Process_New_Collisions(found);
        } else if (ending) {
            End_Contact();
        }
    }
    return true;
}

void Tovrel::Advance_All(double t) {
    for (SimObject* body : active_objects) {
        body->Advance_To(t, gravity);
    }
    for (auto& [key, c] : contacts) {
        if (!c->secondary) {
            Update_Contact(*c, t, gravity);
        }
    }
}

int Tovrel::Find_New_Collisions(std::vector<Collision*>& found) {
    int count = 0;
    near_records_.clear();
    for (const NearPair& near : broad_phase_.Near_Pairs(active_objects, reach_)) {
        Collision* c =
            &pair_table.Record_Of(*active_objects[near.first], *active_objects[near.second]);
        near_records_.push_back(c);
        if (contacts.count(Pair_Key(*c)) != 0) {
            continue;
        }
        if (Query_Pair(*c)) {
            if (count == 0) {
                found.clear();
            }
            found.push_back(c);
            ++count;
        }
    }
    return count;
}

int Tovrel::Advance_To_Event(double t, std::vector<Collision*>& found) {
    Advance_All(t);
    // A contact that ends the moment it starts (bodies already moving apart) may leave them
    // touching still. Searched again at that same moment, it would be found again, and with a
    // second contact waiting the two would take turns for ever without the clock moving: new
    // contacts are only looked for once time has passed.
    if (t > time && Find_New_Collisions(found) > 0) {
        // Interpenetration at t: bisect back to the first contact. The clock moves forward with
        // the bisection, but nothing is committed until the final probe, so every probe rebuilds
        // the tentative states from the last committed ones.
        double hi = t;
        while (hi - time > kContactTimePrecision) {
            const double mid = (hi + time) * 0.5;
            Advance_All(mid);
            if (Find_New_Collisions(found) > 0) {
                hi = mid;
            } else {
                time = mid;
            }
        }
        t = hi;
        Advance_All(t);
    }
    time = t;
    for (SimObject* body : active_objects) {
        body->Commit();
    }
    return static_cast<int>(found.size());
}

void Tovrel::Process_New_Collisions(const std::vector<Collision*>& found) {
    for (Collision* c : found) {
        Give_Direction_If_Unknown(*c);
        c->secondary = false;
        contacts[Pair_Key(*c)] = c;
        if (c->body_a->Add_Collision(c)) {
            c->secondary = true;
        }
        if (c->body_b->Add_Collision(c)) {
            if (c->secondary) {
                Broken_Invariant("Tovrel::Process_New_Collisions: Secondary twice\n");
            }
            c->secondary = true;
        }
        if (!c->secondary) {
            Make_Primary(c);
        }
    }
}

void Tovrel::End_Contact() {
    Collision* c = contact_queue.Top();
    if (on_separation != nullptr) {
        on_separation(c, on_separation_user);
    }
    if (c->resting) {
        for (SimObject* body : {c->body_a, c->body_b}) {
            if (body->state.mode == SimMode::Free) {
                body->state.mode = SimMode::Resting;
            }
        }
    }
    contacts.erase(Pair_Key(*c));
    contact_queue.Pop();
    // A contact goes by the normal and point of its pair's last separated query. The push-out
    // leaves the bodies just apart, so their separation now is asked for and kept: a next contact
    // of the pair, found a moment later with the bodies never apart at any probe between (a
    // paddle catching up with the ball), would otherwise go by where they met before, perhaps
    // far away, and push the ball out along a way that no longer leads out of the other body
    // the short way (through the paddle's end, into a wall).
    Query_Pair(*c);

    // Each body left with only waiting contacts would stay frozen: its newest one takes over. A
    // body may already have a primary contact left (one that a partner promoted), and then needs
    // none; so no record is ever queued twice.
    for (SimObject* body : {c->body_a, c->body_b}) {
        if (!body->Remove_Collision(c)) {
            continue;
        }
        const bool has_primary = std::any_of(body->collisions.begin(), body->collisions.end(),
                                             [](const Collision* k) { return !k->secondary; });
        if (!has_primary) {
            Collision* next = body->collisions.front();
            // It has its normal from when it was found, and the body has been moved since, kept
            // out of the other most often, but not always: it goes by where they are.
            Take_Current_Direction(*next);
            next->secondary = false;
            Make_Primary(next);
        }
    }
}

void Tovrel::Make_Primary(Collision* c) {
    if (on_collision != nullptr) {
        on_collision(c, on_collision_user);
    }
    Start_Response(*c, time);
    contact_queue.Push(c);
}
