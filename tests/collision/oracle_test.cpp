// The walk on random pairs of convex bodies (qhull's hulls of random points, boxes, paddles,
// prisms, tetrahedra; turned, scaled or squashed and stretched) against FCL's GJK distance, and
// the exact brute force where the two disagree and at each pair's first position. Each pair is
// queried from empty slots and, as one body moves in small steps, from the last query's features.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <utility>
#include <vector>

#include "collision/body_pair_query.h"
#include "collision/vclip.h"
#include "support/approx.h"
#include "support/fcl_oracle.h"
#include "support/hull.h"

namespace {

// A shape placed in the world, computed from its tables without the polyhedron's features: the
// exact reference the closest-feature walk is checked against.
struct WorldShape {
    WorldShape(const ShapeTables& tables, const Matrix4d& transform);

    // The largest face-plane value at p: 0 on the surface, negative inside.
    double Outside(const Vector3d& p) const;

    std::vector<Vector3d> vertices;
    std::vector<std::vector<int>> faces;  // loops, counter-clockwise seen from outside
    std::vector<Vector3d> normals;        // outward unit normal of each face
    std::vector<double> offsets;          // normal . p + offset is 0 on the face's plane
    std::vector<std::pair<Vector3d, Vector3d>> sides;  // of every face: each edge twice
    double size = 0.0;  // largest distance of a vertex from the origin
};

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

// The distance between two convex shapes, point by point over every pair of an edge with an edge
// or a face; 0 when they touch, overlap or one holds the other.
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

struct Body {
    ShapeTables tables;
    std::unique_ptr<Polyhedron> polyhedron;
    BodyPose pose;
};

Body Random_Body(TestRandom& random) {
    const int kind = random.Integer(0, 5);
    Body body{kind < 2    ? Random_Hull_Tables(random, random.Integer(4, 24))
              : kind == 2 ? Box_Tables()
              : kind == 3 ? Paddle_Tables()
              : kind == 4 ? Prism_Tables(random.Integer(3, 8))
                          : Tetrahedron_Tables(),
              nullptr,
              {}};
    body.polyhedron = body.tables.Build();
    body.pose.orientation = random.Rotation();
    const double k = random.Uniform(0.45, 1.9);  // squashed and stretched, the volume kept
    body.pose.scale = random.Integer(0, 1) ? Vector3d(k, 1 / std::sqrt(k), 1 / std::sqrt(k))
                                           : random.In_Box(1.35) + Vector3d(1.65, 1.65, 1.65);
    return body;
}

}  // namespace

TEST(VClipOracle, AgreesWithGjkAndTheExactDistanceOnRandomPairs) {
    TestRandom random(20261206);
    const fcl::Transform3d placed = fcl::Transform3d::Identity();
    int apart = 0, touching = 0, near = 0, exact_checks = 0;
    for (int n = 0; n < 1000; ++n) {
        Body a = Random_Body(random), b = Random_Body(random);
        b.pose.position = random.Uniform(0.5, 6.0) * random.On_Unit_Sphere();
        Feature *carried_a = nullptr, *carried_b = nullptr;
        for (int step = 0; step < 6; ++step) {
            b.pose.position += random.In_Box(step > 0 ? 0.05 : 0.0);
            b.pose.orientation =
                Quaternion::From_Axis_Angle(random.Uniform(-3, 3), random.On_Unit_Sphere()) *
                b.pose.orientation;
            const Matrix4d ma = World_Transform(a.pose), mb = World_Transform(b.pose);
            const WorldShape wa(a.tables, ma), wb(b.tables, mb);
            const double size = std::max(wa.size, wb.size);
            const double gjk =
                Fcl_Distance(*Fcl_Convex(a.tables, ma), placed, *Fcl_Convex(b.tables, mb), placed);
            for (bool carry : {false, true}) {
                const std::string trace = random.Trace() + ", pair " + std::to_string(n) +
                                          ", step " + std::to_string(step) +
                                          (carry ? ", carried" : ", from empty slots");
                Feature *empty_a = nullptr, *empty_b = nullptr;
                Vector3d pa, pb, normal;
                const double d = VClip(*a.polyhedron, ma, carry ? carried_a : empty_a, pa,
                                       *b.polyhedron, mb, carry ? carried_b : empty_b, pb, normal);
                ASSERT_FALSE(std::isnan(d)) << trace;
                if (std::fabs(d) < 1e-7 * size || std::fabs(gjk) < 1e-7 * size) {
                    ++near;  // neither answer is trusted to decide contact this close
                    continue;
                }
                if ((d > 0) != (gjk > 0) || (d > 0 && std::fabs(d - gjk) > 1e-7 * d) || step == 0) {
                    ++exact_checks;  // GJK now and then stops short or misjudges contact
                    const double exact = Exact_Distance(wa, wb);
                    ASSERT_EQ(d > 0, exact > 1e-9 * size)
                        << trace << ": walk " << d << ", exact " << exact;
                    EXPECT_NEAR(std::max(d, 0.0), exact, 1e-9 * size) << trace;
                }
                if (d <= 0) {
                    ++touching;
                    continue;
                }
                ++apart;
                // The witnesses lie on the surfaces and are joined by the distance times the unit
                // normal.
                EXPECT_NEAR(wa.Outside(pa), 0.0, 1e-10 * size) << trace;
                EXPECT_NEAR(wb.Outside(pb), 0.0, 1e-10 * size) << trace;
                EXPECT_TRUE(Near(pb - pa, d * normal, 1e-10 * size)) << trace;
                EXPECT_NEAR(normal.Length(), 1.0, 1e-12) << trace;
            }
        }
    }
    std::cout << apart << " apart, " << touching << " touching, " << near << " too near to judge, "
              << exact_checks << " checked exactly\n";
    EXPECT_GT(apart, 4000);  // both outcomes must really occur for the comparison to mean anything
    EXPECT_GT(touching, 2000);
}
