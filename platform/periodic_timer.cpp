#include "platform/periodic_timer.h"

#include <time.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "platform/clock.h"

namespace platform {

namespace {

constexpr std::int64_t kNsPerMs = 1'000'000;
// A long period is slept in slices of this length, so that stop() never waits long for it.
constexpr std::int64_t kLongestSleepNs = 20 * kNsPerMs;

// The timer whose callback this thread is running, if any.
thread_local const PeriodicTimer* tCurrentTimer = nullptr;

void sleepUntil(std::int64_t deadlineNs) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(deadlineNs / 1'000'000'000);
    ts.tv_nsec = static_cast<long>(deadlineNs % 1'000'000'000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

}  // namespace

PeriodicTimer::~PeriodicTimer() {
    stop();
}

bool PeriodicTimer::start(std::uint32_t periodMs, std::function<void()> callback) {
    if (tCurrentTimer == this) {
        return false;
    }
    std::lock_guard lock(control_);
    if (thread_.joinable() && thread_.get_id() == std::this_thread::get_id()) {
        return false;
    }
    stopRequested_.store(true, std::memory_order_relaxed);
    join();
    periodMs = std::clamp(periodMs, kMinPeriodMs, kMaxPeriodMs);
    callback_ = std::move(callback);
    stopRequested_.store(false, std::memory_order_relaxed);
    running_.store(true, std::memory_order_release);
    try {
        thread_ = std::thread([this, periodMs] { run(periodMs); });
    } catch (const std::system_error&) {
        running_.store(false, std::memory_order_release);
        return false;
    }
    return true;
}

void PeriodicTimer::stop() {
    if (tCurrentTimer == this) {
        // On the timer thread, inside the callback: start() and stop() of the window thread
        // hold `control_` only while no callback of theirs is being waited for here.
        stopRequested_.store(true, std::memory_order_relaxed);
        running_.store(false, std::memory_order_release);
        return;
    }
    std::lock_guard lock(control_);
    stopRequested_.store(true, std::memory_order_relaxed);
    join();
    running_.store(false, std::memory_order_release);
}

void PeriodicTimer::join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void PeriodicTimer::run(std::uint32_t periodMs) {
    tCurrentTimer = this;
    const SavedThreadPriority priority = raiseThreadPriority();
    realtime_.store(priority.changed, std::memory_order_relaxed);
    const std::int64_t period = static_cast<std::int64_t>(periodMs) * kNsPerMs;
    std::int64_t deadline = monotonicNs() + period;
    while (!stopRequested_.load(std::memory_order_relaxed)) {
        const std::int64_t now = monotonicNs();
        if (deadline - now > kLongestSleepNs) {
            sleepUntil(now + kLongestSleepNs);
            continue;
        }
        sleepUntil(deadline);
        if (stopRequested_.load(std::memory_order_relaxed)) {
            break;
        }
        callback_();
        deadline += period;
        const std::int64_t after = monotonicNs();
        if (deadline <= after) {
            // Missed whole periods: keep the phase, drop the calls that are already too late.
            deadline += ((after - deadline) / period + 1) * period;
        }
    }
    restoreThreadPriority(priority);
}

}  // namespace platform
