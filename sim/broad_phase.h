#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "math/quaternion.h"
#include "math/vector3d.h"
#include "sim/box_tree.h"
#include "sim/sim_state.h"

class Polyhedron;
class SimObject;

// Two positions in the list of active bodies, first < second.
struct NearPair {
    int first;
    int second;
};

// The first sieve of the detection pass: which pairs of active bodies can touch at the tentative
// states being tried, so that only those are queried. At every pass each body is bounded by an
// axis-aligned box around its shape placed by `new_state` (what the pair query reads): the body's
// body-space box carried through the very transform the query builds, so the box holds every
// vertex wherever the state has put, turned, squashed or stretched it. Two bodies whose boxes are
// apart cannot touch, and their pair is not queried.
//
// Bodies that never move (Fixed) are filed in a bounding-volume tree, found from each moving body
// in logarithmic time, and filed again only when their set or a placement changes. Between two
// steps anything may have placed one anew (a Reset, the application), so the first pass of a step
// checks every placement against its filing; inside a step nothing moves a Fixed body (the
// response moves only the bodies it deforms, callbacks only activate and deactivate bodies), and
// the later passes check only that the set is the same. The moving bodies (Free, Resting, Driven)
// are swept along x. A pair is looked at only where a contact could do something: one body is
// Free, or a Driven body meets a Resting one (which it may knock away). A Resting body lies where
// it settled, touching what holds it up; with a Fixed or another Resting body it is never paired.
// So a pair of two bodies that stay put is never even looked at, and neither is a pair far apart.
//
// Boxes are grown: by kBoundMargin, and a moving body's by the distance its speed carries it in
// `reach` seconds and by a share of its size (its shape changes between probes). A pair about to
// touch is thus queried at every probe of the interval searched and at the last one before, as a
// search of every pair would: its record ends with the same last separation, which the response
// goes by. One thing a skipped query can still change: where two features tie for closest (the
// demo's ball, symmetric about its plane of flight, square to a wall), the walk ends on the one
// nearer its start, and a pair first queried when near starts elsewhere than one queried all
// along. Growing the boxes this much starts the pairs far enough out that the demo plays the same
// game to the bit (an hour of events, the attract mode's state hash); 0.05 and the speed's
// distance, without the share of size, did not.
//
// A pair of two bodies that give way (Free, Resting) needs none of that: the detection asks it
// only where the gap of its last query cannot show it still apart, whatever it was asked before.
// It is near where the boxes of their shapes, grown by kBoundMargin alone, overlap: where they can
// touch now. In a room of 256 balls a pass found 2,380 pairs by the grown boxes, 790 so, and the
// step went a sixth faster. The step's end, whose partings may move a body into one it did not
// touch, still takes such pairs by their grown boxes (Yielding_Pairs_Grown).
//
// A placement that the query cannot take apart (a zero scale, a value that is not finite) answers
// "touching" from the query whatever the distance; such a body's box covers everything.
class BroadPhase {
public:
    // The near pairs of `active` at its bodies' tentative states, ascending by first position and
    // then by second: the order of a search of every pair. Valid until the next call.
    const std::vector<NearPair>& Near_Pairs(const std::vector<SimObject*>& active, double reach);

    // The pairs of two bodies that give way whose grown boxes overlapped at the last pass, in the
    // same order, as their sim_index: those a step's end parts, whose moves may sink one into a
    // body it did not touch there. Paired by the modes the bodies have now, in `objects` (by
    // sim_index): a body at rest woken by the step's last contact was at rest at the pass, which
    // pairs no two bodies at rest, and a push that carried it into one beside it went unparted
    // (a box 0.10 into another at rest). Valid until the next call of either.
    const std::vector<std::pair<int, int>>& Yielding_Pairs_Grown(
        const std::vector<SimObject*>& objects);

    // The sim_index of each body that gives way whose shape at its tentative state reaches out of
    // the box it was grown to at the last pass: a search carried it farther than that pass allowed
    // for (a box pushed out along a wall, 1.56 in one search), and what it may have sunk into
    // where it is now was never paired with it. Valid until the next call.
    const std::vector<int>& Yielding_Beyond_Grown(const std::vector<SimObject*>& objects);

    // The sim_index of every body of the last pass, other than X, whose box there overlaps X's box
    // at its tentative state grown by `reach`: what a search that moves X up to that far could run
    // into; of the bodies that never give way (Fixed and Driven) only, where `unyielding_only`.
    // Replaces the contents of `found`.
    void Bodies_Within(const SimObject& x, double reach, bool unyielding_only,
                       std::vector<int>& found);

    // A new step begins: the next pass checks where every still body is.
    void Check_Placements() { placements_due_ = true; }

private:
    // A shape's body-space box, kept for as long as the body keeps its polyhedron.
    struct BodyBox {
        const Polyhedron* shape = nullptr;
        double centre[3];
        double half[3];
    };
    // A still body's placement and box when it was last filed.
    struct Still {
        Vector3d position;
        Quaternion orientation;
        Vector3d scale;
        const Polyhedron* shape = nullptr;
        Box box;
    };
    struct Moving {
        Box box;
        double grown_by;  // the box's growth around the shape
        Box shape_box;    // grown by kBoundMargin alone: made only where two bodies give way
        int position;
        SimMode mode;
        int sim_index;
    };

    // The box around the body's shape at its tentative state, grown by `grow` and by
    // `grow_by_size` times its largest half-extent; how much in all into `grown`.
    Box Bound(const SimObject& body, double grow, double grow_by_size, double* grown = nullptr);
    bool Refile(const SimObject& body);  // whether the still body must be filed anew
    void File_Still(const std::vector<SimObject*>& active);
    // Sorts the bodies that give way by the boxes `box_of` gives and sweeps them.
    template <typename BoxOf>
    void Sweep_Yielding(BoxOf box_of);
    // Sweeps `sweep`, in order of the lower x of the boxes `box_of` gives; a box is open until one
    // starting beyond its upper x comes. Each body is paired with the open ones it overlaps where
    // `pairs(mode, other mode)` says.
    template <typename BoxOf, typename Pairs>
    void Sweep(const std::vector<const Moving*>& sweep, BoxOf box_of, Pairs pairs);
    std::size_t Yielding_Count() const { return moving_.size() - driven_.size(); }
    // Puts the near pairs in the order of a search of every pair: by first position, then second.
    void Order_Near(std::size_t bodies);

    std::vector<BodyBox> body_boxes_;  // by sim_index
    std::vector<Still> still_;         // by sim_index
    std::vector<char> filed_;          // by sim_index: in the tree
    int filed_count_ = 0;
    bool placements_due_ = true;
    BoxTree tree_;
    std::vector<int> position_;  // by sim_index: position in the active list at this pass
    std::vector<Moving> moving_;
    std::vector<const Moving*> driven_;  // those of them that are Driven, in the same order
    std::vector<const Moving*> sweep_;   // Sweep's bodies, kept to spare an allocation a pass
    std::size_t active_count_ = 0;       // the active bodies of the last pass
    std::vector<int> sim_index_at_;      // by position in its active list
    std::vector<std::pair<int, int>> yielding_grown_;
    std::vector<int> beyond_grown_;
    std::vector<const Moving*> open_free_;
    std::vector<const Moving*> open_resting_;
    std::vector<const Moving*> open_driven_;
    std::vector<NearPair> near_;
    std::vector<NearPair> ordered_;  // Order_Near's, kept to spare an allocation a pass
    std::vector<std::size_t> next_;  // Order_Near's: where each first position's pairs go next
};
