#pragma once

#include <string>
#include <vector>

class Polyhedron;
class SimObject;
class Tovrel;
struct Collision;
struct Feature;

// What the closest-feature walk keeps between one body and the others, read for display. These
// read the pair records and nothing else: they never run a query, so they change no feature
// cache, stamp or counter.

// The records of `body` that describe it now: those of its pairs with other active bodies that
// the last detection pass asked about, and those of its contacts, in the activation order of the
// other body. A pair far apart is not asked, nor one of two bodies that give way while its last
// gap shows it still apart, so its record (if it has one) says where the bodies were when last
// asked, and is left out. None while `body` is not active.
std::vector<const Collision*> Records_Of(const Tovrel& sim, const SimObject& body);

// The record of Records_Of(sim, body) with the smallest gap, a pair in contact counting as 0;
// null when there is none.
const Collision* Nearest_Record(const Tovrel& sim, const SimObject& body);

// "vertex 3", "edge 12", "face 1": a feature by its kind and its index in the polyhedron's list of
// that kind; "none" for an empty slot.
std::string Feature_Label(const Polyhedron& shape, const Feature* feature);

// The walk's work since the last Take (or since construction), from its global counters.
class WalkCounter {
public:
    struct Work {
        unsigned long queries;   // pair queries
        double tests_per_query;  // state tests per query among them; 0 without a query
    };
    WalkCounter();
    Work Take();

private:
    unsigned long queries_;
    unsigned long tests_;
};
