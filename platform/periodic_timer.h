#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace platform {

// A callback every `period` milliseconds on a thread of its own, the time base of playback.
// The thread sleeps to absolute deadlines on CLOCK_MONOTONIC, so late wake-ups never add up
// to drift, and runs at SCHED_FIFO where the system allows it. After a wake-up that missed
// whole periods it skips to the next deadline still ahead instead of calling back in a burst.
// While stopped there is no thread, so nothing wakes up at all.
class PeriodicTimer {
public:
    static constexpr std::uint32_t kMinPeriodMs = 1;
    static constexpr std::uint32_t kMaxPeriodMs = 1'000'000;

    PeriodicTimer() = default;
    ~PeriodicTimer();
    PeriodicTimer(const PeriodicTimer&) = delete;
    PeriodicTimer& operator=(const PeriodicTimer&) = delete;

    // Stops a running timer, then starts calling `callback` every `periodMs` (limited to
    // kMinPeriodMs..kMaxPeriodMs), the first call one period from now. Returns false if the
    // thread could not be created, or when called from the callback itself.
    bool start(std::uint32_t periodMs, std::function<void()> callback);

    // Returns once the callback has returned for the last time. Safe when not running. Called
    // from the callback, it only asks the thread to end after this call, because the thread
    // cannot wait for itself; the next start() or the destructor collects it.
    void stop();

    bool running() const { return running_.load(std::memory_order_acquire); }

    // Whether the timer thread got SCHED_FIFO (meaningful once the first callback ran).
    bool realtime() const { return realtime_.load(std::memory_order_relaxed); }

private:
    void run(std::uint32_t periodMs);
    void join();

    std::mutex control_;  // start and stop come from the window thread, stop maybe also here
    std::thread thread_;
    std::function<void()> callback_;
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> running_{false};
    std::atomic<bool> realtime_{false};
};

}  // namespace platform
