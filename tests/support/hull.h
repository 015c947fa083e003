#pragma once

#include "support/random.h"
#include "support/shapes.h"

// The convex hull of `point_count` random points on the unit sphere, built by qhull (an
// independent hull builder) as triangles wound counter-clockwise seen from outside.
ShapeTables Random_Hull_Tables(TestRandom& random, int point_count);
