#include "collision/state_tests.h"

#include <optional>
#include <utility>

#include "collision/clip_interval.h"

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

using Interval = ClipInterval<Feature*>;

enum class End { Min, Max };

// What the derivative check at one end of the interval finds about the neighbour beyond it.
enum class Beyond {
    Touching,  // the segment runs through the neighbour there: the bodies touch
    Closer,    // the distance keeps falling into the neighbour: it is the better feature
    Farther,   // it does not
};

// Clips a segment of the other body against the Voronoi region of the edge in `slot`, and moves
// the slot to the neighbour the segment is closer to, if any.
class EdgeRegionClip {
public:
    EdgeRegionClip(Feature*& slot, const WalkSide& side, const PolyEdge& clipped)
        : slot_(slot),
          e_(As_Edge(slot)),
          side_(side),
          s_{clipped.tail->world, clipped.head->world, clipped.vector} {}

    StepResult Run();

private:
    // The plane's values at the segment's ends, negated so that they are positive inside e's
    // region.
    std::pair<double, double> Inside_Values(VoronoiPlane& plane) const {
        return {-side_.Value(plane, s_.tail), -side_.Value(plane, s_.head)};
    }
    StepResult Move_To(Feature* f) {
        slot_ = f;
        return StepResult::Continue;
    }
    Beyond Check_End(const Interval& interval, End end) const;
    std::optional<StepResult> Move_Beyond_Ends(const Interval& interval);
    StepResult Misses_Region(const Interval& interval);

    Feature*& slot_;
    PolyEdge& e_;
    const WalkSide& side_;
    const Segment s_;
};

StepResult EdgeRegionClip::Run() {
    // The two vertex planes are parallel, so each sets its end of the interval outright.
    Interval interval;
    for (auto [plane, end] :
         {std::pair{&e_.tail_plane, e_.tail}, std::pair{&e_.head_plane, e_.head}}) {
        const auto [at_tail, at_head] = Inside_Values(*plane);
        if (at_tail < 0.0 && at_head < 0.0) {
            return Move_To(end);
        }
        if (at_tail < 0.0 && at_head >= 0.0) {
            interval.n_min = end;
            interval.lambda_min = Crossing(at_tail, at_head);
        } else if (at_tail >= 0.0 && at_head < 0.0) {
            interval.n_max = end;
            interval.lambda_max = Crossing(at_tail, at_head);
        }
    }

    // The face planes narrow the interval further; a segment wholly on one face's side is checked
    // against the end vertices as the vertex planes alone clipped it.
    const Interval vertices = interval;
    for (auto [plane, face] :
         {std::pair{&e_.left_plane, e_.left_face}, std::pair{&e_.right_plane, e_.right_face}}) {
        const auto [at_tail, at_head] = Inside_Values(*plane);
        if (at_tail < 0.0 && at_head < 0.0) {
            // Wholly on the face's side: the face, unless the segment is closer to an end vertex.
            const std::optional<StepResult> moved = Move_Beyond_Ends(vertices);
            return moved ? *moved : Move_To(face);
        }
        if (interval.Narrow(at_tail, at_head, face)) {
            return Misses_Region(interval);
        }
    }

    // The segment meets e's region on the interval: final unless the distance keeps falling
    // beyond one of its ends.
    return Move_Beyond_Ends(interval).value_or(StepResult::Disjoint);
}

// Does the distance keep falling from the interval's end into the neighbour beyond it? Towards a
// vertex, the sign of the slope says; towards a face, the height above the face's plane there and
// the way the heights change along the segment, which is the same all along it. (Compared with
// the height at the interval's other end instead, an interval shrunk to a point showed no change:
// a segment passing by the corner of the region where the face's plane meets an end vertex's, and
// a walk ended there called two balls 0.0004 deep in each other 0.0005 apart.)
Beyond EdgeRegionClip::Check_End(const Interval& interval, End end) const {
    const bool at_min = end == End::Min;
    Feature* const n = at_min ? interval.n_min : interval.n_max;
    const double lambda = at_min ? interval.lambda_min : interval.lambda_max;
    if (n->kind == FeatureKind::Vertex) {
        const std::optional<double> slope = s_.Slope_At(lambda, As_Vertex(n));
        if (!slope) {
            return Beyond::Touching;
        }
        return (at_min ? *slope > 0.0 : *slope < 0.0) ? Beyond::Closer : Beyond::Farther;
    }
    const FaceHeights h(As_Face(n), side_, s_);
    const double here = h.At(lambda);
    if (here == 0.0) {
        return Beyond::Touching;
    }
    const double rise_from_end = at_min ? h.at_head - h.at_tail : h.at_tail - h.at_head;
    const bool rising_away =
        (here > 0.0 && rise_from_end > 0.0) || (here < 0.0 && rise_from_end < 0.0);
    return rising_away ? Beyond::Closer : Beyond::Farther;
}

// The checks at both ends of the interval that have a neighbour, the lower end first: contact,
// or a move to the first neighbour found closer, or nothing when neither is.
std::optional<StepResult> EdgeRegionClip::Move_Beyond_Ends(const Interval& interval) {
    for (const End end : {End::Min, End::Max}) {
        Feature* const n = end == End::Min ? interval.n_min : interval.n_max;
        if (n == nullptr) {
            continue;
        }
        switch (Check_End(interval, end)) {
            case Beyond::Touching:
                return StepResult::Penetrating;
            case Beyond::Closer:
                return Move_To(n);
            case Beyond::Farther:
                break;
        }
    }
    return std::nullopt;
}

// The segment misses e's region: both ends of the interval are set, at least one a face. Which of
// the two neighbours the segment passes is the closer one.
StepResult EdgeRegionClip::Misses_Region(const Interval& interval) {
    if (interval.n_min->kind == FeatureKind::Vertex) {
        const std::optional<double> slope =
            s_.Slope_At(interval.lambda_min, As_Vertex(interval.n_min));
        if (!slope) {
            return StepResult::Penetrating;
        }
        return Move_To(*slope < 0.0 ? interval.n_max : interval.n_min);
    }
    if (interval.n_max->kind == FeatureKind::Vertex) {
        const std::optional<double> slope =
            s_.Slope_At(interval.lambda_max, As_Vertex(interval.n_max));
        if (!slope) {
            return StepResult::Penetrating;
        }
        return Move_To(*slope > 0.0 ? interval.n_min : interval.n_max);
    }
    const FaceHeights h(As_Face(interval.n_min), side_, s_);
    const double d1 = h.At(interval.lambda_min);
    if (d1 == 0.0) {
        return StepResult::Penetrating;
    }
    const bool towards_min =
        (d1 > 0.0 && h.at_head > h.at_tail) || (d1 < 0.0 && h.at_head < h.at_tail);
    return Move_To(towards_min ? interval.n_min : interval.n_max);
}

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
    return EdgeRegionClip(edge_slot, edge_side, clipped).Run();
}
