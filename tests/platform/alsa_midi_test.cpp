// The ALSA sequencer backend as far as it can be tested without the kernel's sequencer.
#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <unistd.h>
#include <cctype>
#include <string>

#include "../support/case_name.h"
#include "platform/alsa_midi_backend.h"

namespace {

struct PortCase {
    const char* what;
    platform::AlsaPortInfo port;
    bool device;
};

class AlsaPorts : public testing::TestWithParam<PortCase> {};

constexpr unsigned kWritable = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;

TEST_P(AlsaPorts, OnlyOtherClientsWritableSubscribablePortsAreDevices) {
    const PortCase& c = GetParam();
    EXPECT_EQ(platform::isAlsaOutputDevice(c.port, 130), c.device) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Capabilities, AlsaPorts,
    testing::Values(
        PortCase{"synth input", {128, 0, kWritable, "FLUID Synth", "Synth input port"}, true},
        PortCase{
            "through port", {14, 0, kWritable | SND_SEQ_PORT_CAP_READ, "Midi Through", "p"}, true},
        PortCase{"our own port", {130, 0, kWritable, "thrumbleworx", "out"}, false},
        PortCase{"system client", {0, 1, kWritable, "System", "Announce"}, false},
        PortCase{"write without subscription",
                 {128, 1, SND_SEQ_PORT_CAP_WRITE, "Synth", "direct only"},
                 false},
        PortCase{"read only",
                 {20, 0, SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ, "Keys", "out"},
                 false},
        PortCase{
            "private", {129, 0, kWritable | SND_SEQ_PORT_CAP_NO_EXPORT, "App", "internal"}, false}),
    caseName<PortCase>);

TEST(AlsaNames, ClientAndPortNamesAreKeptWhole) {
    const platform::AlsaPortInfo port{20, 0, kWritable, "A very long client name for a device",
                                      "and an equally long port name"};
    EXPECT_EQ(platform::alsaDeviceName(port),
              "A very long client name for a device:and an equally long port name");
}

TEST(AlsaWithoutSequencer, NoDevicesAndOpenFails) {
    if (access("/dev/snd/seq", F_OK) == 0) {
        GTEST_SKIP() << "this system has a sequencer";
    }
    platform::AlsaMidiBackend backend;
    EXPECT_TRUE(backend.deviceNames().empty());
    EXPECT_EQ(backend.open("Midi Through:Midi Through Port-0"), nullptr);
    EXPECT_TRUE(backend.deviceNames().empty());
}

}  // namespace
