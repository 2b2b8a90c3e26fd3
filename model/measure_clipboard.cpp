#include "measure_clipboard.h"

#include <array>

#include "byte_stream.h"
#include "setup_file.h"

std::vector<std::uint8_t> encodeMeasureClipboard(const CMeasure& measure, MeasureLayout layout) {
    ByteWriter w;
    for (const CSample& s : measure.samples) {
        w.u16(s.on);
        if (layout == MeasureLayout::current) {
            w.i32(static_cast<std::int32_t>(s.notes.size()));
            for (std::int32_t n : s.notes) {
                w.i32(n);
            }
        } else {
            // The older reader always takes one note, so an empty chord is written as 0.
            w.i16(static_cast<std::int16_t>(s.notes.empty() ? 0 : s.notes[0]));
        }
        w.i16(s.program);
        w.i16(s.velocity);
        w.i16(s.pan);
        w.i16(s.duration);
    }
    auto& bytes = w.bytes();
    const std::size_t blocks = (bytes.size() + clipboardBlockStep - 1) / clipboardBlockStep;
    bytes.resize(blocks * clipboardBlockStep, 0);
    return std::move(bytes);
}

std::optional<std::string> decodeMeasureClipboard(std::span<const std::uint8_t> block,
                                                  MeasureLayout layout, CMeasure& into) {
    std::array<StoredSample, samplesPerMeasureMax> read{};
    ByteReader r(block);
    for (StoredSample& s : read) {
        s.on = r.u16();
        if (layout == MeasureLayout::current) {
            const std::int32_t count = r.i32();
            if (count < 0 || static_cast<std::size_t>(count) > r.remaining() / 4) {
                return r.failed() ? "the clipboard data end too early"
                                  : "a note count on the clipboard is damaged";
            }
            s.notes.resize(static_cast<std::size_t>(count));
            for (auto& n : s.notes) {
                n = r.i32();
            }
        } else {
            s.notes.assign(1, r.i16());
        }
        s.program = r.i16();
        s.velocity = r.i16();
        s.pan = r.i16();
        s.duration = r.i16();
        if (r.failed()) {
            return "the clipboard data end too early";
        }
    }
    for (std::size_t i = 0; i < read.size(); ++i) {
        CSample& s = into.samples[i];
        s.on = read[i].on;
        s.notes.assign(std::move(read[i].notes));
        s.program = read[i].program;
        s.velocity = read[i].velocity;
        s.pan = read[i].pan;
        s.duration = read[i].duration;
    }
    return std::nullopt;
}
