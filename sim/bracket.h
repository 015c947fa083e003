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

// Narrow, for what holds over one stretch of the line (two convex bodies touching while one moves
// straight), led by `guess(from)`: where the answer is expected to change, seen from `from`, a
// value known good (NaN where nothing is expected). The halvings down to the guess's last one ask
// nothing; that one's ends are asked, and where the change lies beyond it, the guess from its
// good end leads again. A last halving good at its good end and bad at its bad end is the one that
// Narrow ends in: each halving on the way to it goes the way the answer there would have sent it.
template <typename BadAt, typename Guess>
Bracket Narrow_Guided(Bracket b, double precision, BadAt bad_at, Guess guess) {
    constexpr int kLeads = 3;
    double from = b.good;
    for (int lead = 0; lead < kLeads; ++lead) {
        const double expected = guess(from);
        if (std::isnan(expected)) {
            break;
        }
        Bracket last = b;
        while (std::fabs(last.bad - last.good) > precision) {
            const double mid = (last.bad + last.good) * 0.5;
            ((expected - mid) * (last.good - mid) > 0.0 ? last.bad : last.good) = mid;
        }
        if (last.good != b.good && bad_at(last.good)) {
            break;
        }
        if (last.bad == b.bad || bad_at(last.bad)) {
            return last;
        }
        from = last.bad;
    }
    return Narrow(b, precision, bad_at);
}
