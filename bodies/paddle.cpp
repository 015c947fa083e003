#include "bodies/paddle.h"

#include <GL/gl.h>

#include <algorithm>

#include "bodies/subdivided_face.h"
#include "render/pose.h"

namespace {

// 0.8 and 0.7 are single-precision constants, widened; the other figures are exact.
constexpr double kHalfDepth = static_cast<double>(0.8f);
constexpr double kCollarDepth = static_cast<double>(0.7f);

// A box of half-depth 0.8 from z = -1 to 1, a collar widening to 0.85 x 0.7 at z = 3, and a nose
// of 0.5 x 0.5 at z = 4.
const Vector3d kVertices[16] = {
    {1, kHalfDepth, 1},       {-1, kHalfDepth, 1},      {-1, -kHalfDepth, 1},
    {1, -kHalfDepth, 1},      {1, kHalfDepth, -1},      {-1, kHalfDepth, -1},
    {-1, -kHalfDepth, -1},    {1, -kHalfDepth, -1},     {0.5, 0.5, 4},
    {-0.5, 0.5, 4},           {-0.5, -0.5, 4},          {0.5, -0.5, 4},
    {0.85, kCollarDepth, 3},  {-0.85, kCollarDepth, 3}, {-0.85, -kCollarDepth, 3},
    {0.85, -kCollarDepth, 3},
};

// Counter-clockwise seen from outside: the nose; the back; the box's +x and -x sides; the
// collar's -x and +x sides; the taper's -x and +x sides; the -y side from nose to back; the +y
// side from nose to back.
constexpr int kFaces[14][4] = {
    {8, 9, 10, 11}, {7, 6, 5, 4},    {0, 3, 7, 4},    {2, 1, 5, 6},     {1, 2, 14, 13},
    {12, 15, 3, 0}, {13, 14, 10, 9}, {8, 11, 15, 12}, {11, 10, 14, 15}, {15, 14, 2, 3},
    {3, 2, 6, 7},   {9, 8, 12, 13},  {13, 12, 0, 1},  {1, 0, 4, 5},
};

// One speed step moves the paddle this far per frame of the game's tick.
constexpr float kStepPerFrame = 0.005f;
constexpr double kStepsPerUnit = 12.0;
constexpr float kFramePeriod = 1.0f / 60.0f;

}  // namespace

std::unique_ptr<Polyhedron> Make_Paddle_Shape() {
    double coordinates[16 * 3];
    for (int i = 0; i < 16; ++i) {
        coordinates[3 * i] = kVertices[i].x;
        coordinates[3 * i + 1] = kVertices[i].y;
        coordinates[3 * i + 2] = kVertices[i].z;
    }
    int sizes[14];
    for (int& size : sizes) {
        size = 4;
    }
    return std::make_unique<Polyhedron>(16, coordinates, 14, sizes, &kFaces[0][0]);
}

Paddle::Paddle(const char* name, const SimState& start, double max_squash, double max_stretch,
               double stretch_rate, double squash_rate, double restitution)
    : Cube(name, Make_Paddle_Shape()) {
    Set_Start(start, max_squash, max_stretch, stretch_rate, squash_rate, restitution);
}

Vector3d Paddle::Velocity_For_Speed(int speed) {
    const double step = static_cast<double>(kStepPerFrame) * kStepsPerUnit;
    return {speed * step / static_cast<double>(kFramePeriod), 0.0, 0.0};
}

void Paddle::Draw() {
    FaceCorner corners[16];
    for (int i = 0; i < 16; ++i) {
        corners[i] = {static_cast<float>(kVertices[i].x), static_cast<float>(kVertices[i].y),
                      static_cast<float>(kVertices[i].z)};
    }
    glEnable(GL_NORMALIZE);
    glPushMatrix();
    Apply_Transform(*this);
    for (const auto& face : kFaces) {
        const FaceCorner& first = corners[face[0]];
        glBegin(GL_QUADS);
        glColor3f(0.0f, 0.0f, 1.0f);
        // The first corner's position, not the face's normal: on this rounded-off shape it
        // shades each face as if the body were a smooth blob around the origin.
        glNormal3f(first.x, first.y, first.z);
        Draw_Subdivided_Face(subdivisions, first, corners[face[1]], corners[face[2]],
                             corners[face[3]]);
        glEnd();
    }
    glPopMatrix();
    glDisable(GL_NORMALIZE);
}

void Paddle::Get_State_At(double t, const Vector3d&, SimState& out) {
    out = state;
    out.position = state.position + (t - state.time) * paddle_velocity;
    out.velocity = paddle_velocity;
    out.time = t;
    if (out.position.x <= min_x || out.position.x >= max_x) {
        out.position.x = std::clamp(out.position.x, min_x, max_x);
        out.velocity.x = 0.0;
    }
}
