#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "sim/collision.h"

// The pairs currently in contact, primary or secondary, by pair key in ascending order.
using ContactMap = std::map<int32_t, Collision*>;

// The primary contacts, the one that ends first on top. A binary heap in an array: a push appends
// and sifts up past every parent that ends strictly later; a pop moves the last record into the
// root's place by the standard pop-heap discipline (the right child is taken unless it ends later
// than the left). Records with equal end times come out in whatever order that discipline gives.
class ContactQueue {
public:
    void Push(Collision* c);
    Collision* Top() const {
        assert(!heap_.empty());
        return heap_.front();
    }
    void Pop();
    // Takes a contact out wherever it is (its end has changed); nothing when it is not queued.
    void Remove(Collision* c);
    bool Empty() const { return heap_.empty(); }
    std::size_t Size() const { return heap_.size(); }
    void Clear() { heap_.clear(); }

private:
    std::vector<Collision*> heap_;
};
