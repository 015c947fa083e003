#pragma once

#include <cassert>
#include <memory>
#include <vector>

#include "sim/collision.h"

class SimObject;

// One Collision record per pair of bodies, looked up directly by the two bodies' indices. Entries
// [i][j] and [j][i] hold the same record, whose body_a is the body of the lower index; the
// diagonal holds nothing. The table owns its records; its size is fixed when it is built.
class PairTable {
public:
    // Records for every pair of `objects`, a body's index being its position in the list.
    explicit PairTable(const std::vector<SimObject*>& objects);

    PairTable(const PairTable&) = delete;
    PairTable& operator=(const PairTable&) = delete;

    int Size() const { return size_; }

    // The record of bodies i and j (in either order); null for i == j.
    Collision* At(int i, int j) const {
        assert(i >= 0 && i < size_ && j >= 0 && j < size_);
        return entries_[static_cast<size_t>(i) * size_ + j];
    }

private:
    int size_;
    std::vector<std::unique_ptr<Collision>> records_;
    std::vector<Collision*> entries_;  // size_ x size_, row by row
};
