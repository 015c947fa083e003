#include "support/gl_feedback.h"

#include <GL/gl.h>

#include <cmath>
#include <sstream>

namespace {

// Floats per vertex for GL_3D_COLOR_TEXTURE in RGBA mode: x, y, z, r, g, b, a, s, t, r, q.
constexpr int kVertexFloats = 11;
constexpr GLsizei kBufferFloats = 1 << 21;

FeedbackVertex Read_Vertex(const float* v) {
    FeedbackVertex out;
    out.position = {v[0] - kFeedbackReach, v[1] - kFeedbackReach,
                    (2.0 * v[2] - 1.0) * kFeedbackReach};
    for (int i = 0; i < 4; ++i) {
        out.color[i] = v[3 + i];
    }
    out.normal = {v[7], v[8], v[9]};
    return out;
}

bool Same_Vertex(const FeedbackVertex& a, const FeedbackVertex& b) {
    return a.position.x == b.position.x && a.position.y == b.position.y &&
           a.position.z == b.position.z && a.color[0] == b.color[0] && a.color[1] == b.color[1] &&
           a.color[2] == b.color[2] && a.color[3] == b.color[3] && a.normal.x == b.normal.x &&
           a.normal.y == b.normal.y && a.normal.z == b.normal.z;
}

void Use_White_Texture() {
    static GLuint texture = 0;
    if (texture == 0 || !glIsTexture(texture)) {
        const unsigned char white[4] = {255, 255, 255, 255};
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    }
    glBindTexture(GL_TEXTURE_2D, texture);
}

}  // namespace

::testing::AssertionResult Record_Feedback(const std::function<void()>& draw,
                                           std::vector<FeedbackPolygon>& triangles) {
    const int side = static_cast<int>(2 * kFeedbackReach);
    glViewport(0, 0, side, side);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Near and far swapped so that window depth grows with object z.
    glOrtho(-kFeedbackReach, kFeedbackReach, -kFeedbackReach, kFeedbackReach, kFeedbackReach,
            -kFeedbackReach);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    Use_White_Texture();
    glEnable(GL_TEXTURE_2D);
    for (GLenum coordinate : {GL_S, GL_T, GL_R}) {
        glTexGeni(coordinate, GL_TEXTURE_GEN_MODE, GL_NORMAL_MAP);
    }
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glEnable(GL_TEXTURE_GEN_R);

    std::vector<GLfloat> buffer(kBufferFloats);
    glFeedbackBuffer(kBufferFloats, GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint count = glRenderMode(GL_RENDER);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_TEXTURE_GEN_R);
    if (count < 0) {
        return ::testing::AssertionFailure() << "the feedback buffer overflowed";
    }
    triangles.clear();
    for (GLint i = 0; i < count;) {
        const GLint token = static_cast<GLint>(buffer[i++]);
        if (token != GL_POLYGON_TOKEN) {
            return ::testing::AssertionFailure()
                   << "unexpected feedback token " << token << " at " << i - 1;
        }
        const int corners = static_cast<int>(buffer[i++]);
        FeedbackPolygon polygon;
        for (int k = 0; k < corners; ++k, i += kVertexFloats) {
            polygon.push_back(Read_Vertex(&buffer[i]));
        }
        triangles.push_back(polygon);
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult Record_Quads(const std::function<void()>& draw,
                                        std::vector<FeedbackPolygon>& quads) {
    std::vector<FeedbackPolygon> triangles;
    const ::testing::AssertionResult recorded = Record_Feedback(draw, triangles);
    if (!recorded) {
        return recorded;
    }
    return Join_Quads(triangles, quads);
}

::testing::AssertionResult Join_Quads(const std::vector<FeedbackPolygon>& triangles,
                                      std::vector<FeedbackPolygon>& quads) {
    quads.clear();
    if (triangles.size() % 2 != 0) {
        return ::testing::AssertionFailure()
               << triangles.size() << " triangles cannot come from quads";
    }
    for (size_t i = 0; i < triangles.size(); i += 2) {
        const FeedbackPolygon& first = triangles[i];
        const FeedbackPolygon& second = triangles[i + 1];
        if (first.size() != 3 || second.size() != 3 || !Same_Vertex(second[0], first[1]) ||
            !Same_Vertex(second[2], first[2])) {
            return ::testing::AssertionFailure() << "triangles " << i << " and " << i + 1
                                                 << " are not one quad split as expected";
        }
        quads.push_back({first[0], first[1], second[1], first[2]});
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult Join_Polygons(const std::vector<FeedbackPolygon>& triangles,
                                         const std::vector<int>& sizes,
                                         std::vector<FeedbackPolygon>& polygons) {
    polygons.clear();
    size_t next = 0;
    for (int size : sizes) {
        const size_t fan = static_cast<size_t>(size - 2);
        if (size < 3 || next + fan > triangles.size()) {
            return ::testing::AssertionFailure() << "too few triangles for a polygon of " << size;
        }
        const FeedbackVertex& hub = triangles[next][2];
        FeedbackPolygon polygon = {hub, triangles[next][0]};
        for (size_t t = next; t < next + fan; ++t) {
            const FeedbackPolygon& triangle = triangles[t];
            if (triangle.size() != 3 || !Same_Vertex(triangle[2], hub) ||
                !Same_Vertex(triangle[0], polygon.back())) {
                return ::testing::AssertionFailure()
                       << "triangle " << t << " does not continue the fan";
            }
            polygon.push_back(triangle[1]);
        }
        polygons.push_back(polygon);
        next += fan;
    }
    if (next != triangles.size()) {
        return ::testing::AssertionFailure() << triangles.size() - next << " triangles left over";
    }
    return ::testing::AssertionSuccess();
}

std::vector<Vector3d> Corners(const FeedbackPolygon& polygon) {
    std::vector<Vector3d> corners;
    for (const FeedbackVertex& v : polygon) {
        corners.push_back(v.position);
    }
    return corners;
}

::testing::AssertionResult Same_Corners(const std::vector<Vector3d>& actual,
                                        const std::vector<Vector3d>& expected, double tolerance) {
    std::ostringstream text;
    bool same = actual.size() == expected.size();
    for (size_t i = 0; same && i < actual.size(); ++i) {
        const Vector3d d = actual[i] - expected[i];
        same = std::fabs(d.x) <= tolerance && std::fabs(d.y) <= tolerance &&
               std::fabs(d.z) <= tolerance;
    }
    if (same) {
        return ::testing::AssertionSuccess();
    }
    text << "corners";
    for (const Vector3d& p : actual) {
        text << " (" << p.x << ", " << p.y << ", " << p.z << ")";
    }
    text << " instead of";
    for (const Vector3d& p : expected) {
        text << " (" << p.x << ", " << p.y << ", " << p.z << ")";
    }
    return ::testing::AssertionFailure() << text.str();
}
