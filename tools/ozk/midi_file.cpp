#include "midi_file.h"

#include <algorithm>

namespace {

void variableLength(std::vector<std::uint8_t>& out, std::uint32_t v) {
    std::uint8_t bytes[5];
    int n = 0;
    do {
        bytes[n++] = static_cast<std::uint8_t>(v & 0x7F);
        v >>= 7;
    } while (v != 0);
    while (n > 0) {
        --n;
        out.push_back(static_cast<std::uint8_t>(bytes[n] | (n > 0 ? 0x80 : 0)));
    }
}

void bigEndian(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

// Program change and channel pressure carry one data byte, every other message two.
int dataBytes(std::uint8_t status) {
    const int kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

}  // namespace

std::vector<std::uint8_t> standardMidiFile(const std::vector<TimedMessage>& messages,
                                           std::uint32_t microsecondsPerQuarter) {
    std::vector<std::uint8_t> track;
    variableLength(track, 0);
    track.insert(track.end(), {0xFF, 0x51, 0x03});
    bigEndian(track,
              std::clamp<std::uint32_t>(microsecondsPerQuarter, 1, maxMicrosecondsPerQuarter), 3);
    std::uint32_t now = 0;
    for (const TimedMessage& m : messages) {
        variableLength(track, m.tick - now);
        now = m.tick;
        track.push_back(m.status);
        track.push_back(m.data1);
        if (dataBytes(m.status) == 2) {
            track.push_back(m.data2);
        }
    }
    variableLength(track, 0);
    track.insert(track.end(), {0xFF, 0x2F, 0x00});

    std::vector<std::uint8_t> file = {'M', 'T', 'h', 'd'};
    bigEndian(file, 6, 4);
    bigEndian(file, 0, 2);  // format 0
    bigEndian(file, 1, 2);  // one track
    bigEndian(file, ticksPerQuarter, 2);
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    bigEndian(file, static_cast<std::uint32_t>(track.size()), 4);
    file.insert(file.end(), track.begin(), track.end());
    return file;
}
