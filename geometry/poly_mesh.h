#pragma once

#include <memory>
#include <string>
#include <vector>

#include "geometry/polyhedron.h"
#include "math/vector3d.h"

// A polygon mesh file (.poly) as read for a mesh body: the drawing tables and the convex collision
// shape built from them.
//
// The file is whitespace-separated tokens; line breaks mean nothing. In order, with no headers:
//   V, then V vertices (x y z);  N, then N normals (x y z);  C, then C colours (r g b);
//   F, then F face sizes;  then, face by face and corner by corner, (v n c) index triples.
// Indices are 0-based. Corners run counter-clockwise seen from outside, and the faces must close
// up into a convex polyhedron. Anything after the last corner is not read.
struct PolyMesh {
    std::vector<Vector3d> mesh_vertices;  // offset + scale * file position, body space
    std::vector<Vector3d> mesh_normals;   // file normal / scale, then unit length (zero stays zero)
    std::vector<Vector3d> mesh_colors;    // r, g, b as read
    std::vector<int> face_sizes;
    std::vector<int> vertex_indices;  // one entry per corner, in file order
    std::vector<int> normal_indices;
    std::vector<int> color_indices;
    std::unique_ptr<Polyhedron> polyhedron;
};

// Reads `path`, applying `scale` and `offset` to every vertex. Throws a GenericException* with
// "PolyObject::PolyObject: Cannot open file: <path>" when the file cannot be opened, and with
// "PolyObject::PolyObject: Cannot load file: <path>" (its detail says what is wrong) when a number
// is missing or malformed, a count is negative, an index is out of range, or the faces do not
// form a closed convex polyhedron. Nothing of a failed read survives.
PolyMesh Load_Poly_Mesh(const char* path, const Vector3d& scale, const Vector3d& offset);

// The same from the file's text already in memory; `path` only names it in the messages.
PolyMesh Parse_Poly_Mesh(std::string text, const char* path, const Vector3d& scale,
                         const Vector3d& offset);
