#pragma once

#include "support/random.h"
#include "support/shapes.h"

// The convex hull of points (x, y, z each), built by qhull (an independent hull builder) as
// triangles wound counter-clockwise seen from outside; the points stay the vertex table.
ShapeTables Hull_Tables(std::vector<double> coordinates);

// The hull of `point_count` random points on the unit sphere: every point is one of its corners.
ShapeTables Random_Hull_Tables(TestRandom& random, int point_count);
