// A sweep of near-touching queries of the closest-feature walk, where rounding decides which of
// two touching features the tests see first. Each case places two convex shapes so that the exact
// gap between them is known: a vertex of one above the inside of a face of the other, or an edge
// of one crossing over an edge of the other, both features extreme along the vertical. The gap
// is then swept through tiny values, each query from the features the last one ended with (as the
// simulator carries them) and again from empty slots.
//
//   vclip_stress [queries] [seed]
//
// It prints how many queries ended the program ("Cycling in vclip"), gave a NaN, or answered with
// the wrong sign where the gap exceeds 1e-12 of the size, and the worst distance error; then a
// checksum over every query's final features, number of state tests, distance, points and normal,
// bit for bit, so that a change meant to keep the walk's answers can show that it does.
#include <setjmp.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "bench/sphere_tables.h"
#include "collision/body_pair_query.h"
#include "collision/vclip.h"
#include "support/shapes.h"

namespace {

sigjmp_buf g_abort_jump;

void On_Abort(int) {
    siglongjmp(g_abort_jump, 1);
}

// A shape kind, built twice: a polyhedron keeps the world caches of one body, so the two bodies
// of a case never share one.
struct Kind {
    std::unique_ptr<Polyhedron> lower;
    std::unique_ptr<Polyhedron> upper;
    bool squashed;  // given a different scale along each axis on top of its size

    Kind(const ShapeTables& t, bool squash)
        : lower(t.Build()), upper(t.Build()), squashed(squash) {}
};

// A frustum of a regular n-gon: the bottom of radius 1 at z = -1, the top of `top_ratio` at z = 1.
ShapeTables Frustum_Tables(int sides, double top_ratio) {
    ShapeTables t;
    for (const double z : {1.0, -1.0}) {
        const double radius = z > 0 ? top_ratio : 1.0;
        for (int i = 0; i < sides; ++i) {
            const double angle = 2.0 * M_PI * i / sides;
            t.coordinates.insert(t.coordinates.end(),
                                 {radius * std::cos(angle), radius * std::sin(angle), z});
        }
    }
    t.face_sizes = {sides, sides};  // top and bottom, counter-clockwise seen from outside
    for (int i = 0; i < sides; ++i) {
        t.face_indices.push_back(i);
    }
    for (int i = sides - 1; i >= 0; --i) {
        t.face_indices.push_back(sides + i);
    }
    for (int i = 0; i < sides; ++i) {
        const int j = (i + 1) % sides;
        t.face_sizes.push_back(4);
        t.face_indices.insert(t.face_indices.end(), {i, sides + i, sides + j, j});
    }
    return t;
}

// FNV-1a over the bytes of everything a query answers.
class Checksum {
public:
    template <typename T>
    void Add(const T& value) {
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        for (const unsigned char b : bytes) {
            hash_ = (hash_ ^ b) * 0x100000001b3ULL;
        }
    }
    void Add(const Vector3d& v) {
        Add(v.x);
        Add(v.y);
        Add(v.z);
    }
    // A feature by its kind and its place in its polyhedron's table.
    void Add(const Polyhedron& p, const Feature* f) {
        Add(static_cast<int>(f->kind));
        switch (f->kind) {
            case FeatureKind::Vertex:
                Add(static_cast<const PolyVertex*>(f) - p.vertices.data());
                break;
            case FeatureKind::Edge:
                Add(static_cast<const PolyEdge*>(f) - p.edges.data());
                break;
            case FeatureKind::Face:
                Add(static_cast<const PolyFace*>(f) - p.faces.data());
                break;
        }
    }
    std::uint64_t Value() const { return hash_; }

private:
    std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

class Sweep {
public:
    explicit Sweep(unsigned seed) : random_(seed) {
        kinds_.emplace_back(Box_Tables(), true);
        for (int sides : {3, 5, 8, 12}) {
            kinds_.emplace_back(Frustum_Tables(sides, 0.3 + 0.05 * sides), false);
        }
        kinds_.emplace_back(Tetrahedron_Tables(), true);
        kinds_.emplace_back(Sphere_Tables(1.0), true);
    }

    void Run(long queries) {
        while (queries_ < queries) {
            Run_Case();
        }
        std::printf(
            "vclip_stress: %ld near-touching queries (%ld vertex on face, %ld edges crossing), "
            "half of them from carried features: %ld aborts, %ld NaN outputs, %ld wrong signs "
            "where the gap exceeds 1e-12 of the size; worst distance error %.3g of the size\n",
            queries_, vertex_face_, queries_ - vertex_face_, aborts_, nans_, wrong_signs_,
            worst_error_);
        std::printf(
            "vclip_stress: checksum of features, state tests, distances, points, normals: "
            "%016llx\n",
            static_cast<unsigned long long>(checksum_.Value()));
    }

    bool Clean() const { return aborts_ == 0 && nans_ == 0 && wrong_signs_ == 0; }

private:
    // One body of a case, placed with its chosen feature at the origin.
    struct Placed {
        Polyhedron* shape;
        BodyPose pose;
    };

    double Uniform(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random_);
    }
    int Integer(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }

    // The outward normal of a face in the frame where the body is scaled by `scale`.
    static Vector3d Scaled_Normal(const PolyFace& f, const Vector3d& scale) {
        Vector3d n;  // Newell's sum, exact for planar loops
        for (int i = 0; i < f.vertex_count; ++i) {
            const Vector3d a = Scale_Each(f.vertices[i]->position, scale);
            const Vector3d b = Scale_Each(f.vertices[(i + 1) % f.vertex_count]->position, scale);
            n += Cross(a, b);
        }
        n.Set_Length(1.0);
        return n;
    }

    // A direction inside the normal cone of edge `e` in the scaled frame: a positive mix of the
    // normals of its two faces. The weights are drawn in statements of their own: the order in
    // which one expression evaluates its operands is unspecified, and from `a * x + b * y` g++
    // draws b first while clang draws a first, so the two builds swept different shapes. The
    // order kept is the one g++ took, so the recorded figures still hold.
    Vector3d Edge_Outward(const PolyEdge& e, const Vector3d& scale) {
        const double right_weight = Uniform(0.2, 1.0);
        const double left_weight = Uniform(0.2, 1.0);
        return left_weight * Scaled_Normal(*e.left_face, scale) +
               right_weight * Scaled_Normal(*e.right_face, scale);
    }

    // The turn that takes unit `from` to unit `to`, then a random twist about `to`.
    Quaternion Turn(const Vector3d& from, const Vector3d& to) {
        Vector3d axis = Cross(from, to);
        const double along = Dot(from, to);
        Quaternion turn;
        if (axis.Length() < 1e-9) {
            axis = std::fabs(from.x) < 0.9 ? Cross(from, {1, 0, 0}) : Cross(from, {0, 1, 0});
            axis.Set_Length(1.0);
            turn = along > 0 ? Quaternion() : Quaternion::From_Axis_Angle(180.0, axis);
        } else {
            const double degrees = std::atan2(axis.Length(), along) * 180.0 / M_PI;
            axis.Set_Length(1.0);
            turn = Quaternion::From_Axis_Angle(degrees, axis);
        }
        return Quaternion::From_Axis_Angle(Uniform(0.0, 360.0), to) * turn;
    }

    // Places `shape` so that the body-space point `at` (scaled) lands on `where` and the unit
    // scaled-frame direction `outward` points along `up`.
    Placed Place(Polyhedron& shape, const Vector3d& scale, const Vector3d& at,
                 const Vector3d& outward, const Vector3d& up, const Vector3d& where) {
        Placed p{&shape, {}};
        p.pose.orientation = Turn(outward, up);
        p.pose.scale = scale;
        p.pose.position = where - p.pose.orientation.Rotate(Scale_Each(at, scale));
        return p;
    }

    Vector3d Random_Scale(const Kind& kind, double size) {
        if (!kind.squashed) {
            return {size, size, size};
        }
        return {size * Uniform(0.3, 1.5), size * Uniform(0.3, 1.5), size * Uniform(0.3, 1.5)};
    }

    void Run_Case() {
        const double size = std::pow(10.0, Uniform(-2.0, 3.0));
        Kind& lower_kind = kinds_[Integer(static_cast<int>(kinds_.size()))];
        Kind& upper_kind = kinds_[Integer(static_cast<int>(kinds_.size()))];
        const Vector3d lower_scale = Random_Scale(lower_kind, size * Uniform(0.5, 2.0));
        const Vector3d upper_scale = Random_Scale(upper_kind, size * Uniform(0.5, 2.0));
        Polyhedron& lower_shape = *lower_kind.lower;
        Polyhedron& upper_shape = *upper_kind.upper;
        const bool vertex_on_face = Integer(2) == 0;

        Placed lower{nullptr, {}};
        Vector3d upper_point;    // body space
        Vector3d upper_outward;  // scaled frame
        if (vertex_on_face) {
            // A point well inside a face of the lower body, and a vertex of the upper one with a
            // direction inside its normal cone (a positive mix of the normals of its faces).
            const PolyFace& f =
                lower_shape.faces[Integer(static_cast<int>(lower_shape.faces.size()))];
            Vector3d inside;
            double total = 0.0;
            for (const PolyVertex* v : f.vertices) {
                const double w = Uniform(0.2, 1.0);
                inside += w * v->position;
                total += w;
            }
            lower = Place(lower_shape, lower_scale, inside * (1.0 / total),
                          Scaled_Normal(f, lower_scale), {0, 0, 1}, {0, 0, 0});
            const int vi = Integer(static_cast<int>(upper_shape.vertices.size()));
            upper_point = upper_shape.vertices[vi].position;
            for (const PolyFace& g : upper_shape.faces) {
                for (const PolyVertex* v : g.vertices) {
                    if (v == &upper_shape.vertices[vi]) {
                        upper_outward += Uniform(0.2, 1.0) * Scaled_Normal(g, upper_scale);
                    }
                }
            }
        } else {
            // A point in the middle part of an edge of each, with a direction inside the edge's
            // normal cone; both edges end up horizontal, crossing over each other.
            const PolyEdge& e =
                lower_shape.edges[Integer(static_cast<int>(lower_shape.edges.size()))];
            const Vector3d along =
                e.tail->position + Uniform(0.2, 0.8) * (e.head->position - e.tail->position);
            Vector3d outward = Edge_Outward(e, lower_scale);
            outward.Set_Length(1.0);
            lower = Place(lower_shape, lower_scale, along, outward, {0, 0, 1}, {0, 0, 0});
            const PolyEdge& u =
                upper_shape.edges[Integer(static_cast<int>(upper_shape.edges.size()))];
            upper_point =
                u.tail->position + Uniform(0.2, 0.8) * (u.head->position - u.tail->position);
            upper_outward = Edge_Outward(u, upper_scale);
        }
        upper_outward.Set_Length(1.0);
        const Placed upper_at_zero =
            Place(upper_shape, upper_scale, upper_point, upper_outward, {0, 0, -1}, {0, 0, 0});
        const double reach = std::max({upper_scale.x, upper_scale.y, upper_scale.z, lower_scale.x,
                                       lower_scale.y, lower_scale.z});

        // Eight gaps in turn, from the features the last query ended with; each again from empty
        // slots. The first query of a case comes from empty slots either way.
        ClosestFeatures carried;
        for (int i = 0; i < 8; ++i) {
            const double gap = (i % 2 == 0 ? Uniform(-1e-4, 1e-4) : Uniform(-1e-15, 1e-15)) * reach;
            BodyPose upper_pose = upper_at_zero.pose;
            upper_pose.position.z += gap;
            Query(lower.shape, lower.pose, upper_at_zero.shape, upper_pose, carried, gap, reach,
                  vertex_on_face);
            ClosestFeatures empty;
            Query(lower.shape, lower.pose, upper_at_zero.shape, upper_pose, empty, gap, reach,
                  vertex_on_face);
        }
    }

    void Query(Polyhedron* a, const BodyPose& pose_a, Polyhedron* b, const BodyPose& pose_b,
               ClosestFeatures& slots, double gap, double reach, bool vertex_on_face) {
        ++queries_;
        vertex_face_ += vertex_on_face;
        const Matrix4d ta = World_Transform(pose_a);
        const Matrix4d tb = World_Transform(pose_b);
        Vector3d pa;
        Vector3d pb;
        Vector3d normal;
        double d = 0.0;
        if (sigsetjmp(g_abort_jump, 1) != 0) {
            ++aborts_;
            checksum_.Add(-1L);
            slots = ClosestFeatures();
            return;
        }
        const unsigned long tests_before = vclip_state_test_count;
        d = VClip(*a, ta, slots.feature_a, pa, *b, tb, slots.feature_b, pb, normal);
        checksum_.Add(*a, slots.feature_a);
        checksum_.Add(*b, slots.feature_b);
        checksum_.Add(vclip_state_test_count - tests_before);
        checksum_.Add(d);
        checksum_.Add(pa);
        checksum_.Add(pb);
        checksum_.Add(normal);
        if (std::isnan(d) || (d > 0 && (std::isnan(pa.x + pa.y + pa.z + pb.x + pb.y + pb.z) ||
                                        std::isnan(normal.x + normal.y + normal.z)))) {
            ++nans_;
            return;
        }
        if (std::fabs(gap) > 1e-12 * reach && (d > 0) != (gap > 0)) {
            ++wrong_signs_;
        }
        if (gap > 0 && d > 0) {
            worst_error_ = std::max(worst_error_, std::fabs(d - gap) / reach);
        }
    }

    std::mt19937_64 random_;
    std::vector<Kind> kinds_;
    long queries_ = 0;
    long vertex_face_ = 0;
    long aborts_ = 0;
    long nans_ = 0;
    long wrong_signs_ = 0;
    double worst_error_ = 0.0;
    Checksum checksum_;
};

}  // namespace

int main(int argc, char** argv) {
    char* end = nullptr;
    const long queries = argc > 1 ? std::strtol(argv[1], &end, 10) : 1000000;
    if (argc > 1 && (*end != '\0' || queries <= 0)) {
        std::fprintf(stderr,
                     "vclip_stress: the number of queries must be a positive integer, not \"%s\"\n",
                     argv[1]);
        return 2;
    }
    const unsigned long seed = argc > 2 ? std::strtoul(argv[2], &end, 10) : 1;
    if (argc > 2 && *end != '\0') {
        std::fprintf(stderr, "vclip_stress: the seed must be a non-negative integer, not \"%s\"\n",
                     argv[2]);
        return 2;
    }
    // The step limit ends the program by abort(); here it ends one query instead, so the sweep can
    // count them.
    std::signal(SIGABRT, On_Abort);
    Sweep sweep(static_cast<unsigned>(seed));
    sweep.Run(queries);
    return sweep.Clean() ? 0 : 1;
}
