#pragma once

#include <atomic>
#include <cstdint>

#include "platform/clock.h"

namespace platform {

// A clock that moves only when told to: simulated time for tests and for running the step
// clock faster than real time. The time-stamp counter runs at `tscTicksPerNs` counts per
// nanosecond of the monotonic time; either counter can be made to look missing. Reads and
// moves may come from different threads.
class ManualClock final : public ClockSource {
public:
    explicit ManualClock(std::int64_t startNs = 1'000'000'000, std::uint64_t tscTicksPerNs = 3)
        : nowNs_(startNs), tscTicksPerNs_(tscTicksPerNs) {}

    void setNs(std::int64_t ns) { nowNs_.store(ns, std::memory_order_relaxed); }
    void advanceNs(std::int64_t ns) { nowNs_.fetch_add(ns, std::memory_order_relaxed); }
    void advanceMs(std::int64_t ms) { advanceNs(ms * 1'000'000); }
    void setHasTimeStampCounter(bool present) { hasTsc_.store(present); }
    void setHasPerformanceCounter(bool present) { hasPerf_.store(present); }
    // Every read of the monotonic or performance counter moves time on by this much first, so
    // that a busy wait on this clock ends.
    void setAdvancePerReadNs(std::int64_t ns) { advancePerRead_.store(ns); }
    // Added to the time-stamp counter's reading, e.g. to put it just before its 64-bit wrap.
    void setTimeStampCounterOffset(std::uint64_t offset) { tscOffset_.store(offset); }

    std::int64_t monotonicNs() override {
        const std::int64_t step = advancePerRead_.load(std::memory_order_relaxed);
        return nowNs_.fetch_add(step, std::memory_order_relaxed) + step;
    }
    bool performanceCounter(std::int64_t& count) override {
        if (!hasPerf_.load()) {
            return false;
        }
        count = monotonicNs();
        return true;
    }
    std::int64_t performanceFrequency() override { return hasPerf_.load() ? 1'000'000'000 : 0; }
    bool hasTimeStampCounter() override { return hasTsc_.load(); }
    std::uint64_t timeStampCounter() override {
        if (!hasTsc_.load()) {
            return 0;
        }
        return static_cast<std::uint64_t>(nowNs_.load(std::memory_order_relaxed)) * tscTicksPerNs_ +
               tscOffset_.load();
    }

private:
    std::atomic<std::int64_t> nowNs_;
    const std::uint64_t tscTicksPerNs_;
    std::atomic<bool> hasTsc_{true};
    std::atomic<bool> hasPerf_{true};
    std::atomic<std::uint64_t> tscOffset_{0};
    std::atomic<std::int64_t> advancePerRead_{0};
};

}  // namespace platform
