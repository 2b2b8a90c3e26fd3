// The time base: when each step is due, and how a new tempo takes over.
#include <algorithm>
#include <cmath>

#include "engine/play_engine.h"
#include "model/setup_file.h"
#include "model/shared_value.h"

double CPlayEngine::stepPeriod(double bpm) {
    // A tempo the clock cannot play (a damaged file, NaN) never gives a period that is not
    // positive and finite.
    const double limited =
        std::isnan(bpm) ? defaultTempoBpm : std::clamp(bpm, minTempoBpm, maxTempoBpm);
    const double b = static_cast<float>(limited);
    const double k = 0.06666667f;
    return 1000.0 / (b * k);
}

void CPlayEngine::anchorTimeBase() {
    startTime64_ = timer_.now64();
    startTime_ = static_cast<std::uint32_t>(startTime64_);
}

void CPlayEngine::startTimeBase() {
    // The ticks are started by startPlayback once the first step has been played.
    period_ = stepPeriod(loadShared(setup_.tempoBpm));
    tempoPending_.store(false, std::memory_order_relaxed);
    stepNumber_ = 1;
    playing.store(1, std::memory_order_relaxed);
    anchorTimeBase();
}

void CPlayEngine::stopTimeBase() {
    timer_.stop();
    playing.store(0, std::memory_order_relaxed);
}

void CPlayEngine::tempoChanged() {
    newPeriod_.store(stepPeriod(loadShared(setup_.tempoBpm)), std::memory_order_relaxed);
    tempoPending_.store(true, std::memory_order_release);
}

void CPlayEngine::tick() {
    const std::uint32_t elapsed = timer_.now() - startTime_;
    double due = stepNumber_ * period_;
    const bool pending = tempoPending_.load(std::memory_order_acquire);
    if (pending) {
        // The next step comes one new period after the previous step was due.
        due += newPeriod_.load(std::memory_order_relaxed) - period_;
    }
    if (elapsed / due < 1.0) {
        return;
    }
    stepStampNs_.store(timer_.monotonicNsAt(static_cast<double>(startTime64_) + due),
                       std::memory_order_relaxed);
    playStep();
    ++stepNumber_;
    if (pending && tempoPending_.exchange(false, std::memory_order_acq_rel)) {
        // Steps are due at whole multiples of the new period from now on. The time base is
        // anchored again in place: `playing` stays set and the timer thread goes on.
        period_ = newPeriod_.load(std::memory_order_relaxed);
        stepNumber_ = 1;
        anchorTimeBase();
    }
}
