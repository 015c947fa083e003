#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "sim/collision.h"

class SimObject;

// The Collision records of the pairs of bodies that have come near one another. A pair's record
// is made the first time the detection pass finds the pair near, not for every pair up front: a
// room of thousands of bodies has millions of pairs, of which only the few that meet ever need
// one. Once made, a record stays for the whole run (the closest-feature walk of the pair's next
// query starts from the features its last one ended with) at the same address: contacts, the
// contact queue and the bodies' lists hold pointers to it.
//
// Looked up by the two bodies' indices in a 64-bit key, whatever the number of bodies, in an open
// table of slots probed in turn from the key's hash: every near pair is looked up at every pass
// of the detection, and a node-based map spent more time finding the records of a room of 256
// balls than its pair queries took on them.
class PairTable {
public:
    PairTable() = default;
    PairTable(const PairTable&) = delete;
    PairTable& operator=(const PairTable&) = delete;

    // The record of bodies a and b (in either order), made if the pair has none yet.
    Collision& Record_Of(SimObject& a, SimObject& b);

    // The record of the bodies of indices i and j (in either order); null while none is made.
    const Collision* Find(int i, int j) const;

    // The number of records made.
    std::size_t Size() const { return records_.size(); }

    // Calls visit(record) for every record made, in the order they were made.
    template <typename Visit>
    void For_Each(Visit visit) {
        for (Collision& record : records_) {
            visit(record);
        }
    }

private:
    struct Slot {
        uint64_t key;
        Collision* record;  // null while the slot is empty
    };
    static uint64_t Key(int i, int j);
    // The slot of `key`, or the empty slot where it would go.
    std::size_t Slot_Of(uint64_t key) const;
    void Grow();

    std::deque<Collision> records_;  // a deque never moves what it holds
    std::vector<Slot> slots_;        // a power of two of them, at most half full
};
