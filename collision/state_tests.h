#pragma once

#include <vector>

#include "collision/walk_side.h"
#include "geometry/polyhedron.h"

// The five state tests of the feature walk. Each tests the features in its two slots against each
// other's Voronoi regions and either replaces one of them by a neighbour (Continue) or declares
// the pair final (Disjoint or Penetrating). The slot arguments come first for the side whose
// feature kind is named first; a pair met the other way round (edge-vertex, face-vertex,
// face-edge) runs the same test with the two sides exchanged, transforms and stamps included.

// Vertex in `a_slot`, vertex in `b_slot`.
StepResult Vertex_Vertex_Test(Feature*& a_slot, const WalkSide& a, Feature*& b_slot,
                              const WalkSide& b);

// Vertex in `vertex_slot` on side a, edge in `edge_slot` on side b.
StepResult Vertex_Edge_Test(Feature*& vertex_slot, const WalkSide& a, Feature*& edge_slot,
                            const WalkSide& b);

// Vertex in `vertex_slot` on side a, face in `face_slot` on side b, whose polyhedron has the face
// table `b_faces`, searched whole for a face the vertex lies above when it sits below this one.
StepResult Vertex_Face_Test(Feature*& vertex_slot, const WalkSide& a, Feature*& face_slot,
                            const WalkSide& b, std::vector<PolyFace>& b_faces);

// Edges in both slots: clips each edge against the other's region in turn, and is final only when
// both clips are.
StepResult Edge_Edge_Test(Feature*& a_slot, const WalkSide& a, Feature*& b_slot, const WalkSide& b);

// Clips edge `clipped` (world values current, on the other side) against the Voronoi region of the
// edge in `edge_slot` on side `edge_side`, and may replace that edge by one of its ends or faces.
StepResult Edge_Clip(Feature*& edge_slot, const WalkSide& edge_side, PolyEdge& clipped);

// Edge in `edge_slot` on side a, face in `face_slot` on side b. Never Disjoint: an edge and a face
// are a final pair only for bodies that interpenetrate.
StepResult Edge_Face_Test(Feature*& edge_slot, const WalkSide& a, Feature*& face_slot,
                          const WalkSide& b);
