#include "bodies/cube.h"

#include <GL/gl.h>

#include <iterator>

#include "bodies/subdivided_face.h"
#include "render/pose.h"

namespace {

// Corners 0 ... 7, then six loops counter-clockwise seen from outside: +z, -z, +x, -x, +y, -y.
constexpr double kBoxCorners[] = {1, 1, 1,  -1, 1, 1,  -1, -1, 1,  1, -1, 1,
                                  1, 1, -1, -1, 1, -1, -1, -1, -1, 1, -1, -1};
constexpr int kBoxFaceSizes[] = {4, 4, 4, 4, 4, 4};
constexpr int kBoxLoops[] = {0, 1, 2, 3, 7, 6, 5, 4, 0, 3, 7, 4,
                             2, 1, 5, 6, 0, 4, 5, 1, 3, 2, 6, 7};

// The drawn faces: a normal and the corners A, B, C, D of the subdivided grid.
struct DrawnFace {
    float normal[3];
    FaceCorner a, b, c, d;
};

constexpr DrawnFace kDrawnFaces[] = {
    {{1, 0, 0}, {1, 1, 1}, {1, -1, 1}, {1, -1, -1}, {1, 1, -1}},
    {{-1, 0, 0}, {-1, 1, -1}, {-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}},
    {{0, 1, 0}, {1, 1, 1}, {1, 1, -1}, {-1, 1, -1}, {-1, 1, 1}},
    {{0, -1, 0}, {1, -1, 1}, {-1, -1, 1}, {-1, -1, -1}, {1, -1, -1}},
    {{0, 0, 1}, {1, 1, 1}, {-1, 1, 1}, {-1, -1, 1}, {1, -1, 1}},
    {{0, 0, -1}, {1, -1, -1}, {-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}},
};

}  // namespace

std::unique_ptr<Polyhedron> Make_Box_Shape(const Vector3d& half_sizes) {
    double corners[std::size(kBoxCorners)];
    for (size_t i = 0; i < std::size(kBoxCorners); i += 3) {
        corners[i] = kBoxCorners[i] * half_sizes.x;
        corners[i + 1] = kBoxCorners[i + 1] * half_sizes.y;
        corners[i + 2] = kBoxCorners[i + 2] * half_sizes.z;
    }
    return std::make_unique<Polyhedron>(8, corners, 6, kBoxFaceSizes, kBoxLoops);
}

Cube::Cube(const char* name) : Cube(name, Make_Box_Shape()) {}

Cube::Cube(const char* name, const SimState& start, double max_squash, double max_stretch,
           double stretch_rate, double squash_rate, double restitution)
    : Cube(name) {
    Set_Start(start, max_squash, max_stretch, stretch_rate, squash_rate, restitution);
}

Cube::Cube(const char* name, const Vector3d& shape_half_sizes)
    : Cube(name, Make_Box_Shape(shape_half_sizes), shape_half_sizes) {}

Cube::Cube(const char* name, std::unique_ptr<Polyhedron> shape, const Vector3d& shape_half_sizes)
    : SimObject(name), half_sizes(shape_half_sizes) {
    polyhedron = std::move(shape);
    Compute_Half_Extent();
}

void Cube::Set_Start(const SimState& start, double max_squash_, double max_stretch_,
                     double stretch_rate_, double squash_rate_, double restitution_) {
    state = start;
    initial_state = state;
    max_squash = max_squash_;
    max_stretch = max_stretch_;
    stretch_rate = stretch_rate_;
    squash_rate = squash_rate_;
    restitution = restitution_;
}

void Cube::Set_Color(float red, float green, float blue) {
    color[0] = red;
    color[1] = green;
    color[2] = blue;
}

void Cube::Draw() {
    glEnable(GL_NORMALIZE);
    glPushMatrix();
    Apply_Transform(*this);
    if (half_sizes.x != 1.0 || half_sizes.y != 1.0 || half_sizes.z != 1.0) {
        glScaled(half_sizes.x, half_sizes.y, half_sizes.z);
    }
    glBegin(GL_QUADS);
    glColor3f(color[0], color[1], color[2]);
    for (const DrawnFace& face : kDrawnFaces) {
        glNormal3f(face.normal[0], face.normal[1], face.normal[2]);
        Draw_Subdivided_Face(subdivisions, face.a, face.b, face.c, face.d);
    }
    glEnd();
    glPopMatrix();
    glDisable(GL_NORMALIZE);
}
