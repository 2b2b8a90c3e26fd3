#include "setup_file.h"

#include <algorithm>
#include <cmath>

#include "byte_stream.h"
#include "shared_value.h"
#include "text_encoding.h"

namespace {

// Layout thresholds. The stored version is compared as float32 with these float32 values, so
// a version equal to a threshold counts as reaching it.
constexpr float v1_003 = 1.003f;
constexpr float v1_1 = 1.1f;
constexpr float v1_5 = 1.5f;
constexpr float v2_0 = 2.0f;
constexpr float v2_5 = 2.5f;
constexpr float v2_9 = 2.9f;

// Before 2.5 durations were kept on a 0..127 scale. The factor is the float nearest 17/127;
// the product is formed in double precision so that 127 becomes 16, not 17 (a held note).
constexpr float oldDurationScale = 0.13385826f;

constexpr const char* endsEarly = "the file ends too early";

// Length prefixes of stored strings.
constexpr std::uint8_t longLength = 0xFF;
constexpr std::uint16_t wideMarker = 0xFFFE;
constexpr std::uint16_t veryLongLength = 0xFFFF;

void writeLength(ByteWriter& w, std::size_t n) {
    if (n < longLength) {
        w.u8(static_cast<std::uint8_t>(n));
    } else if (n < wideMarker) {
        w.u8(longLength);
        w.u16(static_cast<std::uint16_t>(n));
    } else {
        w.u8(longLength);
        w.u16(veryLongLength);
        w.u32(static_cast<std::uint32_t>(n));
    }
}

// Narrow strings are Windows-1252. A name that does not fit that code page goes in the wide
// form, which every reader of the format accepts, so no name is ever changed by a save.
void writeString(ByteWriter& w, const std::string& utf8) {
    if (const auto narrow = windows1252FromUtf8(utf8)) {
        writeLength(w, narrow->size());
        w.raw(*narrow);
        return;
    }
    const std::u16string wide = utf16FromUtf8(utf8);
    w.u8(longLength);
    w.u16(wideMarker);
    writeLength(w, wide.size());
    for (char16_t c : wide) {
        w.u16(c);
    }
}

// Returns the length, or nullopt on a damaged prefix. Sets `wide` when the wide marker came.
std::optional<std::uint32_t> readLength(ByteReader& r, bool& wide) {
    const std::uint8_t b = r.u8();
    if (b < longLength) {
        return b;
    }
    const std::uint16_t w = r.u16();
    if (w == wideMarker) {
        if (wide) {
            return std::nullopt;  // the marker may come only once
        }
        wide = true;
        return readLength(r, wide);
    }
    if (w < veryLongLength) {
        return w;
    }
    return r.u32();
}

std::optional<std::string> readString(ByteReader& r, std::string& out) {
    bool wide = false;
    const auto length = readLength(r, wide);
    if (r.failed()) {
        return endsEarly;
    }
    if (!length) {
        return "the port name is damaged";
    }
    const std::size_t bytes = wide ? std::size_t{*length} * 2 : *length;
    if (bytes > r.remaining()) {
        return endsEarly;
    }
    const auto data = r.take(bytes);
    if (wide) {
        std::u16string units(*length, u'\0');
        for (std::size_t i = 0; i < units.size(); ++i) {
            units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
        }
        out = utf8FromUtf16(units);
    } else {
        out = utf8FromWindows1252(
            std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    }
    return std::nullopt;
}

std::optional<std::string> readSample(ByteReader& r, float version, StoredSample& s) {
    if (version < v2_5) {
        s.notes.assign(1, r.i16());
    } else {
        const std::int32_t count = r.i32();
        if (r.failed()) {
            return endsEarly;
        }
        if (count < 0) {
            return "a note count is negative";
        }
        if (static_cast<std::size_t>(count) > r.remaining() / 4) {
            return endsEarly;  // checked before allocating for the count
        }
        s.notes.resize(static_cast<std::size_t>(count));
        for (auto& n : s.notes) {
            n = r.i32();
        }
    }
    s.program = r.i16();
    s.velocity = r.i16();
    s.pan = r.i16();
    if (version < v2_0) {
        s.on = r.i32() != 0 ? 1 : 0;
        s.duration = r.i32() == 1 ? 0 : 127;
    } else {
        s.duration = r.i16();
        s.on = r.u16();
    }
    if (version < v2_5) {
        s.duration = static_cast<std::int16_t>(
            std::trunc(static_cast<double>(s.duration) * static_cast<double>(oldDurationScale)));
    }
    return r.failed() ? std::optional<std::string>(endsEarly) : std::nullopt;
}

std::optional<std::string> decodeInto(ByteReader& r, SetupFileContents& c) {
    const float version = r.f32();
    if (r.failed()) {
        return endsEarly;
    }
    if (!(version >= 1.0f) || std::isinf(version)) {
        return "it is not a settings file (its version number is not one this program wrote)";
    }
    c.fileVersion = version;
    c.tempoUnit = r.u16();
    c.tempoBpm = r.f64();
    c.deviceId = r.i32();
    c.channel = r.u16();
    c.editMeasure = r.i16();
    c.mute = r.i32();
    c.baseColor = r.u32();
    if (version < v2_0) {
        c.baseColor = r.u32();
        r.i32();
    }
    for (int m = 0; m < measureCount; ++m) {
        StoredMeasure& measure = c.measures[m];
        if (version < v2_0) {
            r.i32();
        }
        if (version < v1_003) {
            r.i16();
            measure.nextMeasure = static_cast<std::int16_t>(m);
            measure.repeatCount = 1;
        } else {
            measure.nextMeasure = r.i16();
            measure.repeatCount = r.i16();
        }
        for (StoredSample& s : measure.samples) {
            if (auto error = readSample(r, version, s)) {
                return error;
            }
        }
    }
    if (version < v2_0) {
        const std::int64_t left = r.i32();
        const std::int64_t top = r.i32();
        const std::int64_t right = r.i32();
        r.i32();  // bottom
        if (version < v1_5) {
            c.polyphonic = 0;
        } else {
            c.polyphonic = r.i32() == 0 ? 1 : 0;
        }
        // The measure length followed from the old window's width.
        const std::int64_t length =
            version < v1_1 ? (right - left - 122) / 35 : (right - left - 110) / 30;
        c.measureLength = static_cast<std::int32_t>(std::clamp<std::int64_t>(length, -1, 17));
        c.windowLeft = static_cast<std::int32_t>(left);
        c.windowTop = static_cast<std::int32_t>(top);
    } else {
        c.windowLeft = r.i32();
        c.windowTop = r.i32();
        c.measureLength = r.i32();
        c.polyphonic = r.i32();
        if (version == v2_0) {
            c.volume = 80;
            c.transpose = 0;
        } else {
            c.volume = r.i16();
            c.transpose = r.i16();
        }
    }
    if (r.failed()) {
        return endsEarly;
    }
    if (version >= v2_9) {
        if (auto error = readString(r, c.portName)) {
            return error;
        }
    }
    return std::nullopt;
}

// Values that index tables or drive the clock are brought into range; a damaged value never
// reaches past the 8 measures, 16 samples or 16 channels.
void limitStoredValues(SetupFileContents& c) {
    c.tempoUnit = c.tempoUnit == 1 ? 1 : 0;
    c.tempoBpm = limitTempo(c.tempoBpm);
    c.deviceId = limitDeviceId(c.deviceId);
    c.channel = static_cast<std::uint16_t>(clampIndex(c.channel, 1, channelCount));
    c.editMeasure = clampIndex(c.editMeasure, 0, measureCount - 1);
    c.measureLength = clampIndex(c.measureLength, 1, samplesPerMeasureMax);
    for (StoredMeasure& m : c.measures) {
        m.nextMeasure = clampIndex(m.nextMeasure, 0, measureCount - 1);
        m.repeatCount = std::max<std::int16_t>(m.repeatCount, 0);
    }
}

}  // namespace

std::int16_t clampIndex(std::int32_t v, int lo, int hi) {
    return static_cast<std::int16_t>(std::clamp(v, lo, hi));
}

double limitTempo(double bpm) {
    if (std::isnan(bpm)) {
        return defaultTempoBpm;
    }
    return std::clamp(bpm, minTempoBpm, maxTempoBpm);
}

std::int32_t limitDeviceId(std::int32_t id) {
    return id >= PORT_NOT_FOUND_ID && id < maxPortDevices ? id : PORT_NOT_FOUND_ID;
}

SetupFileContents captureSetupFile(const CSetupDoc& doc, const WindowPlacement& window) {
    SetupFileContents c;
    c.fileVersion = doc.fileVersion;
    c.tempoUnit = doc.tempoUnit;
    c.tempoBpm = doc.tempoBpm;
    c.deviceId = doc.midiOut.deviceId;
    c.channel = doc.midiOut.channel;
    c.editMeasure = doc.editMeasure;
    c.mute = doc.mute;
    c.baseColor = window.baseColor;
    for (int m = 0; m < measureCount; ++m) {
        const CMeasure& from = doc.measures[m];
        StoredMeasure& to = c.measures[m];
        to.nextMeasure = from.nextMeasure;
        to.repeatCount = from.repeatCount;
        for (int s = 0; s < samplesPerMeasureMax; ++s) {
            const CSample& a = from.samples[s];
            to.samples[s] =
                StoredSample{a.on, a.notes.values(), a.program, a.velocity, a.pan, a.duration};
        }
    }
    c.windowLeft = window.left;
    c.windowTop = window.top;
    c.measureLength = doc.measureLength;
    c.polyphonic = doc.polyphonic;
    c.volume = doc.volume;
    c.transpose = doc.transpose;
    c.portName = doc.midiOut.portName;
    return c;
}

void commitSetupFile(const SetupFileContents& c, CSetupDoc& doc) {
    // The setup may be playing: every value the step clock reads is stored as it reads it.
    doc.fileVersion = c.fileVersion;
    doc.tempoUnit = c.tempoUnit;
    storeShared(doc.tempoBpm, c.tempoBpm);
    doc.midiOut.deviceId = c.deviceId;
    storeShared(doc.midiOut.channel, c.channel);
    doc.editMeasure = c.editMeasure;
    storeShared(doc.mute, c.mute);
    for (int m = 0; m < measureCount; ++m) {
        const StoredMeasure& from = c.measures[m];
        CMeasure& to = doc.measures[m];
        storeShared(to.nextMeasure, from.nextMeasure);
        storeShared(to.repeatCount, from.repeatCount);
        for (int s = 0; s < samplesPerMeasureMax; ++s) {
            const StoredSample& a = from.samples[s];
            CSample& b = to.samples[s];
            storeShared(b.on, a.on);
            b.notes.assign(a.notes);
            storeShared(b.program, a.program);
            storeShared(b.velocity, a.velocity);
            storeShared(b.pan, a.pan);
            storeShared(b.duration, a.duration);
        }
    }
    storeShared(doc.measureLength, c.measureLength);
    storeShared(doc.polyphonic, c.polyphonic);
    storeShared(doc.volume, c.volume);
    storeShared(doc.transpose, c.transpose);
    doc.midiOut.portName = c.portName;
}

std::vector<std::uint8_t> encodeSetupFile(const SetupFileContents& c) {
    ByteWriter w;
    w.f32(setupFileVersion);
    w.u16(c.tempoUnit);
    w.f64(c.tempoBpm);
    w.i32(c.deviceId);
    w.u16(c.channel);
    w.i16(c.editMeasure);
    w.i32(c.mute);
    w.u32(c.baseColor);
    for (const StoredMeasure& m : c.measures) {
        w.i16(m.nextMeasure);
        w.i16(m.repeatCount);
        for (const StoredSample& s : m.samples) {
            w.i32(static_cast<std::int32_t>(s.notes.size()));
            for (std::int32_t n : s.notes) {
                w.i32(n);
            }
            w.i16(s.program);
            w.i16(s.velocity);
            w.i16(s.pan);
            w.i16(s.duration);
            w.u16(s.on);
        }
    }
    w.i32(c.windowLeft);
    w.i32(c.windowTop);
    w.i32(c.measureLength);
    w.i32(c.polyphonic);
    w.i16(c.volume);
    w.i16(c.transpose);
    writeString(w, c.portName);
    return std::move(w.bytes());
}

std::optional<std::string> decodeSetupFile(std::span<const std::uint8_t> bytes,
                                           SetupFileContents& contents) {
    SetupFileContents scratch = contents;
    ByteReader r(bytes);
    if (auto error = decodeInto(r, scratch)) {
        return error;
    }
    limitStoredValues(scratch);
    contents = std::move(scratch);
    return std::nullopt;
}
