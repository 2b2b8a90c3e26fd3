#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "file_bytes.h"
#include "model/setup_file.h"

namespace {

// The values every fixture file stores, by measure m and sample s.
std::int16_t noteAt(int m, int s) {
    return static_cast<std::int16_t>(m * 16 + s - 60);
}
std::int16_t programAt(int, int s) {
    return static_cast<std::int16_t>(s);
}
std::int16_t velocityAt(int m, int) {
    return static_cast<std::int16_t>(100 - m);
}
std::int16_t panAt(int m, int s) {
    return static_cast<std::int16_t>(m + s);
}
bool onAt(int m, int s) {
    return (m + s) % 3 != 0;
}

struct OldFile {
    float version = 2.9f;
    std::int16_t duration = 5;         // as stored (from 2.0 on)
    std::int32_t oldDurationFlag = 1;  // before 2.0: 1 means "ends at once"
    std::int32_t rectLeft = 40, rectTop = 30, rectWidth = 590;
    std::int32_t oldPolyphonic = 0;
    std::string portName = "Synth A";
};

// A file of any version, laid out field by field from the format's tables.
std::vector<std::uint8_t> makeFile(const OldFile& f) {
    const float v = f.version;
    FileBytes b;
    b.f32(v).i16(1).f64(140.0).i32(3).i16(10).i16(4).i32(1).i32(0x00112233);
    if (v < 2.0f) {
        b.i32(0x00445566).i32(777);
    }
    for (int m = 0; m < 8; ++m) {
        if (v < 2.0f) {
            b.i32(-1);
        }
        if (v < 1.003f) {
            b.i16(5);
        } else {
            b.i16((m + 1) % 8).i16(m + 2);
        }
        for (int s = 0; s < 16; ++s) {
            if (v < 2.5f) {
                b.i16(noteAt(m, s));
            } else {
                b.i32(2).i32(noteAt(m, s)).i32(noteAt(m, s) + 7);
            }
            b.i16(programAt(m, s)).i16(velocityAt(m, s)).i16(panAt(m, s));
            if (v < 2.0f) {
                b.i32(onAt(m, s) ? 9 : 0).i32(f.oldDurationFlag);
            } else {
                b.i16(f.duration).i16(onAt(m, s) ? 1 : 0);
            }
        }
    }
    if (v < 2.0f) {
        b.i32(f.rectLeft).i32(f.rectTop).i32(f.rectLeft + f.rectWidth).i32(f.rectTop + 200);
        if (v >= 1.5f) {
            b.i32(f.oldPolyphonic);
        }
    } else {
        b.i32(-12).i32(34).i32(12).i32(0);
        if (v != 2.0f) {
            b.i16(66).i16(-5);
        }
    }
    if (v >= 2.9f) {
        b.u8(static_cast<std::uint8_t>(f.portName.size())).raw(f.portName);
    }
    return b.bytes;
}

// What a reader starts from: values an old layout does not store must survive.
SetupFileContents current() {
    SetupFileContents c;
    c.volume = 55;
    c.transpose = 7;
    c.portName = "Before";
    return c;
}

SetupFileContents read(const std::vector<std::uint8_t>& bytes) {
    SetupFileContents c = current();
    const auto error = decodeSetupFile(bytes, c);
    EXPECT_FALSE(error) << *error;
    return c;
}

}  // namespace

TEST(SetupFileLayouts, EveryVersion) {
    struct Case {
        float version;
        bool chords;          // 2.5 on: note count and chord
        bool chain;           // 1.003 on: next measure and repeat count
        bool oldSample;       // below 2.0: int32 on and duration flag
        int polyphonic;       // what the reader makes of the stored value 0
        int measureLength;    // from the 590-wide rectangle below 2.0, else stored 12
        std::int16_t volume;  // 55 and transpose 7 kept, 80/0 at exactly 2.0, else stored
        std::int16_t transpose;
        std::string portName;
    };
    const Case cases[] = {
        {1.0f, false, false, true, 0, (590 - 122) / 35, 55, 7, "Before"},
        {1.002f, false, false, true, 0, (590 - 122) / 35, 55, 7, "Before"},
        {1.003f, false, true, true, 0, (590 - 122) / 35, 55, 7, "Before"},
        {1.1f, false, true, true, 0, 16, 55, 7, "Before"},
        {1.4f, false, true, true, 0, 16, 55, 7, "Before"},
        {1.5f, false, true, true, 1, 16, 55, 7, "Before"},
        {1.9f, false, true, true, 1, 16, 55, 7, "Before"},
        {2.0f, false, true, false, 0, 12, 80, 0, "Before"},
        {2.4f, false, true, false, 0, 12, 66, -5, "Before"},
        {2.5f, true, true, false, 0, 12, 66, -5, "Before"},
        {2.8f, true, true, false, 0, 12, 66, -5, "Before"},
        {2.9f, true, true, false, 0, 12, 66, -5, "Synth A"},
        {3.7f, true, true, false, 0, 12, 66, -5, "Synth A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        OldFile f;
        f.version = c.version;
        const SetupFileContents got = read(makeFile(f));
        EXPECT_EQ(got.fileVersion, c.version);
        EXPECT_EQ(got.tempoUnit, 1);
        EXPECT_EQ(got.tempoBpm, 140.0);
        EXPECT_EQ(got.deviceId, 3);
        EXPECT_EQ(got.channel, 10);
        EXPECT_EQ(got.editMeasure, 4);
        EXPECT_EQ(got.mute, 1);
        // Below 2.0 a second colour replaces the first.
        EXPECT_EQ(got.baseColor, c.oldSample ? 0x00445566u : 0x00112233u);
        EXPECT_EQ(got.polyphonic, c.polyphonic);
        EXPECT_EQ(got.measureLength, c.measureLength);
        EXPECT_EQ(got.windowLeft, c.oldSample ? 40 : -12);
        EXPECT_EQ(got.windowTop, c.oldSample ? 30 : 34);
        EXPECT_EQ(got.volume, c.volume);
        EXPECT_EQ(got.transpose, c.transpose);
        EXPECT_EQ(got.portName, c.portName);
        for (int m = 0; m < 8; ++m) {
            EXPECT_EQ(got.measures[m].nextMeasure, c.chain ? (m + 1) % 8 : m);
            EXPECT_EQ(got.measures[m].repeatCount, c.chain ? m + 2 : 1);
            for (int s = 0; s < 16; ++s) {
                const StoredSample& sample = got.measures[m].samples[s];
                const std::vector<std::int32_t> notes =
                    c.chords ? std::vector<std::int32_t>{noteAt(m, s), noteAt(m, s) + 7}
                             : std::vector<std::int32_t>{noteAt(m, s)};
                ASSERT_EQ(sample.notes, notes) << m << " " << s;
                EXPECT_EQ(sample.program, programAt(m, s));
                EXPECT_EQ(sample.velocity, velocityAt(m, s));
                EXPECT_EQ(sample.pan, panAt(m, s));
                EXPECT_EQ(sample.on, onAt(m, s) ? 1 : 0);
            }
        }
    }
}

TEST(SetupFileLayouts, OldDurations) {
    // From 2.0 to below 2.5 durations are on a 0..127 scale; before 2.0 only "ends at once"
    // (flag 1, which gives 0) or "long" (127) existed.
    struct Case {
        float version;
        std::int16_t stored;
        std::int32_t flag;
        std::int16_t expected;
    };
    const Case cases[] = {
        {2.0f, 127, 0, 16},   {2.4f, 64, 0, 8},    {2.2f, 7, 0, 0},   {2.0f, 0, 0, 0},
        {2.4f, -127, 0, -16}, {2.5f, 127, 0, 127}, {2.9f, 17, 0, 17}, {1.9f, 0, 1, 0},
        {1.9f, 0, 0, 16},     {1.0f, 0, 5, 16},
    };
    for (const Case& c : cases) {
        OldFile f;
        f.version = c.version;
        f.duration = c.stored;
        f.oldDurationFlag = c.flag;
        EXPECT_EQ(read(makeFile(f)).measures[2].samples[9].duration, c.expected)
            << c.version << " " << c.stored;
    }
}

TEST(SetupFileLayouts, MeasureLengthFromTheOldWindow) {
    struct Case {
        float version;
        std::int32_t width;
        std::int32_t expected;
    };
    const Case cases[] = {
        {1.9f, 590, 16},
        {1.0f, 682, 16},
        {1.1f, 140, 1},
        // Widths that give no whole column or more columns than a measure has are clamped.
        {1.9f, 100, 1},
        {1.0f, 5000, 16},
        {1.9f, std::numeric_limits<std::int32_t>::min(), 1},
    };
    for (const Case& c : cases) {
        OldFile f;
        f.version = c.version;
        f.rectWidth = c.width;
        f.rectLeft = c.width == std::numeric_limits<std::int32_t>::min() ? 0 : 40;
        EXPECT_EQ(read(makeFile(f)).measureLength, c.expected) << c.version << " " << c.width;
    }
}

TEST(SetupFileLayouts, PolyphonicIsInvertedFrom15To20) {
    OldFile f;
    f.version = 1.7f;
    f.oldPolyphonic = 1;
    EXPECT_EQ(read(makeFile(f)).polyphonic, 0);
    f.oldPolyphonic = 0;
    EXPECT_EQ(read(makeFile(f)).polyphonic, 1);
    f.oldPolyphonic = 1;
    f.version = 1.4f;
    EXPECT_EQ(read(makeFile(f)).polyphonic, 0);
}

TEST(SetupFileWriter, Version29Layout) {
    SetupFileContents c;
    c.portName = "";
    for (auto& m : c.measures) {
        for (auto& s : m.samples) {
            s.notes = {0};
        }
    }
    const auto bytes = encodeSetupFile(c);
    EXPECT_EQ(bytes.size(), 2387u);
    const std::vector<std::uint8_t> version(bytes.begin(), bytes.begin() + 4);
    EXPECT_EQ(version, (std::vector<std::uint8_t>{0x9A, 0x99, 0x39, 0x40}));

    c.measures[1].samples[2].notes = {};
    c.measures[1].samples[3].notes = {0, 4, 7};
    c.portName = "MIDI Mapper";
    EXPECT_EQ(encodeSetupFile(c).size(), 2387u - 4 + 8 + 11);
}

TEST(SetupFileWriter, RoundTripKeepsEveryField) {
    SetupFileContents c;
    c.tempoUnit = 1;
    c.tempoBpm = 97.25;
    c.deviceId = -1;
    c.channel = 16;
    c.editMeasure = 7;
    c.mute = 1;
    c.baseColor = 0x00ABCDEF;
    c.windowLeft = -1920;
    c.windowTop = 1080;
    c.measureLength = 5;
    c.polyphonic = 0;
    c.volume = 100;
    c.transpose = -59;
    c.portName = "Caf\u00e9 \u20ac";
    for (int m = 0; m < 8; ++m) {
        c.measures[m].nextMeasure = static_cast<std::int16_t>(7 - m);
        c.measures[m].repeatCount = static_cast<std::int16_t>(m);
        for (int s = 0; s < 16; ++s) {
            StoredSample& x = c.measures[m].samples[s];
            x.on = s % 2;
            x.notes.assign(static_cast<std::size_t>(s % 4), m * 100 + s);
            x.program = static_cast<std::int16_t>(s - 1);
            x.velocity = 127;
            x.pan = static_cast<std::int16_t>(s * 8);
            x.duration = static_cast<std::int16_t>(s + 2);
        }
    }
    SetupFileContents back;
    ASSERT_FALSE(decodeSetupFile(encodeSetupFile(c), back));
    EXPECT_EQ(back, c);
}

TEST(SetupFileStrings, LengthPrefixes) {
    struct Case {
        std::size_t length;
        std::vector<std::uint8_t> prefix;
    };
    const Case cases[] = {
        {0, {0x00}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {65533, {0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        SetupFileContents contents;
        contents.portName = std::string(c.length, 'p');
        const auto bytes = encodeSetupFile(contents);
        const std::size_t start = bytes.size() - c.length - c.prefix.size();
        EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + static_cast<long>(start),
                                            bytes.end() - static_cast<long>(c.length)),
                  c.prefix)
            << c.length;
        SetupFileContents back;
        ASSERT_FALSE(decodeSetupFile(bytes, back));
        EXPECT_EQ(back.portName, contents.portName);
    }
}

TEST(SetupFileStrings, Windows1252AndWideNames) {
    // Every byte of the code page survives a read and a save, the five unassigned ones too.
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    FileBytes file;
    file.raw(
        std::string(reinterpret_cast<const char*>(makeFile({}).data()), makeFile({}).size() - 8));
    file.u8(0xFF).i16(255).raw(all);
    SetupFileContents got = read(file.bytes);
    EXPECT_EQ(got.portName.substr(0, 3), "\x01\x02\x03");
    EXPECT_NE(got.portName.find("\u20ac"), std::string::npos);  // 80
    EXPECT_NE(got.portName.find("\u0081"), std::string::npos);
    EXPECT_NE(got.portName.find("\u00f7"), std::string::npos);  // F7
    const auto saved = encodeSetupFile(got);
    EXPECT_TRUE(std::equal(file.bytes.end() - 258, file.bytes.end(), saved.end() - 258));

    // A name the code page cannot hold goes in the wide form and comes back whole.
    SetupFileContents wide;
    wide.portName = "Synth \u266f \u65e5\u672c \U0001F3B9";
    const auto bytes = encodeSetupFile(wide);
    SetupFileContents back;
    ASSERT_FALSE(decodeSetupFile(bytes, back));
    EXPECT_EQ(back.portName, wide.portName);

    // The wide form of an earlier writer: FF FFFE, the length in UTF-16 units, the units.
    FileBytes old;
    old.raw(
        std::string(reinterpret_cast<const char*>(makeFile({}).data()), makeFile({}).size() - 8));
    old.u8(0xFF).i16(0xFFFE).u8(3).i16(u'P').i16(0x00E9).i16(0xD800);
    EXPECT_EQ(read(old.bytes).portName, "P\u00e9\uFFFD");
}

TEST(SetupFileReader, ValuesOutsideTheirTablesAreBroughtIn) {
    struct Case {
        const char* field;
        std::size_t offset;  // of the field in a 2.9 file
        std::int64_t stored;
        int bytes;
        std::int64_t expected;
    };
    // Header offsets: version 0, tempo unit 4, tempo 6, device 14, channel 18, edited measure
    // 20; measure 0's next measure 30 and repeat count 32; measure length after the measures.
    const std::size_t tail = 30 + 8 * (4 + 16 * 22);
    const Case cases[] = {
        {"tempoUnit", 4, 7, 2, 0},
        {"deviceId", 14, -5, 4, -2},
        {"deviceId", 14, 50, 4, -2},
        {"deviceId", 14, 49, 4, 49},
        {"deviceId", 14, -1, 4, -1},
        {"channel", 18, 0, 2, 1},
        {"channel", 18, 17, 2, 16},
        {"channel", 18, 0xFFFF, 2, 16},
        {"editMeasure", 20, 8, 2, 7},
        {"editMeasure", 20, -1, 2, 0},
        {"nextMeasure", 30, 12, 2, 7},
        {"nextMeasure", 30, -3, 2, 0},
        {"repeatCount", 32, -3, 2, 0},
        {"repeatCount", 32, 300, 2, 300},
        {"measureLength", tail + 8, 0, 4, 1},
        {"measureLength", tail + 8, 17, 4, 16},
        {"measureLength", tail + 8, -2000000000, 4, 1},
    };
    for (const Case& c : cases) {
        auto bytes = makeFile({});
        poke(bytes, c.offset, static_cast<std::uint64_t>(c.stored), c.bytes);
        const SetupFileContents got = read(bytes);
        const std::string field = c.field;
        const std::int64_t value = field == "tempoUnit"     ? got.tempoUnit
                                   : field == "deviceId"    ? got.deviceId
                                   : field == "channel"     ? got.channel
                                   : field == "editMeasure" ? got.editMeasure
                                   : field == "nextMeasure" ? got.measures[0].nextMeasure
                                   : field == "repeatCount" ? got.measures[0].repeatCount
                                                            : got.measureLength;
        EXPECT_EQ(value, c.expected) << c.field << " stored as " << c.stored;
    }
}

TEST(SetupFileReader, TemposTheClockCannotPlay) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double stored;
        double expected;
    } cases[] = {
        {std::nan(""), 126.0}, {inf, 10'000'000.0}, {-inf, 0.5},           {0.0, 0.5},
        {-120.0, 0.5},         {0.5, 0.5},          {1e300, 10'000'000.0}, {133.3, 133.3},
    };
    for (const auto& c : cases) {
        SetupFileContents contents;
        contents.tempoBpm = c.stored;
        SetupFileContents got;
        ASSERT_FALSE(decodeSetupFile(encodeSetupFile(contents), got));
        EXPECT_EQ(got.tempoBpm, c.expected) << c.stored;
    }
}

TEST(SetupFileReader, DamagedFilesChangeNothing) {
    const auto good = makeFile({});
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        const char* message;
    };
    auto withCount = [&](std::int32_t count) {
        auto b = good;
        // Measure 0, sample 0: the note count follows the measure's chain fields.
        poke(b, 34, static_cast<std::uint32_t>(count), 4);
        return b;
    };
    auto withVersion = [&](float v) {
        auto b = good;
        poke(b, 0, std::bit_cast<std::uint32_t>(v), 4);
        return b;
    };
    auto withPortLength = [&](std::vector<std::uint8_t> prefix) {
        auto b = good;
        b.resize(b.size() - 8);
        b.insert(b.end(), prefix.begin(), prefix.end());
        return b;
    };
    const Case cases[] = {
        {"empty", {}, "the file ends too early"},
        {"negative note count", withCount(-1), "a note count is negative"},
        {"huge note count", withCount(0x7FFFFFFF), "the file ends too early"},
        {"note count past the end", withCount(800), "the file ends too early"},
        {"version 0", withVersion(0.0f), "it is not a settings file"},
        {"version NaN", withVersion(std::nanf("")), "it is not a settings file"},
        {"port name longer than the file",
         withPortLength({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}), "the file ends too early"},
        {"wide marker twice", withPortLength({0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 0x00}),
         "the port name is damaged"},
        {"wide name cut short", withPortLength({0xFF, 0xFE, 0xFF, 0x04, 0x41, 0x00}),
         "the file ends too early"},
    };
    for (const Case& c : cases) {
        SetupFileContents contents = current();
        const auto error = decodeSetupFile(c.bytes, contents);
        ASSERT_TRUE(error) << c.what;
        EXPECT_EQ(error->rfind(c.message, 0), 0u) << c.what << ": " << *error;
        EXPECT_EQ(contents, current()) << c.what;
    }
}

TEST(SetupFileReader, EveryCutOfAFileFailsAndChangesNothing) {
    for (float version : {1.0f, 1.9f, 2.0f, 2.4f, 2.9f}) {
        OldFile f;
        f.version = version;
        const auto bytes = makeFile(f);
        for (std::size_t n = 0; n < bytes.size(); ++n) {
            SetupFileContents contents = current();
            const auto error =
                decodeSetupFile(std::span<const std::uint8_t>(bytes.data(), n), contents);
            ASSERT_TRUE(error) << version << " cut at " << n;
            ASSERT_EQ(*error, "the file ends too early") << version << " cut at " << n;
            ASSERT_EQ(contents, current()) << version << " cut at " << n;
        }
    }
}
