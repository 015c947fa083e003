#include "render/contact_drawing.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "render/pose.h"
#include "sim/collision.h"
#include "sim/pair_records.h"
#include "sim/sim_object.h"
#include "sim/tovrel.h"

namespace {

constexpr double kFarGap = 2.0;       // a gap drawn all green
constexpr double kArrowLength = 1.0;  // world units, whatever the gap
constexpr float kDotSize = 6.0f;
constexpr float kVertexSize = 11.0f;
constexpr float kThinLine = 1.5f;
constexpr float kThickLine = 4.0f;
const float kFeatureColour[3] = {0.4f, 0.9f, 1.0f};

void Vertex(const Vector3d& p) {
    glVertex3d(p.x, p.y, p.z);
}

// In body space under the body's committed pose, as the drawing of the body itself.
void Outline_Feature(const SimObject& body, const Feature* feature) {
    if (feature == nullptr) {
        return;
    }
    glPushMatrix();
    Apply_Transform(body);
    switch (feature->kind) {
        case FeatureKind::Vertex:
            glPointSize(kVertexSize);
            glBegin(GL_POINTS);
            Vertex(static_cast<const PolyVertex*>(feature)->position);
            glEnd();
            break;
        case FeatureKind::Edge: {
            const auto* edge = static_cast<const PolyEdge*>(feature);
            glLineWidth(kThickLine);
            glBegin(GL_LINES);
            Vertex(edge->tail->position);
            Vertex(edge->head->position);
            glEnd();
            break;
        }
        case FeatureKind::Face:
            glLineWidth(kThickLine);
            glBegin(GL_LINE_LOOP);
            for (const PolyVertex* v : static_cast<const PolyFace*>(feature)->vertices) {
                Vertex(v->position);
            }
            glEnd();
            break;
    }
    glPopMatrix();
}

void Arrow(const Vector3d& from, const Vector3d& direction, const Vector3d& side) {
    const Vector3d tip = from + kArrowLength * direction;
    const Vector3d back = tip - 0.25 * kArrowLength * direction;
    glBegin(GL_LINES);
    Vertex(from);
    Vertex(tip);
    Vertex(tip);
    Vertex(back + 0.12 * kArrowLength * side);
    Vertex(tip);
    Vertex(back - 0.12 * kArrowLength * side);
    glEnd();
}

// Any unit vector at right angles to unit `n`, for the arrow's head.
Vector3d Across(const Vector3d& n) {
    Vector3d side = Cross(n, std::fabs(n.z) < 0.9 ? Vector3d(0, 0, 1) : Vector3d(1, 0, 0));
    side.Set_Length(1.0);
    return side;
}

}  // namespace

void Gap_Colour(double gap, float rgb[3]) {
    const float t = static_cast<float>(std::clamp(gap / kFarGap, 0.0, 1.0));
    rgb[0] = t < 0.5f ? 1.0f : 2.0f * (1.0f - t);
    rgb[1] = t < 0.5f ? 2.0f * t : 1.0f;
    rgb[2] = 0.0f;
}

void Draw_Contacts(const Tovrel& sim, const SimObject& body) {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_POINT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    for (const Collision* c : Records_Of(sim, body)) {
        float rgb[3];
        Gap_Colour(c->distance, rgb);
        glColor3fv(rgb);
        glLineWidth(kThinLine);
        glBegin(GL_LINES);
        Vertex(c->point_a);
        Vertex(c->point_b);
        glEnd();
        glPointSize(kDotSize);
        glBegin(GL_POINTS);
        Vertex(c->point_a);
        Vertex(c->point_b);
        glEnd();

        glColor3fv(kFeatureColour);
        Outline_Feature(*c->body_a, c->feature_a);
        Outline_Feature(*c->body_b, c->feature_b);

        if (!In_Contact(sim, *c) || c->normal.Vanishes()) {
            continue;
        }
        if (c->secondary) {
            glColor3f(0.6f, 0.6f, 0.6f);
            glEnable(GL_LINE_STIPPLE);
            glLineStipple(2, 0x0F0F);
        } else {
            glColor3f(1.0f, 1.0f, 1.0f);
        }
        const Vector3d towards_body = c->body_a == &body ? -c->normal : c->normal;
        glPointSize(kVertexSize);
        glBegin(GL_POINTS);
        Vertex(c->point_a);
        glEnd();
        glLineWidth(kThickLine);
        Arrow(c->point_a, towards_body, Across(towards_body));
        glDisable(GL_LINE_STIPPLE);
    }
    glPopAttrib();
}
