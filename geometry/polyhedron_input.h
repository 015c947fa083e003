#pragma once

#include <string>

// Checks builder input before anything is built: counts, index ranges, loops of at least three
// distinct vertices, every side shared by exactly two faces running along it in opposite
// directions, Euler's count of edges (one connected closed surface), flat faces and a convex
// shape wound counter-clockwise from outside. Returns an empty string for good input, else a
// sentence naming the first fault found.
std::string Polyhedron_Input_Fault(int vertex_count, const double* coordinates, int face_count,
                                   const int* face_sizes, const int* face_indices);
