#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <span>
#include <vector>

// The chord of one step: note values in semitones from middle C, the root first.
//
// The window thread owns the list and is the only thread that changes it; the timer thread reads
// it while a step plays. Every change takes a short lock and holds it only to swap in a list built
// beforehand or to store one value, and the timer thread reads under the same lock with
// `copyTo`, so a step never sees a list being re-allocated and never waits longer than a swap.
// Reads on the window thread need no lock: no other thread writes.
class NoteList {
public:
    NoteList() = default;
    NoteList(std::initializer_list<std::int32_t> values) : values_(values) {}
    explicit NoteList(std::vector<std::int32_t> values) : values_(std::move(values)) {}
    NoteList(const NoteList& other) : values_(other.values_) {}
    NoteList& operator=(const NoteList& other);

    // Window thread.
    std::size_t size() const { return values_.size(); }
    bool empty() const { return values_.empty(); }
    std::int32_t operator[](std::size_t i) const { return values_[i]; }
    const std::vector<std::int32_t>& values() const { return values_; }
    auto begin() const { return values_.begin(); }
    auto end() const { return values_.end(); }

    void assign(std::vector<std::int32_t> values);
    void push_back(std::int32_t value);
    void resize(std::size_t count);
    void clear() { assign({}); }
    // Stores one value in place; i must be below size().
    void set(std::size_t i, std::int32_t value);
    // Adds d to every value, wrapping at 32 bits as the stored values do.
    void transposeAll(std::int64_t d);

    // Any thread. Copies up to out.size() values and returns how many the list holds.
    std::size_t copyTo(std::span<std::int32_t> out) const;

    bool operator==(const NoteList& other) const { return values_ == other.values_; }

private:
    void swapIn(std::vector<std::int32_t>& next);

    mutable std::mutex guard_;
    std::vector<std::int32_t> values_;
};
