#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace platform {

// Where a moment of CLOCK_MONOTONIC falls in an audio stream that a thread renders buffer by
// buffer. The thread's wake-ups jitter and are only ever late, so a buffer's own start time is
// no good for placing a message; the stream's frames follow a straight line in time, and the
// earliest start among the last kWindow buffers (against the frames rendered by then) marks it.
// The window is short, so the line follows a device clock that runs a little off ours, and a
// device that loses time (an overrun, a server that woke up too late) within kWindow buffers;
// a gap far beyond any wake-up sets it afresh at once. The first buffers of a stream are often
// rendered in a burst to fill the device's queue: while the stream is young the latest start
// counts instead, so the line settles where the stream will run.
//
// Frames are a 32-bit counter that wraps, as JACK's are (see jack_event_placer.h).
class AudioTimeline {
public:
    static constexpr std::size_t kWindow = 32;

    explicit AudioTimeline(double framesPerSecond) : nsPerFrame_(1e9 / framesPerSecond) {}

    // A buffer that starts at startFrame() is being rendered at `nowNs`.
    void beginBuffer(std::int64_t nowNs) {
        const std::int64_t origin =
            nowNs - static_cast<std::int64_t>(static_cast<double>(framesDone_) * nsPerFrame_);
        if (buffers_ == 0) {
            firstNs_ = nowNs;
        }
        if (buffers_ == 0 || nowNs - firstNs_ < kWarmUpNs || origin - originNs_ > kStallNs) {
            recent_.fill(origin);
        } else {
            recent_[buffers_ % kWindow] = origin;
        }
        ++buffers_;
        originNs_ = recent_[0];
        for (const std::int64_t o : recent_) {
            originNs_ = o < originNs_ ? o : originNs_;
        }
    }

    // The buffer of `frames` frames begun last is done.
    void endBuffer(std::uint32_t frames) { framesDone_ += frames; }

    std::uint32_t startFrame() const { return static_cast<std::uint32_t>(framesDone_); }

    // The frame at which the line reaches `ns`.
    std::uint32_t frameAt(std::int64_t ns) const {
        const double frames = static_cast<double>(ns - originNs_) / nsPerFrame_;
        const auto whole = static_cast<std::int64_t>(frames < 0 ? frames - 0.5 : frames + 0.5);
        return static_cast<std::uint32_t>(static_cast<std::uint64_t>(whole));
    }

private:
    static constexpr std::int64_t kWarmUpNs = 250'000'000;
    static constexpr std::int64_t kStallNs = 100'000'000;

    const double nsPerFrame_;
    std::uint64_t framesDone_ = 0;
    std::uint64_t buffers_ = 0;
    std::int64_t firstNs_ = 0;
    std::array<std::int64_t, kWindow> recent_{};  // the moment frame 0 lay at, by buffer
    std::int64_t originNs_ = 0;                   // ... on the line: the earliest of them
};

}  // namespace platform
