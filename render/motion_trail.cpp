#include "render/motion_trail.h"

#include <GL/gl.h>

#include <algorithm>

#include "render/pose.h"
#include "sim/sim_object.h"
#include "sim/tovrel.h"

namespace {

// The newest skin's opacity; each older one is fainter by an equal step.
constexpr float kNewestAlpha = 0.35f;

}  // namespace

void MotionTrail::Clear() {
    skins_.clear();
    frames_ = 0;
}

void MotionTrail::Record(const Tovrel& sim) {
    if (sim.time < time_) {
        Clear();
    }
    if (sim.time == time_) {
        return;  // the clock stands still: no new pose to keep
    }
    time_ = sim.time;
    if (frames_++ % kFramesApart != 0) {
        return;
    }
    std::vector<Pose> poses;
    for (const SimObject* body : sim.active_objects) {
        if (body->state.mode == SimMode::Free) {
            poses.push_back(
                {body, body->state.position, body->state.orientation, body->state.scale});
        }
    }
    skins_.push_front(std::move(poses));
    if (skins_.size() > kSkins) {
        skins_.pop_back();
    }
}

void MotionTrail::Draw(const Tovrel& sim) const {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glEnable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const auto& active = sim.active_objects;
    for (size_t age = 0; age < skins_.size(); ++age) {
        glColor4f(1.0f, 1.0f, 1.0f, kNewestAlpha * (kSkins - age) / kSkins);
        for (const Pose& pose : skins_[age]) {
            if (std::find(active.begin(), active.end(), pose.body) == active.end()) {
                continue;
            }
            glPushMatrix();
            glTranslated(pose.position.x, pose.position.y, pose.position.z);
            Apply_Orientation(pose.orientation);
            glScaled(pose.scale.x, pose.scale.y, pose.scale.z);
            for (const PolyFace& face : pose.body->polyhedron->faces) {
                glBegin(GL_POLYGON);
                for (const PolyVertex* v : face.vertices) {
                    glVertex3d(v->position.x, v->position.y, v->position.z);
                }
                glEnd();
            }
            glPopMatrix();
        }
    }
    glPopAttrib();
}
