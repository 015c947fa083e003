#pragma once

#include <fcl/geometry/shape/convex.h>

#include "support/shapes.h"

// FCL's GJK, the independent oracle of the closest-feature walk. FCL places shapes by rigid
// transforms only, so the whole world transform of a test shape is baked into its vertices.
std::shared_ptr<fcl::Convexd> Fcl_Convex(const ShapeTables& tables, const Matrix4d& transform);

// GJK distance (the independent solver, to 1e-12); negative for shapes that collide.
double Fcl_Distance(const fcl::Convexd& a, const fcl::Transform3d& ta, const fcl::Convexd& b,
                    const fcl::Transform3d& tb);
