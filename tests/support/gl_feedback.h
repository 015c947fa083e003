#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "math/vector3d.h"

// OpenGL feedback mode as a test probe: what a draw routine issued, in object coordinates (exact up
// to float rounding within +-16), each corner with its colour (lighting off) and its normal
// (carried as a texture coordinate by normal-map generation). Needs a current GL context.
struct FeedbackVertex {
    Vector3d position;
    float color[4];   // as OpenGL clamped it to 0 ... 1
    Vector3d normal;  // eye space, which is object space here
};
using FeedbackPolygon = std::vector<FeedbackVertex>;

// A point, a line segment or a triangle (all Mesa feeds back of a polygon) as it was drawn.
struct FeedbackPrimitive {
    int corners;  // 1, 2 or 3
    std::vector<FeedbackVertex> vertices;
};

// Runs `draw` (culling off) and stores every primitive it drew, in order.
::testing::AssertionResult Record_Primitives(const std::function<void()>& draw,
                                             std::vector<FeedbackPrimitive>& primitives);

// Runs `draw` (polygons only; culling off) and stores what it drew in order: quads from GL_QUADS
// when `sizes` is empty, else GL_POLYGONs of those corner counts. Mesa feeds back only triangles,
// a quad (v0 ... v3) as (v0, v1, v3), (v1, v2, v3), a polygon as the fan (p1, p2, p0), (p2, p3, p0)
// ...: they are joined back.
::testing::AssertionResult Record_Feedback(const std::function<void()>& draw,
                                           std::vector<FeedbackPolygon>& polygons,
                                           const std::vector<int>& sizes = {});
