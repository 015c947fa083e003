#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "math/vector3d.h"

// OpenGL feedback mode as a test probe: what a draw routine emitted, vertex by vertex, in object
// coordinates, with each vertex's colour and normal.
//
// Record_Feedback sets an orthographic view in which window coordinates are object coordinates
// moved by a constant (x and y) or scaled into the depth range (z), so they map back exactly up
// to float rounding, and object coordinates within +-kFeedbackReach are never clipped. Lighting
// and culling are switched off, so colours are those issued. Normals are not part of feedback,
// so they travel as texture coordinates: normal-map texture generation copies each vertex's
// eye-space normal (unit length while GL_NORMALIZE is on) into (s, t, r).
//
// Mesa's feedback reports triangles, never whole polygons. It splits a quad (v0, v1, v2, v3) into
// (v0, v1, v3), (v1, v2, v3), and a polygon (p0 ... pn-1) into the fan (p1, p2, p0), (p2, p3, p0),
// ... Join_Quads and Join_Polygons undo exactly that split, and fail, saying so, on triangles that
// do not fit it.

constexpr double kFeedbackReach = 16.0;

struct FeedbackVertex {
    Vector3d position;  // object coordinates
    float color[4];     // r, g, b, a as OpenGL used them (clamped to 0 ... 1)
    Vector3d normal;    // eye space; with an identity modelview, object space
};
using FeedbackPolygon = std::vector<FeedbackVertex>;

// Needs a current GL context. Runs `draw` in feedback mode and stores the triangles it produced,
// in order. Fails on a buffer overflow or on anything but polygons in the buffer.
::testing::AssertionResult Record_Feedback(const std::function<void()>& draw,
                                           std::vector<FeedbackPolygon>& triangles);

// Record_Feedback and Join_Quads in one, for draw routines that issue only GL_QUADS.
::testing::AssertionResult Record_Quads(const std::function<void()>& draw,
                                        std::vector<FeedbackPolygon>& quads);

// Triangles as split from GL_QUADS back into the quads, corners in the order issued.
::testing::AssertionResult Join_Quads(const std::vector<FeedbackPolygon>& triangles,
                                      std::vector<FeedbackPolygon>& quads);

// Triangles as split from GL_POLYGONs of the given corner counts back into those polygons.
::testing::AssertionResult Join_Polygons(const std::vector<FeedbackPolygon>& triangles,
                                         const std::vector<int>& sizes,
                                         std::vector<FeedbackPolygon>& polygons);

// The corner positions of a polygon, for comparing with a list worked out by hand.
std::vector<Vector3d> Corners(const FeedbackPolygon& polygon);

// Positions equal within the float rounding of the feedback path.
::testing::AssertionResult Same_Corners(const std::vector<Vector3d>& actual,
                                        const std::vector<Vector3d>& expected,
                                        double tolerance = 1e-5);
