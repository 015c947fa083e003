#pragma once

#include <memory>
#include <string>

#include "collision/body_pair_query.h"
#include "support/random.h"
#include "support/shapes.h"

// A convex body for the cross-checks: its tables (for the oracles), its polyhedron (for the walk)
// and its pose, deformation included.
struct PlacedShape {
    std::string kind;
    ShapeTables tables;
    std::unique_ptr<Polyhedron> polyhedron;
    BodyPose pose;

    Matrix4d Transform() const { return World_Transform(pose); }
};

// One of: a hull of 4 to `max_hull_points` random points on the unit sphere, the unit box, the
// paddle, a prism of 3 to 8 sides, the tetrahedron; turned at random and either scaled per axis
// (0.3 to 3) or squashed and stretched with the volume kept, (k, 1/sqrt(k), 1/sqrt(k)).
PlacedShape Random_Body(TestRandom& random, int max_hull_points);

// A turn of at most `degrees` about a random axis, and a move of at most `step` along each axis.
void Nudge(BodyPose& pose, TestRandom& random, double step, double degrees);
