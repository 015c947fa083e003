#include "bodies/block.h"

#include <GL/gl.h>

#include "render/pose.h"

namespace {

// A fading block with f = fade^2 is drawn at (f / 7, 0.9, 5 - f / 2) times its size: at fade 3
// it spreads along x and flattens along z, and as fade falls it narrows to nothing while growing
// tall, a cartoon pop.
constexpr double kFadeSpreadX = 0.14285714285714285;
constexpr double kFadeDepthY = static_cast<double>(0.9f);
constexpr double kFadeTallestZ = 5.0;

struct Quad {
    float normal[3];
    float corners[4][3];
};

// The five plain faces, drawn whole.
constexpr Quad kPlainFaces[] = {
    {{1, 0, 0}, {{1, 1, 1}, {1, -1, 1}, {1, -1, -1}, {1, 1, -1}}},
    {{-1, 0, 0}, {{-1, 1, -1}, {-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}}},
    {{0, 1, 0}, {{1, 1, 1}, {1, 1, -1}, {-1, 1, -1}, {-1, 1, 1}}},
    {{0, 0, 1}, {{1, 1, 1}, {-1, 1, 1}, {-1, -1, 1}, {1, -1, 1}}},
    {{0, 0, -1}, {{1, -1, -1}, {-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}}},
};

// The -y face, pushed out to y = -1.2 and shrunk to +-0.8.
constexpr Quad kInsetFace = {
    {0, -1, 0},
    {{0.8f, -1.2f, 0.8f}, {-0.8f, -1.2f, 0.8f}, {-0.8f, -1.2f, -0.8f}, {0.8f, -1.2f, -0.8f}}};

// The four bevels joining the inset face to the box's edges at y = -1: top, bottom, -x, +x.
constexpr Quad kBevels[] = {
    {{0, -0.7f, 0.7f}, {{-0.8f, -1.2f, 0.8f}, {0.8f, -1.2f, 0.8f}, {1, -1, 1}, {-1, -1, 1}}},
    {{0, -0.7f, -0.7f}, {{0.8f, -1.2f, -0.8f}, {-0.8f, -1.2f, -0.8f}, {-1, -1, -1}, {1, -1, -1}}},
    {{-0.7f, -0.7f, 0}, {{-0.8f, -1.2f, -0.8f}, {-0.8f, -1.2f, 0.8f}, {-1, -1, 1}, {-1, -1, -1}}},
    {{0.7f, -0.7f, 0}, {{0.8f, -1.2f, 0.8f}, {0.8f, -1.2f, -0.8f}, {1, -1, -1}, {1, -1, 1}}},
};

void Emit(const Quad& quad) {
    glNormal3f(quad.normal[0], quad.normal[1], quad.normal[2]);
    for (const auto& corner : quad.corners) {
        glVertex3f(corner[0], corner[1], corner[2]);
    }
}

}  // namespace

Block::Block(const char* name, const SimState& start, double max_squash, double max_stretch,
             double stretch_rate, double squash_rate, double restitution)
    : Cube(name, start, max_squash, max_stretch, stretch_rate, squash_rate, restitution) {
    Set_Color(1.0f, 1.0f, 1.0f);
}

void Block::Draw() {
    glEnable(GL_NORMALIZE);
    glPushMatrix();
    Apply_Placement(state);
    const Vector3d& size = state.scale;
    if (fading) {
        const float f = fade * fade;
        glScaled(f * size.x * kFadeSpreadX, kFadeDepthY * size.y, (kFadeTallestZ - f / 2) * size.z);
    } else {
        glScaled(size.x, size.y, size.z);
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    // OpenGL clamps the components, so a hit block (fade 3) shows at full brightness.
    const float tint[4] = {fade * color[0], fade * color[1], fade * color[2], fade};
    glBegin(GL_QUADS);
    glColor4fv(tint);
    for (const Quad& face : kPlainFaces) {
        Emit(face);
    }
    Emit(kInsetFace);
    glColor4fv(tint);
    for (const Quad& bevel : kBevels) {
        Emit(bevel);
    }
    glEnd();
    glPopMatrix();
    glDisable(GL_NORMALIZE);
}
