#include "collision/state_tests.h"

#include <utility>
#include <vector>

#include "collision/clip_interval.h"
#include "collision/vclip.h"
#include "math/invariant.h"

namespace {

// How the edge's segment stands to one side plane of the face.
enum class SideCode { Inside, Outside, Entering, Leaving };

struct SideCrossing {
    SideCode code = SideCode::Inside;
    double crossing = 0.0;  // where the segment crosses the side plane (Entering, Leaving)
};

// The edge clipped against every side plane of the face (positive inside the face's region): how
// it stands to each side, the part of it inside the region with the sides it leaves through, and
// the last side in ring order that it lies wholly outside.
struct SideClip {
    const std::vector<SideCrossing>& sides;
    ClipInterval<FeatureLink*> interval;
    FeatureLink* outside = nullptr;
};

// Visits every side, numbering the ring as it goes for the boundary walk's look-ups.
SideClip Clip_Sides(PolyFace& f, const WalkSide& face_side, const PolyEdge& e) {
    const Vector3d& tail = e.tail->world;
    const Vector3d& head = e.head->world;
    // One list kept from test to test: the test runs millions of times a minute, and a list
    // allocated and freed each time cost a sixth of it.
    thread_local std::vector<SideCrossing> sides;
    sides.assign(f.vertex_count, SideCrossing());
    SideClip clip{sides, {}, nullptr};
    FeatureLink* link = f.sides;
    for (int i = 0; i < f.vertex_count; ++i, link = link->next) {
        link->index = i;
        const double vt = face_side.Value(*link->plane, tail);
        const double vh = face_side.Value(*link->plane, head);
        SideCrossing& side = sides[i];
        if (vt >= 0.0 && vh >= 0.0) {
            side.code = SideCode::Inside;
        } else if (vt < 0.0 && vh < 0.0) {
            side.code = SideCode::Outside;
            clip.outside = link;
        } else {
            side.code = vt < 0.0 ? SideCode::Entering : SideCode::Leaving;
            side.crossing = Crossing(vt, vh);
            clip.interval.Narrow(vt, vh, link);
        }
    }
    return clip;
}

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
    // What one visit of a side decides.
    struct Move {
        enum Kind {
            Stay,    // the side's edge is the closest feature
            Step,    // on to the neighbouring side `to`
            Finish,  // the corner at the current side is the closest feature
        } kind;
        FeatureLink* to;
    };

    Move Visit(FeatureLink* link, bool& probed) const;
    Feature* Corner(const FeatureLink* link, const FeatureLink* previous) const;

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
            Broken_Invariant("Cycling in vclip: %lu\n", vclip_call_count.load());
        }
        const Move move = Visit(link, probed);
        if (move.kind == Move::Stay) {
            face_slot = link->edge;
            return;
        }
        if (move.kind == Move::Finish || move.to == previous) {
            break;
        }
        previous = link;
        link = move.to;
    }
    face_slot = Corner(link, previous);
}

// Clips the edge against the region of the side's edge b, starting from the part of it that the
// side's own plane lets into that region, then checks the slopes at the vertex planes it crossed.
BoundaryWalk::Move BoundaryWalk::Visit(FeatureLink* link, bool& probed) const {
    const SideCrossing& side = sides_[link->index];
    if (side.code == SideCode::Inside) {
        return {Move::Finish, nullptr};
    }
    ClipInterval<PolyVertex*> interval;
    interval.lambda_min = side.code == SideCode::Leaving ? side.crossing : 0.0;
    interval.lambda_max = side.code == SideCode::Entering ? side.crossing : 1.0;

    PolyEdge& b = *link->edge;
    for (auto [plane, end] : {std::pair{&b.tail_plane, b.tail}, std::pair{&b.head_plane, b.head}}) {
        const double at_tail = -side_.Value(*plane, tail_);  // positive on b's side
        const double at_head = -side_.Value(*plane, head_);
        if (at_tail < 0.0 && at_head < 0.0) {
            return {Move::Step, Towards(link, end)};
        }
        if (interval.Narrow(at_tail, at_head, end)) {
            return probed ? Move{Move::Finish, nullptr} : Move{Move::Step, Towards(link, end)};
        }
    }

    probed = true;
    PolyVertex* const v_min = interval.n_min;
    PolyVertex* const v_max = interval.n_max;
    if (v_min != nullptr &&
        Dot(Offset_From_Vertex(tail_, interval.lambda_min, c_, *v_min), c_) > 0.0) {
        return {Move::Step, Towards(link, v_min)};
    }
    if (v_max != nullptr &&
        Dot(Offset_From_Vertex(tail_, interval.lambda_max, c_, *v_max), c_) < 0.0) {
        return {Move::Step, Towards(link, v_max)};
    }
    return {Move::Stay, nullptr};
}

// Stopped between two sides: the corner they share.
Feature* BoundaryWalk::Corner(const FeatureLink* link, const FeatureLink* previous) const {
    const PolyEdge& b = *link->edge;
    const bool along = &face_ == b.left_face;
    if (link->next == previous) {
        return along ? b.head : b.tail;
    }
    return along ? b.tail : b.head;
}

// The edge runs through the face's region on the interval: it crosses the face there, or the
// heights above the face tell which way the distance falls, towards a side or an end of the edge.
StepResult Through_Region(const WalkSide& face_side, Feature*& edge_slot, Feature*& face_slot,
                          const ClipInterval<FeatureLink*>& interval) {
    PolyEdge& e = As_Edge(edge_slot);
    PolyFace& f = As_Face(face_slot);
    const double dt = face_side.Value(f.plane, e.tail->world);
    const double dh = face_side.Value(f.plane, e.head->world);
    const double d1 = interval.n_min != nullptr ? dt + (dh - dt) * interval.lambda_min : dt;
    const double d2 = interval.n_max != nullptr ? dt + (dh - dt) * interval.lambda_max : dh;
    if ((d1 > 0.0 && d2 <= 0.0) || (d1 <= 0.0 && d2 >= 0.0)) {
        return StepResult::Penetrating;
    }
    if ((d1 > 0.0 && dt <= dh) || (d1 < 0.0 && dh <= dt)) {
        if (interval.n_min != nullptr) {
            face_slot = interval.n_min->edge;
        } else {
            edge_slot = e.tail;
        }
    } else if (interval.n_max != nullptr) {
        face_slot = interval.n_max->edge;
    } else {
        edge_slot = e.head;
    }
    return StepResult::Continue;
}

}  // namespace

StepResult Edge_Face_Test(Feature*& edge_slot, const WalkSide& a, Feature*& face_slot,
                          const WalkSide& b) {
    PolyEdge& e = a.Refreshed(As_Edge(edge_slot));
    PolyFace& f = b.Refreshed(As_Face(face_slot));
    const SideClip clip = Clip_Sides(f, b, e);
    const ClipInterval<FeatureLink*>& interval = clip.interval;
    if (clip.outside != nullptr || interval.lambda_min > interval.lambda_max) {
        FeatureLink* const start = clip.outside != nullptr ? clip.outside
                                   : interval.lambda_min + interval.lambda_max > 1.0
                                       ? interval.n_min
                                       : interval.n_max;
        BoundaryWalk(f, b, clip.sides, e).Run(start, face_slot);
        return StepResult::Continue;
    }
    return Through_Region(b, edge_slot, face_slot, interval);
}
