// The closest-feature walk against exact computations on small shapes: for bodies apart, the
// least distance over every vertex-face and edge-edge pair; for every pair, whether some face
// normal or edge cross product separates them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>

#include "collision/random_bodies.h"
#include "collision/vclip.h"
#include "collision/world_shape.h"
#include "support/fcl_oracle.h"

TEST(VClipBruteForce, DistanceIsTheLeastOverAllFeaturePairs) {
    TestRandom random(Oracle_Seed(4321));
    const int cases = Oracle_Cases(1500);
    int disjoint = 0;
    int penetrating = 0;
    double worst_error = 0.0;  // relative to the scene's size
    for (int n = 0; n < cases; ++n) {
        PlacedShape a = Random_Body(random, 12);
        PlacedShape b = Random_Body(random, 12);
        b.pose.position = random.Uniform(0.5, 6.0) * random.On_Unit_Sphere();
        const WorldShape wa(a.tables, a.Transform());
        const WorldShape wb(b.tables, b.Transform());
        const double size = std::max(wa.size, wb.size);
        const std::string trace =
            random.Trace() + ", case " + std::to_string(n) + ", " + a.kind + " and " + b.kind;

        Feature* fa = nullptr;
        Feature* fb = nullptr;
        Vector3d pa;
        Vector3d pb;
        Vector3d normal;
        const double d = VClip(*a.polyhedron, a.Transform(), fa, pa, *b.polyhedron, b.Transform(),
                               fb, pb, normal);
        const double gap = Separating_Gap(wa, wb);
        if (std::fabs(gap) < 1e-9 * size) {
            continue;  // touching to within rounding: either answer is right
        }
        ASSERT_EQ(d > 0.0, gap > 0.0) << trace << ": distance " << d << ", separating gap " << gap;
        if (d <= 0.0) {
            ++penetrating;
            continue;
        }
        ++disjoint;
        const double exact = Brute_Force_Distance(wa, wb);
        worst_error = std::max(worst_error, std::fabs(d - exact) / size);
        EXPECT_NEAR(d, exact, 1e-12 * size) << trace;
        // The separating axes bound the distance from below.
        EXPECT_LE(gap, d + 1e-12 * size) << trace;
    }
    std::cout << disjoint << " disjoint and " << penetrating << " penetrating pairs; worst error "
              << worst_error << " of the size (" << random.Trace() << ", " << cases << " pairs)\n";
    EXPECT_GT(disjoint, cases / 4);
    EXPECT_GT(penetrating, cases / 4);
}
