#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "setup_doc.h"

// The settings file (".ozk"): a flat little-endian stream whose first field is the layout
// version. The writer always writes version 2.9; the reader takes every layout from 1.0 on.
//
// Reading and writing go through a plain copy of the stored values, so that a file is decoded
// completely before anything in the setup changes, and so that tools can work with the values
// without a window.

inline constexpr float setupFileVersion = 2.9f;

// Limits the reader applies to stored values. Index fields are clamped into the tables they
// index; a tempo is kept within the range the clock can play.
inline constexpr double minTempoBpm = 0.5;
inline constexpr double maxTempoBpm = 10'000'000.0;
inline constexpr double defaultTempoBpm = 126.0;

struct StoredSample {
    std::uint16_t on = 1;
    std::vector<std::int32_t> notes;
    std::int16_t program = 0;
    std::int16_t velocity = 0;
    std::int16_t pan = 0;
    std::int16_t duration = 0;

    bool operator==(const StoredSample&) const = default;
};

struct StoredMeasure {
    std::int16_t nextMeasure = 0;
    std::int16_t repeatCount = 1;
    std::array<StoredSample, samplesPerMeasureMax> samples{};

    bool operator==(const StoredMeasure&) const = default;
};

struct SetupFileContents {
    float fileVersion = setupFileVersion;  // of the file read; the writer ignores it
    std::uint16_t tempoUnit = 0;
    double tempoBpm = defaultTempoBpm;
    std::int32_t deviceId = 0;
    std::uint16_t channel = 1;
    std::int16_t editMeasure = 0;
    std::int32_t mute = 0;
    std::uint32_t baseColor = 0;  // 0x00BBGGRR
    std::array<StoredMeasure, measureCount> measures{};
    std::int32_t windowLeft = 0;
    std::int32_t windowTop = 0;
    std::int32_t measureLength = samplesPerMeasureMax;
    std::int32_t polyphonic = 1;
    std::int16_t volume = 80;
    std::int16_t transpose = 0;
    std::string portName;  // UTF-8

    bool operator==(const SetupFileContents&) const = default;
};

// What the window adds to the setup when it is saved.
struct WindowPlacement {
    std::uint32_t baseColor = 0;
    std::int32_t left = 0;
    std::int32_t top = 0;
};

SetupFileContents captureSetupFile(const CSetupDoc& doc, const WindowPlacement& window);

// Copies the values into the setup's existing measures and samples. The window's part
// (base colour, position) is the caller's to apply.
void commitSetupFile(const SetupFileContents& contents, CSetupDoc& doc);

std::vector<std::uint8_t> encodeSetupFile(const SetupFileContents& contents);

// Reads a whole file over `contents`, which should hold the current values: what an older
// layout does not store keeps them. On failure returns what went wrong, in words for the
// user, and leaves `contents` as it was.
std::optional<std::string> decodeSetupFile(std::span<const std::uint8_t> bytes,
                                           SetupFileContents& contents);

// The reader's limits on stored values; also used by tools that make setups from text.
std::int16_t clampIndex(std::int32_t v, int lo, int hi);
double limitTempo(double bpm);
std::int32_t limitDeviceId(std::int32_t id);
