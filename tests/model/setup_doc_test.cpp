#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <vector>

#include "model/setup_doc.h"

namespace {

std::vector<std::int32_t> notesOf(const CSample& s) {
    return s.notes.values();
}

CSample withNotes(std::vector<std::int32_t> notes) {
    CSample s;
    s.notes.assign(std::move(notes));
    return s;
}

}  // namespace

TEST(Sample, SetRootMovesTheWholeChord) {
    struct Case {
        std::vector<std::int32_t> before;
        std::int32_t root;
        std::vector<std::int32_t> after;
    };
    const Case cases[] = {
        {{3, 7, 10}, 5, {5, 9, 12}},
        {{}, 5, {5}},
        {{0}, -59, {-59}},
        // A damaged chord far from the new root wraps instead of overflowing.
        {{INT32_MIN, INT32_MIN + 4}, 0, {0, 4}},
        {{INT32_MAX}, INT32_MIN, {INT32_MIN}},
    };
    for (const Case& c : cases) {
        CSample s = withNotes(c.before);
        s.setRoot(c.root);
        EXPECT_EQ(notesOf(s), c.after);
    }
}

TEST(Sample, AttributesByCode) {
    CSample s = withNotes({70000, 70004});
    s.setAttribute(ATTR_ON, 5);
    EXPECT_EQ(s.getAttribute(ATTR_ON), 1);
    s.setAttribute(ATTR_ON, 0);
    EXPECT_EQ(s.getAttribute(ATTR_ON), 0);

    // The root reads as 16 bits; setting it moves the chord.
    EXPECT_EQ(s.getAttribute(ATTR_NOTE), static_cast<std::int16_t>(70000));
    s.setAttribute(ATTR_NOTE, 12);
    EXPECT_EQ(notesOf(s), (std::vector<std::int32_t>{12, 16}));

    const int codes[] = {ATTR_PROGRAM, ATTR_VELOCITY, ATTR_PAN, ATTR_DURATION};
    for (int code : codes) {
        s.setAttribute(code, -1);
        EXPECT_EQ(s.getAttribute(code), -1) << code;
        s.setAttribute(code, 127);
        EXPECT_EQ(s.getAttribute(code), 127) << code;
    }

    const CSample before = s;
    for (int code : {0, 11, 35, 70, -10}) {
        s.setAttribute(code, 99);
        EXPECT_EQ(s.getAttribute(code), 0) << code;
    }
    EXPECT_EQ(s, before);
}

TEST(Sample, NoteOfAnEmptyChordReadsAsZero) {
    CSample s = withNotes({});
    EXPECT_EQ(s.getAttribute(ATTR_NOTE), 0);
    s.ensureRoot();
    EXPECT_EQ(notesOf(s), std::vector<std::int32_t>{0});
    s.notes.assign({4, 7});
    s.ensureRoot();
    EXPECT_EQ(notesOf(s), (std::vector<std::int32_t>{4, 7}));
}

TEST(Sample, CopyFromIsDeep) {
    CSample five = withNotes({1, 2, 3, 4, 5});
    const CSample three = [] {
        CSample s = withNotes({0, 4, 7});
        s.on = 0;
        s.program = -1;
        s.velocity = 12;
        s.pan = 3;
        s.duration = DURATION_HOLD;
        return s;
    }();
    five.copyFrom(three);
    EXPECT_EQ(five, three);
    EXPECT_EQ(five.notes.size(), 3u);

    five.copyFrom(five);
    EXPECT_EQ(five, three);

    five.setRoot(2);
    EXPECT_EQ(notesOf(three), (std::vector<std::int32_t>{0, 4, 7}));
}

TEST(Measure, Defaults) {
    const CMeasure m;
    EXPECT_EQ(m.nextMeasure, 0);
    EXPECT_EQ(m.repeatCount, 1);
    for (const CSample& s : m.samples) {
        EXPECT_EQ(s.on, 1);
        EXPECT_EQ(notesOf(s), std::vector<std::int32_t>{0});
        EXPECT_EQ(s.program, 0);
        EXPECT_EQ(s.velocity, 100);
        EXPECT_EQ(s.pan, 64);
        EXPECT_EQ(s.duration, 30);
    }
}

TEST(SetupDoc, ConstructionDefaults) {
    const CSetupDoc doc;
    EXPECT_EQ(doc.measureLength, 16);
    EXPECT_EQ(doc.tempoBpm, 126.0);
    EXPECT_EQ(doc.tempoUnit, 0);
    EXPECT_EQ(doc.editMeasure, 0);
    EXPECT_EQ(doc.undoMeasureIndex, -1);
    EXPECT_EQ(doc.playMeasure, 0);
    EXPECT_EQ(doc.mute, 0);
    EXPECT_EQ(doc.polyphonic, 1);
    EXPECT_EQ(doc.modified, 0);
    EXPECT_EQ(doc.ownsPort, 0);
    EXPECT_EQ(doc.volume, 80);
    EXPECT_EQ(doc.transpose, 0);
    EXPECT_EQ(doc.useHighResTimer, 1);
    EXPECT_TRUE(doc.title.empty());
    EXPECT_TRUE(doc.path.empty());
    EXPECT_EQ(doc.mainWindow, nullptr);
    EXPECT_EQ(doc.midiOut.deviceId, 0);
    EXPECT_EQ(doc.midiOut.channel, 1);
    EXPECT_EQ(doc.midiOut.handle, noMidiOutHandle);
    EXPECT_EQ(doc.midiOut.deviceCount, 0u);
    for (int i = 0; i < measureCount; ++i) {
        EXPECT_EQ(doc.measures[i].nextMeasure, i);
        EXPECT_EQ(doc.measures[i].repeatCount, 1);
    }
    // The staging measures are not randomized.
    EXPECT_EQ(doc.clipboardMeasure.samples[0], CSample{});
    EXPECT_EQ(doc.undoMeasure.samples[15], CSample{});
}

TEST(SetupDoc, ConstructionDrawsSampleValuesInOrder) {
    std::srand(1234);
    std::vector<int> draws;
    for (int i = 0; i < measureCount * samplesPerMeasureMax * 5; ++i) {
        draws.push_back(std::rand() % 128);
    }
    std::srand(1234);
    const CSetupDoc doc;
    std::size_t k = 0;
    for (const CMeasure& m : doc.measures) {
        for (const CSample& s : m.samples) {
            EXPECT_EQ(notesOf(s), std::vector<std::int32_t>{draws[k] - 60});
            EXPECT_EQ(s.program, draws[k + 1]);
            EXPECT_EQ(s.velocity, draws[k + 2]);
            EXPECT_EQ(s.pan, draws[k + 3]);
            EXPECT_EQ(s.duration, draws[k + 4]);
            EXPECT_EQ(s.on, 1);
            k += 5;
        }
    }
}

TEST(SetupDoc, NewSetupChainsEachMeasureToItselfWithPlayableDurations) {
    CSetupDoc doc;
    doc.measures[3].nextMeasure = 6;
    doc.measures[3].repeatCount = 4;
    doc.measures[2].samples[1].notes.assign({});
    doc.measures[2].samples[2].notes.assign({0, 4, 7});
    doc.volume = 3;
    fillNewSetup(doc);
    for (int i = 0; i < measureCount; ++i) {
        EXPECT_EQ(doc.measures[i].nextMeasure, i);
        EXPECT_EQ(doc.measures[i].repeatCount, 1);
        for (const CSample& s : doc.measures[i].samples) {
            EXPECT_GE(s.duration, 0);
            EXPECT_LT(s.duration, DURATION_HOLD);
            EXPECT_GE(s.notes[0], -60);
            EXPECT_LE(s.notes[0], 67);
        }
    }
    EXPECT_EQ(doc.measures[2].samples[1].notes.size(), 1u);
    EXPECT_EQ(doc.measures[2].samples[2].notes.size(), 3u);
    EXPECT_EQ(doc.measures[2].samples[2].notes[1] - doc.measures[2].samples[2].notes[0], 4);
    EXPECT_EQ(doc.volume, 80);
    EXPECT_EQ(doc.transpose, 0);
}
