#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace platform {

// A bounded queue for many producers and one consumer that never waits: push() and pop() only
// fail (full, empty), so the audio callback that pops can never be held up by a sender. Items
// come out in the order their pushes took a place. Each cell carries a sequence number that
// tells whose turn it is (the well-known bounded ring with per-cell sequences); a producer
// preempted between taking a place and filling it makes the consumer stop there, never skip it.
template <typename T, std::size_t Capacity>
class MidiEventQueue {
    static_assert(Capacity >= 2 && (Capacity & (Capacity - 1)) == 0, "a power of two");

public:
    MidiEventQueue() {
        for (std::size_t i = 0; i < Capacity; ++i) {
            cells_[i].turn.store(i, std::memory_order_relaxed);
        }
    }
    MidiEventQueue(const MidiEventQueue&) = delete;
    MidiEventQueue& operator=(const MidiEventQueue&) = delete;

    // Any thread. False when the queue is full.
    bool push(const T& value) {
        std::size_t place = tail_.load(std::memory_order_relaxed);
        Cell* cell = nullptr;
        for (;;) {
            cell = &cells_[place & (Capacity - 1)];
            const std::size_t turn = cell->turn.load(std::memory_order_acquire);
            const auto ahead = static_cast<std::ptrdiff_t>(turn - place);
            if (ahead == 0) {
                if (tail_.compare_exchange_weak(place, place + 1, std::memory_order_relaxed)) {
                    break;
                }
            } else if (ahead < 0) {
                return false;
            } else {
                place = tail_.load(std::memory_order_relaxed);
            }
        }
        cell->value = value;
        cell->turn.store(place + 1, std::memory_order_release);
        return true;
    }

    // The one consumer thread only. False when the next item is not there (yet).
    bool pop(T& out) {
        Cell& cell = cells_[head_ & (Capacity - 1)];
        const std::size_t turn = cell.turn.load(std::memory_order_acquire);
        if (static_cast<std::ptrdiff_t>(turn - (head_ + 1)) < 0) {
            return false;
        }
        out = cell.value;
        cell.turn.store(head_ + Capacity, std::memory_order_release);
        ++head_;
        return true;
    }

private:
    struct Cell {
        std::atomic<std::size_t> turn;
        T value;
    };
    std::array<Cell, Capacity> cells_;
    alignas(64) std::atomic<std::size_t> tail_{0};
    alignas(64) std::size_t head_ = 0;
};

}  // namespace platform
