#pragma once

#include <array>
#include <cstdint>

namespace platform {

// The bytes of one packed short message (status | data1 << 8 | data2 << 16) as they go on the
// wire. `length` is 0 for anything that is not a complete short message: a data byte where the
// status belongs (running status cannot cross a message boundary here), a data byte with its
// top bit set (the receiver would read it as a status byte), or a system-exclusive byte.
struct ShortMessageBytes {
    std::array<std::uint8_t, 3> bytes{};
    int length = 0;
};

constexpr ShortMessageBytes shortMessageBytes(std::uint32_t packed) {
    ShortMessageBytes out;
    out.bytes = {static_cast<std::uint8_t>(packed & 0xFF),
                 static_cast<std::uint8_t>((packed >> 8) & 0xFF),
                 static_cast<std::uint8_t>((packed >> 16) & 0xFF)};
    const std::uint8_t status = out.bytes[0];
    int length = 0;
    if (status < 0x80) {
        length = 0;
    } else if (status < 0xC0 || (status >= 0xE0 && status < 0xF0)) {
        length = 3;
    } else if (status < 0xE0) {
        length = 2;
    } else if (status == 0xF1 || status == 0xF3) {
        length = 2;
    } else if (status == 0xF2) {
        length = 3;
    } else if (status == 0xF6 || status >= 0xF8) {
        length = 1;
    }
    for (int i = 1; i < length; ++i) {
        if (out.bytes[static_cast<std::size_t>(i)] >= 0x80) {
            length = 0;
        }
    }
    out.length = length;
    return out;
}

}  // namespace platform
