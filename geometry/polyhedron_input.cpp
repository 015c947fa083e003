#include "geometry/polyhedron_input.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "math/vector3d.h"

namespace {

// Flatness and convexity are judged relative to the size of the shape, so that rounding in the
// coordinates of a correct mesh never rejects it.
constexpr double kRelativeTolerance = 1e-9;

uint64_t Side_Key(int tail, int head) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(tail)) << 32) | static_cast<uint32_t>(head);
}

}  // namespace

std::string Polyhedron_Input_Fault(int vertex_count, const double* coordinates, int face_count,
                                   const int* face_sizes, const int* face_indices) {
    using std::to_string;
    if (vertex_count < 4) {
        return "a closed polyhedron needs at least 4 vertices, not " + to_string(vertex_count);
    }
    if (face_count < 4) {
        return "a closed polyhedron needs at least 4 faces, not " + to_string(face_count);
    }
    if (coordinates == nullptr || face_sizes == nullptr || face_indices == nullptr) {
        return "the vertex or face tables are missing";
    }

    std::vector<Vector3d> points(vertex_count);
    Vector3d low(1e300, 1e300, 1e300);
    Vector3d high(-1e300, -1e300, -1e300);
    for (int i = 0; i < vertex_count; ++i) {
        const double* c = coordinates + 3 * i;
        if (!std::isfinite(c[0]) || !std::isfinite(c[1]) || !std::isfinite(c[2])) {
            return "vertex " + to_string(i) + " has a coordinate that is not a finite number";
        }
        points[i] = Vector3d(c[0], c[1], c[2]);
        low = Vector3d(std::fmin(low.x, c[0]), std::fmin(low.y, c[1]), std::fmin(low.z, c[2]));
        high = Vector3d(std::fmax(high.x, c[0]), std::fmax(high.y, c[1]), std::fmax(high.z, c[2]));
    }

    // Every directed side (tail -> head) with the face it belongs to.
    std::unordered_map<uint64_t, int> side_face;
    std::vector<std::vector<int>> loops(face_count);
    const int* index = face_indices;
    for (int f = 0; f < face_count; ++f) {
        const int n = face_sizes[f];
        if (n < 3) {
            return "face " + to_string(f) + " has " + to_string(n) +
                       " corners; a face needs at least 3";
        }
        std::unordered_set<int> seen;
        for (int k = 0; k < n; ++k) {
            const int v = *index++;
            if (v < 0 || v >= vertex_count) {
                return "face " + to_string(f) + " names vertex " + to_string(v) +
                           ", outside 0.." + to_string(vertex_count - 1);
            }
            if (!seen.insert(v).second) {
                return "face " + to_string(f) + " visits vertex " + to_string(v) + " twice";
            }
            loops[f].push_back(v);
        }
        for (int k = 0; k < n; ++k) {
            const int tail = loops[f][(k + n - 1) % n];
            const int head = loops[f][k];
            auto [at, inserted] = side_face.emplace(Side_Key(tail, head), f);
            if (!inserted) {
                return "faces " + to_string(at->second) + " and " + to_string(f) +
                           " both run along side " + to_string(tail) + "->" + to_string(head) +
                           " in the same direction";
            }
        }
    }

    for (int f = 0; f < face_count; ++f) {
        const int n = static_cast<int>(loops[f].size());
        for (int k = 0; k < n; ++k) {
            const int tail = loops[f][(k + n - 1) % n];
            const int head = loops[f][k];
            if (side_face.count(Side_Key(head, tail)) == 0) {
                return "side " + to_string(tail) + "->" + to_string(head) + " of face " +
                           to_string(f) + " has no face running back along it: the surface is not closed";
            }
        }
    }

    const size_t edge_count = side_face.size() / 2;
    const size_t euler_count = static_cast<size_t>(vertex_count) + face_count - 2;
    if (edge_count != euler_count) {
        return "the faces have " + to_string(edge_count) + " edges, but one closed convex surface of " +
                   to_string(vertex_count) + " vertices and " + to_string(face_count) + " faces has " +
                   to_string(euler_count) + " (unused vertices, separate pieces or holes)";
    }

    const double size = (high - low).Length();
    const double tolerance = kRelativeTolerance * size;
    for (int f = 0; f < face_count; ++f) {
        const Vector3d& a = points[loops[f][0]];
        const Vector3d& b = points[loops[f][1]];
        const Vector3d& c = points[loops[f][2]];
        Vector3d normal = Cross(c - b, a - b);
        if (normal.Length() <= kRelativeTolerance * size * size) {
            return "the first three corners of face " + to_string(f) + " lie on one line";
        }
        normal.Set_Length(1.0);
        for (int v : loops[f]) {
            if (std::fabs(Dot(normal, points[v] - b)) > tolerance) {
                return "face " + to_string(f) + " is not flat: vertex " + to_string(v) +
                           " lies off its plane";
            }
        }
        for (int v = 0; v < vertex_count; ++v) {
            if (Dot(normal, points[v] - b) > tolerance) {
                return "vertex " + to_string(v) + " lies outside the plane of face " + to_string(f) +
                           ": the shape is not convex, or its faces are not counter-clockwise seen from outside";
            }
        }
    }
    return {};
}
