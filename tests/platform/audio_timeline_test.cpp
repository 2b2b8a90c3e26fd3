#include "platform/audio_timeline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>

#include "../support/case_name.h"

namespace {

constexpr double kRate = 48000;
constexpr std::uint32_t kFrames = 256;
constexpr double kNsPerFrame = 1e9 / kRate;

// A stream of 256-frame buffers whose ideal render times lie on a line; `lateNs` says how late
// the thread wakes for buffer i, `clockScale` how fast the device's clock runs against ours.
struct Case {
    const char* what;
    std::function<std::int64_t(int)> lateNs;
    double clockScale = 1.0;
    std::function<std::int64_t(int)> lineShiftNs = [](int) { return 0; };
    int buffers = 2000;  // about 10.7 s
};

class AudioTimelineFollowsTheStream : public testing::TestWithParam<Case> {};

// After every buffer, the moment the ideal line says a frame sounds maps back to that frame.
TEST_P(AudioTimelineFollowsTheStream, ToWithinAFrame) {
    const Case& c = GetParam();
    platform::AudioTimeline timeline(kRate);
    const std::int64_t startNs = 7'000'000'000;
    double worst = 0;
    for (int i = 0; i < c.buffers; ++i) {
        const double idealNs =
            startNs + i * kFrames * kNsPerFrame * c.clockScale + c.lineShiftNs(i);
        timeline.beginBuffer(static_cast<std::int64_t>(idealNs) + c.lateNs(i));
        // Once settled: after the first 2.5 s, and one window after the device lost time.
        const bool settling =
            i * kFrames * kNsPerFrame < 2.5e9 ||
            c.lineShiftNs(i) !=
                c.lineShiftNs(i - 1 - static_cast<int>(platform::AudioTimeline::kWindow));
        if (!settling) {
            const std::uint32_t frame = timeline.startFrame() + 100;
            const auto momentNs =
                static_cast<std::int64_t>(idealNs + 100 * kNsPerFrame * c.clockScale);
            const auto error = static_cast<std::int32_t>(timeline.frameAt(momentNs) - frame);
            worst = std::max(worst, std::abs(static_cast<double>(error)));
        }
        timeline.endBuffer(kFrames);
    }
    EXPECT_LE(worst, 1.0);
}

std::int64_t jitter(int i) {
    // Wake-ups up to 3 ms late, one in seven on time.
    return i % 7 == 0 ? 0 : static_cast<std::int64_t>((i * 7919) % 3000) * 1000;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AudioTimelineFollowsTheStream,
    testing::Values(
        Case{"steady", [](int) { return 0; }}, Case{"late wake ups never move the line", jitter},
        // A driver that fills the device's queue first renders several buffers at once.
        Case{"a burst at the start", [](int i) { return i < 4 ? -(4 - i) * 5'333'333 : 0; }},
        Case{"a device clock 100 ppm slow", jitter, 1.0001},
        Case{"a device clock 100 ppm fast", jitter, 0.9999},
        // A server that woke up too late skips the time it lost, again and again.
        Case{"a device that loses time", jitter, 1.0, [](int i) { return (i / 100) * 1'500'000; }},
        // A sound server that takes 16 buffers at a time: they are all rendered at once, so
        // only the last of each 16 starts on the line.
        Case{"a server that takes 16 buffers at once",
             [](int i) { return static_cast<std::int64_t>((15 - i % 16) * kFrames * kNsPerFrame); },
             1.0, [](int) { return -static_cast<std::int64_t>(15 * kFrames * kNsPerFrame); }},
        // The output stalled for half a second: everything after runs that much later.
        Case{"a stall", jitter, 1.0, [](int i) { return i < 1000 ? 0 : 500'000'000; }}),
    caseName<Case>);

}  // namespace
