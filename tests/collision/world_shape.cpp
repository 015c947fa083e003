#include "collision/world_shape.h"

#include <algorithm>
#include <cmath>

WorldShape::WorldShape(const ShapeTables& tables, const Matrix4d& transform) {
    for (size_t i = 0; i < tables.coordinates.size(); i += 3) {
        const double* c = &tables.coordinates[i];
        vertices.push_back(transform.Transform_Point({c[0], c[1], c[2]}));
        size = std::max(size, vertices.back().Length());
    }
    auto corner = tables.face_indices.begin();
    for (int n : tables.face_sizes) {
        const std::vector<int>& loop = faces.emplace_back(corner, corner + n);
        corner += n;
        Vector3d normal;  // Newell's: the area-weighted normal of the whole loop
        for (int k = 0; k < n; ++k) {
            sides.emplace_back(vertices[loop[k]], vertices[loop[(k + 1) % n]]);
            normal += Cross(sides.back().first, sides.back().second);
        }
        normal.Set_Length(1.0);
        normals.push_back(normal);
        offsets.push_back(-Dot(normal, vertices[loop[0]]));
    }
}

double WorldShape::Outside(const Vector3d& p) const {
    double largest = -1e300;
    for (size_t f = 0; f < faces.size(); ++f) {
        largest = std::max(largest, Dot(normals[f], p) + offsets[f]);
    }
    return largest;
}

namespace {

double Point_Segment(const Vector3d& p, const Vector3d& a, const Vector3d& b) {
    const double t = std::clamp(Dot(p - a, b - a) / Dot(b - a, b - a), 0.0, 1.0);
    return (a + t * (b - a) - p).Length();
}

double Segment_Segment(const Vector3d& a, const Vector3d& b, const Vector3d& c, const Vector3d& d) {
    double best = std::min({Point_Segment(a, c, d), Point_Segment(b, c, d), Point_Segment(c, a, b),
                            Point_Segment(d, a, b)});
    const Vector3d u = b - a, v = d - c, w = a - c;  // the lines' closest points, if inside both
    const double uu = Dot(u, u), uv = Dot(u, v), vv = Dot(v, v), denominator = uu * vv - uv * uv;
    const double s = (uv * Dot(v, w) - vv * Dot(u, w)) / denominator;
    const double t = (uu * Dot(v, w) - uv * Dot(u, w)) / denominator;
    if (denominator > 1e-14 * uu * vv && s > 0.0 && s < 1.0 && t > 0.0 && t < 1.0) {
        best = std::min(best, (a + s * u - (c + t * v)).Length());
    }
    return best;
}

// From segment pq to the inside of face f (its sides are the segments' business): 0 when pq
// crosses it, else the height of an end above the face, if that end's foot falls inside it.
double Segment_Face(const Vector3d& p, const Vector3d& q, const WorldShape& shape, size_t f) {
    const Vector3d& n = shape.normals[f];
    auto inside = [&](const Vector3d& x) {
        const std::vector<int>& loop = shape.faces[f];
        for (size_t k = 0; k < loop.size(); ++k) {
            const Vector3d& a = shape.vertices[loop[k]];
            if (Dot(Cross(shape.vertices[loop[(k + 1) % loop.size()]] - a, x - a), n) < 0.0) {
                return false;
            }
        }
        return true;
    };
    const double hp = Dot(n, p) + shape.offsets[f], hq = Dot(n, q) + shape.offsets[f];
    if (hp * hq <= 0.0 && hp != hq) {
        return inside(p + (hp / (hp - hq)) * (q - p)) ? 0.0 : 1e300;
    }
    const double at_p = inside(p - hp * n) ? std::fabs(hp) : 1e300;
    return std::min(at_p, inside(q - hq * n) ? std::fabs(hq) : 1e300);
}

}  // namespace

double Exact_Distance(const WorldShape& a, const WorldShape& b) {
    if (a.Outside(b.vertices[0]) < 0.0 || b.Outside(a.vertices[0]) < 0.0) {
        return 0.0;  // a corner of one inside the other
    }
    double best = 1e300;
    for (const auto& [p, q] : a.sides) {
        for (const auto& [c, d] : b.sides) {
            best = std::min(best, Segment_Segment(p, q, c, d));
        }
    }
    for (const auto& [from, to] : {std::pair{&a, &b}, std::pair{&b, &a}}) {
        for (const auto& [p, q] : from->sides) {
            for (size_t f = 0; f < to->faces.size(); ++f) {
                best = std::min(best, Segment_Face(p, q, *to, f));
            }
        }
    }
    return best;
}
