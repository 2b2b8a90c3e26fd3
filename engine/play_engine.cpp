// The step clock: starting and stopping, one step, the play position and the step light.
#include <algorithm>
#include <array>
#include <cmath>

#include "engine/messages.h"
#include "engine/play_engine.h"
#include "model/shared_value.h"

namespace {

constexpr std::uint8_t NOTE_ON = 0x90;
constexpr std::uint8_t CONTROL = 0xB0;
constexpr std::uint8_t PROGRAM = 0xC0;
constexpr std::uint8_t PAN_CONTROLLER = 10;
constexpr std::uint8_t ALL_NOTES_OFF = 123;
constexpr int PLAY_BUTTON_RELEASED = 0;
// Chords longer than this play their first notes only; no editor makes one.
constexpr std::size_t maxChordPlayed = 128;

std::uint8_t dataByte(int v) {
    return static_cast<std::uint8_t>(std::clamp(v, 0, 127));
}

}  // namespace

CPlayEngine::CPlayEngine(CSetupDoc& setup, EngineHost& host, InstanceBus& bus,
                         platform::MidiOutput& midi, CHiResTimer& timer)
    : setup_(setup), host_(host), bus_(bus), midi_(midi), timer_(timer) {}

CPlayEngine::~CPlayEngine() {
    timer_.stop();
}

void CPlayEngine::wireUp() {
    timer_.setCallback(1, [this] { tick(); });
    setup_.cpuTicksPerMs = timer_.ticksPerMs();
    enumeratePorts();
}

std::uint8_t CPlayEngine::channelStatus(std::uint8_t kind) const {
    const int channel = std::clamp<int>(loadShared(setup_.midiOut.channel), 1, channelCount);
    return static_cast<std::uint8_t>(kind + channel - 1);
}

void CPlayEngine::sendNoteOff(std::int32_t note, std::int64_t stampNs) {
    sendShortMessage(channelStatus(NOTE_ON), dataByte(note + NOTE_BASE), 0, stampNs);
}

void CPlayEngine::startPlayback() {
    moveStepLight();
    startTimeBase();
    storeShared(setup_.playMeasure, setup_.editMeasure);
    stepStampNs_.store(timer_.monotonicNsAt(static_cast<double>(startTime64_)),
                       std::memory_order_relaxed);
    playStep();
    storeShared(setup_.repeatCounter, 1);
    // The first step has been played: only now may the ticks play the next ones.
    timer_.start();
    if (!host_.isCtrlDown()) {
        bus_.broadcast(MSG_START, 0, 0);
    }
    host_.post(MSG_SHOW_MEASURE, setup_.editMeasure, loadShared(setup_.playMeasure));
}

void CPlayEngine::stopPlayback() {
    stopTimeBase();
    // Not every receiver honours All notes off, so the held notes are ended one by one too.
    for (std::size_t i = 0; i < heldNotes.size(); ++i) {
        sendNoteOff(heldNotes[i].note, 0);
    }
    sendShortMessage(channelStatus(CONTROL), ALL_NOTES_OFF, 0);
    storeShared(setup_.midiOut.currentStep, 0);
    if (litStrip_ >= 0) {
        host_.setPlayingLight(litStrip_, false);
        litStrip_ = -1;
    }
    host_.post(MSG_SHOW_MEASURE, loadShared(setup_.playMeasure), -1);
    host_.setPlayButtonState(PLAY_BUTTON_RELEASED);
    heldNotes.clear();
}

void CPlayEngine::togglePlayback() {
    if (isPlaying()) {
        stopPlayback();
        if (!host_.isCtrlDown()) {
            bus_.broadcast(MSG_STOP, 0, 0);
        }
    } else {
        startPlayback();
        if (!host_.isCtrlDown()) {
            bus_.broadcast(MSG_START, 0, 0);
        }
    }
}

void CPlayEngine::playStep() {
    const std::int64_t stamp = stepStampNs_.load(std::memory_order_relaxed);
    // A damaged setup never makes the clock read outside the 8 measures and 16 samples.
    const int storedMeasure = loadShared(setup_.playMeasure);
    const int m = std::clamp(storedMeasure, 0, measureCount - 1);
    if (m != storedMeasure) {
        storeShared(setup_.playMeasure, m);
    }
    int s = loadShared(setup_.midiOut.currentStep);
    if (s < 0 || s >= samplesPerMeasureMax) {
        s = 0;
    }
    const int length = std::clamp<int>(loadShared(setup_.measureLength), 1, samplesPerMeasureMax);
    const CMeasure& measure = setup_.measures[m];
    const CSample& sample = measure.samples[s];
    const bool sounding = loadShared(setup_.mute) == 0 && loadShared(sample.on) == 1;
    const bool polyphonic = loadShared(setup_.polyphonic) != 0;
    bool statusChanged = false;

    // 1. End notes.
    if (polyphonic) {
        for (std::size_t i = 0; i < heldNotes.size();) {
            CHeldNote& held = heldNotes[i];
            if (held.remaining == DURATION_HOLD) {
                ++i;
                continue;
            }
            if (--held.remaining < 1) {
                sendNoteOff(held.note, stamp);
                heldNotes.removeAt(i);
            } else {
                ++i;
            }
        }
        statusChanged = true;
    } else if (sounding && !heldNotes.empty()) {
        for (std::size_t i = 0; i < heldNotes.size(); ++i) {
            sendNoteOff(heldNotes[i].note, stamp);
        }
        heldNotes.clear();
    }

    // 2. Start notes, 3. remember them.
    const int program = loadShared(sample.program);
    const int pan = loadShared(sample.pan);
    const int duration = loadShared(sample.duration);
    const int volume = loadShared(setup_.volume);
    const int transpose = loadShared(setup_.transpose);
    int base = loadShared(sample.velocity);
    std::array<std::int32_t, maxChordPlayed> notes{};
    const std::size_t count = std::min(sample.notes.copyTo(notes), notes.size());
    for (std::size_t i = 0; i < count; ++i) {
        // The low 16 bits of the note in 16-bit arithmetic, as the key was always formed.
        const auto raw =
            static_cast<std::int16_t>(static_cast<std::int16_t>(notes[i]) + transpose + NOTE_BASE);
        const int key = std::clamp<int>(raw, 1, 127);
        const double scaled = static_cast<double>(volume) * static_cast<double>(0.01f) * base;
        const int velocity = static_cast<int>(std::clamp(std::trunc(scaled), 0.0, 127.0));
        base = velocity;
        if (sounding) {
            sendShortMessage(channelStatus(NOTE_ON), dataByte(key), 0, stamp);
            if (program != -1) {
                sendShortMessage(channelStatus(PROGRAM), dataByte(program), 0, stamp);
            }
            sendShortMessage(channelStatus(CONTROL), PAN_CONTROLLER, dataByte(pan), stamp);
            sendShortMessage(channelStatus(NOTE_ON), dataByte(key), dataByte(velocity), stamp);
            if (duration == 0) {
                sendShortMessage(channelStatus(NOTE_ON), dataByte(key), 0, stamp);
            }
            // The key as played, so that its note off always reaches the same key.
            heldNotes.add(key - NOTE_BASE, duration);
        }
    }
    // The status field shows the list once per step, after both changes to it.
    statusChanged = statusChanged || sounding;
    if (statusChanged) {
        host_.postStatusText(heldNotes.text());
    }

    // 4. to 6. Show the step, count the repeat, advance.
    host_.post(MSG_STEP_DONE, 0, 0);
    int repeatCounter = loadShared(setup_.repeatCounter);
    if (s == 0) {
        storeShared(setup_.repeatCounter, ++repeatCounter);
        host_.post(MSG_SHOW_MEASURE, m, 0);
    }
    const bool measureEnded = s >= length - 1;
    if (measureEnded && repeatCounter >= loadShared(measure.repeatCount)) {
        const int next = std::clamp<int>(loadShared(measure.nextMeasure), 0, measureCount - 1);
        storeShared(setup_.playMeasure, next);
        storeShared(setup_.repeatCounter, 0);
    }
    storeShared(setup_.midiOut.currentStep, measureEnded ? 0 : s + 1);
    stepsPlayed_.fetch_add(1, std::memory_order_relaxed);
}

void CPlayEngine::selectMeasureWhilePlaying(int m) {
    if (!isPlaying() || host_.isCtrlDown()) {
        return;
    }
    if (setup_.editMeasure != loadShared(setup_.playMeasure)) {
        storeShared(setup_.repeatCounter, 0);
    }
    storeShared(setup_.playMeasure, setup_.editMeasure);
    host_.setPlayingMeasure(m);
}

void CPlayEngine::jumpPlayback(int m) {
    m = std::clamp(m, 0, measureCount - 1);
    storeShared(setup_.playMeasure, m);
    storeShared(setup_.repeatCounter, 0);
    host_.setPlayingMeasure(m);
}

void CPlayEngine::moveStepLight() {
    ++stepLightCounter_;
    // At 1500 beats per minute and above the light moves only every second step or later.
    if (loadShared(setup_.tempoBpm) * 0.0006666666666666666 > stepLightCounter_) {
        return;
    }
    stepLightCounter_ = 0;
    const int step = loadShared(setup_.midiOut.currentStep);
    const int length = std::clamp<int>(loadShared(setup_.measureLength), 1, samplesPerMeasureMax);
    const int index = std::clamp(step == 0 ? length : step, 1, samplesPerMeasureMax);
    host_.setPlayingLight(index - 1, true);
    if (litStrip_ >= 0 && litStrip_ != index - 1) {
        host_.setPlayingLight(litStrip_, false);
    }
    litStrip_ = index - 1;
}

void CPlayEngine::handleMessage(int message, std::intptr_t first, std::intptr_t second) {
    CMidiOut& out = setup_.midiOut;
    switch (message) {
        case MSG_STEP_DONE:
            moveStepLight();
            break;
        case MSG_SHOW_MEASURE:
            host_.setPlayingMeasure(second == -1 ? -1 : static_cast<int>(first));
            break;
        case MSG_START:
            if (!isPlaying()) {
                startPlayback();
            }
            break;
        case MSG_STOP:
            if (isPlaying()) {
                stopPlayback();
            }
            break;
        case MSG_REOPEN_PORT:
            reopenPort();
            break;
        case MSG_PORT_WANTED:
            if (second == out.deviceId && loadShared(out.handle) != noMidiOutHandle) {
                bus_.broadcast(MSG_SHARE_COUNT, out.shareCount, out.deviceId);
                bus_.broadcast(MSG_PORT_HANDLE, static_cast<std::intptr_t>(out.handle),
                               out.deviceId);
            }
            break;
        case MSG_PORT_HANDLE:
            if (second == out.deviceId && loadShared(out.handle) == noMidiOutHandle) {
                storeShared(out.handle, static_cast<MidiOutHandle>(first));
                ++out.shareCount;
                bus_.broadcast(MSG_SHARE_COUNT, out.shareCount, out.deviceId);
            }
            break;
        case MSG_SHARE_COUNT:
            if (second == out.deviceId) {
                out.shareCount = static_cast<std::int16_t>(first);
            }
            break;
        default:
            break;
    }
}
