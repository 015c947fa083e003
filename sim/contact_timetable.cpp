#include "sim/contact_timetable.h"

#include <cmath>

#include "math/angles.h"

double ContactTimetable::Scale_At(double t) const {
    const double tau = t - start_time;
    // A release of no time is over the moment the squash is: a body whose phases take no time
    // is never left squashed.
    if (release_time == 0.0 && tau >= squash_time) {
        return release_stretch;
    }
    if (Phase_At(t) == Phase::Squash) {
        if (squash_time == 0.0) {
            return squash_scale;
        }
        return impact_stretch -
               std::sin(tau * kHalfPi / squash_time) * (impact_stretch - squash_scale);
    }
    if (release_time == 0.0) {
        return release_stretch;
    }
    return release_stretch - std::cos((tau - squash_time) * kHalfPi / release_time) *
                                 (release_stretch - squash_scale);
}
