// `ozk play` on a private JACK server, heard by a recording client.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "jack_server.h"

namespace fs = std::filesystem;

namespace {

std::string sampleLine(int step) {
    // Every step sounds one note of its own, for one step.
    return "{\"on\": 1, \"notes\": [" + std::to_string(step) +
           "], \"program\": -1, \"velocity\": 100, \"pan\": 64, \"duration\": 1}";
}

std::string setupJson(const std::string& port) {
    std::string measures;
    for (int m = 0; m < 8; ++m) {
        std::string samples;
        for (int s = 0; s < 16; ++s) {
            samples += (s ? ",\n" : "") + sampleLine(s);
        }
        measures += std::string(m ? ",\n" : "") + "{\"nextMeasure\": " + std::to_string(m) +
                    ", \"repeatCount\": 1, \"samples\": [" + samples + "]}";
    }
    return "{\"tempoUnit\": 0, \"tempoBpm\": 600.0, \"deviceId\": 0, \"channel\": 3,"
           "\"editMeasure\": 0, \"mute\": 0, \"baseColor\": 0, \"windowLeft\": 0,"
           "\"windowTop\": 0, \"measureLength\": 16, \"polyphonic\": 1, \"volume\": 100,"
           "\"transpose\": 0, \"portName\": \"" +
           port + "\", \"measures\": [" + measures + "]}";
}

}  // namespace

TEST(OzkPlayOnJack, TheRecorderHearsEveryStepInOrderAtTheTempo) {
    std::string error;
    auto server = testsupport::JackServer::start({48000, 64}, &error);
    ASSERT_TRUE(server) << error;
    auto recorder = testsupport::JackRecorder::start("rec", &error);
    ASSERT_TRUE(recorder) << error;

    char pattern[] = "/tmp/ozk-jack-XXXXXX";
    const fs::path dir = ::mkdtemp(pattern);
    std::ofstream(dir / "loop.json") << setupJson(recorder->portName());
    const std::string ozk = OZK_PATH;
    ASSERT_EQ(std::system((ozk + " build " + (dir / "loop.json").string() + " -o " +
                           (dir / "loop.ozk").string())
                              .c_str()),
              0);
    // The file names the port: play finds it among the JACK devices.
    const int status = std::system(
        (ozk + " play " + (dir / "loop.ozk").string() + " --steps 40 >/dev/null").c_str());
    EXPECT_EQ(status, 0);
    const auto events = recorder->stop();
    fs::remove_all(dir);

    std::vector<testsupport::RecordedEvent> noteOns;
    for (const auto& e : events) {
        ASSERT_EQ(e.bytes.size(), 3u);
        EXPECT_EQ(e.bytes[0] & 0x0F, 2) << "channel 3";
        if ((e.bytes[0] & 0xF0) == 0x90 && e.bytes[2] != 0) {
            noteOns.push_back(e);
        }
    }
    ASSERT_EQ(noteOns.size(), 40u);
    for (std::size_t i = 0; i < noteOns.size(); ++i) {
        EXPECT_EQ(noteOns[i].bytes[1], 60 + i % 16) << i;
    }
    // A step every 25 ms. Single onsets may move with the machine's load, so only the pace
    // is checked here: the notes come one by one at the tempo, not in bursts.
    const double spanUs = static_cast<double>(noteOns.back().usecs - noteOns.front().usecs);
    EXPECT_NEAR(spanUs / (noteOns.size() - 1), 25'000.0, 500.0);
    // Each step ends the note before it, and stop ends everything.
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().bytes, (std::vector<std::uint8_t>{0xB2, 123, 0}));
}
