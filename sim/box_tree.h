#pragma once

#include <vector>

// An axis-aligned box in world space, lo <= hi on every axis.
struct Box {
    double lo[3];
    double hi[3];
};

inline bool Overlap(const Box& a, const Box& b) {
    return a.lo[0] <= b.hi[0] && b.lo[0] <= a.hi[0] && a.lo[1] <= b.hi[1] && b.lo[1] <= a.hi[1] &&
           a.lo[2] <= b.hi[2] && b.lo[2] <= a.hi[2];
}

inline bool Encloses(const Box& outer, const Box& inner) {
    return outer.lo[0] <= inner.lo[0] && inner.hi[0] <= outer.hi[0] && outer.lo[1] <= inner.lo[1] &&
           inner.hi[1] <= outer.hi[1] && outer.lo[2] <= inner.lo[2] && inner.hi[2] <= outer.hi[2];
}

// A bounding-volume tree over boxes that stay put: built once for a set, then asked which of them
// overlap a given box, in time that grows with the logarithm of the set and the number found. It
// suits the bodies that never move, whatever their sizes (a room's walls beside small blocks);
// a change of the set means building it again.
class BoxTree {
public:
    struct Entry {
        Box box;
        int id;  // the caller's, handed back when the box is found
    };

    void Build(std::vector<Entry> entries);

    // Calls found(id) for every entry whose box overlaps `box`, in no particular order.
    template <typename Found>
    void Overlapping(const Box& box, Found found) const;

    // The boxes, of nodes and of entries, that the last call of Overlapping compared with its box:
    // the measure of its work.
    int Boxes_Tested() const { return tested_; }

private:
    // A leaf holds entries [first, first + count); an inner node (count 0) has its first child
    // right after it and its second at `second`.
    struct Node {
        Box box;
        int first;
        int count;
        int second;
    };
    int Build_Node(int first, int count);

    std::vector<Entry> entries_;
    std::vector<Node> nodes_;
    mutable std::vector<int> pending_;  // the walk's stack, kept to spare an allocation a question
    mutable int tested_ = 0;
};

template <typename Found>
void BoxTree::Overlapping(const Box& box, Found found) const {
    tested_ = 0;
    if (nodes_.empty()) {
        return;
    }
    pending_.assign(1, 0);
    while (!pending_.empty()) {
        const int at = pending_.back();
        pending_.pop_back();
        const Node& node = nodes_[at];
        ++tested_;
        if (!Overlap(node.box, box)) {
            continue;
        }
        if (node.count == 0) {
            pending_.push_back(node.second);
            pending_.push_back(at + 1);
            continue;
        }
        tested_ += node.count;
        for (int i = node.first; i < node.first + node.count; ++i) {
            if (Overlap(entries_[i].box, box)) {
                found(entries_[i].id);
            }
        }
    }
}
