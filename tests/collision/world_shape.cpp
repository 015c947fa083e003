#include "collision/world_shape.h"

#include <algorithm>
#include <cmath>

WorldShape::WorldShape(const ShapeTables& tables, const Matrix4d& transform) {
    for (size_t i = 0; i + 2 < tables.coordinates.size(); i += 3) {
        vertices.push_back(transform.Transform_Point(
            {tables.coordinates[i], tables.coordinates[i + 1], tables.coordinates[i + 2]}));
        size = std::max(size, vertices.back().Length());
    }
    size_t next = 0;
    for (int n : tables.face_sizes) {
        std::vector<int> loop(tables.face_indices.begin() + next,
                              tables.face_indices.begin() + next + n);
        next += n;
        // Newell's normal: the area-weighted normal of the whole loop.
        Vector3d normal;
        Vector3d centre;
        for (int k = 0; k < n; ++k) {
            const Vector3d& p = vertices[loop[k]];
            const Vector3d& q = vertices[loop[(k + 1) % n]];
            normal += Cross(p, q);
            centre += p * (1.0 / n);
        }
        normal.Set_Length(1.0);
        faces.push_back(loop);
        normals.push_back(normal);
        offsets.push_back(-Dot(normal, centre));
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
    const Vector3d ab = b - a;
    const double t = std::clamp(Dot(p - a, ab) / Dot(ab, ab), 0.0, 1.0);
    return (a + t * ab - p).Length();
}

double Segment_Segment(const Vector3d& a, const Vector3d& b, const Vector3d& c, const Vector3d& d) {
    double best = std::min({Point_Segment(a, c, d), Point_Segment(b, c, d), Point_Segment(c, a, b),
                            Point_Segment(d, a, b)});
    // The closest points of the two lines, when both fall strictly inside the segments.
    const Vector3d u = b - a;
    const Vector3d v = d - c;
    const Vector3d w = a - c;
    const double uu = Dot(u, u);
    const double uv = Dot(u, v);
    const double vv = Dot(v, v);
    const double denominator = uu * vv - uv * uv;
    if (denominator > 1e-14 * uu * vv) {
        const double s = (uv * Dot(v, w) - vv * Dot(u, w)) / denominator;
        const double t = (uu * Dot(v, w) - uv * Dot(u, w)) / denominator;
        if (s > 0.0 && s < 1.0 && t > 0.0 && t < 1.0) {
            best = std::min(best, (a + s * u - (c + t * v)).Length());
        }
    }
    return best;
}

// From p to the face: its height above the plane when p projects inside the loop, otherwise the
// nearest side.
double Point_Face(const Vector3d& p, const WorldShape& shape, size_t f) {
    const std::vector<int>& loop = shape.faces[f];
    const Vector3d& n = shape.normals[f];
    const double height = Dot(n, p) + shape.offsets[f];
    const Vector3d q = p - height * n;
    bool inside = true;
    double nearest_side = 1e300;
    for (size_t k = 0; k < loop.size(); ++k) {
        const Vector3d& a = shape.vertices[loop[k]];
        const Vector3d& b = shape.vertices[loop[(k + 1) % loop.size()]];
        inside = inside && Dot(Cross(b - a, q - a), n) >= 0.0;
        nearest_side = std::min(nearest_side, Point_Segment(p, a, b));
    }
    return inside ? std::fabs(height) : nearest_side;
}

double Vertices_To_Faces(const WorldShape& a, const WorldShape& b) {
    double best = 1e300;
    for (const Vector3d& p : a.vertices) {
        for (size_t f = 0; f < b.faces.size(); ++f) {
            best = std::min(best, Point_Face(p, b, f));
        }
    }
    return best;
}

std::vector<Vector3d> Edge_Directions(const WorldShape& shape) {
    std::vector<Vector3d> directions;
    for (const std::vector<int>& loop : shape.faces) {
        for (size_t k = 0; k < loop.size(); ++k) {
            directions.push_back(shape.vertices[loop[(k + 1) % loop.size()]] -
                                 shape.vertices[loop[k]]);
        }
    }
    return directions;
}

// How far apart the shapes' shadows on the unit axis are (negative when they overlap).
double Gap_Along(const Vector3d& axis, const WorldShape& a, const WorldShape& b) {
    double a_low = 1e300, a_high = -1e300, b_low = 1e300, b_high = -1e300;
    for (const Vector3d& p : a.vertices) {
        a_low = std::min(a_low, Dot(axis, p));
        a_high = std::max(a_high, Dot(axis, p));
    }
    for (const Vector3d& p : b.vertices) {
        b_low = std::min(b_low, Dot(axis, p));
        b_high = std::max(b_high, Dot(axis, p));
    }
    return std::max(b_low - a_high, a_low - b_high);
}

}  // namespace

double Separating_Gap(const WorldShape& a, const WorldShape& b) {
    double widest = -1e300;
    for (const WorldShape* shape : {&a, &b}) {
        for (const Vector3d& normal : shape->normals) {
            widest = std::max(widest, Gap_Along(normal, a, b));
        }
    }
    for (const Vector3d& u : Edge_Directions(a)) {
        for (const Vector3d& v : Edge_Directions(b)) {
            Vector3d axis = Cross(u, v);
            if (axis.Length() > 1e-9 * u.Length() * v.Length()) {
                axis.Set_Length(1.0);
                widest = std::max(widest, Gap_Along(axis, a, b));
            }
        }
    }
    return widest;
}

double Brute_Force_Distance(const WorldShape& a, const WorldShape& b) {
    double best = std::min(Vertices_To_Faces(a, b), Vertices_To_Faces(b, a));
    for (const std::vector<int>& fa : a.faces) {
        for (size_t i = 0; i < fa.size(); ++i) {
            const Vector3d& p = a.vertices[fa[i]];
            const Vector3d& q = a.vertices[fa[(i + 1) % fa.size()]];
            for (const std::vector<int>& fb : b.faces) {
                for (size_t j = 0; j < fb.size(); ++j) {
                    best = std::min(best, Segment_Segment(p, q, b.vertices[fb[j]],
                                                          b.vertices[fb[(j + 1) % fb.size()]]));
                }
            }
        }
    }
    return best;
}
