#pragma once

#include <vector>

#include "math/vector3d.h"
#include "sim/sim_state.h"

class Polyhedron;

// A body's convex shape placed in the world by one snapshot of its motion, computed afresh from
// the shape's body-space vertices: measuring with it reads nothing of, and writes nothing to, the
// world-space caches and stamps that the closest-feature walk keeps in the polyhedron.
class WorldShape {
public:
    // Places `shape` by `pose`: a body-space point p lands on position + R(orientation)(scale * p).
    // The shape must outlive this object.
    WorldShape(const Polyhedron& shape, const SimState& pose);

    const Vector3d& Low() const { return low_; }  // corners of the axis-aligned bounding box
    const Vector3d& High() const { return high_; }

    // Whether the bounding boxes of the two shapes, each grown by `margin`, overlap.
    bool Boxes_Near(const WorldShape& other, double margin) const;

    // How deep this shape and `other` interpenetrate: the shortest move of one that leaves them
    // apart, by the separating axes of two convex polyhedra (the faces' normals of both, and the
    // cross products of the pairs of edges whose arcs of face normals cross); 0 when they are
    // apart or just touch. Exact when deeper than `floor`; otherwise a figure of at most `floor`,
    // since the edge pairs, by far the costliest part, are only examined when the faces leave
    // room for more.
    double Penetration_Depth(const WorldShape& other, double floor) const;

    // The unit direction from this shape towards `other` along which the faces of the two show
    // them overlapping least (the shortest way to part them, but for an edge of each crossing the
    // other, which the costly edge pairs would tell); or `guess`, a unit direction the same way,
    // where they overlap along it by no more than `slack` beyond that least, or where the faces
    // show them apart (they touch only where edges cross, or not at all).
    Vector3d Shortest_Way_Apart(const WorldShape& other, const Vector3d& guess, double slack) const;

private:
    // The outward unit normals of the faces, in the order of the polyhedron's faces; zero for a
    // face squashed to nothing. Worked out at the first call.
    const std::vector<Vector3d>& Face_Normals() const;
    // The smallest projection of a vertex onto `axis`.
    double Lowest_Along(const Vector3d& axis) const;
    // The smallest of h(n) = highest(this, n) - lowest(other, n) over the faces' normals n of
    // this shape, where below `least`, with its n in `axis`; stops early once below 0, when the
    // shapes are apart.
    double Least_Face_Overlap(const WorldShape& other, double least, Vector3d& axis) const;
    // The least of those over the faces of both shapes, with `way` the unit direction from this
    // shape towards the other along which it is found.
    double Least_Overlap_By_Faces(const WorldShape& other, Vector3d& way) const;
    double Least_Edge_Overlap(const WorldShape& other, double least) const;

    const Polyhedron& shape_;
    std::vector<Vector3d> vertices_;  // world space, in the polyhedron's order
    Vector3d low_;
    Vector3d high_;
    mutable std::vector<Vector3d> face_normals_;
    mutable std::size_t lowest_hint_ = 0;  // the vertex the last Lowest_Along ended on
};
