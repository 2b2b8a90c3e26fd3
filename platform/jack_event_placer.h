#pragma once

#include <cstdint>
#include <optional>

namespace platform {

// Where in a JACK cycle an event goes. Frame times are JACK's 32-bit frame counter, which
// wraps, so they are compared by their signed difference. An event goes at its target frame,
// except that it never goes before the event placed before it (equal frames are allowed and keep
// their order) and never before the current cycle: a late event takes the first frame still
// free. An event whose target lies beyond this cycle waits for a later one.
class JackEventPlacer {
public:
    struct Place {
        std::optional<std::uint32_t> offset;  // nullopt: the event belongs to a later cycle
        bool late = false;                    // moved later than its target
    };

    // Called at the start of every cycle, before place().
    void beginCycle(std::uint32_t cycleStart, std::uint32_t frames) {
        cycleStart_ = cycleStart;
        frames_ = frames;
        // Only an event of this cycle can hold up the next one; forgetting older ones keeps
        // the wrapping comparison meaningful however long playback runs.
        if (havePlaced_ && before(lastPlaced_, cycleStart)) {
            havePlaced_ = false;
        }
    }

    // Where an event aimed at frame `target` goes in the current cycle. Nothing changes until
    // commit().
    Place place(std::uint32_t target) const {
        Place result;
        std::uint32_t frame = target;
        if (before(frame, cycleStart_)) {
            frame = cycleStart_;
            result.late = true;
        }
        if (havePlaced_ && before(frame, lastPlaced_)) {
            frame = lastPlaced_;
            result.late = true;
        }
        const std::uint32_t offset = frame - cycleStart_;
        if (offset < frames_) {
            result.offset = offset;
        }
        return result;
    }

    // The event was written at `offset` into the current cycle.
    void commit(std::uint32_t offset) {
        lastPlaced_ = cycleStart_ + offset;
        havePlaced_ = true;
    }

private:
    static bool before(std::uint32_t a, std::uint32_t b) {
        return static_cast<std::int32_t>(a - b) < 0;
    }
    std::uint32_t cycleStart_ = 0;
    std::uint32_t frames_ = 0;
    std::uint32_t lastPlaced_ = 0;
    bool havePlaced_ = false;
};

}  // namespace platform
