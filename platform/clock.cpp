#include "platform/clock.h"

#include <pthread.h>
#include <sched.h>
#include <time.h>

#if defined(__x86_64__)
#include <cpuid.h>
#include <x86intrin.h>
#endif

namespace platform {

namespace {

bool readClock(clockid_t id, std::int64_t& ns) {
    timespec ts{};
    if (clock_gettime(id, &ts) != 0) {
        return false;
    }
    ns = static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
    return true;
}

bool detectTimeStampCounter() {
#if defined(__x86_64__)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) {
        return false;
    }
    return (edx & (1u << 4)) != 0;
#else
    return false;
#endif
}

class SystemClock final : public ClockSource {
public:
    std::int64_t monotonicNs() override { return platform::monotonicNs(); }
    bool performanceCounter(std::int64_t& count) override {
        return platform::performanceCounter(count);
    }
    std::int64_t performanceFrequency() override { return platform::performanceFrequency(); }
    bool hasTimeStampCounter() override { return platform::hasTimeStampCounter(); }
    std::uint64_t timeStampCounter() override { return platform::timeStampCounter(); }
};

}  // namespace

std::int64_t monotonicNs() {
    std::int64_t ns = 0;
    readClock(CLOCK_MONOTONIC, ns);
    return ns;
}

bool performanceCounter(std::int64_t& count) {
    return readClock(CLOCK_MONOTONIC, count);
}

std::int64_t performanceFrequency() {
    static const bool present = [] {
        timespec ts{};
        return clock_getres(CLOCK_MONOTONIC, &ts) == 0;
    }();
    return present ? 1'000'000'000 : 0;
}

std::uint32_t tickCountMs() {
    std::int64_t ns = 0;
    if (!readClock(CLOCK_MONOTONIC, ns)) {
        readClock(CLOCK_REALTIME, ns);
    }
    return static_cast<std::uint32_t>(ns / 1'000'000);
}

bool hasTimeStampCounter() {
    static const bool present = detectTimeStampCounter();
    return present;
}

std::uint64_t timeStampCounter() {
#if defined(__x86_64__)
    return hasTimeStampCounter() ? __rdtsc() : 0;
#else
    return 0;
#endif
}

ClockSource& systemClock() {
    static SystemClock clock;
    return clock;
}

SavedThreadPriority raiseThreadPriority(int priority) {
    SavedThreadPriority saved;
    sched_param old{};
    if (pthread_getschedparam(pthread_self(), &saved.policy, &old) != 0) {
        return saved;
    }
    saved.priority = old.sched_priority;
    const int lowest = sched_get_priority_min(SCHED_FIFO);
    const int highest = sched_get_priority_max(SCHED_FIFO);
    sched_param wanted{};
    wanted.sched_priority = priority < lowest ? lowest : (priority > highest ? highest : priority);
    saved.changed = pthread_setschedparam(pthread_self(), SCHED_FIFO, &wanted) == 0;
    return saved;
}

void restoreThreadPriority(const SavedThreadPriority& saved) {
    if (!saved.changed) {
        return;
    }
    sched_param old{};
    old.sched_priority = saved.priority;
    pthread_setschedparam(pthread_self(), saved.policy, &old);
}

}  // namespace platform
