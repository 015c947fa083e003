#include "collision/state_tests.h"

#include <optional>
#include <utility>

#include "collision/clip_interval.h"

StepResult Vertex_Vertex_Test(Feature*& a_slot, const WalkSide& a, Feature*& b_slot,
                              const WalkSide& b) {
    PolyVertex& va = As_Vertex(a_slot);
    PolyVertex& vb = As_Vertex(b_slot);

    const Vector3d& pb = b.World(vb);
    for (FeatureLink* l = va.links; l != nullptr; l = l->next) {
        if (a.Value(*l->plane, pb) < 0.0) {
            a_slot = l->edge;
            return StepResult::Continue;
        }
    }
    const Vector3d& pa = a.World(va);
    for (FeatureLink* l = vb.links; l != nullptr; l = l->next) {
        if (b.Value(*l->plane, pa) < 0.0) {
            b_slot = l->edge;
            return StepResult::Continue;
        }
    }
    const bool same_point = pa.x == pb.x && pa.y == pb.y && pa.z == pb.z;
    return same_point ? StepResult::Penetrating : StepResult::Disjoint;
}

namespace {

// The neighbour of edge e beyond the first of its region's planes that point p lies outside of
// (the planes are positive on the neighbour's side), or null when p is inside e's region.
Feature* Edge_Neighbour_Beyond(PolyEdge& e, const WalkSide& edge_side, const Vector3d& p) {
    const std::pair<VoronoiPlane*, Feature*> edge_planes[] = {{&e.head_plane, e.head},
                                                              {&e.tail_plane, e.tail},
                                                              {&e.left_plane, e.left_face},
                                                              {&e.right_plane, e.right_face}};
    for (const auto& [plane, neighbour] : edge_planes) {
        if (edge_side.Value(*plane, p) > 0.0) {
            return neighbour;
        }
    }
    return nullptr;
}

// Clips edge e (world values current) against the region of vertex v, whose planes are positive
// inside it, until the interval becomes empty. Returns the incident edge of v whose plane e lies
// wholly outside of, if there is one.
PolyEdge* Clip_Against_Vertex(const PolyVertex& v, const WalkSide& vertex_side, const PolyEdge& e,
                              ClipInterval<PolyEdge*>& interval) {
    for (FeatureLink* l = v.links; l != nullptr; l = l->next) {
        const double h = vertex_side.Value(*l->plane, e.tail->world);
        const double g = vertex_side.Value(*l->plane, e.head->world);
        if (h < 0.0 && g < 0.0) {
            return l->edge;
        }
        if (interval.Narrow(h, g, l->edge)) {
            break;
        }
    }
    return nullptr;
}

}  // namespace

StepResult Vertex_Edge_Test(Feature*& vertex_slot, const WalkSide& a, Feature*& edge_slot,
                            const WalkSide& b) {
    PolyVertex& v = As_Vertex(vertex_slot);
    PolyEdge& e = As_Edge(edge_slot);

    // The vertex outside the edge's region: move the edge to the neighbour on the far side.
    Feature* const beyond = Edge_Neighbour_Beyond(e, b, a.World(v));
    if (beyond != nullptr) {
        edge_slot = beyond;
        return StepResult::Continue;
    }

    // The edge outside the vertex's region: move the vertex to the edge on the far side.
    b.Refreshed(e);
    ClipInterval<PolyEdge*> interval;
    PolyEdge* const outside = Clip_Against_Vertex(v, a, e, interval);
    if (outside != nullptr) {
        vertex_slot = outside;
        return StepResult::Continue;
    }

    // Where the edge leaves the region, does the distance to the vertex keep falling beyond?
    const Vector3d& tail = e.tail->world;
    const Vector3d& c = e.vector;
    if (interval.n_min != nullptr) {
        const std::optional<double> slope = Slope_At_Vertex(tail, interval.lambda_min, c, v);
        if (!slope) {
            return StepResult::Penetrating;
        }
        if (*slope > 0.0) {
            vertex_slot = interval.n_min;
            return StepResult::Continue;
        }
    }
    if (interval.n_max != nullptr) {
        const std::optional<double> slope = Slope_At_Vertex(tail, interval.lambda_max, c, v);
        if (!slope) {
            return StepResult::Penetrating;
        }
        if (*slope < 0.0) {
            vertex_slot = interval.n_max;
            return StepResult::Continue;
        }
    }
    return StepResult::Disjoint;
}

StepResult Vertex_Face_Test(Feature*& vertex_slot, const WalkSide& a, Feature*& face_slot,
                            const WalkSide& b, std::vector<PolyFace>& b_faces) {
    PolyVertex& v = As_Vertex(vertex_slot);
    PolyFace& f = As_Face(face_slot);

    // Outside one or more side planes: the most violated side wins, the earliest on a tie.
    const Vector3d& p = a.World(v);
    double most_violated = 0.0;
    FeatureLink* side = f.sides;
    for (int k = 0; k < f.vertex_count; ++k, side = side->next) {
        const double value = b.Value(*side->plane, p);
        if (value < most_violated) {
            most_violated = value;
            face_slot = side->edge;
        }
    }
    if (most_violated < 0.0) {
        return StepResult::Continue;
    }

    double distance = b.Value(f.plane, p);
    if (distance == 0.0) {
        return StepResult::Penetrating;
    }

    // An incident edge that leads closer to the face's plane (from either side) is a better
    // feature than the vertex.
    for (FeatureLink* l = v.links; l != nullptr; l = l->next) {
        const double value = f.plane.Value(a.World(*l->edge->Other_End(&v)));
        if ((distance < 0.0 && value > distance) || (distance > 0.0 && value < distance)) {
            vertex_slot = l->edge;
            return StepResult::Continue;
        }
    }
    if (distance > 0.0) {
        return StepResult::Disjoint;
    }

    // A local minimum below the face: look for a face of b that the vertex lies above, else keep
    // the least deep one.
    for (PolyFace& other : b_faces) {
        const double value = b.Value(other.plane, p);
        if (value > distance) {
            distance = value;
            face_slot = &other;
        }
    }
    return distance > 0.0 ? StepResult::Continue : StepResult::Penetrating;
}
