#include "sim/penetration_depth.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "geometry/polyhedron.h"

namespace {

// Whether the arc of face normals a to b crosses the arc c to d on the unit sphere: then an edge
// between faces a and b and an edge between faces -c and -d of the other shape form a face of
// the two shapes' Minkowski difference, and the edges' cross product is a candidate axis.
bool Arcs_Cross(const Vector3d& a, const Vector3d& b, const Vector3d& c, const Vector3d& d) {
    const Vector3d b_x_a = Cross(b, a);
    const Vector3d d_x_c = Cross(d, c);
    const double cba = Dot(c, b_x_a);
    const double dba = Dot(d, b_x_a);
    const double adc = Dot(a, d_x_c);
    const double bdc = Dot(b, d_x_c);
    return cba * dba < 0.0 && adc * bdc < 0.0 && cba * bdc > 0.0;
}

}  // namespace

WorldShape::WorldShape(const Polyhedron& shape, const SimState& pose) : shape_(shape) {
    const double huge = std::numeric_limits<double>::infinity();
    low_ = {huge, huge, huge};
    high_ = -low_;
    vertices_.reserve(shape.vertices.size());
    for (const PolyVertex& v : shape.vertices) {
        const Vector3d p =
            pose.position + pose.orientation.Rotate(Scale_Each(v.position, pose.scale));
        vertices_.push_back(p);
        low_ = {std::min(low_.x, p.x), std::min(low_.y, p.y), std::min(low_.z, p.z)};
        high_ = {std::max(high_.x, p.x), std::max(high_.y, p.y), std::max(high_.z, p.z)};
    }
}

bool WorldShape::Boxes_Near(const WorldShape& other, double margin) const {
    return low_.x - margin <= other.high_.x + margin && other.low_.x - margin <= high_.x + margin &&
           low_.y - margin <= other.high_.y + margin && other.low_.y - margin <= high_.y + margin &&
           low_.z - margin <= other.high_.z + margin && other.low_.z - margin <= high_.z + margin;
}

const std::vector<Vector3d>& WorldShape::Face_Normals() const {
    if (!face_normals_.empty() || shape_.faces.empty()) {
        return face_normals_;
    }
    const PolyVertex* first = shape_.vertices.data();
    face_normals_.reserve(shape_.faces.size());
    for (const PolyFace& face : shape_.faces) {
        // Newell's sum: the loop's area vector, whatever the number of its corners.
        Vector3d normal;
        for (std::size_t i = 0; i < face.vertices.size(); ++i) {
            const Vector3d& p = vertices_[face.vertices[i] - first];
            const Vector3d& q = vertices_[face.vertices[(i + 1) % face.vertices.size()] - first];
            normal += Cross(p, q);
        }
        const double length = normal.Length();
        face_normals_.push_back(length > 0.0 ? normal * (1.0 / length) : Vector3d());
    }
    return face_normals_;
}

double WorldShape::Lowest_Along(const Vector3d& axis) const {
    // Downhill along the edges from where the last search ended, which the next face's normal
    // usually finds close by: on a convex shape a vertex with no lower neighbour is the lowest.
    const PolyVertex* first = shape_.vertices.data();
    std::size_t at = lowest_hint_;
    double lowest = Dot(axis, vertices_[at]);
    for (bool moved = true; moved;) {
        moved = false;
        const PolyVertex& vertex = shape_.vertices[at];
        for (const FeatureLink* link = vertex.links; link != nullptr; link = link->next) {
            const std::size_t next = link->edge->Other_End(&vertex) - first;
            const double value = Dot(axis, vertices_[next]);
            if (value < lowest) {
                lowest = value;
                at = next;
                moved = true;
            }
        }
    }
    lowest_hint_ = at;
    return lowest;
}

double WorldShape::Least_Face_Overlap(const WorldShape& other, double least, Vector3d& axis) const {
    const std::vector<Vector3d>& normals = Face_Normals();
    const PolyVertex* first = shape_.vertices.data();
    for (std::size_t f = 0; f < normals.size() && least >= 0.0; ++f) {
        const Vector3d& n = normals[f];
        if (n.Squared_Length() == 0.0) {
            continue;
        }
        const double highest = Dot(n, vertices_[shape_.faces[f].vertices.front() - first]);
        const double overlap = highest - other.Lowest_Along(n);
        if (overlap < least) {
            least = overlap;
            axis = n;
        }
    }
    return least;
}

double WorldShape::Least_Edge_Overlap(const WorldShape& other, double least) const {
    const std::vector<Vector3d>& normals = Face_Normals();
    const std::vector<Vector3d>& other_normals = other.Face_Normals();
    const PolyVertex* first = shape_.vertices.data();
    const PolyVertex* other_first = other.shape_.vertices.data();
    const PolyFace* faces = shape_.faces.data();
    const PolyFace* other_faces = other.shape_.faces.data();
    for (const PolyEdge& e : shape_.edges) {
        const Vector3d& a = normals[e.left_face - faces];
        const Vector3d& b = normals[e.right_face - faces];
        const Vector3d& tail = vertices_[e.tail - first];
        const Vector3d along = vertices_[e.head - first] - tail;
        for (const PolyEdge& g : other.shape_.edges) {
            const Vector3d& c = other_normals[g.left_face - other_faces];
            const Vector3d& d = other_normals[g.right_face - other_faces];
            if (!Arcs_Cross(a, b, -c, -d)) {
                continue;
            }
            const Vector3d& other_tail = other.vertices_[g.tail - other_first];
            Vector3d axis = Cross(along, other.vertices_[g.head - other_first] - other_tail);
            const double length = axis.Length();
            if (length == 0.0) {
                continue;
            }
            // Outward from this shape: on the arc between the normals of its edge's two faces.
            axis *= (Dot(axis, a + b) < 0.0 ? -1.0 : 1.0) / length;
            least = std::min(least, Dot(axis, tail - other_tail));
            if (least < 0.0) {
                return least;
            }
        }
    }
    return least;
}

double WorldShape::Penetration_Depth(const WorldShape& other, double floor) const {
    if (vertices_.empty() || other.vertices_.empty()) {
        return 0.0;
    }
    Vector3d way;
    double least = Least_Overlap_By_Faces(other, way);
    if (least > floor) {
        least = Least_Edge_Overlap(other, least);
    }
    return std::max(least, 0.0);
}

double WorldShape::Least_Overlap_By_Faces(const WorldShape& other, Vector3d& way) const {
    Vector3d own;     // outward from this shape: towards the other
    Vector3d theirs;  // outward from the other: towards this one
    const double least = Least_Face_Overlap(other, std::numeric_limits<double>::infinity(), own);
    const double least_of_theirs = other.Least_Face_Overlap(*this, least, theirs);
    way = least_of_theirs < least ? -theirs : own;
    return std::min(least, least_of_theirs);
}

Vector3d WorldShape::Shortest_Way_Apart(const WorldShape& other, const Vector3d& guess,
                                        double slack) const {
    Vector3d shortest;
    const double least = Least_Overlap_By_Faces(other, shortest);
    if (least < 0.0) {
        return guess;
    }
    const double along_guess = -Lowest_Along(-guess) - other.Lowest_Along(guess);
    return along_guess <= least + slack ? guess : shortest;
}
