#pragma once

#include <cstdint>
#include <functional>

#include "platform/periodic_timer.h"

// What drives the time base: a periodic call on a thread of its own while playing, or calls
// made by hand when the clock runs in simulated time (tests, exporting a setup).
class TickSource {
public:
    virtual ~TickSource() = default;
    virtual bool start(std::uint32_t periodMs, std::function<void()> tick) = 0;
    // Returns once no tick runs any more.
    virtual void stop() = 0;
};

class ThreadTickSource final : public TickSource {
public:
    bool start(std::uint32_t periodMs, std::function<void()> tick) override {
        return timer_.start(periodMs, std::move(tick));
    }
    void stop() override { timer_.stop(); }

private:
    platform::PeriodicTimer timer_;
};

// Ticks only when fire() is called, on the caller's thread.
class ManualTickSource final : public TickSource {
public:
    bool start(std::uint32_t, std::function<void()> tick) override {
        tick_ = std::move(tick);
        return true;
    }
    void stop() override { tick_ = nullptr; }
    bool running() const { return static_cast<bool>(tick_); }
    void fire() {
        if (tick_) {
            tick_();
        }
    }

private:
    std::function<void()> tick_;
};
