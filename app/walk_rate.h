#pragma once

#include "sim/pair_records.h"

class Tovrel;

// The walk's pair queries per tick and state tests per query, taken whenever the view draws: the
// queries since the last frame over the ticks the simulated clock moved meanwhile. The figures
// stay while the clock stands still (Stop) or goes back (Reset).
class WalkRate {
public:
    void Update(const Tovrel& sim);
    double Queries_Per_Tick() const { return queries_per_tick_; }
    double Tests_Per_Query() const { return tests_per_query_; }

private:
    double time_ = -1.0;  // the clock when the figures were last taken
    WalkCounter walk_;
    double queries_per_tick_ = 0.0;
    double tests_per_query_ = 0.0;
};
