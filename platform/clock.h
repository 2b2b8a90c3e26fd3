#pragma once

#include <cstdint>

// The clocks the engine's time base reads, and the scheduling priority of its threads.
namespace platform {

// CLOCK_MONOTONIC in nanoseconds: the one time line that MIDI time stamps, the periodic timer
// and the audio backends share.
std::int64_t monotonicNs();

// The performance counter: counts of monotonicNs(), so its frequency is 1,000,000,000.
// Returns false (and leaves `count` alone) when the system has no monotonic clock.
bool performanceCounter(std::int64_t& count);
std::int64_t performanceFrequency();  // 0 when there is no performance counter

// Milliseconds since an arbitrary start, for seeding the random generator. Works even when
// the monotonic clock is missing (it falls back to the real-time clock).
std::uint32_t tickCountMs();

// The processor's time-stamp counter. Only x86-64 processors that report it (identification
// function 1, EDX bit 4) have one; elsewhere hasTimeStampCounter() is false and
// timeStampCounter() returns 0.
bool hasTimeStampCounter();
std::uint64_t timeStampCounter();

// Every clock above behind one interface, so that code built on them can run on a fake clock
// in tests (a missing counter, a clock that wraps, simulated time).
class ClockSource {
public:
    virtual ~ClockSource() = default;
    virtual std::int64_t monotonicNs() = 0;
    virtual bool performanceCounter(std::int64_t& count) = 0;
    virtual std::int64_t performanceFrequency() = 0;
    virtual bool hasTimeStampCounter() = 0;
    virtual std::uint64_t timeStampCounter() = 0;
};

// The real clocks; lives for the whole process.
ClockSource& systemClock();

// Priority of the threads that must keep time (the periodic timer, a calibration's busy wait).
// Below the JACK server's audio threads (priority 10 by default), which have the hardest
// deadlines; above every normal thread.
inline constexpr int kTimingThreadPriority = 8;

struct SavedThreadPriority {
    bool changed = false;
    int policy = 0;
    int priority = 0;
};

// Moves the calling thread to SCHED_FIFO at `priority`. Where the system does not allow it
// (no CAP_SYS_NICE, RLIMIT_RTPRIO too low) nothing changes and the result says so.
SavedThreadPriority raiseThreadPriority(int priority = kTimingThreadPriority);

// Puts back what raiseThreadPriority changed; does nothing if it changed nothing.
void restoreThreadPriority(const SavedThreadPriority& saved);

}  // namespace platform
