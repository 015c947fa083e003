// The closest-feature walk cross-checked against FCL's GJK distance, an independent algorithm, on
// random pairs of convex polytopes: hulls of random points on a sphere, boxes, paddles, prisms and
// tetrahedra, turned, scaled per axis or squashed and stretched. Each pair is queried from empty
// slots and, while one body moves in small steps, from the features of the previous query.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>

#include "collision/random_bodies.h"
#include "collision/vclip.h"
#include "collision/world_shape.h"
#include "support/fcl_oracle.h"

namespace {

// Where neither answer is trusted to decide contact: closer than this (times the scene's size).
constexpr double kNearTouching = 1e-7;
// Relative agreement of the two distances asked for; FCL is the looser of the two.
constexpr double kAgreement = 1e-7;

struct Outcome {
    double distance;
    Vector3d point_a;
    Vector3d point_b;
    Vector3d normal;
};

Outcome Query(PlacedShape& a, Feature*& fa, PlacedShape& b, Feature*& fb,
              unsigned long& longest_walk) {
    Outcome o{};
    const unsigned long tests_before = vclip_state_test_count;
    o.distance = VClip(*a.polyhedron, a.Transform(), fa, o.point_a, *b.polyhedron, b.Transform(),
                       fb, o.point_b, o.normal);
    longest_walk = std::max(longest_walk, vclip_state_test_count - tests_before);
    return o;
}

struct Tally {
    int disjoint = 0;
    int penetrating = 0;
    int near_touching = 0;
    int oracle_wrong_contact = 0;       // GJK's collision test contradicted by the separating axes
    int oracle_stopped_short = 0;       // GJK above the exact distance, the walk on it
    double worst_relative_error = 0.0;  // where GJK converged
    double worst_witness_error = 0.0;   // relative to the scene's size
    unsigned long longest_walk = 0;
};

// Compares one answer of the walk with the oracle's and adds it to the tally.
void Check(const Outcome& o, const WorldShape& wa, const WorldShape& wb, double fcl_distance,
           bool fcl_collide, Tally& tally, const std::string& trace) {
    ASSERT_FALSE(std::isnan(o.distance)) << trace;
    const double size = std::max(wa.size, wb.size);
    const bool near = std::fabs(o.distance) < kNearTouching * size ||
                      (!fcl_collide && fcl_distance < kNearTouching * size);
    if (near) {
        ++tally.near_touching;
        return;
    }
    if ((o.distance <= 0.0) != fcl_collide) {
        // GJK now and then misses a collision or reports one that is not there; the exact
        // separating-axis test decides who is right.
        const double gap = Separating_Gap(wa, wb);
        EXPECT_EQ(o.distance <= 0.0, gap <= 0.0)
            << trace << ": walk " << o.distance << ", oracle " << fcl_distance
            << (fcl_collide ? " (colliding)" : "") << ", separating gap " << gap;
        ++tally.oracle_wrong_contact;
        return;
    }
    if (o.distance <= 0.0 || fcl_collide) {
        ++tally.penetrating;
        return;
    }
    ++tally.disjoint;
    const double relative = std::fabs(o.distance - fcl_distance) / o.distance;
    if (relative > kAgreement) {
        // GJK's distance is an upper bound that now and then stops short of the minimum; the
        // exact brute force decides who is right.
        const double exact = Brute_Force_Distance(wa, wb);
        const bool oracle_stopped_short =
            fcl_distance > o.distance && std::fabs(exact - o.distance) <= 1e-12 * size;
        EXPECT_TRUE(oracle_stopped_short) << trace << ": walk " << o.distance << ", oracle "
                                          << fcl_distance << ", brute force " << exact;
        ++tally.oracle_stopped_short;
    } else {
        tally.worst_relative_error = std::max(tally.worst_relative_error, relative);
    }

    // The witnesses lie on the surfaces and are joined by distance times the unit normal.
    const double on_a = std::fabs(wa.Outside(o.point_a)) / size;
    const double on_b = std::fabs(wb.Outside(o.point_b)) / size;
    const double joined = (o.point_b - o.point_a - o.distance * o.normal).Length() / size;
    const double witness = std::max({on_a, on_b, joined});
    tally.worst_witness_error = std::max(tally.worst_witness_error, witness);
    EXPECT_LE(witness, 1e-10) << trace << ": points off the surfaces or not joined by the normal";
    EXPECT_NEAR(o.normal.Length(), 1.0, 1e-12) << trace;
}

}  // namespace

TEST(VClipOracle, AgreesWithGjkOnRandomPairsFromEmptyAndCarriedFeatures) {
    TestRandom random(Oracle_Seed(20261206));
    const int cases = Oracle_Cases(1500);
    constexpr int kSteps = 8;  // positions per pair, each a small move from the last
    Tally fresh;
    Tally carried;
    for (int n = 0; n < cases; ++n) {
        PlacedShape a = Random_Body(random, 40);
        PlacedShape b = Random_Body(random, 40);
        b.pose.position = random.Uniform(0.5, 6.0) * random.On_Unit_Sphere();
        Feature* carried_a = nullptr;
        Feature* carried_b = nullptr;
        for (int step = 0; step < kSteps; ++step) {
            if (step > 0) {
                Nudge(b.pose, random, 0.05, 3.0);
            }
            const std::string trace = random.Trace() + ", case " + std::to_string(n) + " step " +
                                      std::to_string(step) + ", " + a.kind + " and " + b.kind;
            const WorldShape wa(a.tables, a.Transform());
            const WorldShape wb(b.tables, b.Transform());
            const auto fa = Fcl_Convex(a.tables, a.Transform());
            const auto fb = Fcl_Convex(b.tables, b.Transform());
            const bool fcl_collide = Fcl_Collide(*fa, *fb);
            const double fcl_distance = fcl_collide ? 0.0 : Fcl_Distance(*fa, *fb);

            Feature* empty_a = nullptr;
            Feature* empty_b = nullptr;
            const Outcome from_empty = Query(a, empty_a, b, empty_b, fresh.longest_walk);
            const Outcome from_last = Query(a, carried_a, b, carried_b, carried.longest_walk);
            Check(from_empty, wa, wb, fcl_distance, fcl_collide, fresh,
                  trace + ", from empty slots");
            Check(from_last, wa, wb, fcl_distance, fcl_collide, carried,
                  trace + ", carried features");
            if (HasFatalFailure()) {
                return;
            }
        }
    }
    for (const auto& [name, t] :
         {std::pair{"from empty slots", fresh}, std::pair{"carried", carried}}) {
        std::cout << name << ": " << t.disjoint << " disjoint, " << t.penetrating
                  << " penetrating, " << t.near_touching
                  << " near-touching; GJK wrong about contact " << t.oracle_wrong_contact
                  << " times, stopped short " << t.oracle_stopped_short
                  << " times; worst relative distance error elsewhere " << t.worst_relative_error
                  << ", worst witness error " << t.worst_witness_error
                  << " (of the size), longest walk " << t.longest_walk << " tests ("
                  << random.Trace() << ", " << cases << " pairs x " << kSteps << " positions)\n";
        // Both outcomes must really occur for the comparison to mean anything.
        EXPECT_GT(t.disjoint, cases);
        EXPECT_GT(t.penetrating, cases);
        EXPECT_LT(t.oracle_stopped_short + t.oracle_wrong_contact, t.disjoint / 100);
    }
}
