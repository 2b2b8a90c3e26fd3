#include <gtest/gtest.h>

#include "engine_fixture.h"

TEST(MidiPort, EnumeratingSelectsTheBuiltInSynth) {
    const std::string longName(80, 'n');
    SimulatedEngine e({"Synth A", longName});
    const CMidiOut& out = e.setup.midiOut;
    EXPECT_EQ(out.deviceCount, 2u);
    EXPECT_EQ(out.portNames[1], longName);  // never shortened
    EXPECT_EQ(out.portNames[2], "MIDI Mapper");
    EXPECT_EQ(out.deviceId, -1);
    EXPECT_EQ(out.portName, "MIDI Mapper");
    EXPECT_NE(out.handle, noMidiOutHandle);
    EXPECT_EQ(out.shareCount, 1);
    EXPECT_EQ(e.setup.ownsPort, 1);

    SimulatedEngine none(std::vector<std::string>{});
    EXPECT_EQ(none.setup.midiOut.portNames[0], "MIDI Mapper");

    std::vector<std::string> many;
    for (int i = 0; i < 60; ++i) {
        many.push_back("dev " + std::to_string(i));
    }
    SimulatedEngine crowded(many);
    EXPECT_EQ(crowded.setup.midiOut.deviceCount, 50u);
    EXPECT_EQ(crowded.setup.midiOut.portNames[50], "MIDI Mapper");
}

TEST(MidiPort, SelectingByName) {
    SimulatedEngine e({"Twin", "MIDI Mapper", "Twin", "Other"});
    struct Case {
        std::string name;
        int deviceId;
        bool found;
    };
    const Case cases[] = {
        {"Twin", 2, true},          // the last of equal names wins
        {"MIDI Mapper", -1, true},  // the mapper is never looked for among the devices
        {"Other", 3, true},        {"twin", -2, false},  // names compare exactly
        {"Gone", -2, false},
    };
    for (const Case& c : cases) {
        e.engine.releasePort();
        e.host.notes.clear();
        e.bus.sent.clear();
        e.engine.selectPort(c.name);
        EXPECT_EQ(e.setup.midiOut.deviceId, c.deviceId) << c.name;
        EXPECT_EQ(e.setup.midiOut.portName, c.name);
        if (c.found) {
            EXPECT_TRUE(e.host.notes.empty());
            EXPECT_NE(e.setup.midiOut.handle, noMidiOutHandle);
        } else {
            EXPECT_EQ(e.host.notes, std::vector<std::string>{"Could not find port: " + c.name});
            EXPECT_EQ(e.setup.midiOut.handle, noMidiOutHandle);
            EXPECT_EQ(e.setup.ownsPort, 0);
            EXPECT_EQ(e.bus.sent, (std::vector<Posted>{{MSG_PORT_WANTED, 0, -2}}));
        }
    }
}

TEST(MidiPort, OpeningByNumberNamesThePort) {
    SimulatedEngine e({"Synth A", "Synth B"});
    e.engine.releasePort();
    e.setup.midiOut.deviceId = 1;
    e.setup.midiOut.portName = "stale";
    e.engine.openPort();
    EXPECT_EQ(e.setup.midiOut.portName, "Synth B");
    e.engine.releasePort();
    e.setup.midiOut.deviceId = 7;  // not on this machine: the open fails, the name stays
    e.engine.openPort();
    EXPECT_EQ(e.setup.midiOut.portName, "Synth B");
    EXPECT_EQ(e.setup.midiOut.handle, noMidiOutHandle);
}

TEST(MidiPort, ReleasingASharedPort) {
    SimulatedEngine e;
    CMidiOut& out = e.setup.midiOut;
    const MidiOutHandle handle = out.handle;

    out.shareCount = 3;
    e.engine.releasePort();
    EXPECT_EQ(out.shareCount, 2);
    EXPECT_EQ(out.handle, noMidiOutHandle);
    EXPECT_TRUE(e.midi.isOpen(handle));
    EXPECT_EQ(e.bus.sent, (std::vector<Posted>{{MSG_SHARE_COUNT, 2, -1}}));

    // Holding no handle, a copy changes no count and tells nobody.
    e.bus.sent.clear();
    e.engine.releasePort();
    EXPECT_EQ(out.shareCount, 2);
    EXPECT_TRUE(e.bus.sent.empty());

    e.engine.openPort();
    const MidiOutHandle own = out.handle;
    e.engine.releasePort();
    EXPECT_EQ(out.shareCount, 0);
    EXPECT_FALSE(e.midi.isOpen(own));
}

TEST(MidiPort, ReopeningKeepsTheBuiltInSynthRunning) {
    SimulatedEngine e;
    const MidiOutHandle handle = e.setup.midiOut.handle;
    e.engine.handleMessage(MSG_REOPEN_PORT, 0, 0);
    EXPECT_EQ(e.setup.midiOut.handle, handle);
    EXPECT_TRUE(e.midi.isOpen(handle));
    EXPECT_TRUE(e.midi.closedHandles().empty());
    EXPECT_EQ(e.setup.midiOut.shareCount, 1);
}

TEST(MidiPort, SharingMessages) {
    SimulatedEngine e;
    CMidiOut& out = e.setup.midiOut;
    // Another copy wants this copy's device: it answers with its count and its handle.
    e.engine.handleMessage(MSG_PORT_WANTED, 0, -1);
    EXPECT_EQ(e.bus.sent,
              (std::vector<Posted>{{MSG_SHARE_COUNT, 1, -1},
                                   {MSG_PORT_HANDLE, static_cast<std::intptr_t>(out.handle), -1}}));
    e.bus.sent.clear();
    e.engine.handleMessage(MSG_PORT_WANTED, 0, 3);    // another device
    e.engine.handleMessage(MSG_PORT_HANDLE, 99, -1);  // already has a handle
    EXPECT_TRUE(e.bus.sent.empty());
    e.engine.handleMessage(MSG_SHARE_COUNT, 0, -1);  // lower than before, taken as it is
    EXPECT_EQ(out.shareCount, 0);
    e.engine.handleMessage(MSG_SHARE_COUNT, 5, 2);
    EXPECT_EQ(out.shareCount, 0);

    // A copy without a handle takes the first one offered.
    SimulatedEngine borrower;
    borrower.midi.setFailingDevices({-1});
    borrower.engine.releasePort();
    borrower.engine.openPort();
    ASSERT_EQ(borrower.setup.midiOut.handle, noMidiOutHandle);
    borrower.engine.handleMessage(MSG_PORT_HANDLE, 77, -1);
    EXPECT_EQ(borrower.setup.midiOut.handle, 77u);
    EXPECT_EQ(borrower.setup.midiOut.shareCount, 1);
    EXPECT_EQ(borrower.bus.sent.back(), (Posted{MSG_SHARE_COUNT, 1, -1}));
}
