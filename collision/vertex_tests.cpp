#include "collision/state_tests.h"

#include <optional>
#include <utility>

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

StepResult Vertex_Edge_Test(Feature*& vertex_slot, const WalkSide& a, Feature*& edge_slot,
                            const WalkSide& b) {
    PolyVertex& v = As_Vertex(vertex_slot);
    PolyEdge& e = As_Edge(edge_slot);

    // The vertex outside the edge's region: move the edge to the neighbour on the far side.
    const Vector3d& p = a.World(v);
    const std::pair<VoronoiPlane*, Feature*> edge_planes[] = {{&e.head_plane, e.head},
                                                              {&e.tail_plane, e.tail},
                                                              {&e.left_plane, e.left_face},
                                                              {&e.right_plane, e.right_face}};
    for (const auto& [plane, neighbour] : edge_planes) {
        if (b.Value(*plane, p) > 0.0) {
            edge_slot = neighbour;
            return StepResult::Continue;
        }
    }

    // Clip the edge against the vertex's region: the planes are positive inside it.
    b.Refreshed(e);
    const Vector3d& tail = e.tail->world;
    const Vector3d& head = e.head->world;
    const Vector3d& c = e.vector;
    double lambda_min = 0.0;
    double lambda_max = 1.0;
    PolyEdge* n_min = nullptr;
    PolyEdge* n_max = nullptr;
    bool stopped = false;
    for (FeatureLink* l = v.links; l != nullptr && !stopped; l = l->next) {
        const double h = a.Value(*l->plane, tail);
        const double g = a.Value(*l->plane, head);
        if (h >= 0.0 && g < 0.0) {
            const double lambda = Crossing(h, g);
            if (lambda < lambda_max) {
                lambda_max = lambda;
                n_max = l->edge;
                stopped = lambda_max < lambda_min;
            }
        } else if (h < 0.0 && g < 0.0) {
            n_min = n_max = l->edge;
            stopped = true;
        } else if (h < 0.0 && g >= 0.0) {
            const double lambda = Crossing(h, g);
            if (lambda > lambda_min) {
                lambda_min = lambda;
                n_min = l->edge;
                stopped = lambda_min > lambda_max;
            }
        }
    }
    if (stopped && n_min == n_max) {
        vertex_slot = n_min;
        return StepResult::Continue;
    }

    // Where the edge leaves the region, does the distance to the vertex keep falling beyond?
    if (n_min != nullptr) {
        const std::optional<double> slope = Slope_At_Vertex(tail, lambda_min, c, v);
        if (!slope) {
            return StepResult::Penetrating;
        }
        if (*slope > 0.0) {
            vertex_slot = n_min;
            return StepResult::Continue;
        }
    }
    if (n_max != nullptr) {
        const std::optional<double> slope = Slope_At_Vertex(tail, lambda_max, c, v);
        if (!slope) {
            return StepResult::Penetrating;
        }
        if (*slope < 0.0) {
            vertex_slot = n_max;
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
