#include "geometry/polyhedron_input.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "math/vector3d.h"

namespace {

using std::to_string;

// Flatness and convexity are judged relative to the size of the shape, so that rounding in the
// coordinates of a correct mesh never rejects it.
constexpr double kRelativeTolerance = 1e-9;

uint64_t Side_Key(int tail, int head) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(tail)) << 32) | static_cast<uint32_t>(head);
}

// The checks in the order they run, each given what the earlier ones established; each returns
// the first fault it finds, or an empty string.
class InputCheck {
public:
    InputCheck(int vertex_count, const double* coordinates, int face_count, const int* face_sizes,
               const int* face_indices)
        : vertex_count_(vertex_count),
          coordinates_(coordinates),
          face_count_(face_count),
          face_sizes_(face_sizes),
          face_indices_(face_indices),
          points_(vertex_count),
          loops_(face_count) {}

    std::string Points_Fault();
    std::string Loops_Fault();
    std::string Closure_Fault() const;
    std::string Euler_Fault() const;
    std::string Shape_Fault() const;

private:
    std::string Face_Shape_Fault(int f, double size) const;

    const int vertex_count_;
    const double* const coordinates_;
    const int face_count_;
    const int* const face_sizes_;
    const int* const face_indices_;
    std::vector<Vector3d> points_;
    Vector3d low_{1e300, 1e300, 1e300};
    Vector3d high_{-1e300, -1e300, -1e300};
    std::vector<std::vector<int>> loops_;
    std::unordered_map<uint64_t, int> side_face_;  // every directed side (tail -> head): its face
};

std::string InputCheck::Points_Fault() {
    for (int i = 0; i < vertex_count_; ++i) {
        const double* c = coordinates_ + 3 * i;
        if (!std::isfinite(c[0]) || !std::isfinite(c[1]) || !std::isfinite(c[2])) {
            return "vertex " + to_string(i) + " has a coordinate that is not a finite number";
        }
        points_[i] = Vector3d(c[0], c[1], c[2]);
        low_ = Vector3d(std::fmin(low_.x, c[0]), std::fmin(low_.y, c[1]), std::fmin(low_.z, c[2]));
        high_ =
            Vector3d(std::fmax(high_.x, c[0]), std::fmax(high_.y, c[1]), std::fmax(high_.z, c[2]));
    }
    return {};
}

std::string InputCheck::Loops_Fault() {
    const int* index = face_indices_;
    for (int f = 0; f < face_count_; ++f) {
        const int n = face_sizes_[f];
        if (n < 3) {
            return "face " + to_string(f) + " has " + to_string(n) +
                   " corners; a face needs at least 3";
        }
        std::unordered_set<int> seen;
        for (int k = 0; k < n; ++k) {
            const int v = *index++;
            if (v < 0 || v >= vertex_count_) {
                return "face " + to_string(f) + " names vertex " + to_string(v) + ", outside 0.." +
                       to_string(vertex_count_ - 1);
            }
            if (!seen.insert(v).second) {
                return "face " + to_string(f) + " visits vertex " + to_string(v) + " twice";
            }
            loops_[f].push_back(v);
        }
        for (int k = 0; k < n; ++k) {
            const int tail = loops_[f][(k + n - 1) % n];
            const int head = loops_[f][k];
            auto [at, inserted] = side_face_.emplace(Side_Key(tail, head), f);
            if (!inserted) {
                return "faces " + to_string(at->second) + " and " + to_string(f) +
                       " both run along side " + to_string(tail) + "->" + to_string(head) +
                       " in the same direction";
            }
        }
    }
    return {};
}

std::string InputCheck::Closure_Fault() const {
    for (int f = 0; f < face_count_; ++f) {
        const int n = static_cast<int>(loops_[f].size());
        for (int k = 0; k < n; ++k) {
            const int tail = loops_[f][(k + n - 1) % n];
            const int head = loops_[f][k];
            if (side_face_.count(Side_Key(head, tail)) == 0) {
                return "side " + to_string(tail) + "->" + to_string(head) + " of face " +
                       to_string(f) +
                       " has no face running back along it: the surface is not closed";
            }
        }
    }
    return {};
}

std::string InputCheck::Euler_Fault() const {
    const size_t edge_count = side_face_.size() / 2;
    const size_t euler_count = static_cast<size_t>(vertex_count_) + face_count_ - 2;
    if (edge_count != euler_count) {
        return "the faces have " + to_string(edge_count) +
               " edges, but one closed convex surface of " + to_string(vertex_count_) +
               " vertices and " + to_string(face_count_) + " faces has " + to_string(euler_count) +
               " (unused vertices, separate pieces or holes)";
    }
    return {};
}

std::string InputCheck::Shape_Fault() const {
    const double size = (high_ - low_).Length();
    for (int f = 0; f < face_count_; ++f) {
        std::string fault = Face_Shape_Fault(f, size);
        if (!fault.empty()) {
            return fault;
        }
    }
    return {};
}

// Face f's first three corners span its plane; every corner lies on it and every vertex of the
// shape on or below it.
std::string InputCheck::Face_Shape_Fault(int f, double size) const {
    const double tolerance = kRelativeTolerance * size;
    const Vector3d& a = points_[loops_[f][0]];
    const Vector3d& b = points_[loops_[f][1]];
    const Vector3d& c = points_[loops_[f][2]];
    Vector3d normal = Cross(c - b, a - b);
    if (normal.Length() <= kRelativeTolerance * size * size) {
        return "the first three corners of face " + to_string(f) + " lie on one line";
    }
    normal.Set_Length(1.0);
    for (int v : loops_[f]) {
        if (std::fabs(Dot(normal, points_[v] - b)) > tolerance) {
            return "face " + to_string(f) + " is not flat: vertex " + to_string(v) +
                   " lies off its plane";
        }
    }
    for (int v = 0; v < vertex_count_; ++v) {
        if (Dot(normal, points_[v] - b) > tolerance) {
            return "vertex " + to_string(v) + " lies outside the plane of face " + to_string(f) +
                   ": the shape is not convex, or its faces are not counter-clockwise seen from "
                   "outside";
        }
    }
    return {};
}

}  // namespace

std::string Polyhedron_Input_Fault(int vertex_count, const double* coordinates, int face_count,
                                   const int* face_sizes, const int* face_indices) {
    if (vertex_count < 4) {
        return "a closed polyhedron needs at least 4 vertices, not " + to_string(vertex_count);
    }
    if (face_count < 4) {
        return "a closed polyhedron needs at least 4 faces, not " + to_string(face_count);
    }
    if (coordinates == nullptr || face_sizes == nullptr || face_indices == nullptr) {
        return "the vertex or face tables are missing";
    }
    InputCheck check(vertex_count, coordinates, face_count, face_sizes, face_indices);
    std::string fault = check.Points_Fault();
    if (fault.empty()) {
        fault = check.Loops_Fault();
    }
    if (fault.empty()) {
        fault = check.Closure_Fault();
    }
    if (fault.empty()) {
        fault = check.Euler_Fault();
    }
    if (fault.empty()) {
        fault = check.Shape_Fault();
    }
    return fault;
}
