#pragma once

#include <vector>

#include "math/vector3d.h"
#include "support/random.h"
#include "support/shapes.h"

// Convex hulls built by qhull, an independent hull builder, as triangle tables wound
// counter-clockwise seen from outside. Points that end up inside the hull are left out.
ShapeTables Hull_Tables(const std::vector<Vector3d>& points);

// The hull of `point_count` random points on the unit sphere.
ShapeTables Random_Hull_Tables(TestRandom& random, int point_count);
