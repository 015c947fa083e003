// Rays against placed shapes, the hits worked out by hand.
#include "collision/ray_hit.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/shapes.h"

TEST(RayHit, FirstPointInsideAPlacedShapeOrNone) {
    auto box = Make_Box();  // corners +-1
    auto tetrahedron = Tetrahedron_Tables().Build();
    const BodyPose still{};
    // 10 along x, body x turned onto world y, so the box spans 1 along x, 2 along y, 0.5 along z.
    const BodyPose placed{{10, 0, 0}, Quaternion::From_Axis_Angle(90, {0, 0, 1}), {2, 1, 0.5}};
    const double diagonal = 1 / std::sqrt(2.0), third = 1 / std::sqrt(3.0);
    const struct {
        const Polyhedron& shape;
        BodyPose pose;
        Vector3d origin, direction;
        double hit;  // -1: none
    } cases[] = {
        {*box, still, {0, -5, 0}, {0, 1, 0}, 4},
        {*box, still, {0, -5, 1.5}, {0, 1, 0}, -1},                           // passes over it
        {*box, still, {0, -5, 0}, {0, -1, 0}, -1},                            // points away
        {*box, still, {0.5, 0, 0}, {1, 0, 0}, 0},                             // from inside
        {*box, still, {3, -3, 0}, {-diagonal, diagonal, 0}, std::sqrt(8.0)},  // onto an edge
        {*box, placed, {10, -10, 0}, {0, 1, 0}, 8},
        {*box, placed, {10, -10, 0.6}, {0, 1, 0}, -1},
        {*box, placed, {8.5, 0, 0}, {1, 0, 0}, 0.5},
        {*box, placed, {8.5, 2.5, 0}, {1, 0, 0}, -1},
        // Through the slanted face x + y + z = 1 at (1/3, 1/3, 1/3).
        {*tetrahedron, still, {1, 1, 1}, {-third, -third, -third}, 2 / std::sqrt(3.0)},
        {*tetrahedron, still, {1, 1, -0.1}, {-third, -third, -third}, -1},  // below it
    };
    for (const auto& c : cases) {
        const auto hit = Ray_Hit(c.shape, c.pose, c.origin, c.direction);
        EXPECT_NEAR(hit.value_or(-1), c.hit, 1e-12)
            << "from (" << c.origin.x << ", " << c.origin.y << ", " << c.origin.z << ")";
    }
}
