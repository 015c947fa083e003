#pragma once

#include "collision/walk_side.h"

// The part [lambda_min, lambda_max] of a segment (0 at its tail, 1 at its head) that lies inside a
// Voronoi region, and the neighbours through which the segment leaves the region below
// lambda_min and above lambda_max (null while the segment's own end bounds the interval).
template <typename Neighbour>
struct ClipInterval {
    double lambda_min = 0.0;
    double lambda_max = 1.0;
    Neighbour n_min = nullptr;
    Neighbour n_max = nullptr;

    // Narrows the interval by one plane of the region whose values at the segment's tail and head
    // are at_tail and at_head (positive inside), with `beyond` on its far side. A plane that both
    // ends lie on the same side of leaves the interval as it is. True when this plane made the
    // interval empty.
    bool Narrow(double at_tail, double at_head, Neighbour beyond) {
        if (at_tail < 0.0 && at_head >= 0.0) {
            const double lambda = Crossing(at_tail, at_head);
            if (lambda > lambda_min) {
                lambda_min = lambda;
                n_min = beyond;
                return lambda_min > lambda_max;
            }
        } else if (at_tail >= 0.0 && at_head < 0.0) {
            const double lambda = Crossing(at_tail, at_head);
            if (lambda < lambda_max) {
                lambda_max = lambda;
                n_max = beyond;
                return lambda_max < lambda_min;
            }
        }
        return false;
    }
};
