#pragma once

#include "geometry/poly_mesh.h"
#include "support/shapes.h"

// The demo's sphere mesh (an icosphere of radius 1 before `scale`) as the tests' shape tables, for
// the benchmark programs that hand the same shape to several solvers.
inline ShapeTables Sphere_Tables(double scale) {
    const PolyMesh mesh = Load_Poly_Mesh(TOVREL_SOURCE_DIR "/data/objects/sphere.poly",
                                         {scale, scale, scale}, {0, 0, 0});
    ShapeTables t;
    for (const Vector3d& v : mesh.mesh_vertices) {
        t.coordinates.insert(t.coordinates.end(), {v.x, v.y, v.z});
    }
    t.face_sizes = mesh.face_sizes;
    t.face_indices = mesh.vertex_indices;
    return t;
}
