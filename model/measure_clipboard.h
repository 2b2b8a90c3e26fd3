#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "setup_doc.h"

// One measure on the clipboard: sixteen sample records, sample 0 first, with no header. The
// current layout keeps whole chords; the older one keeps only each sample's root.

inline constexpr const char* clipboardFormatCurrent = "ThrumbleworxLoopv3";
inline constexpr const char* clipboardFormatOlder = "ThrumbleworxLoopv2";

// The version argument of the sample record.
enum class MeasureLayout : int { older = 0, current = 3 };

// Blocks handed to the clipboard are zero-padded to whole steps of this size.
inline constexpr std::size_t clipboardBlockStep = 4096;

std::vector<std::uint8_t> encodeMeasureClipboard(const CMeasure& measure, MeasureLayout layout);

// Reads sixteen records from the start of `block` into the measure's samples (the chain
// fields are not carried). On failure returns what went wrong and leaves `into` untouched.
std::optional<std::string> decodeMeasureClipboard(std::span<const std::uint8_t> block,
                                                  MeasureLayout layout, CMeasure& into);
