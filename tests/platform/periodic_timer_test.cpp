#include "platform/periodic_timer.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/clock.h"

namespace {

using namespace std::chrono_literals;

int threadCount() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(dir)) {
            count += entry->d_name[0] != '.';
        }
        closedir(dir);
    }
    return count;
}

void waitFor(const std::atomic<int>& value, int atLeast) {
    const auto giveUp = std::chrono::steady_clock::now() + 10s;
    while (value.load() < atLeast && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(1ms);
    }
}

TEST(PeriodicTimer, CallsBackUntilStoppedAndNeverAfter) {
    platform::PeriodicTimer timer;
    std::atomic<int> calls{0};
    // A sanitizer's own helper thread appears with the first thread the process makes.
    std::thread([] {}).join();
    const int threadsBefore = threadCount();
    ASSERT_TRUE(timer.start(1, [&] { ++calls; }));
    EXPECT_TRUE(timer.running());
    waitFor(calls, 5);
    EXPECT_GE(calls.load(), 5);
    EXPECT_EQ(threadCount(), threadsBefore + 1);

    timer.stop();
    EXPECT_FALSE(timer.running());
    const int atStop = calls.load();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(calls.load(), atStop);
    // Stopped means no thread at all, hence no wake-ups.
    EXPECT_EQ(threadCount(), threadsBefore);
}

TEST(PeriodicTimer, StopIsSafeWhenNotRunningAndTwice) {
    platform::PeriodicTimer timer;
    timer.stop();
    ASSERT_TRUE(timer.start(1, [] {}));
    timer.stop();
    timer.stop();
    EXPECT_FALSE(timer.running());
}

TEST(PeriodicTimer, RestartReplacesTheCallback) {
    platform::PeriodicTimer timer;
    std::atomic<int> first{0};
    std::atomic<int> second{0};
    ASSERT_TRUE(timer.start(1, [&] { ++first; }));
    waitFor(first, 2);
    ASSERT_TRUE(timer.start(1, [&] { ++second; }));
    const int firstAtRestart = first.load();
    waitFor(second, 3);
    timer.stop();
    EXPECT_EQ(first.load(), firstAtRestart);
    EXPECT_GE(second.load(), 3);
}

TEST(PeriodicTimer, StopFromTheCallbackEndsTheThreadAndAllowsARestart) {
    platform::PeriodicTimer timer;
    std::atomic<int> calls{0};
    std::atomic<bool> restartRefused{false};
    ASSERT_TRUE(timer.start(1, [&] {
        if (++calls == 3) {
            restartRefused = !timer.start(1, [] {});
            timer.stop();
        }
    }));
    waitFor(calls, 3);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(calls.load(), 3);
    EXPECT_FALSE(timer.running());
    EXPECT_TRUE(restartRefused.load());

    std::atomic<int> again{0};
    ASSERT_TRUE(timer.start(1, [&] { ++again; }));
    waitFor(again, 2);
    EXPECT_GE(again.load(), 2);
}

// After a callback that overran ten periods the timer skips the missed deadlines: a catch-up
// burst would show as a run of calls right after the slow one.
TEST(PeriodicTimer, NoBurstOfCatchUpCallsAfterALateWake) {
    platform::PeriodicTimer timer;
    std::mutex mutex;
    std::vector<std::int64_t> times;
    std::int64_t slowEnd = 0;
    std::atomic<int> calls{0};
    ASSERT_TRUE(timer.start(1, [&] {
        const int n = ++calls;
        std::lock_guard lock(mutex);
        times.push_back(platform::monotonicNs());
        if (n == 3) {
            std::this_thread::sleep_for(10ms);
            slowEnd = platform::monotonicNs();
        }
    }));
    waitFor(calls, 8);
    timer.stop();
    std::lock_guard lock(mutex);
    ASSERT_GT(slowEnd, 0);
    int soonAfter = 0;
    for (std::int64_t t : times) {
        soonAfter += t >= slowEnd && t < slowEnd + 1'000'000;
    }
    EXPECT_LE(soonAfter, 1);
}

}  // namespace
