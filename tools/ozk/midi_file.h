#pragma once

#include <cstdint>
#include <vector>

// Standard MIDI Files: format 0, one track.

struct TimedMessage {
    std::uint32_t tick = 0;
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
};

inline constexpr std::uint16_t ticksPerQuarter = 96;
inline constexpr std::uint32_t maxMicrosecondsPerQuarter = 0xFFFFFF;

// A file with a tempo event at tick 0 and the messages in the order given (their ticks must
// not go backwards), then the end of the track.
std::vector<std::uint8_t> standardMidiFile(const std::vector<TimedMessage>& messages,
                                           std::uint32_t microsecondsPerQuarter);
