#pragma once

#include <memory>
#include <vector>

#include "math/vector3d.h"
#include "sim/collision.h"
#include "sim/contacts.h"
#include "sim/pair_table.h"

class SimObject;

// The simulator. It keeps every body, the active ones that move and collide, gravity, the clock,
// and the contact bookkeeping. `Step` moves the clock from event to event: an event is the end of
// the earliest running contact or the step's target time. Where bodies are found interpenetrating
// at a tried time, the time of first contact is narrowed down by bisection to within
// kContactTimePrecision, the new contacts are processed, and the step goes on from there.
//
// Bodies are added before the first Reset, which builds the pair table and starts the clock at 0;
// bodies that should join later are added inactive and activated when needed. The simulator refers
// to bodies without owning them; it owns the pair table and its records.
class Tovrel {
public:
    // Called with the contact and the user pointer stored beside it.
    using ContactCallback = void (*)(Collision*, void*);

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
    std::unique_ptr<PairTable> pair_table;   // one record per pair, built by the first Reset
    double time = -1.0;                      // seconds; negative until the first Reset
    Vector3d gravity{0.0, 0.0, -9.81};       // acceleration of free bodies, +z up

    ContactCallback on_collision = nullptr;  // a contact becomes primary
    void* on_collision_user = nullptr;
    ContactCallback on_separation = nullptr;  // a primary contact ends
    void* on_separation_user = nullptr;

private:
    // Every active body tries time t; every primary contact rebuilds its bodies for t.
    void Advance_All(double t);
    // Pair queries on every active pair not in contact and not both unmovable; the colliding
    // records replace the contents of `found` (left alone when there are none).
    int Find_New_Collisions(std::vector<Collision*>& found);
    // Moves the clock to t, or to the first contact before it; returns the number of new contacts.
    int Advance_To_Event(double t, std::vector<Collision*>& found);
    void Process_New_Collisions(const std::vector<Collision*>& found);
    void End_Contact();
    void Make_Primary(Collision* c);
};
