#include "app/contacts_overlay.h"

#include <FL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/demo_scene.h"
#include "render/contact_drawing.h"

namespace {

constexpr int kTextMargin = 8;
constexpr int kTextSize = 14;

}  // namespace

void ContactsOverlay::Draw() {
    const Tovrel& sim = *g_pSimulator;
    Draw_Contacts(sim, *g_pBall);

    const WalkCounter::Work work = walk_.Take();
    if (sim.time > time_ && time_ >= 0.0) {
        const double tick = g_fTickPeriod * g_dTimeScale;
        queries_per_tick_ = work.queries / std::max(1.0, std::round((sim.time - time_) / tick));
        tests_per_query_ = work.tests_per_query;
    }
    time_ = sim.time;

    char line[160];
    std::snprintf(line, sizeof line,
                  "t %.2f s   contacts %zu   pair queries per tick %.0f   tests per query %.2f",
                  sim.time, sim.contacts.size(), queries_per_tick_, tests_per_query_);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0, viewport[2], 0, viewport[3]);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor3f(1.0f, 1.0f, 1.0f);
    gl_font(FL_HELVETICA, kTextSize);
    // Word by word, each after where the last one's glyphs moved the raster position: the
    // toolkit's OpenGL fonts may draw a space with no width, and measure words wider than drawn.
    const float space = 0.3f * kTextSize;
    float x = kTextMargin;
    const float y = static_cast<float>(viewport[3] - kTextMargin - kTextSize);
    for (const char* c = line; *c != '\0'; ++c) {
        if (*c == ' ') {
            x += space;
        } else if (c == line || c[-1] == ' ') {
            gl_draw(c, static_cast<int>(std::strcspn(c, " ")), x, y);
            GLfloat end[4];
            glGetFloatv(GL_CURRENT_RASTER_POSITION, end);
            x = end[0];
        }
    }
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}
