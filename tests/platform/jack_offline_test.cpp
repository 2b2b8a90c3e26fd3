// The JACK backend where no server runs: no devices, and no server gets started.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include <cstdlib>

#include "../support/case_name.h"
#include "platform/jack_event_placer.h"
#include "platform/jack_midi_backend.h"
#include "platform/midi_output.h"

namespace {

TEST(JackWithoutServer, NoDevicesAndNoServerStarted) {
    setenv("JACK_DEFAULT_SERVER", "thrumbleworx-no-such-server", 1);
    {
        platform::JackMidiBackend backend;
        EXPECT_TRUE(backend.deviceNames().empty());
        EXPECT_EQ(backend.open("system:midi_playback_1"), nullptr);
        EXPECT_FALSE(backend.connected());
        auto output = platform::makeSystemMidiOutput({"thrumbleworx", true, false});
        EXPECT_TRUE(output->deviceNames().empty());
        EXPECT_EQ(output->open(0), platform::kNoMidiOutHandle);
    }
    // Had anything started a server under that name, this client would find it.
    platform::JackMidiBackend probe;
    EXPECT_FALSE(probe.connected());
    unsetenv("JACK_DEFAULT_SERVER");
}

struct PlaceCase {
    const char* what;
    std::uint32_t cycleStart;
    std::uint32_t lastPlaced;  // in this cycle; cycleStart - 1 for "none"
    std::uint32_t target;
    int offset;  // -1: a later cycle
    bool late;
};

class Placement : public testing::TestWithParam<PlaceCase> {};

TEST_P(Placement, GoesAtItsFrameButNeverBeforeTheCycleOrTheLastEvent) {
    const PlaceCase& c = GetParam();
    platform::JackEventPlacer placer;
    placer.beginCycle(c.cycleStart, 64);
    if (c.lastPlaced != c.cycleStart - 1) {
        placer.commit(c.lastPlaced - c.cycleStart);
    }
    const auto place = placer.place(c.target);
    EXPECT_EQ(place.offset.has_value() ? static_cast<int>(*place.offset) : -1, c.offset) << c.what;
    EXPECT_EQ(place.late, c.late) << c.what;
}

constexpr std::uint32_t kNear = 0xFFFFFFF0u;  // 16 frames before the counter wraps

INSTANTIATE_TEST_SUITE_P(
    Frames, Placement,
    testing::Values(PlaceCase{"on time", 1000, 999, 1010, 10, false},
                    PlaceCase{"first frame", 1000, 999, 1000, 0, false},
                    PlaceCase{"last frame", 1000, 999, 1063, 63, false},
                    PlaceCase{"next cycle", 1000, 999, 1064, -1, false},
                    PlaceCase{"late: first frame", 1000, 999, 900, 0, true},
                    PlaceCase{"same frame as the last one", 1000, 1020, 1020, 20, false},
                    PlaceCase{"behind the last one", 1000, 1020, 1005, 20, true},
                    PlaceCase{"late and behind", 1000, 1030, 10, 30, true},
                    PlaceCase{"across the wrap", kNear, kNear - 1, 5, 21, false},
                    PlaceCase{"late across the wrap", 8, 7, kNear, 0, true},
                    PlaceCase{"behind the last one across the wrap", kNear, 2, kNear + 3, 18,
                              true}),
    caseName<PlaceCase>);

// An event placed in an earlier cycle no longer holds anything up, however the counter has
// moved since.
TEST(Placement, OnlyEventsOfTheCurrentCycleHoldUpLaterOnes) {
    platform::JackEventPlacer placer;
    placer.beginCycle(1000, 64);
    placer.commit(60);
    placer.beginCycle(1064, 64);
    EXPECT_EQ(placer.place(1070).offset, 6u);
    placer.beginCycle(1064 + 0x80000000u, 64);  // half the counter's range later
    EXPECT_EQ(placer.place(1064 + 0x80000000u).offset, 0u);
}

}  // namespace
