#pragma once

#include <cstdint>

#include "collision/body_pair_query.h"
#include "math/vector3d.h"
#include "sim/contact_timetable.h"

class SimObject;

// The record of one pair of bodies, kept for the whole run. From the pair query it caches the
// closest features, to start the next query from, and the witness data of the last query that
// found the pair apart (the ClosestFeatures part: feature_a, point_a, feature_b, point_b,
// distance, normal, with normal pointing from body_a towards body_b). While the bodies touch it
// also holds the timetable of the cartoon response.
struct Collision : ClosestFeatures {
    Collision(SimObject* a, SimObject* b) : body_a(a), body_b(b) {}

    SimObject* body_a;  // the body with the lower sim_index
    SimObject* body_b;  // the body with the higher sim_index

    bool secondary = false;      // waiting behind another contact of one of its bodies
    bool resting = false;        // a slow impact: at its end, Free bodies of the pair come to rest
    ContactTimetable timetable;  // from when the contact became primary; its end orders the queue
    double impact_speed = 0.0;   // of the deforming body
    double release_speed = 0.0;
    Vector3d spin_axis;       // of the turn made during the contact
    double spin_angle = 0.0;  // total turn during the contact, degrees
};

// The key of a pair, (lower sim_index << 16) | higher sim_index, whichever body is named first.
// Unique while every index is below 65536.
int32_t Pair_Key(const SimObject& a, const SimObject& b);
int32_t Pair_Key(const Collision& c);

// The pair query: places both bodies by their tentative state `new_state` and runs the closest-
// feature walk from the record's cached features. True when the bodies touch or interpenetrate;
// the record's points, distance and normal are then left as they were.
bool Query_Pair(Collision& c);
