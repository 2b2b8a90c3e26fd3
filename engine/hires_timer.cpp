#include "hires_timer.h"

#include <algorithm>
#include <cmath>

std::int32_t roundTicksPerMs(std::int64_t k) {
    // 0.1 in single precision, the products in double precision.
    double x = static_cast<double>(k);
    for (int i = 0; i < 3; ++i) {
        x *= static_cast<double>(0.1f);
        const double whole = std::trunc(x);
        x = whole + (x - whole > 0.5 ? 1.0 : 0.0);
    }
    return static_cast<std::int32_t>(std::clamp(x * 1000.0, 0.0, 2147483000.0));
}

CHiResTimer::CHiResTimer(platform::ClockSource& clock, TickSource& ticks)
    : clock_(clock), ticks_(ticks) {
    hasTimeStampCounter_ = clock_.hasTimeStampCounter() ? 1 : 0;
    performanceFrequency_ = clock_.performanceFrequency();
    calibrate();
    periodRequest_ = std::max(periodRequest_, minPeriod_);
}

void CHiResTimer::busyWait(std::int64_t ms) {
    std::int64_t start = 0;
    if (performanceFrequency_ <= 0 || !clock_.performanceCounter(start)) {
        return;
    }
    const std::int64_t target = performanceFrequency_ / 1000 * ms;
    std::int64_t count = start;
    while (count - start < target) {
        if (!clock_.performanceCounter(count)) {
            return;
        }
    }
}

void CHiResTimer::overheadProbe() {
    std::int64_t start = 0;
    if (performanceFrequency_ <= 0 || !clock_.performanceCounter(start)) {
        return;
    }
    const std::int64_t target = performanceFrequency_ / 1000 * 100;
    std::int64_t count = start;
    do {
        if (!clock_.performanceCounter(count)) {
            return;
        }
    } while (count - start == target);
}

void CHiResTimer::calibrate() {
    const auto saved = platform::raiseThreadPriority();
    const std::uint64_t t0 = clock_.timeStampCounter();
    busyWait(100);
    const std::uint64_t t1 = clock_.timeStampCounter();
    const std::uint64_t t2 = clock_.timeStampCounter();
    overheadProbe();
    const std::uint64_t t3 = clock_.timeStampCounter();
    platform::restoreThreadPriority(saved);
    const std::int64_t k =
        (static_cast<std::int64_t>(t1 - t0) - static_cast<std::int64_t>(t3 - t2)) / 100;
    measuredTicksPerMs_ = static_cast<double>(k);
    ticksPerMs_ = roundTicksPerMs(k);
}

void CHiResTimer::setCallback(std::uint32_t delay, std::function<void()> callback) {
    delay_ = std::clamp(delay, minPeriod_, maxPeriod_);
    callback_ = std::move(callback);
}

void CHiResTimer::start() {
    stop();
    timerId_ = ticks_.start(delay_, callback_) ? 1u : 0u;
    running_ = 1;
}

void CHiResTimer::stop() {
    if (running_) {
        ticks_.stop();
        timerId_ = 0;
    }
    running_ = 0;
}

CHiResTimer::Source CHiResTimer::source() const {
    // Without a calibrated counter, or without a performance counter, fall back to a clock
    // that works rather than divide by zero.
    if (hasTimeStampCounter_ && useTimeStampCounter_ && ticksPerMs_ > 0) {
        return Source::timeStampCounter;
    }
    if (performanceFrequency_ >= 1000) {
        return Source::performanceCounter;
    }
    return Source::tickCount;
}

std::int64_t CHiResTimer::now64() {
    switch (source()) {
        case Source::timeStampCounter:
            return static_cast<std::int64_t>(clock_.timeStampCounter()) / ticksPerMs_;
        case Source::performanceCounter: {
            std::int64_t count = 0;
            if (clock_.performanceCounter(count)) {
                return count / (performanceFrequency_ / 1000);
            }
            break;
        }
        case Source::tickCount:
            break;
    }
    return clock_.monotonicNs() / 1'000'000;
}

std::int64_t CHiResTimer::monotonicNsAt(double clockMs) {
    // Read the clock between two monotonic readings and take their middle.
    const std::int64_t before = clock_.monotonicNs();
    double ms = 0.0;
    switch (source()) {
        case Source::timeStampCounter:
            ms = static_cast<double>(static_cast<std::int64_t>(clock_.timeStampCounter())) /
                 ticksPerMs_;
            break;
        case Source::performanceCounter: {
            std::int64_t count = 0;
            clock_.performanceCounter(count);
            ms = static_cast<double>(count) / static_cast<double>(performanceFrequency_ / 1000);
            break;
        }
        case Source::tickCount:
            ms = static_cast<double>(before) / 1e6;
            break;
    }
    const std::int64_t after = clock_.monotonicNs();
    return before + (after - before) / 2 + std::llround((clockMs - ms) * nsPerClockMs());
}

double CHiResTimer::nsPerClockMs() const {
    switch (source()) {
        case Source::timeStampCounter:
            return measuredTicksPerMs_ > 0 ? 1e6 * ticksPerMs_ / measuredTicksPerMs_ : 1e6;
        case Source::performanceCounter:
            return 1e9 * static_cast<double>(performanceFrequency_ / 1000) /
                   static_cast<double>(performanceFrequency_);
        case Source::tickCount:
            break;
    }
    return 1e6;
}

std::unique_ptr<CHiResTimer> makeSimulatedTimer(platform::ManualClock& clock, TickSource& ticks) {
    clock.setAdvancePerReadNs(1000);
    auto timer = std::make_unique<CHiResTimer>(clock, ticks);
    clock.setAdvancePerReadNs(0);
    return timer;
}
