#include "platform/builtin_synth.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The synth's effects leave a faint floor of about 1e-8 even before the first note.
constexpr double kSilence = 1e-6;

class BuiltinSynthTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/thrumbleworx-synth-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        lockDir_ = pattern;
        options_.lockDir = lockDir_;
        options_.playAudio = false;
    }
    void TearDown() override { fs::remove_all(lockDir_); }

    // Renders in buffers of 256 frames, as an audio driver asks for them.
    static double rms(platform::BuiltinSynth& synth, int frames) {
        std::vector<float> left(static_cast<std::size_t>(frames));
        std::vector<float> right(left.size());
        for (int done = 0; done < frames; done += 256) {
            const auto at = static_cast<std::size_t>(done);
            synth.render(left.data() + at, right.data() + at, std::min(256, frames - done));
        }
        double sum = 0;
        for (std::size_t i = 0; i < left.size(); ++i) {
            sum += left[i] * left[i] + right[i] * right[i];
        }
        return std::sqrt(sum / (2.0 * frames));
    }

    std::string lockDir_;
    platform::BuiltinSynthOptions options_;
};

TEST_F(BuiltinSynthTest, ANoteOnMakesSoundAndAllNotesOffEndsIt) {
    platform::SynthOpenError error{};
    auto synth = platform::BuiltinSynth::create(options_, &error);
    ASSERT_NE(synth, nullptr) << static_cast<int>(error);
    EXPECT_EQ(synth->soundfont(), "/usr/share/sounds/sf2/TimGM6mb.sf2");
    EXPECT_LT(rms(*synth, 4800), kSilence);

    synth->send(0x00C0);    // program 0 on channel 1
    synth->send(0x643C90);  // middle C, velocity 100
    EXPECT_GT(rms(*synth, 4800), 1e-3);

    synth->send(0x7BB0);  // all notes off, then let the release ring out
    rms(*synth, 48000 * 3);
    EXPECT_LT(rms(*synth, 4800), kSilence);
}

TEST_F(BuiltinSynthTest, DrumChannelAndMalformedMessages) {
    auto synth = platform::BuiltinSynth::create(options_);
    ASSERT_NE(synth, nullptr);
    synth->send(0x80BC90);  // a data byte above 127 is no message at all
    EXPECT_LT(rms(*synth, 2400), kSilence);
    synth->send(0x7F2499);  // bass drum on channel 10
    EXPECT_GT(rms(*synth, 2400), 1e-3);
}

// A stamped message sounds at the frame of stamp + latency, whatever the buffer it falls in;
// the synth cuts its work at 64-frame blocks, so a note starts up to one block later.
TEST_F(BuiltinSynthTest, AStampedNoteStartsAtItsFrame) {
    const std::int64_t startNs = 50'000'000'000;
    for (const std::int64_t afterNs : {20'000'000LL, 30'400'000LL, 41'700'000LL}) {
        auto synth = platform::BuiltinSynth::create(options_);
        ASSERT_NE(synth, nullptr);
        const double rate = synth->sampleRate();
        const std::int64_t latency = synth->latencyNs();
        EXPECT_EQ(latency, 1'250'000 + 256 * 1'000'000'000LL / 48000);
        synth->send(0x7F2499, startNs + afterNs);  // bass drum on channel 10
        std::vector<float> left(256), right(256);
        int onset = -1;
        for (int frame = 0; frame < 9600 && onset < 0; frame += 256) {
            const auto now = startNs + static_cast<std::int64_t>(frame * 1e9 / rate);
            synth->render(left.data(), right.data(), 256, now);
            for (int i = 0; i < 256 && onset < 0; ++i) {
                if (std::abs(left[static_cast<std::size_t>(i)]) > 1e-4) {
                    onset = frame + i;
                }
            }
        }
        const double expected = static_cast<double>(afterNs + latency) * rate / 1e9;
        EXPECT_GE(onset, expected - 1) << afterNs;
        EXPECT_LE(onset, expected + 64 + 8) << afterNs;
    }
}

TEST_F(BuiltinSynthTest, OnlyOneHolderAtATime) {
    auto first = platform::BuiltinSynth::create(options_);
    ASSERT_NE(first, nullptr);
    platform::SynthOpenError error{};
    EXPECT_EQ(platform::BuiltinSynth::create(options_, &error), nullptr);
    EXPECT_EQ(error, platform::SynthOpenError::Busy);

    first.reset();
    EXPECT_NE(platform::BuiltinSynth::create(options_, &error), nullptr);
}

TEST_F(BuiltinSynthTest, FailsWithoutASoundfontOrALockFolder) {
    platform::SynthOpenError error{};
    auto noFont = options_;
    noFont.soundfonts = {"/nonexistent/a.sf2", lockDir_ + "/missing.sf3"};
    EXPECT_EQ(platform::BuiltinSynth::create(noFont, &error), nullptr);
    EXPECT_EQ(error, platform::SynthOpenError::NoSoundfont);

    auto notAFont = options_;
    const std::string junk = lockDir_ + "/junk.sf2";
    std::FILE* f = std::fopen(junk.c_str(), "w");
    std::fputs("not a soundfont", f);
    std::fclose(f);
    notAFont.soundfonts = {junk};
    EXPECT_EQ(platform::BuiltinSynth::create(notAFont, &error), nullptr);
    EXPECT_EQ(error, platform::SynthOpenError::NoSoundfont);

    auto noLock = options_;
    noLock.lockDir = junk;  // a file, not a folder
    EXPECT_EQ(platform::BuiltinSynth::create(noLock, &error), nullptr);
    EXPECT_EQ(error, platform::SynthOpenError::NoLock);
}

// The first readable file in the list wins, so a missing preferred soundfont falls through.
TEST_F(BuiltinSynthTest, SearchesTheSoundfontList) {
    options_.soundfonts = {"/nonexistent/a.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2"};
    auto synth = platform::BuiltinSynth::create(options_);
    ASSERT_NE(synth, nullptr);
    EXPECT_EQ(synth->soundfont(), "/usr/share/sounds/sf2/TimGM6mb.sf2");
    EXPECT_EQ(synth->audioDriver(), "");
}

}  // namespace
