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
constexpr float kDotSize = 4.0f;      // a witness point, in pixels
constexpr float kThinLine = 1.5f;     // a witness segment
constexpr float kFeatureLine = 2.0f;  // an edge, a face's outline and the normal's arrow
// A vertex, and the contact point on the ball, are marked by a ring this much of the marked body's
// smallest dimension across, however near the camera: small beside the body, and open, so that the
// body shows through.
constexpr double kRingPerBody = 0.1;
constexpr int kRingSides = 16;
// Translucent, so that what a feature lies on still shows under it.
const float kFeatureColour[4] = {0.4f, 0.9f, 1.0f, 0.7f};

void Vertex(const Vector3d& p) {
    glVertex3d(p.x, p.y, p.z);
}

// The body's smallest dimension: the least extent of its scaled shape along its own axes.
double Smallest_Dimension(const SimObject& body) {
    Vector3d low(1e300, 1e300, 1e300);
    Vector3d high(-1e300, -1e300, -1e300);
    for (const PolyVertex& v : body.polyhedron->vertices) {
        low = {std::min(low.x, v.position.x), std::min(low.y, v.position.y),
               std::min(low.z, v.position.z)};
        high = {std::max(high.x, v.position.x), std::max(high.y, v.position.y),
                std::max(high.z, v.position.z)};
    }
    const Vector3d& scale = body.state.scale;
    return std::min({(high.x - low.x) * std::fabs(scale.x), (high.y - low.y) * std::fabs(scale.y),
                     (high.z - low.z) * std::fabs(scale.z)});
}

// A ring around world point `centre`, `across` wide, facing the camera: in the plane of the
// modelview's first two rows, which are the eye's right and up in world space.
void Ring(const Vector3d& centre, double across) {
    GLdouble m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    const Vector3d right(m[0], m[4], m[8]);
    const Vector3d up(m[1], m[5], m[9]);
    glBegin(GL_LINE_LOOP);
    for (int i = 0; i < kRingSides; ++i) {
        const double angle = 2.0 * M_PI * i / kRingSides;
        Vertex(centre + 0.5 * across * (std::cos(angle) * right + std::sin(angle) * up));
    }
    glEnd();
}

// Where body-space point `p` is under the body's committed pose.
Vector3d World_Point(const SimObject& body, const Vector3d& p) {
    const Vector3d& scale = body.state.scale;
    return body.state.position +
           body.state.orientation.Rotate({p.x * scale.x, p.y * scale.y, p.z * scale.z});
}

void Outline_Feature(const SimObject& body, const Feature* feature) {
    if (feature == nullptr) {
        return;
    }
    glLineWidth(kFeatureLine);
    if (feature->kind == FeatureKind::Vertex) {
        const Vector3d& p = static_cast<const PolyVertex*>(feature)->position;
        Ring(World_Point(body, p), kRingPerBody * Smallest_Dimension(body));
        return;
    }
    // In body space under the body's committed pose, as the drawing of the body itself.
    glPushMatrix();
    Apply_Transform(body);
    if (feature->kind == FeatureKind::Edge) {
        const auto* edge = static_cast<const PolyEdge*>(feature);
        glBegin(GL_LINES);
        Vertex(edge->tail->position);
        Vertex(edge->head->position);
        glEnd();
    } else {
        glBegin(GL_LINE_LOOP);
        for (const PolyVertex* v : static_cast<const PolyFace*>(feature)->vertices) {
            Vertex(v->position);
        }
        glEnd();
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
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_POINT_BIT | GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
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

        glColor4fv(kFeatureColour);
        Outline_Feature(*c->body_a, c->feature_a);
        Outline_Feature(*c->body_b, c->feature_b);

        if (!sim.In_Contact(*c) || c->normal.Vanishes()) {
            continue;
        }
        if (!c->Running()) {
            glColor3f(0.6f, 0.6f, 0.6f);
            glEnable(GL_LINE_STIPPLE);
            glLineStipple(2, 0x0F0F);
        } else {
            glColor3f(1.0f, 1.0f, 1.0f);
        }
        const Vector3d towards_body = c->body_a == &body ? -c->normal : c->normal;
        glLineWidth(kFeatureLine);
        Arrow(c->point_a, towards_body, Across(towards_body));
        Ring(c->point_a, kRingPerBody * Smallest_Dimension(body));
        glDisable(GL_LINE_STIPPLE);
    }
    glPopAttrib();
}
