#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "engine/tick_source.h"
#include "platform/clock.h"
#include "platform/manual_clock.h"

// The calibration keeps a measured rate of k counts per millisecond to four significant digits
// (x × 0.1, rounded half up, three times, then × 1000): 2,394,567 becomes 2,395,000.
std::int32_t roundTicksPerMs(std::int64_t k);

// The engine's clock and its periodic tick. The clock counts milliseconds from the processor's
// time-stamp counter, scaled by a calibration made once, or from the performance counter when
// the "Use High-Res Timer" setting is off or the processor has no such counter. Readings are
// compared as 32-bit differences, so the wrap after 49.7 days does no harm.
class CHiResTimer {
public:
    // Calibrates at once: about 100 ms of busy waiting at raised priority.
    CHiResTimer(platform::ClockSource& clock, TickSource& ticks);

    // delay is limited to the timer's capabilities (1 ms and up).
    void setCallback(std::uint32_t delay, std::function<void()> callback);
    void start();
    void stop();
    bool running() const { return running_ != 0; }

    std::uint32_t now() { return static_cast<std::uint32_t>(now64()); }
    std::int64_t now64();
    void setUseTimeStampCounter(bool use) { useTimeStampCounter_ = use ? 1 : 0; }

    std::int32_t ticksPerMs() const { return ticksPerMs_; }

    // The CLOCK_MONOTONIC instant at which this clock reads `clockMs` (fractions of a
    // millisecond allowed), for a time a little before or after now: the MIDI output's time
    // stamp for a step due at that reading. Both clocks are read now and the short way between
    // the two instants is converted at the calibrated rate, so an error in that rate never
    // adds up over a long performance.
    std::int64_t monotonicNsAt(double clockMs);
    // Nanoseconds of real time per millisecond of this clock: the calibration rounds the
    // counter's rate, so the clock runs a little fast or slow.
    double nsPerClockMs() const;

private:
    enum class Source { timeStampCounter, performanceCounter, tickCount };
    Source source() const;
    void busyWait(std::int64_t ms);
    void overheadProbe();
    void calibrate();

    platform::ClockSource& clock_;
    TickSource& ticks_;

    std::int32_t ticksPerMs_ = 0;
    std::uint32_t timerId_ = 0;
    std::uint32_t periodRequest_ = 1;
    std::function<void()> callback_;
    std::uint32_t resolution_ = 2;
    std::uint8_t running_ = 0;
    std::uint32_t minPeriod_ = platform::PeriodicTimer::kMinPeriodMs;
    std::uint32_t maxPeriod_ = platform::PeriodicTimer::kMaxPeriodMs;
    std::uint32_t delay_ = 1;
    std::uint8_t hasTimeStampCounter_ = 0;
    std::uint8_t useTimeStampCounter_ = 1;
    std::int64_t performanceFrequency_ = 0;
    // The counter's rate as measured, before rounding: maps this clock to real time.
    double measuredTicksPerMs_ = 0.0;
};

// A timer on simulated time, calibrated to exactly the clock's counter rate: each read during
// the calibration's busy wait moves the clock on by a microsecond, then time stands still
// until the caller moves it.
std::unique_ptr<CHiResTimer> makeSimulatedTimer(platform::ManualClock& clock, TickSource& ticks);
