// Sweeps queried from empty slots and from the last query's features: random convex pairs (qhull's
// hulls, boxes, paddles, tetrahedra; turned, scaled, squashed) moved in small steps, against FCL's
// GJK and, where GJK disagrees and at each pair's start, an exact reference; and tiny gaps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "collision/body_pair_query.h"
#include "collision/vclip.h"
#include "math/angles.h"
#include "support/approx.h"
#include "support/fcl_oracle.h"
#include "support/hull.h"

namespace {

// A shape placed in the world from its tables alone, without the polyhedron's features.
struct WorldShape {
    WorldShape(const ShapeTables& tables, const Matrix4d& transform) {
        for (size_t i = 0; i < tables.coordinates.size(); i += 3) {
            const double* c = &tables.coordinates[i];
            corners.push_back(transform.Transform_Point({c[0], c[1], c[2]}));
        }
        auto corner = tables.face_indices.begin();
        for (int n : tables.face_sizes) {
            Vector3d normal;  // Newell's: the area-weighted normal of the whole loop
            auto& loop = sides.emplace_back();
            for (int k = 0; k < n; ++k) {
                loop.emplace_back(corners[corner[k]], corners[corner[(k + 1) % n]]);
                normal += Cross(loop.back().first, loop.back().second);
            }
            corner += n;
            normal.Set_Length(1.0);
            planes.emplace_back(normal, -Dot(normal, loop[0].first));
        }
    }
    double Outside(const Vector3d& p) const {  // the largest height: 0 on the surface
        double largest = -1e300;
        for (const auto& [normal, offset] : planes)
            largest = std::max(largest, Dot(normal, p) + offset);
        return largest;
    }
    // The distance from p, over every face: its height where its foot falls inside, else to a side.
    double Distance(const Vector3d& p) const {
        double best = 1e300;
        for (size_t f = 0; f < sides.size(); ++f) {
            const auto& [normal, offset] = planes[f];
            bool over = true;
            for (const auto& [a, b] : sides[f]) {
                over = over && Dot(Cross(b - a, p - a), normal) >= 0.0;
                const double t = std::clamp(Dot(p - a, b - a) / Dot(b - a, b - a), 0.0, 1.0);
                best = std::min(best, (a + t * (b - a) - p).Length());
            }
            best = over ? std::min(best, std::fabs(Dot(normal, p) + offset)) : best;
        }
        return best;
    }

    std::vector<Vector3d> corners;
    std::vector<std::vector<std::pair<Vector3d, Vector3d>>> sides;  // of each face, in order
    std::vector<std::pair<Vector3d, double>> planes;  // normal . p + offset is 0 on the face
};

// Exactly: from the origin to qhull's hull of the differences of the corners, 0 inside it.
double Exact_Distance(const WorldShape& a, const WorldShape& b) {
    std::vector<double> differences;
    for (const Vector3d& p : a.corners) {
        for (const Vector3d& q : b.corners) {
            differences.insert(differences.end(), {p.x - q.x, p.y - q.y, p.z - q.z});
        }
    }
    const WorldShape hull(Hull_Tables(std::move(differences)), Matrix4d());
    return hull.Outside({0, 0, 0}) <= 0.0 ? 0.0 : hull.Distance({0, 0, 0});
}

std::pair<ShapeTables, BodyPose> Random_Body(TestRandom& random) {
    const int kind = random.Integer(0, 4);
    const double k = random.Uniform(0.45, 1.9);  // squashed and stretched, the volume kept
    const Vector3d scale = random.Integer(0, 1) ? Vector3d(k, 1 / std::sqrt(k), 1 / std::sqrt(k))
                                                : random.In_Box(1.35) + Vector3d(1.65, 1.65, 1.65);
    return {kind < 2    ? Random_Hull_Tables(random, random.Integer(4, 24))
            : kind == 2 ? Box_Tables()
            : kind == 3 ? Paddle_Tables()
                        : Tetrahedron_Tables(),
            {{}, random.Rotation(), scale}};
}

// Where a feature sits in its polyhedron: the same for the same feature of two builds of a shape.
std::pair<FeatureKind, long> Place(const Polyhedron& p, const Feature* f) {
    return {f->kind,
            f->kind == FeatureKind::Vertex ? static_cast<const PolyVertex*>(f) - &p.vertices[0]
            : f->kind == FeatureKind::Edge ? static_cast<const PolyEdge*>(f) - &p.edges[0]
                                           : static_cast<const PolyFace*>(f) - &p.faces[0]};
}

}  // namespace

// A pair queried once, then as if four billion times (its stamps where 32 bits would wrap): the
// world values cached long ago must never pass for current. Queried at random poses side by side
// with a pair whose stamps are still small, it ends at the same features and the same distance.
TEST(VClipStamps, PastFourBillionQueriesAPairStillAgreesWithAFreshOne) {
    TestRandom random(20261207);
    int disagreements = 0;
    for (int n = 0; n < 500; ++n) {
        auto [tables_a, pose_a] = Random_Body(random);
        auto [tables_b, pose_b] = Random_Body(random);
        const std::unique_ptr<Polyhedron> pairs[2][2] = {{tables_a.Build(), tables_b.Build()},
                                                         {tables_a.Build(), tables_b.Build()}};
        Feature* slots[2][2] = {};
        for (int query = 0; query < 3; ++query) {  // one before the planted stamps, two after
            pose_a.orientation = random.Rotation();
            pose_b.orientation = random.Rotation();
            pose_b.position = random.At_Distance(0.5, 6.0);
            const Matrix4d ma = World_Transform(pose_a), mb = World_Transform(pose_b);
            double d[2];
            for (int p = 0; p < 2; ++p) {
                Vector3d pa, pb, normal;
                d[p] = VClip(*pairs[p][0], ma, slots[p][0], pa, *pairs[p][1], mb, slots[p][1], pb,
                             normal);
            }
            disagreements += d[0] != d[1] ||
                             Place(*pairs[0][0], slots[0][0]) != Place(*pairs[1][0], slots[1][0]) ||
                             Place(*pairs[0][1], slots[0][1]) != Place(*pairs[1][1], slots[1][1]);
            if (query == 0) {
                pairs[0][0]->stamp = pairs[0][1]->stamp = 0xFFFFFFFFu;
            }
        }
    }
    EXPECT_EQ(disagreements, 0) << random.Trace();
}

TEST(VClipOracle, AgreesWithGjkAndTheExactDistanceOnRandomPairs) {
    TestRandom random(20261206);
    const fcl::Transform3d placed = fcl::Transform3d::Identity();
    int apart = 0, cases = 0;  // a sweep that never meets one of the outcomes tests nothing of it
    for (int n = 0; n < 1000; ++n) {
        auto [tables_a, pose_a] = Random_Body(random);
        auto [tables_b, pose_b] = Random_Body(random);
        const auto polyhedron_a = tables_a.Build(), polyhedron_b = tables_b.Build();
        pose_b.position = random.At_Distance(0.5, 6.0);
        Feature *carried_a = nullptr, *carried_b = nullptr;
        for (int step = 0; step < 6; ++step) {
            pose_b.position += random.In_Box(step > 0 ? 0.05 : 0.0);
            pose_b.orientation = random.Rotation(-3, 3) * pose_b.orientation;
            const Matrix4d ma = World_Transform(pose_a), mb = World_Transform(pose_b);
            const WorldShape wa(tables_a, ma), wb(tables_b, mb);
            const double gjk =
                Fcl_Distance(*Fcl_Convex(tables_a, ma), placed, *Fcl_Convex(tables_b, mb), placed);
            double exact = -1.0;  // worked out once a step, if needed
            for (bool carry : {false, true}) {
                Feature *empty_a = nullptr, *empty_b = nullptr;
                Vector3d pa, pb, normal;
                const double d = VClip(*polyhedron_a, ma, carry ? carried_a : empty_a, pa,
                                       *polyhedron_b, mb, carry ? carried_b : empty_b, pb, normal);
                const std::string trace = random.Trace() + ", pair " + std::to_string(n) +
                                          ", step " + std::to_string(step) +
                                          (carry ? ", carried, GJK " : ", GJK ") +
                                          std::to_string(gjk);
                ASSERT_FALSE(std::isnan(d)) << trace;
                if (std::fabs(d) < 1e-6 || std::fabs(gjk) < 1e-6) {
                    continue;  // neither answer is trusted to decide contact this close
                }
                apart += d > 0, ++cases;
                // GJK now and then stops short or misjudges contact: the brute force decides.
                if ((d > 0) != (gjk > 0) || (d > 0 && std::fabs(d - gjk) > 1e-7 * d) || step == 0) {
                    exact = exact < 0.0 ? Exact_Distance(wa, wb) : exact;
                    ASSERT_NEAR(std::max(d, 0.0), exact, 1e-8) << trace;
                }
                if (d > 0) {  // the witnesses on the surfaces, d apart along the unit normal
                    EXPECT_NEAR(wa.Outside(pa), 0.0, 1e-9) << trace;
                    EXPECT_NEAR(wb.Outside(pb), 0.0, 1e-9) << trace;
                    EXPECT_TRUE(Near(pb - pa, d * normal, 1e-9)) << trace;
                    EXPECT_NEAR(normal.Length(), 1.0, 1e-12) << trace;
                }
            }
        }
    }
    EXPECT_GE(apart, cases / 5) << "of " << cases << " cases too few apart";
    EXPECT_GE(cases - apart, cases / 5) << "of " << cases << " cases too few in contact";
}

// A corner on a face, an edge across an edge, the stack tilted, boxes 0.01 to 1000 across: never a
// NaN, the sign right wherever the gap exceeds 1e-12 times the size (g++ builds loop now and then).
TEST(VClipNearTouching, StackedBoxesKeepTheSignOfTinyGaps) {
    TestRandom random(1);
    const auto lower_box = Make_Box(), upper_box = Make_Box();
    std::vector<double> gaps;  // from apart to overlapping, as a falling body meets another
    for (int i = 10; i >= -10; --i) {
        gaps.insert(gaps.end(), {i * 1e-16, i * 1e-5, std::copysign(std::pow(10, -5 - abs(i)), i)});
    }
    // Turned about (1, -1, 0) by acos(1 / sqrt(3)), the corner (-1, -1, -1) points straight down.
    const Quaternion corner_down = Quaternion::From_Axis_Angle(
        std::acos(1 / std::sqrt(3.0)) * kDegreesPerRadian, Vector3d(1, -1, 0) * std::sqrt(0.5));
    const double sizes[] = {0.01, 0.25, 0.5, 10.0, 1000.0};
    Quaternion tilt, spin;
    for (int run = 0; run < 4 * 2 * 25; ++run) {  // 4 tilts, 2 contacts, 25 pairs of sizes
        if (run % 50 == 0 && run > 0) {
            tilt = random.Rotation();
            spin = Quaternion::From_Axis_Angle(random.Uniform(0, 90), {0, 0, 1});
        }
        const bool edges = run / 25 % 2;
        const double below = sizes[run / 5 % 5], above = sizes[run % 5];
        const double reach = edges ? std::sqrt(2.0) : 1.0;
        auto tilted = [&tilt](double height, const Quaternion& turn, double size) {
            return World_Transform({tilt.Rotate({0, 0, height}), tilt * turn, {size, size, size}});
        };
        // The lower box's top edge (along x) or face at height 0, the upper box's lowest edge
        // (along y, spun) or corner `gap` above it.
        const Matrix4d lower =
            tilted(-below * reach, Quaternion::From_Axis_Angle(edges ? 45 : 0, {1, 0, 0}), below);
        Feature *carried_a = nullptr, *carried_b = nullptr;
        for (double gap : gaps) {
            const Matrix4d upper = tilted(
                gap + above * (edges ? reach : std::sqrt(3.0)),
                spin * (edges ? Quaternion::From_Axis_Angle(45, {0, 1, 0}) : corner_down), above);
            for (bool carry : {false, true}) {
                Feature *empty_a = nullptr, *empty_b = nullptr;
                Vector3d pa, pb, normal;
                const double d = VClip(*lower_box, lower, carry ? carried_a : empty_a, pa,
                                       *upper_box, upper, carry ? carried_b : empty_b, pb, normal);
                ASSERT_FALSE(std::isnan(d + pa.x + pb.x + normal.x))
                    << "run " << run << ", " << gap;
                ASSERT_TRUE(std::fabs(gap) <= 1e-12 * std::max(below, above) ||
                            (d > 0) == (gap > 0))
                    << random.Trace() << ", run " << run << ", gap " << gap
                    << (carry ? ", carried" : "") << ": the sign of distance " << d;
            }
        }
    }
}
