#pragma once

#include <cmath>

// Two values of a parameter searched along a line (a distance, a share of the way): one where
// what is wanted holds, one where it does not.
struct Bracket {
    double good;
    double bad;
};

// Halves `b` until its ends lie within `precision`, keeping `bad_at(k)` true at its bad end and
// false at its good one. Every search of the response narrows its last step with it.
template <typename BadAt>
Bracket Narrow(Bracket b, double precision, BadAt bad_at) {
    while (std::fabs(b.bad - b.good) > precision) {
        const double mid = (b.bad + b.good) * 0.5;
        (bad_at(mid) ? b.bad : b.good) = mid;
    }
    return b;
}
