#include "sim/pair_table.h"

#include <utility>

#include "sim/sim_object.h"

uint64_t PairTable::Key(int i, int j) {
    if (i > j) {
        std::swap(i, j);
    }
    return (static_cast<uint64_t>(static_cast<uint32_t>(i)) << 32) | static_cast<uint32_t>(j);
}

std::size_t PairTable::Slot_Of(uint64_t key) const {
    // Fibonacci hashing: the product's high bits depend on every bit of the key, and the keys of
    // one body's pairs, which differ only in their low bits, spread over the whole table.
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & mask;
    while (slots_[at].record != nullptr && slots_[at].key != key) {
        at = (at + 1) & mask;
    }
    return at;
}

void PairTable::Grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 64 : 2 * old.size(), Slot{0, nullptr});
    for (const Slot& slot : old) {
        if (slot.record != nullptr) {
            slots_[Slot_Of(slot.key)] = slot;
        }
    }
}

Collision& PairTable::Record_Of(SimObject& a, SimObject& b) {
    if (2 * (records_.size() + 1) > slots_.size()) {
        Grow();
    }
    const uint64_t key = Key(a.sim_index, b.sim_index);
    Slot& slot = slots_[Slot_Of(key)];
    if (slot.record == nullptr) {
        SimObject* low = a.sim_index < b.sim_index ? &a : &b;
        SimObject* high = low == &a ? &b : &a;
        records_.emplace_back(low, high);
        slot = {key, &records_.back()};
    }
    return *slot.record;
}

const Collision* PairTable::Find(int i, int j) const {
    if (slots_.empty()) {
        return nullptr;
    }
    return slots_[Slot_Of(Key(i, j))].record;
}
