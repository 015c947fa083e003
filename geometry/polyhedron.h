#pragma once

#include <cstdint>
#include <vector>

#include "math/matrix4d.h"
#include "math/vector3d.h"

// A closed convex polyhedron as the closest-feature walk sees it: vertices, edges and faces, each a
// Feature, joined by the planes that bound their Voronoi regions.
//
// Conventions, stated once:
// - Faces are wound counter-clockwise seen from outside, so a face's plane normal points outward.
// - A plane's value at p is normal . p + offset. Every vertex-edge and edge-face plane is positive
//   on the side of the vertex or face it separates from the edge and negative on the edge's side;
//   a face's own plane is positive outside the body.
// - Coordinates are given in body space. Each feature keeps a world-space copy of what the walk
//   needs, refreshed lazily: a cached value is current when its `stamp` equals the stamp of the
//   query in progress, so each value is transformed at most once per query and only if visited.

struct PolyVertex;
struct PolyEdge;
struct PolyFace;

enum class FeatureKind : int { Vertex = 0, Edge = 1, Face = 2 };

struct Feature {
    FeatureKind kind;

    explicit Feature(FeatureKind k) : kind(k) {}
    virtual ~Feature() = default;
};

// One plane of a Voronoi region, stored in the edge it belongs to and shared with the vertex or
// face on its other side through a FeatureLink.
struct VoronoiPlane {
    PolyFace* face = nullptr;  // set for a face's own plane and for edge-face planes
    PolyEdge* edge = nullptr;  // set for all four planes of an edge
    bool at_head = true;       // vertex-edge planes: the plane at the edge's head (else its tail)
    Vector3d normal{1.0, 0.0, 0.0};
    double offset = 0.0;
    std::uint64_t stamp = 0;

    double Value(const Vector3d& p) const { return Dot(normal, p) + offset; }
    void Refresh(const Matrix4d& transform, std::uint64_t query_stamp);
};

// A list node naming a neighbouring edge and the plane between it and the list's owner.
struct FeatureLink {
    VoronoiPlane* plane = nullptr;
    PolyEdge* edge = nullptr;
    int index = 0;  // scratch for the edge-face test: the link's position in its face's ring
    FeatureLink* next = nullptr;
    FeatureLink* prev = nullptr;
};

struct PolyVertex : Feature {
    Vector3d position;             // body space
    Vector3d world;                // world space, current when stamp matches
    FeatureLink* links = nullptr;  // one per incident edge, newest edge first; null-terminated
    std::uint64_t stamp = 0;

    explicit PolyVertex(const Vector3d& p) : Feature(FeatureKind::Vertex), position(p), world(p) {}

    void Refresh(const Matrix4d& transform, std::uint64_t query_stamp) {
        if (stamp == query_stamp) {
            return;
        }
        world = transform.Transform_Point(position);
        stamp = query_stamp;
    }
};

struct PolyEdge : Feature {
    Vector3d vector;  // head.world - tail.world
    double length = 0.0;
    Vector3d direction;  // unit, tail to head
    PolyVertex* head = nullptr;
    VoronoiPlane head_plane;  // normal +direction, through the head
    PolyVertex* tail = nullptr;
    VoronoiPlane tail_plane;        // normal -direction, through the tail
    PolyFace* left_face = nullptr;  // its loop runs along the edge from tail to head
    VoronoiPlane left_plane;
    PolyFace* right_face = nullptr;  // its loop runs from head to tail
    VoronoiPlane right_plane;
    std::uint64_t stamp = 0;

    PolyEdge() : Feature(FeatureKind::Edge) {}

    void Refresh(const Matrix4d& transform, std::uint64_t query_stamp);
    PolyVertex* Other_End(const PolyVertex* end) const { return end == tail ? head : tail; }
};

struct PolyFace : Feature {
    int vertex_count = 0;
    std::vector<PolyVertex*> vertices;  // the loop, counter-clockwise seen from outside
    VoronoiPlane plane;                 // the supporting plane, positive outside
    // Circular ring, one link per side: first the side from the last loop vertex to the first,
    // then the sides (0 -> 1), (1 -> 2), ... in loop order.
    FeatureLink* sides = nullptr;
    std::uint64_t stamp = 0;

    PolyFace() : Feature(FeatureKind::Face) {}

    void Refresh(const Matrix4d& transform, std::uint64_t query_stamp);
};

class Polyhedron {
public:
    // Builds the features and their adjacency from vertex coordinates (x, y, z triples) and face
    // loops (face_sizes[i] vertex indices each, concatenated in face_indices). The input must
    // describe a closed convex polyhedron; anything else throws a GenericException* naming the
    // fault before anything is built.
    Polyhedron(int vertex_count, const double* coordinates, int face_count, const int* face_sizes,
               const int* face_indices);

    // Features point at each other, so a polyhedron stays where it was built.
    Polyhedron(const Polyhedron&) = delete;
    Polyhedron& operator=(const Polyhedron&) = delete;

    // Half the extent of the body-space x coordinates; -1e20 for a shape without vertices.
    double X_Half_Extent() const;

    int Feature_Count() const {
        return static_cast<int>(vertices.size() + edges.size() + faces.size());
    }

    // Features live here, never reallocated, in input order (edges in the order built).
    std::vector<PolyVertex> vertices;
    std::vector<PolyEdge> edges;
    std::vector<PolyFace> faces;
    // Raised once per collision query on this polyhedron. A stamp must never come back to a value
    // it has had, or a value cached that many queries ago would pass for current. 64 bits last
    // centuries at billions of queries a second; 32 bits ran out in the demo's ball after some
    // 1,500 hours of game time (twenty minutes of a headless run).
    std::uint64_t stamp = 0;

    // Starts a collision query that places the polyhedron by `transform`: raises `stamp` and
    // returns the stamp that the query's world values are to carry. A query placed bit for bit as
    // the last one would compute every world value the same again (a fixed body, or one that did
    // not move between two queries), so it gets that query's stamp and finds the caches current.
    std::uint64_t Begin_Query(const Matrix4d& transform);

private:
    PolyEdge& Create_Edge(PolyFace& face, PolyVertex* tail, PolyVertex* head);
    FeatureLink* New_Link(VoronoiPlane* plane, PolyEdge* edge);
    static void Append_To_Ring(PolyFace& face, FeatureLink* link);

    std::vector<FeatureLink> links_;  // storage of every list node of the vertices and faces
    Matrix4d placed_by_;              // the transform of the last query
    std::uint64_t placed_stamp_ = 0;  // the stamp its world values carry; 0 before any query
};
