// The walk on random pairs of convex bodies (qhull's hulls of random points, boxes, paddles,
// prisms, tetrahedra; turned, scaled or squashed and stretched) against FCL's GJK distance, and
// the exact brute force where the two disagree and at each pair's first position. Each pair is
// queried from empty slots and, as one body moves in small steps, from the last query's features.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>

#include "collision/body_pair_query.h"
#include "collision/vclip.h"
#include "collision/world_shape.h"
#include "support/approx.h"
#include "support/fcl_oracle.h"
#include "support/hull.h"

namespace {

struct Body {
    ShapeTables tables;
    std::unique_ptr<Polyhedron> polyhedron;
    BodyPose pose;
};

Body Random_Body(TestRandom& random) {
    const int kind = random.Integer(0, 5);
    Body body{kind < 2    ? Random_Hull_Tables(random, random.Integer(4, 24))
              : kind == 2 ? Box_Tables()
              : kind == 3 ? Paddle_Tables()
              : kind == 4 ? Prism_Tables(random.Integer(3, 8))
                          : Tetrahedron_Tables(),
              nullptr,
              {}};
    body.polyhedron = body.tables.Build();
    body.pose.orientation = random.Rotation();
    const double k = random.Uniform(0.45, 1.9);  // squashed and stretched, the volume kept
    body.pose.scale = random.Integer(0, 1) ? Vector3d(k, 1 / std::sqrt(k), 1 / std::sqrt(k))
                                           : random.In_Box(1.35) + Vector3d(1.65, 1.65, 1.65);
    return body;
}

}  // namespace

TEST(VClipOracle, AgreesWithGjkAndTheExactDistanceOnRandomPairs) {
    TestRandom random(20261206);
    const fcl::Transform3d placed = fcl::Transform3d::Identity();
    int apart = 0, touching = 0, near = 0, exact_checks = 0;
    for (int n = 0; n < 1000; ++n) {
        Body a = Random_Body(random), b = Random_Body(random);
        b.pose.position = random.Uniform(0.5, 6.0) * random.On_Unit_Sphere();
        Feature *carried_a = nullptr, *carried_b = nullptr;
        for (int step = 0; step < 6; ++step) {
            b.pose.position += random.In_Box(step > 0 ? 0.05 : 0.0);
            b.pose.orientation =
                Quaternion::From_Axis_Angle(random.Uniform(-3, 3), random.On_Unit_Sphere()) *
                b.pose.orientation;
            const Matrix4d ma = World_Transform(a.pose), mb = World_Transform(b.pose);
            const WorldShape wa(a.tables, ma), wb(b.tables, mb);
            const double size = std::max(wa.size, wb.size);
            const double gjk =
                Fcl_Distance(*Fcl_Convex(a.tables, ma), placed, *Fcl_Convex(b.tables, mb), placed);
            for (bool carry : {false, true}) {
                const std::string trace = random.Trace() + ", pair " + std::to_string(n) +
                                          ", step " + std::to_string(step) +
                                          (carry ? ", carried" : ", from empty slots");
                Feature *empty_a = nullptr, *empty_b = nullptr;
                Vector3d pa, pb, normal;
                const double d = VClip(*a.polyhedron, ma, carry ? carried_a : empty_a, pa,
                                       *b.polyhedron, mb, carry ? carried_b : empty_b, pb, normal);
                ASSERT_FALSE(std::isnan(d)) << trace;
                if (std::fabs(d) < 1e-7 * size || std::fabs(gjk) < 1e-7 * size) {
                    ++near;  // neither answer is trusted to decide contact this close
                    continue;
                }
                if ((d > 0) != (gjk > 0) || (d > 0 && std::fabs(d - gjk) > 1e-7 * d) || step == 0) {
                    ++exact_checks;  // GJK now and then stops short or misjudges contact
                    const double exact = Exact_Distance(wa, wb);
                    ASSERT_EQ(d > 0, exact > 1e-9 * size)
                        << trace << ": walk " << d << ", exact " << exact;
                    EXPECT_NEAR(std::max(d, 0.0), exact, 1e-9 * size) << trace;
                }
                if (d <= 0) {
                    ++touching;
                    continue;
                }
                ++apart;
                // The witnesses lie on the surfaces and are joined by the distance times the unit
                // normal.
                EXPECT_NEAR(wa.Outside(pa), 0.0, 1e-10 * size) << trace;
                EXPECT_NEAR(wb.Outside(pb), 0.0, 1e-10 * size) << trace;
                EXPECT_TRUE(Near(pb - pa, d * normal, 1e-10 * size)) << trace;
                EXPECT_NEAR(normal.Length(), 1.0, 1e-12) << trace;
            }
        }
    }
    std::cout << apart << " apart, " << touching << " touching, " << near << " too near to judge, "
              << exact_checks << " checked exactly\n";
    EXPECT_GT(apart, 4000);  // both outcomes must really occur for the comparison to mean anything
    EXPECT_GT(touching, 2000);
}
