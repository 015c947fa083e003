#include "collision/state_tests.h"

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "collision/vclip.h"

namespace {

// How the edge's segment stands to one side plane of the face.
enum class SideCode { Inside, Outside, Entering, Leaving };

struct SideCrossing {
    SideCode code = SideCode::Inside;
    double crossing = 0.0;  // where the segment crosses the side plane (Entering, Leaving)
};

// The walk along the face's boundary, looking for the side edge or corner closest to an edge that
// misses the face's region.
class BoundaryWalk {
public:
    BoundaryWalk(PolyFace& face, const WalkSide& face_side, const std::vector<SideCrossing>& sides,
                 const PolyEdge& edge)
        : face_(face),
          side_(face_side),
          sides_(sides),
          tail_(edge.tail->world),
          head_(edge.head->world),
          c_(edge.vector) {}

    void Run(FeatureLink* start, Feature*& face_slot);

private:
    // The neighbouring side across `end` of link's edge; the ring runs along an edge from tail to
    // head exactly when the face is that edge's left face.
    FeatureLink* Towards(const FeatureLink* link, const PolyVertex* end) const {
        const PolyEdge& b = *link->edge;
        const bool along = &face_ == b.left_face;
        return (end == b.head) == along ? link->next : link->prev;
    }

    PolyFace& face_;
    const WalkSide& side_;
    const std::vector<SideCrossing>& sides_;
    const Vector3d& tail_;
    const Vector3d& head_;
    const Vector3d& c_;
};

void BoundaryWalk::Run(FeatureLink* start, Feature*& face_slot) {
    FeatureLink* link = start;
    FeatureLink* previous = start;
    bool probed = false;
    // Every step goes on round the ring in the same direction; a walk that came full circle would
    // go on for ever, which only broken geometry can cause.
    for (int steps = 0;; ++steps) {
        if (steps > face_.vertex_count) {
            std::fprintf(stderr, "Cycling in vclip: %lu\n", vclip_call_count.load());
            std::abort();
        }
        PolyEdge& b = *link->edge;
        const SideCrossing& side = sides_[link->index];
        if (side.code == SideCode::Inside) {
            break;
        }
        double lambda_min = side.code == SideCode::Leaving ? side.crossing : 0.0;
        double lambda_max = side.code == SideCode::Entering ? side.crossing : 1.0;
        PolyVertex* v_min = nullptr;
        PolyVertex* v_max = nullptr;

        FeatureLink* step = nullptr;
        bool finish = false;
        for (auto [plane, end] :
             {std::pair{&b.tail_plane, b.tail}, std::pair{&b.head_plane, b.head}}) {
            const double at_tail = -side_.Value(*plane, tail_);  // positive on b's side
            const double at_head = -side_.Value(*plane, head_);
            bool empty = false;
            if (at_tail < 0.0 && at_head < 0.0) {
                step = Towards(link, end);
                break;
            }
            if (at_tail < 0.0 && at_head >= 0.0) {
                const double lambda = Crossing(at_tail, at_head);
                if (lambda > lambda_min) {
                    lambda_min = lambda;
                    v_min = end;
                    empty = lambda_min > lambda_max;
                }
            } else if (at_tail >= 0.0 && at_head < 0.0) {
                const double lambda = Crossing(at_tail, at_head);
                if (lambda < lambda_max) {
                    lambda_max = lambda;
                    v_max = end;
                    empty = lambda_max < lambda_min;
                }
            }
            if (empty) {
                finish = probed;
                step = probed ? nullptr : Towards(link, end);
                break;
            }
        }
        if (finish) {
            break;
        }
        if (step == nullptr) {
            probed = true;
            if (v_min != nullptr &&
                Dot(Offset_From_Vertex(tail_, lambda_min, c_, *v_min), c_) > 0.0) {
                step = Towards(link, v_min);
            } else if (v_max != nullptr &&
                       Dot(Offset_From_Vertex(tail_, lambda_max, c_, *v_max), c_) < 0.0) {
                step = Towards(link, v_max);
            } else {
                face_slot = &b;
                return;
            }
        }
        if (step == previous) {
            break;
        }
        previous = link;
        link = step;
    }

    // Stopped between two sides: the corner they share.
    const PolyEdge& b = *link->edge;
    const bool along = &face_ == b.left_face;
    if (link->next == previous) {
        face_slot = along ? b.head : b.tail;
    } else {
        face_slot = along ? b.tail : b.head;
    }
}

}  // namespace

StepResult Edge_Face_Test(Feature*& edge_slot, const WalkSide& a, Feature*& face_slot,
                          const WalkSide& b) {
    PolyEdge& e = a.Refreshed(As_Edge(edge_slot));
    PolyFace& f = b.Refreshed(As_Face(face_slot));
    const Vector3d& tail = e.tail->world;
    const Vector3d& head = e.head->world;
    std::vector<SideCrossing> sides(f.vertex_count);

    // Clip the edge against every side plane of the face (positive inside the face's region),
    // numbering the ring as it goes.
    double lambda_min = 0.0;
    double lambda_max = 1.0;
    FeatureLink* n_min = nullptr;
    FeatureLink* n_max = nullptr;
    FeatureLink* n_out = nullptr;
    FeatureLink* link = f.sides;
    for (int i = 0; i < f.vertex_count; ++i, link = link->next) {
        link->index = i;
        const double vt = b.Value(*link->plane, tail);
        const double vh = b.Value(*link->plane, head);
        SideCrossing& side = sides[i];
        if (vt >= 0.0 && vh >= 0.0) {
            side.code = SideCode::Inside;
        } else if (vt < 0.0 && vh < 0.0) {
            side.code = SideCode::Outside;
            n_out = link;
        } else if (vt < 0.0) {
            side.code = SideCode::Entering;
            side.crossing = Crossing(vt, vh);
            if (side.crossing > lambda_min) {
                lambda_min = side.crossing;
                n_min = link;
            }
        } else {
            side.code = SideCode::Leaving;
            side.crossing = Crossing(vt, vh);
            if (side.crossing < lambda_max) {
                lambda_max = side.crossing;
                n_max = link;
            }
        }
    }

    if (n_out != nullptr || lambda_min > lambda_max) {
        FeatureLink* start = n_out != nullptr                ? n_out
                             : lambda_min + lambda_max > 1.0 ? n_min
                                                             : n_max;
        BoundaryWalk(f, b, sides, e).Run(start, face_slot);
        return StepResult::Continue;
    }

    // The edge runs through the face's region on [lambda_min, lambda_max]: it crosses the face
    // there, or the heights above the face tell which way the distance falls.
    const double dt = b.Value(f.plane, tail);
    const double dh = b.Value(f.plane, head);
    const double d1 = n_min != nullptr ? dt + (dh - dt) * lambda_min : dt;
    const double d2 = n_max != nullptr ? dt + (dh - dt) * lambda_max : dh;
    if ((d1 > 0.0 && d2 <= 0.0) || (d1 <= 0.0 && d2 >= 0.0)) {
        return StepResult::Penetrating;
    }
    if ((d1 > 0.0 && dt <= dh) || (d1 < 0.0 && dh <= dt)) {
        if (n_min != nullptr) {
            face_slot = n_min->edge;
        } else {
            edge_slot = e.tail;
        }
    } else if (n_max != nullptr) {
        face_slot = n_max->edge;
    } else {
        edge_slot = e.head;
    }
    return StepResult::Continue;
}
