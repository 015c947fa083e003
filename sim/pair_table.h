#pragma once

#include <cstdint>
#include <unordered_map>

#include "sim/collision.h"

class SimObject;

// The Collision records of the pairs of bodies that have come near one another. A pair's record
// is made the first time the detection pass finds the pair near, not for every pair up front: a
// room of thousands of bodies has millions of pairs, of which only the few that meet ever need
// one. Once made, a record stays for the whole run (the closest-feature walk of the pair's next
// query starts from the features its last one ended with) at the same address: contacts, the
// contact queue and the bodies' lists hold pointers to it. Looked up by the two bodies' indices
// in a 64-bit key, whatever the number of bodies.
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

    // Calls visit(record) for every record made, in no particular order.
    template <typename Visit>
    void For_Each(Visit visit) {
        for (auto& [key, record] : records_) {
            visit(record);
        }
    }

private:
    static uint64_t Key(int i, int j);

    std::unordered_map<uint64_t, Collision> records_;  // nodes: records never move
};
