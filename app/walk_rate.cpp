#include "app/walk_rate.h"

#include <algorithm>
#include <cmath>

#include "app/demo_scene.h"
#include "sim/tovrel.h"

void WalkRate::Update(const Tovrel& sim) {
    const WalkCounter::Work work = walk_.Take();
    if (sim.time > time_ && time_ >= 0.0) {
        const double tick = g_fTickPeriod * g_dTimeScale;
        queries_per_tick_ = work.queries / std::max(1.0, std::round((sim.time - time_) / tick));
        tests_per_query_ = work.tests_per_query;
    }
    time_ = sim.time;
}
