#pragma once

// Builds test fixtures byte by byte, little-endian, the way settings files and clipboard blocks
// are laid out.

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

struct FileBytes {
    std::vector<std::uint8_t> bytes;

    FileBytes& u8(std::uint8_t v) {
        bytes.push_back(v);
        return *this;
    }
    FileBytes& i16(std::int32_t v) { return le(static_cast<std::uint16_t>(v), 2); }
    FileBytes& i32(std::int64_t v) { return le(static_cast<std::uint32_t>(v), 4); }
    FileBytes& f32(float v) { return le(std::bit_cast<std::uint32_t>(v), 4); }
    FileBytes& f64(double v) { return le(std::bit_cast<std::uint64_t>(v), 8); }
    FileBytes& raw(const std::string& s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return *this;
    }

private:
    FileBytes& le(std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) {
            bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
        return *this;
    }
};

// Overwrites n bytes at `offset` with v, little-endian.
inline void poke(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) {
        bytes.at(offset + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(v >> (8 * i));
    }
}
