#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

// Flat little-endian fields, as the settings file and the clipboard keep them.

class ByteWriter {
public:
    void i16(std::int16_t v) { put(static_cast<std::uint16_t>(v)); }
    void u16(std::uint16_t v) { put(v); }
    void i32(std::int32_t v) { put(static_cast<std::uint32_t>(v)); }
    void u32(std::uint32_t v) { put(v); }
    void f32(float v) { put(std::bit_cast<std::uint32_t>(v)); }
    void f64(double v) { put(std::bit_cast<std::uint64_t>(v)); }
    void u8(std::uint8_t v) { bytes_.push_back(v); }
    void raw(std::string_view s) { bytes_.insert(bytes_.end(), s.begin(), s.end()); }

    std::vector<std::uint8_t>& bytes() { return bytes_; }

private:
    template <class U>
    void put(U v) {
        for (std::size_t i = 0; i < sizeof(U); ++i) {
            bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    }

    std::vector<std::uint8_t> bytes_;
};

// Reads fields in order. Reading past the end yields zeros and marks the reader failed, so
// a decoder can read a whole record and check once; before allocating for a count read from
// the data, check it against `remaining()`.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}

    std::int16_t i16() { return static_cast<std::int16_t>(get<std::uint16_t>()); }
    std::uint16_t u16() { return get<std::uint16_t>(); }
    std::int32_t i32() { return static_cast<std::int32_t>(get<std::uint32_t>()); }
    std::uint32_t u32() { return get<std::uint32_t>(); }
    float f32() { return std::bit_cast<float>(get<std::uint32_t>()); }
    double f64() { return std::bit_cast<double>(get<std::uint64_t>()); }
    std::uint8_t u8() { return get<std::uint8_t>(); }
    // The next n bytes, or an empty view (and failure) when fewer are left.
    std::span<const std::uint8_t> take(std::size_t n) {
        if (n > remaining()) {
            fail();
            return {};
        }
        auto out = data_.subspan(pos_, n);
        pos_ += n;
        return out;
    }

    std::size_t remaining() const { return failed_ ? 0 : data_.size() - pos_; }
    bool failed() const { return failed_; }
    void fail() { failed_ = true; }

private:
    template <class U>
    U get() {
        if (remaining() < sizeof(U)) {
            fail();
            return 0;
        }
        U v = 0;
        for (std::size_t i = 0; i < sizeof(U); ++i) {
            v = static_cast<U>(v | (static_cast<U>(data_[pos_ + i]) << (8 * i)));
        }
        pos_ += sizeof(U);
        return v;
    }

    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
    bool failed_ = false;
};
