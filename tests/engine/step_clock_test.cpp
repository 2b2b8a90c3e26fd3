#include <gtest/gtest.h>

#include "engine_fixture.h"

namespace {

using Msgs = std::vector<std::vector<int>>;

// Note off is a note on with velocity 0.
std::vector<int> off(int key, int channel = 1) {
    return {0x90 + channel - 1, key, 0};
}
std::vector<int> on(int key, int velocity, int channel = 1) {
    return {0x90 + channel - 1, key, velocity};
}
std::vector<int> pan(int value, int channel = 1) {
    return {0xB0 + channel - 1, 10, value};
}
std::vector<int> program(int p, int channel = 1) {
    return {0xC0 + channel - 1, p, 0};
}

class StepClock : public ::testing::Test {
protected:
    CSample& sample(int m, int s) { return e.setup.measures[m].samples[s]; }
    void play(int m, int s) {
        e.setup.playMeasure = static_cast<std::int16_t>(m);
        e.setup.midiOut.currentStep = static_cast<std::int16_t>(s);
        e.engine.playStep();
    }

    SimulatedEngine e;
};

}  // namespace

TEST_F(StepClock, AChordAndItsEnd) {
    CSample& s = sample(0, 0);
    s.notes.assign({0, 4, 7});
    s.program = -1;
    s.duration = 4;
    play(0, 0);
    EXPECT_EQ(e.sent(), (Msgs{off(60), pan(64), on(60, 79), off(64), pan(64), on(64, 63), off(67),
                              pan(64), on(67, 50)}));
    EXPECT_EQ(e.host.statusTexts.back(), "0:4  4:4  7:4  ");

    for (int i = 1; i < 4; ++i) {
        sample(0, i).on = 0;
        e.midi.clearMessages();
        play(0, i);
        EXPECT_EQ(e.sent(), Msgs{}) << i;
    }
    EXPECT_EQ(e.host.statusTexts.back(), "0:1  4:1  7:1  ");
    sample(0, 4).on = 0;
    play(0, 4);
    EXPECT_EQ(e.sent(), (Msgs{off(60), off(64), off(67)}));
    EXPECT_TRUE(e.engine.heldNotes.empty());
}

TEST_F(StepClock, MessagesOfOneStep) {
    struct Case {
        const char* what;
        std::vector<std::int32_t> notes;
        int program, velocity, pan, duration, volume, transpose, channel;
        Msgs expected;
        std::string held;
    };
    const Case cases[] = {
        {"channel 10",
         {0},
         5,
         100,
         30,
         4,
         100,
         0,
         10,
         {off(60, 10), program(5, 10), pan(30, 10), on(60, 99, 10)},
         "0:4  "},
        {"duration 0 ends at once and is remembered",
         {2},
         -1,
         100,
         64,
         0,
         100,
         0,
         1,
         {off(62), pan(64), on(62, 99), off(62)},
         "2:0  "},
        {"keys are limited to 1..127",
         {70, -70},
         -1,
         100,
         64,
         3,
         100,
         0,
         1,
         {off(127), pan(64), on(127, 99), off(1), pan(64), on(1, 98)},
         "67:3  -59:3  "},
        {"transpose", {0}, -1, 100, 64, 3, 100, 12, 1, {off(72), pan(64), on(72, 99)}, "12:3  "},
        // The key comes from the note's low 16 bits, and its note off goes to that key.
        {"note beyond 16 bits",
         {65536},
         -1,
         100,
         64,
         3,
         100,
         0,
         1,
         {off(60), pan(64), on(60, 99)},
         "0:3  "},
        {"velocity 1% of 100 is 0",
         {0},
         -1,
         1,
         64,
         3,
         100,
         0,
         1,
         {off(60), pan(64), on(60, 0)},
         "0:3  "},
        {"velocity chain at volume 80",
         {0, 1, 2, 3},
         -1,
         100,
         64,
         3,
         80,
         0,
         1,
         {off(60), pan(64), on(60, 79), off(61), pan(64), on(61, 63), off(62), pan(64), on(62, 50),
          off(63), pan(64), on(63, 39)},
         "0:3  1:3  2:3  3:3  "},
        // Values from a damaged file never reach the device as status bytes.
        {"damaged values are clamped",
         {0},
         300,
         500,
         -4,
         3,
         1000,
         0,
         1,
         {off(60), program(127), pan(0), on(60, 127)},
         "0:3  "},
        {"a program below -1 is clamped, -1 is none",
         {0},
         -7,
         100,
         64,
         3,
         100,
         0,
         1,
         {off(60), program(0), pan(64), on(60, 99)},
         "0:3  "},
        {"an empty chord plays nothing", {}, 3, 100, 64, 3, 100, 0, 1, {}, ""},
    };
    for (const Case& c : cases) {
        SimulatedEngine fresh;
        CSample& s = fresh.setup.measures[0].samples[0];
        s.notes.assign(c.notes);
        s.program = static_cast<std::int16_t>(c.program);
        s.velocity = static_cast<std::int16_t>(c.velocity);
        s.pan = static_cast<std::int16_t>(c.pan);
        s.duration = static_cast<std::int16_t>(c.duration);
        fresh.setup.volume = static_cast<std::int16_t>(c.volume);
        fresh.setup.transpose = static_cast<std::int16_t>(c.transpose);
        fresh.setup.midiOut.channel = static_cast<std::uint16_t>(c.channel);
        fresh.engine.playStep();
        EXPECT_EQ(fresh.sent(), c.expected) << c.what;
        EXPECT_EQ(fresh.engine.heldNotes.text(), c.held) << c.what;
    }
}

TEST_F(StepClock, HeldNotesInPolyphonicAndMonophonicMode) {
    // A held note (duration 17) is never counted down.
    sample(0, 0).duration = DURATION_HOLD;
    play(0, 0);
    for (int i = 1; i < 16; ++i) {
        sample(0, i).on = 0;
        play(0, i);
    }
    EXPECT_EQ(e.engine.heldNotes.text(), "0:17  ");

    // Monophonic: a sounding sample ends every held note first, in list order.
    SimulatedEngine mono;
    mono.setup.polyphonic = 0;
    CSample& first = mono.setup.measures[0].samples[0];
    first.notes.assign({0, 4, 7});
    first.program = -1;
    mono.engine.playStep();
    mono.midi.clearMessages();
    CSample& second = mono.setup.measures[0].samples[1];
    second.notes.assign({12});
    second.program = -1;
    mono.engine.playStep();
    EXPECT_EQ(mono.sent(), (Msgs{off(60), off(64), off(67), off(72), pan(64), on(72, 79)}));

    // Muted, nothing ends and nothing starts.
    mono.midi.clearMessages();
    mono.setup.mute = 1;
    mono.engine.playStep();
    EXPECT_EQ(mono.sent(), Msgs{});
    EXPECT_EQ(mono.engine.heldNotes.text(), "12:30  ");

    // Muted in polyphonic mode, held notes still end by countdown.
    SimulatedEngine poly;
    poly.setup.measures[0].samples[0].duration = 1;
    poly.engine.playStep();
    poly.setup.mute = 1;
    poly.midi.clearMessages();
    poly.engine.playStep();
    EXPECT_EQ(poly.sent(), Msgs{off(60)});
}

TEST_F(StepClock, TheMeasureChain) {
    struct Case {
        const char* what;
        int start, repeatCount2, next2, length;
        std::vector<std::pair<int, int>> expected;  // (measure, sample) played
    };
    const Case cases[] = {
        {"repeat 3 then measure 5",
         2,
         3,
         5,
         2,
         {{2, 0}, {2, 1}, {2, 0}, {2, 1}, {2, 0}, {2, 1}, {5, 0}, {5, 1}, {5, 0}}},
        {"repeat 0 plays once", 2, 0, 4, 2, {{2, 0}, {2, 1}, {4, 0}}},
        {"measure length 4", 2, 1, 2, 4, {{2, 0}, {2, 1}, {2, 2}, {2, 3}, {2, 0}}},
    };
    for (const Case& c : cases) {
        SimulatedEngine fresh;
        fresh.setup.measures[2].repeatCount = static_cast<std::int16_t>(c.repeatCount2);
        fresh.setup.measures[2].nextMeasure = static_cast<std::int16_t>(c.next2);
        fresh.setup.measureLength = c.length;
        fresh.setup.editMeasure = static_cast<std::int16_t>(c.start);
        for (CMeasure& m : fresh.setup.measures) {
            for (int s = 0; s < 16; ++s) {
                m.samples[s].notes.assign({s});
                m.samples[s].program = -1;
            }
        }
        for (int m = 0; m < 8; ++m) {
            for (int s = 0; s < 16; ++s) {
                fresh.setup.measures[m].samples[s].pan = static_cast<std::int16_t>(m);
            }
        }
        fresh.engine.startPlayback();
        fresh.runSteps(c.expected.size() - 1);
        fresh.engine.stopPlayback();
        std::vector<std::pair<int, int>> played;
        for (const auto& msg : fresh.sent()) {
            if (msg[0] == 0xB0 && msg[1] == 10) {
                played.emplace_back(msg[2], 0);
            } else if (msg[0] == 0x90 && msg[2] != 0) {
                played.back().second = msg[1] - 60;
            }
        }
        EXPECT_EQ(played, c.expected) << c.what;
        if (c.length == 4) {
            EXPECT_EQ(fresh.host.count(MSG_SHOW_MEASURE), 2 + 1 + 1);  // step 0 twice, start, stop
        }
    }
}

TEST_F(StepClock, DamagedPositionsStayInsideTheTables) {
    struct Case {
        int playMeasure, step, length, next;
    };
    const Case cases[] = {{12, 3, 16, 0},  {-1, 3, 16, 0}, {0, 40, 16, 0},  {0, -5, 16, 0},
                          {0, 15, 400, 0}, {0, 0, -3, 0},  {0, 15, 16, 99}, {0, 15, 16, -4}};
    for (const Case& c : cases) {
        SimulatedEngine fresh;
        fresh.setup.measureLength = c.length;
        fresh.setup.measures[0].nextMeasure = static_cast<std::int16_t>(c.next);
        fresh.setup.playMeasure = static_cast<std::int16_t>(c.playMeasure);
        fresh.setup.midiOut.currentStep = static_cast<std::int16_t>(c.step);
        for (int i = 0; i < 40; ++i) {
            fresh.engine.playStep();
            EXPECT_GE(fresh.setup.playMeasure, 0);
            EXPECT_LT(fresh.setup.playMeasure, 8);
            EXPECT_GE(fresh.setup.midiOut.currentStep, 0);
            EXPECT_LE(fresh.setup.midiOut.currentStep, 16);
        }
    }
}

TEST_F(StepClock, StartAndStop) {
    sample(3, 0).notes.assign({0});
    sample(3, 0).duration = DURATION_HOLD;
    sample(3, 0).program = -1;
    e.setup.editMeasure = 3;
    e.engine.startPlayback();
    // The first step sounds at once, before any tick.
    EXPECT_EQ(e.sent(), (Msgs{off(60), pan(64), on(60, 79)}));
    EXPECT_TRUE(e.engine.isPlaying());
    EXPECT_EQ(e.setup.playMeasure, 3);
    EXPECT_EQ(e.setup.repeatCounter, 1);
    EXPECT_EQ(e.bus.sent, (std::vector<Posted>{{MSG_START, 0, 0}}));
    EXPECT_EQ(e.host.posted.back(), (Posted{MSG_SHOW_MEASURE, 3, 3}));
    EXPECT_EQ(e.host.lights.front(), std::make_pair(15, true));  // the column before step 0

    // A start arriving from another copy while playing changes nothing.
    e.engine.handleMessage(MSG_START, 0, 0);
    EXPECT_EQ(e.bus.sent.size(), 1u);

    e.midi.clearMessages();
    e.runSteps(2);
    e.engine.handleMessage(MSG_STEP_DONE, 0, 0);
    e.engine.stopPlayback();
    EXPECT_FALSE(e.engine.isPlaying());
    EXPECT_FALSE(e.ticks.running());
    // The held note ends by itself, then All notes off on the loop's channel.
    const Msgs all = e.sent();
    const Msgs stopped(all.end() - 2, all.end());
    EXPECT_EQ(stopped, (Msgs{off(60), {0xB0, 123, 0}}));
    EXPECT_EQ(e.setup.midiOut.currentStep, 0);
    EXPECT_TRUE(e.engine.heldNotes.empty());
    EXPECT_EQ(e.host.posted.back(), (Posted{MSG_SHOW_MEASURE, 3, -1}));
    EXPECT_EQ(e.host.playButtonStates, std::vector<int>{0});
    EXPECT_EQ(e.host.lights.back().second, false);

    // With Ctrl down a toggle starts and stops this copy alone.
    e.bus.sent.clear();
    e.host.ctrlDown = true;
    e.engine.togglePlayback();
    EXPECT_TRUE(e.engine.isPlaying());
    e.engine.togglePlayback();
    EXPECT_FALSE(e.engine.isPlaying());
    EXPECT_TRUE(e.bus.sent.empty());
    e.host.ctrlDown = false;
    e.engine.togglePlayback();
    e.engine.togglePlayback();
    EXPECT_EQ(e.bus.sent,
              (std::vector<Posted>{{MSG_START, 0, 0}, {MSG_START, 0, 0}, {MSG_STOP, 0, 0}}));
}

TEST_F(StepClock, ChoosingAndJumpingToMeasuresWhilePlaying) {
    e.engine.startPlayback();
    e.setup.repeatCounter = 2;
    e.setup.editMeasure = 4;
    e.engine.selectMeasureWhilePlaying(4);
    EXPECT_EQ(e.setup.playMeasure, 4);
    EXPECT_EQ(e.setup.repeatCounter, 0);
    EXPECT_EQ(e.host.playingMeasures.back(), 4);

    e.host.ctrlDown = true;
    e.setup.editMeasure = 6;
    e.engine.selectMeasureWhilePlaying(6);
    EXPECT_EQ(e.setup.playMeasure, 4);

    e.engine.jumpPlayback(7);
    EXPECT_EQ(e.setup.playMeasure, 7);
    EXPECT_EQ(e.setup.editMeasure, 6);
    EXPECT_EQ(e.setup.repeatCounter, 0);
}

TEST_F(StepClock, TheStepLightSkipsStepsAtVeryHighTempi) {
    e.setup.tempoBpm = 3000;  // the light moves every second step
    e.setup.midiOut.currentStep = 1;
    for (int i = 0; i < 4; ++i) {
        e.engine.moveStepLight();
    }
    EXPECT_EQ(e.host.lights, (std::vector<std::pair<int, bool>>{{0, true}, {0, true}}));
}

TEST_F(StepClock, KillAllSoundSendsAllNotesOffOnEveryChannel) {
    e.engine.killAllSound();
    Msgs expected;
    for (int c = 0; c < 16; ++c) {
        expected.push_back({0xB0 + c, 123, 0});
    }
    EXPECT_EQ(e.sent(), expected);
}
