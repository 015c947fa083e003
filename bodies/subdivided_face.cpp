#include "bodies/subdivided_face.h"

#include <GL/gl.h>

namespace {

void Emit_Grid_Point(int n, int i, int k, const FaceCorner& a, const FaceCorner& b,
                     const FaceCorner& c, const FaceCorner& d, float inverse_area) {
    const float wa = static_cast<float>((n - i) * (n - k));
    const float wb = static_cast<float>((n - i) * k);
    const float wc = static_cast<float>(i * k);
    const float wd = static_cast<float>(i * (n - k));
    glVertex3f((wa * a.x + wb * b.x + wc * c.x + wd * d.x) * inverse_area,
               (wa * a.y + wb * b.y + wc * c.y + wd * d.y) * inverse_area,
               (wa * a.z + wb * b.z + wc * c.z + wd * d.z) * inverse_area);
}

}  // namespace

void Draw_Subdivided_Face(int n, const FaceCorner& a, const FaceCorner& b, const FaceCorner& c,
                          const FaceCorner& d) {
    if (n < 1) {
        return;
    }
    const float inverse_area = 1.0f / static_cast<float>(n * n);
    for (int i = 0; i < n; ++i) {
        for (int k = 0; k < n; ++k) {
            Emit_Grid_Point(n, i, k, a, b, c, d, inverse_area);
            Emit_Grid_Point(n, i, k + 1, a, b, c, d, inverse_area);
            Emit_Grid_Point(n, i + 1, k + 1, a, b, c, d, inverse_area);
            Emit_Grid_Point(n, i + 1, k, a, b, c, d, inverse_area);
        }
    }
}
