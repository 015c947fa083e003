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

// Narrow, trying first the halving next to one end of `b` (its good end where `near_good`): when
// the answer lies that close to that end, every halving would move the other end up to it, and
// the one query settles what they would have. Only for what holds over one stretch of the line
// (two convex bodies touching while one moves straight), where the last halving falling beyond
// the change means that every other one does.
template <typename BadAt>
Bracket Narrow_Near(Bracket b, bool near_good, double precision, BadAt bad_at) {
    Bracket last = b;
    double& far = near_good ? last.bad : last.good;
    while (std::fabs(last.bad - last.good) > precision) {
        far = (last.bad + last.good) * 0.5;
    }
    if (far != (near_good ? b.bad : b.good) && bad_at(far) == near_good) {
        return last;
    }
    return Narrow(b, precision, bad_at);
}
