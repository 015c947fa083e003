#include "sim/contacts.h"

#include <algorithm>
#include <cassert>

namespace {

// "Less urgent than": the standard heap keeps its greatest element on top, so ordering by later
// end time puts the earliest end on top.
bool Ends_Later(const Collision* a, const Collision* b) {
    return a->End() > b->End();
}

}  // namespace

void ContactQueue::Push(Collision* c) {
    heap_.push_back(c);
    std::push_heap(heap_.begin(), heap_.end(), Ends_Later);
}

void ContactQueue::Pop() {
    assert(!heap_.empty());
    std::pop_heap(heap_.begin(), heap_.end(), Ends_Later);
    heap_.pop_back();
}

void ContactQueue::Remove(Collision* c) {
    auto found = std::find(heap_.begin(), heap_.end(), c);
    if (found == heap_.end()) {
        return;
    }
    heap_.erase(found);
    std::make_heap(heap_.begin(), heap_.end(), Ends_Later);
}
