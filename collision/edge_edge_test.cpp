#include "collision/state_tests.h"

#include <optional>
#include <utility>

namespace {

// The clipped edge's segment: tail + lambda * c for lambda in [0, 1].
struct Segment {
    const Vector3d& tail;
    const Vector3d& head;
    const Vector3d& c;

    std::optional<double> Slope_At(double lambda, const PolyVertex& v) const {
        return Slope_At_Vertex(tail, lambda, c, v);
    }
};

// Heights of the segment's ends above a face's supporting plane, interpolated along it.
struct FaceHeights {
    double at_tail;
    double at_head;

    FaceHeights(PolyFace& f, const WalkSide& side, const Segment& s)
        : at_tail(side.Value(f.plane, s.tail)), at_head(side.Value(f.plane, s.head)) {}
    double At(double lambda) const { return at_tail + (at_head - at_tail) * lambda; }
};

}  // namespace

StepResult Edge_Edge_Test(Feature*& a_slot, const WalkSide& a, Feature*& b_slot,
                          const WalkSide& b) {
    const StepResult first = Edge_Clip(b_slot, b, a.Refreshed(As_Edge(a_slot)));
    if (first != StepResult::Disjoint) {
        return first;
    }
    return Edge_Clip(a_slot, a, b.Refreshed(As_Edge(b_slot)));
}

StepResult Edge_Clip(Feature*& edge_slot, const WalkSide& edge_side, PolyEdge& clipped) {
    PolyEdge& e = As_Edge(edge_slot);
    const Segment s{clipped.tail->world, clipped.head->world, clipped.vector};

    // Plane values are negated so that they are positive inside e's region. The two vertex planes
    // are parallel, so each sets its end of the interval outright.
    double lambda_min = 0.0;
    double lambda_max = 1.0;
    Feature* n_min = nullptr;
    Feature* n_max = nullptr;
    for (auto [plane, end] : {std::pair{&e.tail_plane, e.tail}, std::pair{&e.head_plane, e.head}}) {
        const double at_tail = -edge_side.Value(*plane, s.tail);
        const double at_head = -edge_side.Value(*plane, s.head);
        if (at_tail < 0.0 && at_head < 0.0) {
            edge_slot = end;
            return StepResult::Continue;
        }
        if (at_tail < 0.0 && at_head >= 0.0) {
            n_min = end;
            lambda_min = Crossing(at_tail, at_head);
        } else if (at_tail >= 0.0 && at_head < 0.0) {
            n_max = end;
            lambda_max = Crossing(at_tail, at_head);
        }
    }
    PolyVertex* const v_min = static_cast<PolyVertex*>(n_min);
    PolyVertex* const v_max = static_cast<PolyVertex*>(n_max);
    const double lambda_v_min = lambda_min;
    const double lambda_v_max = lambda_max;

    bool misses = false;
    for (auto [plane, face] :
         {std::pair{&e.left_plane, e.left_face}, std::pair{&e.right_plane, e.right_face}}) {
        const double at_tail = -edge_side.Value(*plane, s.tail);
        const double at_head = -edge_side.Value(*plane, s.head);
        if (at_tail < 0.0 && at_head < 0.0) {
            // Wholly on the face's side: the face, unless the segment is closer to an end vertex.
            if (v_min != nullptr) {
                const std::optional<double> slope = s.Slope_At(lambda_v_min, *v_min);
                if (!slope) {
                    return StepResult::Penetrating;
                }
                if (*slope > 0.0) {
                    edge_slot = v_min;
                    return StepResult::Continue;
                }
            }
            if (v_max != nullptr) {
                const std::optional<double> slope = s.Slope_At(lambda_v_max, *v_max);
                if (!slope) {
                    return StepResult::Penetrating;
                }
                if (*slope < 0.0) {
                    edge_slot = v_max;
                    return StepResult::Continue;
                }
            }
            edge_slot = face;
            return StepResult::Continue;
        }
        if (at_tail < 0.0 && at_head >= 0.0) {
            const double lambda = Crossing(at_tail, at_head);
            if (lambda > lambda_min) {
                lambda_min = lambda;
                n_min = face;
                misses = lambda_min > lambda_max;
            }
        } else if (at_tail >= 0.0 && at_head < 0.0) {
            const double lambda = Crossing(at_tail, at_head);
            if (lambda < lambda_max) {
                lambda_max = lambda;
                n_max = face;
                misses = lambda_max < lambda_min;
            }
        }
        if (misses) {
            break;
        }
    }

    if (misses) {
        // The segment misses e's region: both ends of the interval are set, at least one a face.
        if (n_min->kind == FeatureKind::Vertex) {
            const std::optional<double> slope = s.Slope_At(lambda_min, As_Vertex(n_min));
            if (!slope) {
                return StepResult::Penetrating;
            }
            edge_slot = *slope < 0.0 ? n_max : n_min;
            return StepResult::Continue;
        }
        if (n_max->kind == FeatureKind::Vertex) {
            const std::optional<double> slope = s.Slope_At(lambda_max, As_Vertex(n_max));
            if (!slope) {
                return StepResult::Penetrating;
            }
            edge_slot = *slope > 0.0 ? n_min : n_max;
            return StepResult::Continue;
        }
        const FaceHeights h(As_Face(n_min), edge_side, s);
        const double d1 = h.At(lambda_min);
        if (d1 == 0.0) {
            return StepResult::Penetrating;
        }
        const bool towards_min =
            (d1 > 0.0 && h.at_head > h.at_tail) || (d1 < 0.0 && h.at_head < h.at_tail);
        edge_slot = towards_min ? n_min : n_max;
        return StepResult::Continue;
    }

    // The segment meets e's region on [lambda_min, lambda_max]. At each end of that interval, does
    // the distance keep falling into the neighbour beyond it?
    if (n_min != nullptr && n_min->kind == FeatureKind::Face) {
        const FaceHeights h(As_Face(n_min), edge_side, s);
        const double d1 = h.At(lambda_min);
        const double d2 = n_max != nullptr ? h.At(lambda_max) : h.at_head;
        if (d1 == 0.0) {
            return StepResult::Penetrating;
        }
        if ((d1 > 0.0 && d2 > d1) || (d1 < 0.0 && d2 < d1)) {
            edge_slot = n_min;
            return StepResult::Continue;
        }
    } else if (n_min != nullptr) {
        const std::optional<double> slope = s.Slope_At(lambda_min, As_Vertex(n_min));
        if (!slope) {
            return StepResult::Penetrating;
        }
        if (*slope > 0.0) {
            edge_slot = n_min;
            return StepResult::Continue;
        }
    }

    if (n_max == nullptr) {
        return StepResult::Disjoint;
    }
    if (n_max->kind == FeatureKind::Face) {
        const FaceHeights h(As_Face(n_max), edge_side, s);
        const double d1 = n_min != nullptr ? h.At(lambda_min) : h.at_tail;
        const double d2 = h.At(lambda_max);
        if (d2 == 0.0) {
            return StepResult::Penetrating;
        }
        if ((d2 > 0.0 && d1 > d2) || (d2 < 0.0 && d1 < d2)) {
            edge_slot = n_max;
            return StepResult::Continue;
        }
        return StepResult::Disjoint;
    }
    const std::optional<double> slope = s.Slope_At(lambda_max, As_Vertex(n_max));
    if (!slope) {
        return StepResult::Penetrating;
    }
    if (*slope < 0.0) {
        edge_slot = n_max;
        return StepResult::Continue;
    }
    return StepResult::Disjoint;
}
