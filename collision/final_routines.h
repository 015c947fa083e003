#pragma once

#include "collision/walk_side.h"
#include "geometry/polyhedron.h"

// Distance, witness points and normal of a final feature pair, the first feature on body 1 and
// the second on body 2. Each returns the signed value d of its own geometry (the driver turns it
// into the query's result) and writes the closest point on each body and the normal from body 1
// towards body 2. A pair met the other way round is computed with the bodies exchanged and the
// normal negated.
struct WitnessOutputs {
    Vector3d& point1;
    Vector3d& point2;
    Vector3d& normal;
};

double Vertex_Vertex_Final(PolyVertex& v1, const WalkSide& s1, PolyVertex& v2, const WalkSide& s2,
                           const WitnessOutputs& out);

// The foot of the perpendicular on the edge's line, not clamped to the segment.
double Vertex_Edge_Final(PolyVertex& v, const WalkSide& s1, PolyEdge& e, const WalkSide& s2,
                         const WitnessOutputs& out);

// The signed height of the vertex above the face's plane.
double Vertex_Face_Final(PolyVertex& v, const WalkSide& s1, PolyFace& f, const WalkSide& s2,
                         const WitnessOutputs& out);

// The closest points of the two edge lines; exactly parallel edges measure from body 1's head.
double Edge_Edge_Final(PolyEdge& e1, const WalkSide& s1, PolyEdge& e2, const WalkSide& s2,
                       const WitnessOutputs& out);

// Only ever final for interpenetrating bodies: both points at the edge's crossing of the face's
// plane, and minus the depth of the edge's deeper end.
double Edge_Face_Final(PolyEdge& e, const WalkSide& s1, PolyFace& f, const WalkSide& s2,
                       const WitnessOutputs& out);
