#pragma once

// A playback engine on simulated time: a clock that moves only when told, ticks fired by hand,
// a MIDI output that records, and a window that records what the engine showed it.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/messages.h"
#include "engine/play_engine.h"
#include "platform/manual_clock.h"
#include "platform/recording_midi_output.h"

struct Posted {
    int message;
    std::intptr_t first;
    std::intptr_t second;
    bool operator==(const Posted&) const = default;
};

class RecordingHost : public EngineHost {
public:
    std::vector<Posted> posted;
    std::vector<std::string> statusTexts;
    std::vector<std::pair<int, bool>> lights;
    std::vector<int> playingMeasures;
    std::vector<int> playButtonStates;
    std::vector<std::string> notes;
    bool ctrlDown = false;

    void post(int message, std::intptr_t first, std::intptr_t second) override {
        posted.push_back({message, first, second});
    }
    void postStatusText(std::string text) override { statusTexts.push_back(std::move(text)); }
    void setPlayingLight(int strip, bool on) override { lights.emplace_back(strip, on); }
    void setPlayingMeasure(int measure) override { playingMeasures.push_back(measure); }
    void setPlayButtonState(int state) override { playButtonStates.push_back(state); }
    void showNote(const std::string& text) override { notes.push_back(text); }
    bool isCtrlDown() override { return ctrlDown; }

    int count(int message) const {
        int n = 0;
        for (const Posted& p : posted) {
            n += p.message == message ? 1 : 0;
        }
        return n;
    }
};

class RecordingBus : public InstanceBus {
public:
    std::vector<Posted> sent;
    int broadcast(int message, std::intptr_t first, std::intptr_t second) override {
        sent.push_back({message, first, second});
        return 1;
    }
};

// The clock is calibrated to exactly 3,000,000 counts per millisecond.
class SimulatedEngine {
public:
    explicit SimulatedEngine(std::vector<std::string> devices = {"Synth A", "Synth B"})
        : midi(std::move(devices)),
          timer(makeSimulatedTimer(clock, ticks)),
          engine(setup, host, bus, midi, *timer) {
        engine.wireUp();
        midi.clearMessages();
        bus.sent.clear();
        for (CMeasure& m : setup.measures) {
            for (CSample& s : m.samples) {
                s = CSample{};
            }
        }
    }

    // Moves time on one millisecond at a time, ticking after each, for `ms` milliseconds.
    void runMs(int ms) {
        for (int i = 0; i < ms; ++i) {
            clock.advanceMs(1);
            ticks.fire();
        }
    }
    // Runs until `steps` more steps have been played (at most a minute of simulated time).
    void runSteps(std::uint64_t steps) {
        const std::uint64_t target = engine.stepsPlayed() + steps;
        for (int i = 0; i < 60000 && engine.stepsPlayed() < target; ++i) {
            runMs(1);
        }
    }

    using Message = platform::RecordingMidiOutput::Message;
    // The messages sent so far as (status, data1, data2).
    std::vector<std::vector<int>> sent() const {
        std::vector<std::vector<int>> out;
        for (const Message& m : midi.messages()) {
            out.push_back({m.status, m.data1, m.data2});
        }
        return out;
    }

    CSetupDoc setup;
    RecordingHost host;
    RecordingBus bus;
    platform::RecordingMidiOutput midi;
    platform::ManualClock clock;
    ManualTickSource ticks;
    std::unique_ptr<CHiResTimer> timer;
    CPlayEngine engine;
};
