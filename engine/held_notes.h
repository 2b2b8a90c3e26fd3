#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A note started by the step clock and not yet ended.
struct CHeldNote {
    std::int32_t note = 0;       // as played: key - 60, so -59..67
    std::int32_t remaining = 0;  // steps left; DURATION_HOLD: until playback stops

    virtual ~CHeldNote() = default;
};

// The held notes in the order they were started. Only the thread that plays steps changes it
// while playing; stop clears it once the steps have stopped.
class CHeldNoteList {
public:
    CHeldNoteList() { records_.reserve(128); }

    // A note already held gets the new count; otherwise it is appended.
    void add(std::int32_t note, std::int32_t steps);
    void removeAt(std::size_t i) { records_.erase(records_.begin() + static_cast<long>(i)); }
    void clear() { records_.clear(); }

    std::size_t size() const { return records_.size(); }
    bool empty() const { return records_.empty(); }
    CHeldNote& operator[](std::size_t i) { return records_[i]; }
    const CHeldNote& operator[](std::size_t i) const { return records_[i]; }

    // "note:remaining  " for every record, as the status field shows it.
    std::string text() const;

private:
    std::vector<CHeldNote> records_;
};
