#pragma once

#include <fcl/geometry/shape/convex.h>

#include <memory>

#include "math/matrix4d.h"
#include "support/shapes.h"

// FCL's GJK distance between convex polytopes, the independent oracle for the closest-feature
// walk. FCL places shapes by rigid transforms only, so a shape's scale (and, in the tests, its
// whole world transform) is baked into the vertices handed over.

// The shape with every vertex transformed by `transform`.
std::shared_ptr<fcl::Convexd> Fcl_Convex(const ShapeTables& tables, const Matrix4d& transform);

// GJK distance (the independent solver, a tight tolerance) between a placed at pose ta and b at
// pose tb; FCL reports a negative value for shapes that collide.
double Fcl_Distance(const fcl::Convexd& a, const fcl::Transform3d& ta, const fcl::Convexd& b,
                    const fcl::Transform3d& tb);
double Fcl_Distance(const fcl::Convexd& a, const fcl::Convexd& b);

// Whether FCL's GJK finds the two shapes colliding (touching counts).
bool Fcl_Collide(const fcl::Convexd& a, const fcl::Convexd& b);

// Seed and number of cases of the oracle cross-checks; the environment variables
// TOVREL_ORACLE_SEED and TOVREL_ORACLE_CASES override the defaults to replay or widen a run.
unsigned Oracle_Seed(unsigned fallback);
int Oracle_Cases(int fallback);
