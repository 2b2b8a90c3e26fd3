#include "note_list.h"

#include <algorithm>

NoteList& NoteList::operator=(const NoteList& other) {
    if (this != &other) {
        assign(other.values_);
    }
    return *this;
}

void NoteList::swapIn(std::vector<std::int32_t>& next) {
    {
        std::lock_guard lock(guard_);
        values_.swap(next);
    }
    // `next` now holds the old buffer; it is freed by the caller, outside the lock.
}

void NoteList::assign(std::vector<std::int32_t> values) {
    swapIn(values);
}

void NoteList::push_back(std::int32_t value) {
    std::vector<std::int32_t> next;
    next.reserve(values_.size() + 1);
    next = values_;
    next.push_back(value);
    swapIn(next);
}

void NoteList::resize(std::size_t count) {
    std::vector<std::int32_t> next(values_.begin(),
                                   values_.begin() + std::min(count, values_.size()));
    next.resize(count, 0);
    swapIn(next);
}

void NoteList::set(std::size_t i, std::int32_t value) {
    std::lock_guard lock(guard_);
    values_[i] = value;
}

void NoteList::transposeAll(std::int64_t d) {
    std::lock_guard lock(guard_);
    for (auto& v : values_) {
        v = static_cast<std::int32_t>(static_cast<std::uint32_t>(v) +
                                      static_cast<std::uint64_t>(d));
    }
}

std::size_t NoteList::copyTo(std::span<std::int32_t> out) const {
    std::lock_guard lock(guard_);
    std::copy_n(values_.begin(), std::min(out.size(), values_.size()), out.begin());
    return values_.size();
}
