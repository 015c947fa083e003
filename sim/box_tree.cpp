#include "sim/box_tree.h"

#include <algorithm>
#include <utility>

namespace {

// Leaves hold this many boxes at most: below it, testing each is cheaper than another level.
constexpr int kLeafSize = 4;

double Centre(const Box& box, int axis) {
    return box.lo[axis] + box.hi[axis];  // twice the centre: only the order matters
}

}  // namespace

void BoxTree::Build(std::vector<Entry> entries) {
    entries_ = std::move(entries);
    nodes_.clear();
    if (!entries_.empty()) {
        nodes_.reserve(2 * entries_.size() / kLeafSize + 1);
        Build_Node(0, static_cast<int>(entries_.size()));
    }
}

// Splits the entries at the median of their centres along the axis where the centres spread
// furthest: halves of equal count keep the tree's depth at the logarithm of the set.
int BoxTree::Build_Node(int first, int count) {
    const int at = static_cast<int>(nodes_.size());
    nodes_.push_back({entries_[first].box, first, count, 0});
    Box bounds = entries_[first].box;
    Box centres{{Centre(bounds, 0), Centre(bounds, 1), Centre(bounds, 2)},
                {Centre(bounds, 0), Centre(bounds, 1), Centre(bounds, 2)}};
    for (int i = first + 1; i < first + count; ++i) {
        const Box& b = entries_[i].box;
        for (int k = 0; k < 3; ++k) {
            bounds.lo[k] = std::min(bounds.lo[k], b.lo[k]);
            bounds.hi[k] = std::max(bounds.hi[k], b.hi[k]);
            centres.lo[k] = std::min(centres.lo[k], Centre(b, k));
            centres.hi[k] = std::max(centres.hi[k], Centre(b, k));
        }
    }
    nodes_[at].box = bounds;
    if (count <= kLeafSize) {
        return at;
    }
    int axis = 0;
    for (int k = 1; k < 3; ++k) {
        if (centres.hi[k] - centres.lo[k] > centres.hi[axis] - centres.lo[axis]) {
            axis = k;
        }
    }
    const int half = count / 2;
    std::nth_element(entries_.begin() + first, entries_.begin() + first + half,
                     entries_.begin() + first + count, [axis](const Entry& a, const Entry& b) {
                         return Centre(a.box, axis) < Centre(b.box, axis);
                     });
    nodes_[at].count = 0;
    Build_Node(first, half);
    const int second = Build_Node(first + half, count - half);
    nodes_[at].second = second;
    return at;
}
