#include "platform/builtin_synth.h"

#include <gtest/gtest.h>
#include <unistd.h>

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

    static double rms(platform::BuiltinSynth& synth, int frames) {
        std::vector<float> left(static_cast<std::size_t>(frames));
        std::vector<float> right(left.size());
        synth.render(left.data(), right.data(), frames);
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
