// The closest-feature walk against two GJK solvers on the same pairs of convex shapes. One
// body circles the other in small steps, turning as it goes, so each query finds the pair a
// little moved from the last: the simulator's case. Four ways of answering each query:
//   Coherent  the walk from the features the previous query ended with
//   Fresh     the walk from empty slots every time
//   Bullet    Bullet's GJK, one detector kept for the whole run, so that each query starts from
//             the separating axis of the last (its own way of using coherence)
//   Gjk       FCL's GJK distance, which starts from scratch every time
// The counter tests_per_query is the average number of state tests of the walk per query.
#include <BulletCollision/CollisionShapes/btConvexHullShape.h>
#include <BulletCollision/NarrowPhaseCollision/btGjkEpaPenetrationDepthSolver.h>
#include <BulletCollision/NarrowPhaseCollision/btGjkPairDetector.h>
#include <BulletCollision/NarrowPhaseCollision/btPointCollector.h>
#include <BulletCollision/NarrowPhaseCollision/btVoronoiSimplexSolver.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "bench/sphere_tables.h"
#include "collision/vclip.h"
#include "math/quaternion.h"
#include "support/fcl_oracle.h"
#include "support/hull.h"
#include "support/shapes.h"

namespace {

// A shape with its size baked into its coordinates, for the walk and both GJK solvers.
struct Shape {
    ShapeTables tables;
    std::unique_ptr<Polyhedron> polyhedron;
    std::shared_ptr<fcl::Convexd> convex;
    btConvexHullShape hull;  // without a margin: the bare polytope, as the others see it
    double radius = 0.0;     // of the smallest origin-centred sphere around it

    explicit Shape(ShapeTables t) : tables(std::move(t)) {
        polyhedron = tables.Build();
        convex = Fcl_Convex(tables, Matrix4d());
        for (size_t i = 0; i + 2 < tables.coordinates.size(); i += 3) {
            const Vector3d p(tables.coordinates[i], tables.coordinates[i + 1],
                             tables.coordinates[i + 2]);
            radius = std::max(radius, p.Length());
            hull.addPoint(btVector3(p.x, p.y, p.z), false);
        }
        hull.recalcLocalAabb();
        hull.setMargin(0.0);
    }
};

ShapeTables Scaled(ShapeTables t, const Vector3d& s) {
    for (size_t i = 0; i + 2 < t.coordinates.size(); i += 3) {
        t.coordinates[i] *= s.x;
        t.coordinates[i + 1] *= s.y;
        t.coordinates[i + 2] *= s.z;
    }
    return t;
}

// The poses of the moving body: round a tilted circle clear of the fixed body in steps of
// half a degree, turning one degree about its own tilted axis per step.
constexpr int kPoses = 720;

struct Orbit {
    std::vector<Matrix4d> transforms;
    std::vector<fcl::Transform3d> fcl_transforms;
    std::vector<btTransform> bullet_transforms;

    Orbit(double radius) {
        Vector3d tilt(1, 2, 3);
        tilt.Set_Length(1.0);
        Vector3d spin_axis(-2, 1, 1);
        spin_axis.Set_Length(1.0);
        for (int i = 0; i < kPoses; ++i) {
            const Quaternion around = Quaternion::From_Axis_Angle(0.5 * i, tilt);
            const Vector3d position =
                around.Rotate(radius * Vector3d(-2, 1, 0) * (1.0 / std::sqrt(5.0)));
            Matrix4d m = Quaternion::From_Axis_Angle(1.0 * i, spin_axis).To_Matrix();
            m.Set_Translation(position);
            transforms.push_back(m);
            fcl::Transform3d t = fcl::Transform3d::Identity();
            for (int r = 0; r < 3; ++r) {
                for (int c = 0; c < 4; ++c) {
                    t.matrix()(r, c) = m(r, c);
                }
            }
            fcl_transforms.push_back(t);
            bullet_transforms.emplace_back(btMatrix3x3(m(0, 0), m(0, 1), m(0, 2), m(1, 0), m(1, 1),
                                                       m(1, 2), m(2, 0), m(2, 1), m(2, 2)),
                                           btVector3(m(0, 3), m(1, 3), m(2, 3)));
        }
    }
};

// One pair: a fixed body at the origin and a moving one circling it with a little clearance.
struct Pair {
    Shape fixed;
    Shape moving;
    Orbit orbit;

    Pair(ShapeTables a, ShapeTables b)
        : fixed(std::move(a)), moving(std::move(b)), orbit(fixed.radius + moving.radius + 0.05) {}
};

Pair& The_Pair(int which) {
    static Pair box_box(Box_Tables(), Scaled(Box_Tables(), {0.5, 1.0, 1.5}));
    static Pair ball_box(Scaled(Box_Tables(), {2.0, 2.0, 0.25}), Sphere_Tables(0.3));
    static Pair ball_ball(Sphere_Tables(0.3), Sphere_Tables(0.3));
    static Pair hulls = [] {
        TestRandom random(500);
        ShapeTables a = Random_Hull_Tables(random, 500);
        ShapeTables b = Random_Hull_Tables(random, 500);
        return Pair(std::move(a), std::move(b));
    }();
    Pair* pairs[] = {&box_box, &ball_box, &ball_ball, &hulls};
    return *pairs[which];
}

const char* const kPairNames[] = {"box-box", "ball-box", "ball-ball", "hull500-hull500"};

void Run_VClip(benchmark::State& state, bool coherent) {
    Pair& pair = The_Pair(static_cast<int>(state.range(0)));
    state.SetLabel(kPairNames[state.range(0)]);
    const Matrix4d fixed_transform;
    Feature* f1 = nullptr;
    Feature* f2 = nullptr;
    Vector3d p1;
    Vector3d p2;
    Vector3d normal;
    int pose = 0;
    const unsigned long tests_before = vclip_state_test_count;
    for (auto _ : state) {
        if (!coherent) {
            f1 = nullptr;
            f2 = nullptr;
        }
        const double d =
            VClip(*pair.fixed.polyhedron, fixed_transform, f1, p1, *pair.moving.polyhedron,
                  pair.orbit.transforms[pose], f2, p2, normal);
        benchmark::DoNotOptimize(d);
        pose = (pose + 1) % kPoses;
    }
    state.counters["tests_per_query"] = benchmark::Counter(
        static_cast<double>(vclip_state_test_count - tests_before) / state.iterations());
}

void Coherent(benchmark::State& state) {
    Run_VClip(state, true);
}
void Fresh(benchmark::State& state) {
    Run_VClip(state, false);
}

void Gjk(benchmark::State& state) {
    Pair& pair = The_Pair(static_cast<int>(state.range(0)));
    state.SetLabel(kPairNames[state.range(0)]);
    const fcl::Transform3d fixed_transform = fcl::Transform3d::Identity();
    int pose = 0;
    for (auto _ : state) {
        const double d = Fcl_Distance(*pair.fixed.convex, fixed_transform, *pair.moving.convex,
                                      pair.orbit.fcl_transforms[pose]);
        benchmark::DoNotOptimize(d);
        pose = (pose + 1) % kPoses;
    }
}

void Bullet(benchmark::State& state) {
    Pair& pair = The_Pair(static_cast<int>(state.range(0)));
    state.SetLabel(kPairNames[state.range(0)]);
    btVoronoiSimplexSolver simplex;
    btGjkEpaPenetrationDepthSolver penetration;
    btGjkPairDetector detector(&pair.fixed.hull, &pair.moving.hull, &simplex, &penetration);
    btDiscreteCollisionDetectorInterface::ClosestPointInput input;
    input.m_transformA.setIdentity();
    int pose = 0;
    for (auto _ : state) {
        input.m_transformB = pair.orbit.bullet_transforms[pose];
        btPointCollector result;
        detector.getClosestPoints(input, result, nullptr);
        const double d = result.m_distance;
        benchmark::DoNotOptimize(d);
        pose = (pose + 1) % kPoses;
    }
}

}  // namespace

BENCHMARK(Coherent)->DenseRange(0, 3);
BENCHMARK(Fresh)->DenseRange(0, 3);
BENCHMARK(Bullet)->DenseRange(0, 3);
BENCHMARK(Gjk)->DenseRange(0, 3);

BENCHMARK_MAIN();
