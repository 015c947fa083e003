#include "bodies/poly_object.h"

#include <GL/gl.h>

#include <cmath>

#include "geometry/poly_mesh.h"
#include "math/angles.h"
#include "math/quaternion.h"
#include "render/pose.h"

namespace {

// Shadows sit this far above their plane, so that they win the depth test against the floor.
constexpr double kShadowLift = 0.01;
constexpr float kShadowOpacity = 0.8f;

// The matrix, for column vectors, that projects along the light onto the plane z = 0 and lifts the
// result by kShadowLift, handed to OpenGL column by column. `light` is in the frame where the
// plane is z = 0 with +z as its normal; w = 0 marks a directional light.
void Load_Flattening(const Vector3d& light, bool directional, double columns[16]) {
    const double lx = light.x, ly = light.y, lz = light.z;
    const double directional_rows[16] = {1, 0, -lx / lz, 0,           0, 1, -ly / lz, 0,
                                         0, 0, 0,        kShadowLift, 0, 0, 0,        1};
    const double point_rows[16] = {lz, 0, -lx, 0,           0, lz, -ly, 0,
                                   0,  0, 0,   kShadowLift, 0, 0,  -1,  lz};
    const double* rows = directional ? directional_rows : point_rows;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            columns[4 * c + r] = rows[4 * r + c];
        }
    }
}

}  // namespace

PolyObject::PolyObject(const char* path_, const char* name, const Vector3d& scale,
                       const Vector3d& offset)
    : SimObject(name), path(path_) {
    PolyMesh mesh = Load_Poly_Mesh(path_, scale, offset);
    mesh_vertices = std::move(mesh.mesh_vertices);
    mesh_normals = std::move(mesh.mesh_normals);
    mesh_colors = std::move(mesh.mesh_colors);
    face_sizes = std::move(mesh.face_sizes);
    vertex_indices = std::move(mesh.vertex_indices);
    normal_indices = std::move(mesh.normal_indices);
    color_indices = std::move(mesh.color_indices);
    polyhedron = std::move(mesh.polyhedron);
    Compute_Half_Extent();
}

void PolyObject::Draw_Mesh(bool shadow) const {
    glDisable(GL_LIGHTING);
    glPushMatrix();
    Apply_Transform(*this);
    if (shadow) {
        glColor4f(0.0f, 0.0f, 0.0f, kShadowOpacity);
    }
    size_t k = 0;
    for (int size : face_sizes) {
        glBegin(GL_POLYGON);
        for (int corner = 0; corner < size; ++corner, ++k) {
            if (!shadow) {
                const Vector3d& c = mesh_colors[color_indices[k]];
                glColor3d(c.x, c.y, c.z);
            }
            const Vector3d& n = mesh_normals[normal_indices[k]];
            glNormal3d(n.x, n.y, n.z);
            const Vector3d& v = mesh_vertices[vertex_indices[k]];
            glVertex3d(v.x, v.y, v.z);
        }
        glEnd();
    }
    glPopMatrix();
    glEnable(GL_LIGHTING);
}

void PolyObject::Draw() {
    glEnable(GL_TEXTURE_2D);
    Draw_Mesh(false);
    glDisable(GL_TEXTURE_2D);
}

void PolyObject::Draw_Shadow(const float plane[4], const float light[4]) {
    const double a = plane[0], b = plane[1], c = plane[2], d = plane[3];
    // Moving by q0 carries the plane through the origin; turning by `angle` about `axis` then
    // takes its normal to +z, where the projection is simple.
    const Vector3d q0(a * d, b * d, c * d);
    Vector3d axis(1.0, 0.0, 0.0);
    double angle = 0.0;
    if (a != 0.0 || b != 0.0) {
        axis = Vector3d(b, -a, 0.0);
        axis.Set_Length(1.0);
        angle = std::acos(c) * kDegreesPerRadian;
    }
    const bool directional = light[3] == 0.0f;
    Vector3d aligned_light(light[0], light[1], light[2]);
    if (!directional) {
        const double w = light[3];
        aligned_light = Vector3d(light[0] / w, light[1] / w, light[2] / w) + q0;
    }
    aligned_light = Quaternion::From_Axis_Angle(angle, axis).Rotate(aligned_light);
    if (aligned_light.z == 0.0) {
        return;  // the light runs along the plane, or sits in it: no shadow falls on it
    }
    double flattening[16];
    Load_Flattening(aligned_light, directional, flattening);

    glPushMatrix();
    glTranslated(-q0.x, -q0.y, -q0.z);
    glRotated(-angle, axis.x, axis.y, axis.z);
    glMultMatrixd(flattening);
    glRotated(angle, axis.x, axis.y, axis.z);
    glTranslated(q0.x, q0.y, q0.z);
    Draw_Mesh(true);
    glPopMatrix();
}
