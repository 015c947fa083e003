#pragma once

#include <atomic>

#include "geometry/polyhedron.h"
#include "math/matrix4d.h"
#include "math/vector3d.h"

// Closest features of two convex polyhedra, each placed in the world by its own transform (body to
// world, acting on column vectors). Starting from the features in f1 and f2, the walk replaces one
// feature at a time by a neighbour until neither lies outside the other's Voronoi region, or until
// it proves that the bodies interpenetrate. Keep f1 and f2 between queries: on bodies that moved a
// little the next query starts beside its answer and takes a few steps. Empty slots start from the
// first vertex of each polyhedron.
//
// Returns the distance between the bodies: positive when they are apart, not positive when they
// touch or interpenetrate. A walk that meets a pair of features again has found two features
// within rounding of each other and answers contact, and so does one whose closest points
// coincide within rounding (two edges crossing): 0. A degenerate placement (a zero scale, an edge
// of zero length in the world) can make the distance NaN: callers must take that as contact, never
// as apart. When apart, point1 lies on body 1, point2 on body 2, and normal is the
// unit vector from body 1 towards body 2, with point2 - point1 = distance * normal. f1 and f2 hold
// the final features; for penetrating bodies the points and normal describe them only roughly.
//
// Two broken invariants end the program with a message on the error stream: a face-face feature
// pair handed in from outside, and a walk that reaches its step limit of 100 state tests per pair
// of features.
//
// Threads: queries on different polyhedra may run at the same time, for example one thread per
// pair of bodies. Every query writes its polyhedra's stamps and world-space caches, even for a
// placement that did not change, so one polyhedron must never be in two queries at once, not even
// as the fixed body of both: give each thread its own polyhedra, or take turns. The feature slots
// belong to the caller and follow the same rule. The two counters below may be read and raised
// from any thread: relaxed atomics, exact in total, but ordered with nothing else.
double VClip(Polyhedron& poly1, const Matrix4d& transform1, Feature*& f1, Vector3d& point1,
             Polyhedron& poly2, const Matrix4d& transform2, Feature*& f2, Vector3d& point2,
             Vector3d& normal);

// Queries made so far by this process, in every thread; the step-limit message names it.
extern std::atomic<unsigned long> vclip_call_count;

// State tests run so far by this process: divided by the number of queries, the average walk.
extern std::atomic<unsigned long> vclip_state_test_count;
