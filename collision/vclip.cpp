#include "collision/vclip.h"

#include <cmath>
#include <cstdio>

#include "collision/final_routines.h"
#include "collision/state_tests.h"
#include "math/invariant.h"

std::atomic<unsigned long> vclip_call_count{0};
std::atomic<unsigned long> vclip_state_test_count{0};

namespace {

// The walk may take this many state tests per pair of features before it counts as cycling: far
// more than any convergent walk needs, so reaching it means a broken invariant.
constexpr unsigned long kStepsPerFeaturePair = 100;

// One state test for the pair in the slots, dispatched on the two kinds.
StepResult State_Test(Feature*& f1, const WalkSide& s1, Polyhedron& poly1, Feature*& f2,
                      const WalkSide& s2, Polyhedron& poly2) {
    switch (f1->kind) {
        case FeatureKind::Vertex:
            switch (f2->kind) {
                case FeatureKind::Vertex:
                    return Vertex_Vertex_Test(f1, s1, f2, s2);
                case FeatureKind::Edge:
                    return Vertex_Edge_Test(f1, s1, f2, s2);
                case FeatureKind::Face:
                    return Vertex_Face_Test(f1, s1, f2, s2, poly2.faces);
            }
            break;
        case FeatureKind::Edge:
            switch (f2->kind) {
                case FeatureKind::Vertex:
                    return Vertex_Edge_Test(f2, s2, f1, s1);
                case FeatureKind::Edge:
                    return Edge_Edge_Test(f1, s1, f2, s2);
                case FeatureKind::Face:
                    return Edge_Face_Test(f1, s1, f2, s2);
            }
            break;
        case FeatureKind::Face:
            switch (f2->kind) {
                case FeatureKind::Vertex:
                    return Vertex_Face_Test(f2, s2, f1, s1, poly1.faces);
                case FeatureKind::Edge:
                    return Edge_Face_Test(f2, s2, f1, s1);
                case FeatureKind::Face:
                    break;
            }
            break;
    }
    // No step of the walk ever yields two faces: the pair came from outside.
    Broken_Invariant("Face Face test should never happen\n");
}

// Moves the slots to the final pair; true when the bodies touch or interpenetrate.
bool Feature_Walk(Polyhedron& poly1, const WalkSide& s1, Feature*& f1, Polyhedron& poly2,
                  const WalkSide& s2, Feature*& f2) {
    const unsigned long limit =
        kStepsPerFeaturePair * poly1.Feature_Count() * poly2.Feature_Count();
    if (f1 == nullptr) {
        f1 = &poly1.vertices[0];
        f2 = &poly2.vertices[0];
    } else if (f2 == nullptr) {
        f2 = &poly2.vertices[0];
    }
    // In exact arithmetic each step brings the features closer or proves contact, so the walk never
    // holds a pair twice. Two features within rounding of each other (edges crossing at a gap of a
    // few ulps) can make the tests of the two disagree and send the walk back and forth between
    // them: coming back to the pair held two tests back means that they touch. Parallel faces a
    // little apart tie every pair of their features, and the tests, breaking the ties by rounding,
    // can send the walk round several pairs: each test is a function of its pair alone, so coming
    // back to any pair held before is such a round, and it ends in contact too, the answer that
    // never lets bodies sink into each other. A pair marked at each power of two of the tests
    // finds any round within twice its length and the tests before it.
    const Feature* before1 = nullptr;  // the pair held before the latest test
    const Feature* before2 = nullptr;
    // Most walks end within a few tests; the marks begin after the first kFirstMark.
    constexpr unsigned long kFirstMark = 8;
    const Feature* marked1 = nullptr;
    const Feature* marked2 = nullptr;
    unsigned long next_mark = kFirstMark;
    for (unsigned long tests = 1;; ++tests) {
        const Feature* two_back1 = before1;
        const Feature* two_back2 = before2;
        before1 = f1;
        before2 = f2;
        const StepResult result = State_Test(f1, s1, poly1, f2, s2, poly2);
        // The shared count is raised once per walk, not per test: it is an atomic add.
        const auto end = [&](bool touching) {
            vclip_state_test_count.fetch_add(tests, std::memory_order_relaxed);
            return touching;
        };
        // A walk of more tests than there are pairs holds one twice, which the rounds' check finds
        // within twice as many: the limit, never below kFirstMark, guards that reckoning.
        const bool long_walk = tests >= kFirstMark;
        if (long_walk && tests >= limit) {
            Broken_Invariant("Cycling in vclip: %lu\n", vclip_call_count.load());
        }
        if (result != StepResult::Continue) {
            return end(result == StepResult::Penetrating);
        }
        if (f1 == two_back1 && f2 == two_back2) {
            return end(true);
        }
        if (long_walk) {
            if (f1 == marked1 && f2 == marked2) {
                return end(true);
            }
            if (tests == next_mark) {
                marked1 = f1;
                marked2 = f2;
                next_mark *= 2;
            }
        }
    }
}

// Distance, points and normal of the final pair; the value is signed as its routine computes it.
double Final_Distance(Feature* f1, const WalkSide& s1, Feature* f2, const WalkSide& s2,
                      Vector3d& point1, Vector3d& point2, Vector3d& normal) {
    const WitnessOutputs out{point1, point2, normal};
    const WitnessOutputs exchanged{point2, point1, normal};
    double d = 0.0;
    switch (f1->kind) {
        case FeatureKind::Vertex:
            switch (f2->kind) {
                case FeatureKind::Vertex:
                    return Vertex_Vertex_Final(As_Vertex(f1), s1, As_Vertex(f2), s2, out);
                case FeatureKind::Edge:
                    return Vertex_Edge_Final(As_Vertex(f1), s1, As_Edge(f2), s2, out);
                case FeatureKind::Face:
                    return Vertex_Face_Final(As_Vertex(f1), s1, As_Face(f2), s2, out);
            }
            break;
        case FeatureKind::Edge:
            switch (f2->kind) {
                case FeatureKind::Vertex:
                    d = Vertex_Edge_Final(As_Vertex(f2), s2, As_Edge(f1), s1, exchanged);
                    normal = -normal;
                    return d;
                case FeatureKind::Edge:
                    return Edge_Edge_Final(As_Edge(f1), s1, As_Edge(f2), s2, out);
                case FeatureKind::Face:
                    return Edge_Face_Final(As_Edge(f1), s1, As_Face(f2), s2, out);
            }
            break;
        case FeatureKind::Face:
            switch (f2->kind) {
                case FeatureKind::Vertex:
                    d = Vertex_Face_Final(As_Vertex(f2), s2, As_Face(f1), s1, exchanged);
                    normal = -normal;
                    return d;
                case FeatureKind::Edge:
                    d = Edge_Face_Final(As_Edge(f2), s2, As_Face(f1), s1, exchanged);
                    normal = -normal;
                    return d;
                case FeatureKind::Face:
                    break;
            }
            break;
    }
    // Two faces define no single distance, points or normal; leave the outputs as they were and
    // report contact, the answer that makes no caller rely on them.
    std::fprintf(stderr, "VClip: Face-Face case shouldn't happen\n");
    return 0.0;
}

// Closest points nearer than this times their distance from the origin coincide: some hundreds
// of times the rounding of a placed point, far below any gap that a caller tells apart.
constexpr double kCoincidentPoints = 1e-13;

}  // namespace

double VClip(Polyhedron& poly1, const Matrix4d& transform1, Feature*& f1, Vector3d& point1,
             Polyhedron& poly2, const Matrix4d& transform2, Feature*& f2, Vector3d& point2,
             Vector3d& normal) {
    vclip_call_count.fetch_add(1, std::memory_order_relaxed);
    const WalkSide s1{transform1, poly1.Begin_Query(transform1)};
    const WalkSide s2{transform2, poly2.Begin_Query(transform2)};
    const bool penetrating = Feature_Walk(poly1, s1, f1, poly2, s2, f2);
    const double d = std::fabs(Final_Distance(f1, s1, f2, s2, point1, point2, normal));
    if (penetrating) {
        return -d;
    }
    // Two edges that cross each other, or a vertex on an edge, end the walk with closest points
    // that coincide: the bodies touch. Computed, the gap comes out as the rounding of the points
    // (1e-17 where two equal meshes, turned alike, meet edge across edge) rather than 0; taken
    // for a gap, it would call apart two bodies that interpenetrate around the crossing.
    return d > kCoincidentPoints * point1.Length() ? d : 0.0;
}
