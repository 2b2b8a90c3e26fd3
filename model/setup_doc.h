#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "note_list.h"

// The setup: everything one running copy plays and everything that goes with it.

inline constexpr int measureCount = 8;
inline constexpr int samplesPerMeasureMax = 16;
inline constexpr int NOTE_BASE = 60;
inline constexpr int DURATION_HOLD = 17;
inline constexpr int channelCount = 16;
// Output devices listed at most; "MIDI Mapper" takes the entry after the last device.
inline constexpr int maxPortDevices = 50;
inline constexpr int portNameSlots = maxPortDevices + 1;
inline constexpr int MIDI_MAPPER_ID = -1;
inline constexpr int PORT_NOT_FOUND_ID = -2;
inline constexpr const char* MIDI_MAPPER_NAME = "MIDI Mapper";

// A sample's attributes by code; the codes are also the offsets of a sample column's
// control ids from the column's base id.
enum AttributeCode : int {
    ATTR_ON = 10,
    ATTR_NOTE = 20,
    ATTR_PROGRAM = 30,
    ATTR_VELOCITY = 40,
    ATTR_PAN = 50,
    ATTR_DURATION = 60,
};

// One step of a measure.
struct CSample {
    std::uint16_t on = 1;
    NoteList notes{0};
    std::int16_t program = 0;  // -1: no program change is sent
    std::int16_t velocity = 100;
    std::int16_t pan = 64;
    std::int16_t duration = 30;  // in steps; 0 ends at once, DURATION_HOLD holds until stop

    // Moves the whole chord so that its root becomes v, keeping its intervals.
    void setRoot(std::int32_t v);
    int getAttribute(int code) const;
    void setAttribute(int code, int v);
    void copyFrom(const CSample& other);
    // Editors show a root for every sample: an empty chord gets a single 0 first.
    void ensureRoot();

    bool operator==(const CSample&) const = default;
};

struct CMeasure {
    std::array<CSample, samplesPerMeasureMax> samples{};
    std::int16_t nextMeasure = 0;
    std::int16_t repeatCount = 1;

    virtual ~CMeasure() = default;
};

// A handle of an open output device as the port service hands it out; 0 is none.
using MidiOutHandle = std::uintptr_t;
inline constexpr MidiOutHandle noMidiOutHandle = 0;

// The output port state of the setup.
struct CMidiOut {
    std::uint32_t deviceCount = 0;
    MidiOutHandle handle = noMidiOutHandle;
    std::array<std::string, portNameSlots> portNames{};
    std::int32_t deviceId = 0;  // device index, MIDI_MAPPER_ID or PORT_NOT_FOUND_ID
    std::uint16_t channel = 1;  // 1..16
    std::int16_t shareCount = 0;
    std::int16_t currentStep = 0;
    std::string portName;
};

// The main window, as far as the setup knows it: an opaque handle for whoever owns the window.
using WindowHandle = void*;

class CSetupDoc {
public:
    // Draws random sample values (the C library's rand() % n) in a fixed order; see setup_doc.cpp.
    CSetupDoc();

    std::int32_t measureLength = 16;  // samples played and shown, 1..16
    CMidiOut midiOut;
    WindowHandle mainWindow = nullptr;
    std::int32_t cpuTicksPerMs = 0;
    std::string title;
    std::string path;
    float fileVersion = 0.0f;
    std::uint16_t tempoUnit = 0;  // 0 beats per minute, 1 samples per measure
    double tempoBpm = 126.0;
    std::int16_t editMeasure = 0;
    std::int16_t undoMeasureIndex = -1;
    std::int16_t playMeasure = 0;
    std::int32_t mute = 0;
    std::int32_t polyphonic = 1;
    std::array<CMeasure, measureCount> measures;
    CMeasure clipboardMeasure;
    CMeasure undoMeasure;
    std::uint8_t modified = 0;
    std::uint16_t ownsPort = 0;
    std::int16_t repeatCounter = 0;
    std::int16_t volume = 80;
    std::int16_t transpose = 0;
    std::int32_t undoVolume = 0;
    std::int32_t undoTranspose = 0;
    std::int32_t undoMute = 0;
    double undoTempoBpm = 0.0;
    std::uint8_t useHighResTimer = 1;
};

// random(n) of the whole program: the C library's generator taken modulo n.
int randomBelow(int n);

// Gives all sixteen samples a random root, program, velocity, pan and duration (0..16), drawn
// in that order sample by sample; `on` and the size of each chord stay (an empty chord gets a
// root).
void randomizeSamples(CMeasure& measure);

// The values of a fresh setup: every measure chained to itself once, random steps.
void fillNewSetup(CSetupDoc& doc);
