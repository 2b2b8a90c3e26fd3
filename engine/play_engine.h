#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/engine_host.h"
#include "engine/held_notes.h"
#include "engine/hires_timer.h"
#include "model/setup_doc.h"
#include "platform/midi_output.h"

// Playback: the step clock, its time base and the output port of one running copy.
//
// Threads: everything runs on the window thread except `tick` and the `playStep` it calls,
// which run on the timer's thread while playing. The first step of a start is played before
// the ticks begin and stop ends the ticks before it touches the held notes, so `playStep`
// never runs on two threads at once.
class CPlayEngine {
public:
    CPlayEngine(CSetupDoc& setup, EngineHost& host, InstanceBus& bus, platform::MidiOutput& midi,
                CHiResTimer& timer);
    ~CPlayEngine();

    // Gives the timer its callback, copies its calibration into the setup and lists the ports
    // (which selects the built-in synth).
    void wireUp();

    // The step clock.
    void startPlayback();
    void stopPlayback();
    void togglePlayback();
    void playStep();
    void selectMeasureWhilePlaying(int m);
    void jumpPlayback(int m);
    void moveStepLight();
    bool isPlaying() const { return playing.load(std::memory_order_relaxed) != 0; }

    // The time base.
    void startTimeBase();
    void stopTimeBase();
    void tempoChanged();
    void tick();
    // Milliseconds per step at `bpm` beats per minute (a step is a sixteenth note).
    static double stepPeriod(double bpm);

    // The output port.
    void enumeratePorts();
    void selectPort(const std::string& name);
    void openPort();
    void releasePort();
    void reopenPort();
    // stampNs: CLOCK_MONOTONIC instant the message belongs to; 0 means now.
    void sendShortMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2,
                          std::int64_t stampNs = 0);
    void killAllSound();

    // Every message of the main window comes here first.
    void handleMessage(int message, std::intptr_t first, std::intptr_t second);

    // Steps played since the engine was made, for summaries.
    std::uint64_t stepsPlayed() const { return stepsPlayed_.load(std::memory_order_relaxed); }
    // The CLOCK_MONOTONIC instant of the last step's due time.
    std::int64_t lastStepStampNs() const { return stepStampNs_.load(std::memory_order_relaxed); }

    std::atomic<std::uint32_t> playing{0};
    CHeldNoteList heldNotes;

private:
    std::uint8_t channelStatus(std::uint8_t kind) const;
    void sendNoteOff(std::int32_t note, std::int64_t stampNs);
    void anchorTimeBase();

    CSetupDoc& setup_;
    EngineHost& host_;
    InstanceBus& bus_;
    platform::MidiOutput& midi_;
    CHiResTimer& timer_;

    // Time base. period, startTime and stepNumber belong to whichever thread drives the steps:
    // the window thread before the ticks start, the timer thread while they run.
    double period_ = 0.0;
    std::atomic<double> newPeriod_{0.0};
    std::atomic<bool> tempoPending_{false};
    std::uint32_t startTime_ = 0;
    std::int32_t stepNumber_ = 0;
    std::int64_t startTime64_ = 0;
    std::atomic<std::int64_t> stepStampNs_{0};
    std::atomic<std::uint64_t> stepsPlayed_{0};

    // Step light (window thread).
    std::int32_t stepLightCounter_ = 0;
    int litStrip_ = -1;
};
