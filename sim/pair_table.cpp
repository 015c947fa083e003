#include "sim/pair_table.h"

PairTable::PairTable(const std::vector<SimObject*>& objects)
    : size_(static_cast<int>(objects.size())),
      entries_(static_cast<size_t>(size_) * size_, nullptr) {
    records_.reserve(static_cast<size_t>(size_) * (size_ - 1) / 2);
    for (int i = 0; i < size_; ++i) {
        for (int j = i + 1; j < size_; ++j) {
            Collision* c =
                records_.emplace_back(std::make_unique<Collision>(objects[i], objects[j])).get();
            entries_[static_cast<size_t>(i) * size_ + j] = c;
            entries_[static_cast<size_t>(j) * size_ + i] = c;
        }
    }
}
