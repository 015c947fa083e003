#pragma once

// A body-space corner of a drawn face, in the single precision that glVertex3f takes.
struct FaceCorner {
    float x, y, z;
};

// Draws the quadrilateral a, b, c, d (counter-clockwise seen from outside) as an n x n grid of
// small quads that keep its winding, with the bilinear grid points
//   P(i, k) = [(n-i)(n-k) a + (n-i) k b + i k c + i (n-k) d] / n^2,
// i running from the a-b side towards the d-c side and k from the a-d side towards the b-c side:
// for i, then k, the quad P(i,k), P(i,k+1), P(i+1,k+1), P(i+1,k). Only vertices are issued: the
// caller has opened GL_QUADS and set the normal and colour. Nothing is drawn for n < 1.
void Draw_Subdivided_Face(int n, const FaceCorner& a, const FaceCorner& b, const FaceCorner& c,
                          const FaceCorner& d);
