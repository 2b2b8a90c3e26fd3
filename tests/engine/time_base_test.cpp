#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine_fixture.h"

TEST(StepPeriod, FromTempo) {
    EXPECT_NEAR(CPlayEngine::stepPeriod(126.0), 119.0476128, 1e-6);
    EXPECT_NEAR(CPlayEngine::stepPeriod(120.0), 124.9999935, 1e-6);
    EXPECT_NE(CPlayEngine::stepPeriod(120.0), 125.0);
    // Tempi the clock cannot play still give a positive, finite period.
    for (double bpm : {0.0, -5.0, std::nan(""), std::numeric_limits<double>::infinity(), 1e300}) {
        const double p = CPlayEngine::stepPeriod(bpm);
        EXPECT_TRUE(std::isfinite(p) && p > 0) << bpm;
    }
    EXPECT_EQ(CPlayEngine::stepPeriod(0.1), CPlayEngine::stepPeriod(0.5));
}

TEST(Calibration, KeepsFourDigits) {
    EXPECT_EQ(roundTicksPerMs(2'394'567), 2'395'000);
    EXPECT_EQ(roundTicksPerMs(2'394'449), 2'395'000);  // rounded three times: .9, then .5+
    EXPECT_EQ(roundTicksPerMs(1'234), 1'000);
    EXPECT_EQ(roundTicksPerMs(3'000'000), 3'000'000);
    EXPECT_EQ(roundTicksPerMs(0), 0);
}

TEST(Calibration, ClockSources) {
    // Exactly 3 counts per nanosecond: the calibration finds 3,000,000 per millisecond.
    SimulatedEngine e;
    EXPECT_EQ(e.timer->ticksPerMs(), 3'000'000);
    EXPECT_EQ(e.setup.cpuTicksPerMs, 3'000'000);
    const std::uint32_t before = e.timer->now();
    e.clock.advanceMs(250);
    EXPECT_EQ(e.timer->now() - before, 250u);

    // Without the time-stamp counter, or with the setting off, the performance counter.
    e.timer->setUseTimeStampCounter(false);
    const std::uint32_t perf = e.timer->now();
    e.clock.advanceMs(40);
    EXPECT_EQ(e.timer->now() - perf, 40u);

    // Without any counter the calibration finds nothing, and the clock still runs.
    platform::ManualClock bare;
    bare.setHasTimeStampCounter(false);
    bare.setHasPerformanceCounter(false);
    ManualTickSource ticks;
    CHiResTimer timer(bare, ticks);
    EXPECT_EQ(timer.ticksPerMs(), 0);
    const std::uint32_t t = timer.now();
    bare.advanceMs(7);
    EXPECT_EQ(timer.now() - t, 7u);
}

TEST(TimeBase, StepsAreDueFromTheStartNotFromTheLastStep) {
    SimulatedEngine e;
    e.engine.startPlayback();
    std::vector<int> playedAt;  // ms after the start
    for (int ms = 1; ms <= 1200; ++ms) {
        const auto before = e.engine.stepsPlayed();
        e.runMs(1);
        if (e.engine.stepsPlayed() != before) {
            playedAt.push_back(ms);
        }
    }
    // At 126 beats per minute step n is due n × 119.0476 ms after the start and plays at the
    // first tick at or after that.
    ASSERT_EQ(playedAt.size(), 10u);
    for (std::size_t n = 1; n <= playedAt.size(); ++n) {
        EXPECT_EQ(playedAt[n - 1], static_cast<int>(std::ceil(n * 119.04761904))) << n;
    }
}

TEST(TimeBase, StampsLieOnTheGridNotOnTheTicks) {
    SimulatedEngine e;
    const std::int64_t start = e.clock.monotonicNs();
    e.engine.startPlayback();
    std::vector<std::int64_t> stamps{e.engine.lastStepStampNs()};
    for (int i = 0; i < 20; ++i) {
        e.runSteps(1);
        stamps.push_back(e.engine.lastStepStampNs());
    }
    const double period = CPlayEngine::stepPeriod(126.0) * 1e6;
    for (std::size_t n = 0; n < stamps.size(); ++n) {
        // The clock counts whole milliseconds, so the grid starts at the last one before the
        // start; every step is then exactly n periods later.
        EXPECT_NEAR(stamps[n] - stamps[0], n * period, 50.0) << n;
    }
    EXPECT_LE(start - stamps[0], 1'000'000);
    EXPECT_GE(start - stamps[0], 0);
    // Every message of a step carries the step's stamp.
    for (const auto& m : e.midi.messages()) {
        EXPECT_TRUE(std::find(stamps.begin(), stamps.end(), m.stampNs) != stamps.end());
    }
}

TEST(TimeBase, ANewTempoTakesOverFromTheNextStep) {
    SimulatedEngine e;
    e.setup.tempoBpm = 120;
    e.engine.startPlayback();
    int ms = 0;
    auto runUntilSteps = [&](std::uint64_t steps) {
        while (e.engine.stepsPlayed() < steps) {
            e.runMs(1);
            ++ms;
        }
        return ms;
    };
    EXPECT_EQ(runUntilSteps(8), 875);  // step 7 at 7 × 125 ms
    e.setup.tempoBpm = 60;
    e.engine.tempoChanged();
    // Step 8 one new period after step 7 was due, then whole new periods from step 8.
    EXPECT_EQ(runUntilSteps(9), 1125);
    EXPECT_EQ(runUntilSteps(10), 1375);
    EXPECT_TRUE(e.engine.isPlaying());
}

TEST(TimeBase, TheClockWrapsWithoutAHitch) {
    SimulatedEngine e;
    // Put the 32-bit millisecond count 300 ms before its wrap.
    const std::uint64_t counts =
        3'000'000ull * ((1ull << 32) - 300) - static_cast<std::uint64_t>(e.clock.monotonicNs()) * 3;
    e.clock.setTimeStampCounterOffset(counts);
    e.engine.startPlayback();
    e.runMs(600);
    EXPECT_EQ(e.engine.stepsPlayed(), 1u + 5u);  // 0, then 119, 238, 357, 476, 595 ms
}
