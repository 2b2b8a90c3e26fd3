#include "platform/clock.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>

#include <thread>

#include "platform/manual_clock.h"

namespace {

TEST(Clock, PerformanceCounterIsTheMonotonicClockInNanoseconds) {
    ASSERT_EQ(platform::performanceFrequency(), 1'000'000'000);
    std::int64_t count = 0;
    const std::int64_t before = platform::monotonicNs();
    ASSERT_TRUE(platform::performanceCounter(count));
    const std::int64_t after = platform::monotonicNs();
    EXPECT_LE(before, count);
    EXPECT_LE(count, after);
}

TEST(Clock, TickCountIsTheMonotonicClockInMilliseconds) {
    const auto before = static_cast<std::uint32_t>(platform::monotonicNs() / 1'000'000);
    const std::uint32_t tick = platform::tickCountMs();
    const auto after = static_cast<std::uint32_t>(platform::monotonicNs() / 1'000'000);
    EXPECT_LE(static_cast<std::uint32_t>(tick - before),
              static_cast<std::uint32_t>(after - before));
}

TEST(Clock, TimeStampCounterRunsWhenPresentAndReadsZeroOtherwise) {
    const std::uint64_t first = platform::timeStampCounter();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const std::uint64_t second = platform::timeStampCounter();
    if (platform::hasTimeStampCounter()) {
        EXPECT_GT(second, first);
    } else {
        EXPECT_EQ(first, 0u);
        EXPECT_EQ(second, 0u);
    }
}

// Whether or not the system grants SCHED_FIFO, the thread must end up as it was.
TEST(Clock, RestoringPriorityPutsBackThePolicyAndPriority) {
    std::thread worker([] {
        int policyBefore = -1;
        sched_param before{};
        ASSERT_EQ(pthread_getschedparam(pthread_self(), &policyBefore, &before), 0);

        const platform::SavedThreadPriority saved = platform::raiseThreadPriority();
        int policyRaised = -1;
        sched_param raised{};
        ASSERT_EQ(pthread_getschedparam(pthread_self(), &policyRaised, &raised), 0);
        if (saved.changed) {
            EXPECT_EQ(policyRaised, SCHED_FIFO);
            EXPECT_EQ(raised.sched_priority, platform::kTimingThreadPriority);
        } else {
            EXPECT_EQ(policyRaised, policyBefore);
        }

        platform::restoreThreadPriority(saved);
        int policyAfter = -1;
        sched_param after{};
        ASSERT_EQ(pthread_getschedparam(pthread_self(), &policyAfter, &after), 0);
        EXPECT_EQ(policyAfter, policyBefore);
        EXPECT_EQ(after.sched_priority, before.sched_priority);
    });
    worker.join();
}

TEST(ManualClock, MissingCountersReadAsMissing) {
    platform::ManualClock clock(5'000'000);
    clock.setHasPerformanceCounter(false);
    clock.setHasTimeStampCounter(false);
    std::int64_t count = 42;
    EXPECT_FALSE(clock.performanceCounter(count));
    EXPECT_EQ(count, 42);
    EXPECT_EQ(clock.performanceFrequency(), 0);
    EXPECT_EQ(clock.timeStampCounter(), 0u);
    EXPECT_EQ(clock.monotonicNs(), 5'000'000);
}

// A busy wait written against the clock interface must end on simulated time.
TEST(ManualClock, AdvancePerReadLetsABusyWaitEnd) {
    platform::ManualClock clock(0, 2);
    clock.setAdvancePerReadNs(1'000);
    std::int64_t start = 0;
    ASSERT_TRUE(clock.performanceCounter(start));
    std::int64_t now = start;
    int reads = 0;
    while (now - start < 100'000'000) {
        clock.performanceCounter(now);
        ++reads;
    }
    EXPECT_EQ(reads, 100'000);
    EXPECT_EQ(clock.timeStampCounter(), static_cast<std::uint64_t>(now) * 2);
}

}  // namespace
