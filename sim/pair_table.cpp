#include "sim/pair_table.h"

#include <utility>

#include "sim/sim_object.h"

uint64_t PairTable::Key(int i, int j) {
    if (i > j) {
        std::swap(i, j);
    }
    return (static_cast<uint64_t>(static_cast<uint32_t>(i)) << 32) | static_cast<uint32_t>(j);
}

Collision& PairTable::Record_Of(SimObject& a, SimObject& b) {
    SimObject* low = a.sim_index < b.sim_index ? &a : &b;
    SimObject* high = low == &a ? &b : &a;
    return records_.try_emplace(Key(a.sim_index, b.sim_index), low, high).first->second;
}

const Collision* PairTable::Find(int i, int j) const {
    const auto found = records_.find(Key(i, j));
    return found == records_.end() ? nullptr : &found->second;
}
