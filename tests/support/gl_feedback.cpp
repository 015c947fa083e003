#include "support/gl_feedback.h"

#include <GL/gl.h>

::testing::AssertionResult Record_Primitives(const std::function<void()>& draw,
                                             std::vector<FeedbackPrimitive>& primitives) {
    constexpr double kReach = 16.0;    // half the side of the recorded cube of object space
    constexpr int kVertexFloats = 11;  // x, y, z, r, g, b, a, s, t, r, q
    glViewport(0, 0, 2 * kReach, 2 * kReach);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-kReach, kReach, -kReach, kReach, kReach, -kReach);  // depth grows with object z
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    // Texture coordinates are generated only while a complete texture is on: one white texel.
    const unsigned char white[4] = {255, 255, 255, 255};
    glBindTexture(GL_TEXTURE_2D, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glEnable(GL_TEXTURE_2D);
    for (int i = 0; i < 3; ++i) {  // s, t and r, and their switches, are numbered in a row
        glTexGeni(GL_S + i, GL_TEXTURE_GEN_MODE, GL_NORMAL_MAP);
        glEnable(GL_TEXTURE_GEN_S + i);
    }
    std::vector<GLfloat> buffer(1 << 20);
    glFeedbackBuffer(buffer.size(), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint count = glRenderMode(GL_RENDER);
    if (count < 0) {
        return ::testing::AssertionFailure() << "the feedback buffer overflowed";
    }
    primitives.clear();
    for (GLint i = 0; i < count;) {  // each primitive is a token, a polygon's also its size
        const GLfloat token = buffer[i++];
        const int corners = token == GL_POINT_TOKEN                                  ? 1
                            : token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN ? 2
                            : token == GL_POLYGON_TOKEN ? static_cast<int>(buffer[i++])
                                                        : 0;
        if (corners < 1 || corners > 3 || i + corners * kVertexFloats > count) {
            return ::testing::AssertionFailure() << "feedback token " << token << " not read";
        }
        FeedbackPrimitive primitive{corners, {}};
        for (; primitive.vertices.size() < static_cast<size_t>(corners); i += kVertexFloats) {
            const float* v = &buffer[i];
            primitive.vertices.push_back({{v[0] - kReach, v[1] - kReach, (2 * v[2] - 1) * kReach},
                                          {v[3], v[4], v[5], v[6]},
                                          {v[7], v[8], v[9]}});
        }
        primitives.push_back(primitive);
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult Record_Feedback(const std::function<void()>& draw,
                                           std::vector<FeedbackPolygon>& polygons,
                                           const std::vector<int>& sizes) {
    std::vector<FeedbackPrimitive> primitives;
    const ::testing::AssertionResult recorded = Record_Primitives(draw, primitives);
    if (!recorded) {
        return recorded;
    }
    std::vector<FeedbackVertex> corners;  // three per triangle
    for (const FeedbackPrimitive& primitive : primitives) {
        if (primitive.corners == 3) {
            corners.insert(corners.end(), primitive.vertices.begin(), primitive.vertices.end());
        }
    }
    polygons.clear();
    for (size_t next = 0; next < corners.size() || polygons.size() < sizes.size();) {
        const size_t p = polygons.size();
        const size_t n = sizes.empty() ? 4 : p < sizes.size() ? sizes[p] : 0;
        if (n < 3 || next + 3 * (n - 2) > corners.size()) {
            return ::testing::AssertionFailure() << "no whole polygon " << p << " in the feedback";
        }
        FeedbackPolygon polygon = {corners[next]};  // the fan's hub is each triangle's last corner
        for (; polygon.size() < n - 1; next += 3) {
            polygon.push_back(corners[next + 1]);
        }
        polygon.insert(sizes.empty() ? polygon.end() : polygon.begin(), corners[next - 1]);
        polygons.push_back(polygon);
    }
    return ::testing::AssertionSuccess();
}
