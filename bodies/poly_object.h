#pragma once

#include <string>
#include <vector>

#include "math/vector3d.h"
#include "render/render_object.h"
#include "sim/sim_object.h"

// A body whose shape is read from a polygon mesh file (the demo's ball). It draws its faces as
// polygons with a colour and a normal per corner, unlit and with 2D texturing on, so its look
// comes from the corner colours modulated by the environment map that the view binds and
// generates sphere-map coordinates for: the toon shading. It is the one body with a shadow.
class PolyObject : public RenderObject, public SimObject {
public:
    // Reads `path` with every vertex scaled per axis by `scale` and moved by `offset`, then builds
    // the collision shape from the same vertices and loops. The body starts as a fixed body at the
    // origin with every cartoon parameter 1; its creator sets the state it wants. A file that
    // cannot be opened or read throws the mesh reader's GenericException*, and no body exists.
    PolyObject(const char* path, const char* name, const Vector3d& scale, const Vector3d& offset);

    // Leaves GL_TEXTURE_2D disabled and GL_LIGHTING enabled, whatever they were before.
    void Draw() override;

    // Flattens the body onto the plane as seen from the light, lifted 0.01 along the plane's
    // normal so the shadow is not hidden in the floor, in translucent black. A light that cannot
    // cast onto the plane (a directional light parallel to it, a point light in it) draws nothing.
    void Draw_Shadow(const float plane[4], const float light[4]) override;

    std::string path;  // the mesh file, as given

    // The drawing tables, as read: body-space vertices, unit (or zero) normals, colours, the
    // corner count of each face, and per corner, in file order, its three table indices.
    std::vector<Vector3d> mesh_vertices;
    std::vector<Vector3d> mesh_normals;
    std::vector<Vector3d> mesh_colors;
    std::vector<int> face_sizes;
    std::vector<int> vertex_indices;
    std::vector<int> normal_indices;
    std::vector<int> color_indices;

private:
    // Every face as a GL_POLYGON in the committed pose, lighting off. A shadow takes one colour
    // for every corner; otherwise each corner brings its own.
    void Draw_Mesh(bool shadow) const;
};
