#include "app/overlay_text.h"

#include <FL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr int kTextSize = 14;
// A space, drawn as a gap of this much of the text size.
constexpr float kSpaceWidth = 0.3f;

// One line, its first glyph's baseline starting at (x, y) in the viewport's pixels (y up). Word by
// word, each after where the last one's glyphs moved the raster position: the toolkit's OpenGL
// fonts may draw a space with no width, and measure words wider than drawn.
void Draw_Words(const std::string& line, float x, float y) {
    const float space = kSpaceWidth * kTextSize;
    const char* text = line.c_str();
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == ' ') {
            x += space;
        } else if (c == text || c[-1] == ' ') {
            gl_draw(c, static_cast<int>(std::strcspn(c, " ")), x, y);
            GLfloat end[4];
            glGetFloatv(GL_CURRENT_RASTER_POSITION, end);
            x = end[0];
        }
    }
}

float Words_Width(const std::string& line) {
    float width = 0.0f;
    for (const char* c = line.c_str(); *c != '\0'; ++c) {
        if (*c == ' ') {
            width += kSpaceWidth * kTextSize;
        } else if (c == line.c_str() || c[-1] == ' ') {
            width += static_cast<float>(gl_width(c, static_cast<int>(std::strcspn(c, " "))));
        }
    }
    return width;
}

}  // namespace

void Overlay_Size(int& width, int& height) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    width = viewport[2];
    height = viewport[3];
}

void Draw_Overlay_Lines(const std::vector<std::string>& lines, int left, int top, bool backdrop) {
    int width = 0;
    int height = 0;
    Overlay_Size(width, height);
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0, width, 0, height);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    gl_font(FL_HELVETICA, kTextSize);
    const auto baseline = [&](size_t line) {
        return static_cast<float>(height - top - kTextSize -
                                  static_cast<int>(line) * kOverlayLineHeight);
    };
    if (backdrop) {
        // The toolkit measures words at least as wide as it draws them: the box holds them.
        float right = static_cast<float>(left);
        for (const std::string& line : lines) {
            right = std::max(right, left + Words_Width(line));
        }
        const float pad = kOverlayMargin;
        glColor4f(0.0f, 0.0f, 0.0f, 0.6f);
        glRectf(left - pad, baseline(lines.size() - 1) - pad, right + pad,
                static_cast<float>(height - top) + pad);
    }
    glColor3f(1.0f, 1.0f, 1.0f);
    for (size_t i = 0; i < lines.size(); ++i) {
        Draw_Words(lines[i], static_cast<float>(left), baseline(i));
    }
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}
