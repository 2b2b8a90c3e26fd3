// The ozk tool as scripts use it: exit status, stdout and stderr.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

namespace fs = std::filesystem;

namespace {

struct Result {
    int status;
    std::string out;
    std::string err;
};

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void spit(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

class Ozk : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/ozk-test-XXXXXX";
        dir = ::mkdtemp(pattern);
    }
    void TearDown() override { fs::remove_all(dir); }

    Result run(const std::string& args, const std::string& input = "") {
        spit(dir / "stdin", input);
        const std::string command = std::string(OZK_PATH) + " " + args + " <" +
                                    (dir / "stdin").string() + " >" + (dir / "stdout").string() +
                                    " 2>" + (dir / "stderr").string();
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(dir / "stdout"),
                slurp(dir / "stderr")};
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }

    fs::path dir;
};

std::string replaceFirst(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

}  // namespace

TEST_F(Ozk, HelpAndVersion) {
    const Result help = run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("dump"), std::string::npos);
    EXPECT_NE(help.out.find("build"), std::string::npos);
    const Result version = run("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(std::regex_search(version.out, std::regex("^ozk [0-9]+\\.[0-9]+")));
    for (const char* bad : {"", "frobnicate", "dump", "build x.json", "dump a b"}) {
        const Result r = run(bad);
        EXPECT_EQ(r.status, 1) << bad;
        EXPECT_TRUE(r.out.empty()) << bad;
        EXPECT_FALSE(r.err.empty()) << bad;
    }
}

TEST_F(Ozk, DumpThenBuildGivesBackTheSameBytes) {
    ASSERT_EQ(run("new --seed 11 -o " + path("a.ozk")).status, 0);
    const Result dumped = run("dump " + path("a.ozk"));
    ASSERT_EQ(dumped.status, 0) << dumped.err;
    EXPECT_TRUE(dumped.err.empty());
    spit(dir / "a.json", dumped.out);
    ASSERT_EQ(run("build " + path("a.json") + " -o " + path("b.ozk")).status, 0);
    EXPECT_EQ(slurp(dir / "a.ozk"), slurp(dir / "b.ozk"));

    // From standard input, as a pipe in a script.
    const Result piped = run("build - -o " + path("c.ozk"), dumped.out);
    ASSERT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(slurp(dir / "a.ozk"), slurp(dir / "c.ozk"));

    // The same seed makes the same setup; a new one is playable at once.
    ASSERT_EQ(run("new --seed 11 -o " + path("d.ozk")).status, 0);
    EXPECT_EQ(slurp(dir / "a.ozk"), slurp(dir / "d.ozk"));
    EXPECT_NE(dumped.out.find("\"portName\": \"MIDI Mapper\""), std::string::npos);
}

TEST_F(Ozk, DumpShowsEveryKeyOneSamplePerLine) {
    ASSERT_EQ(run("new --seed 2 -o " + path("a.ozk")).status, 0);
    const std::string json = run("dump " + path("a.ozk")).out;
    for (const char* key :
         {"fileVersion\": 2.9,", "tempoUnit", "tempoBpm\": 126.0", "deviceId\": -1", "channel",
          "editMeasure", "mute", "baseColor", "windowLeft", "windowTop", "measureLength",
          "polyphonic", "volume\": 80", "transpose\": 0", "portName", "measures", "nextMeasure",
          "repeatCount", "samples"}) {
        EXPECT_NE(json.find(std::string("\"") + key), std::string::npos) << key;
    }
    const std::regex sample(
        R"(\n        \{"on": [0-9]+, "notes": \[-?[0-9]+\], "program": [0-9]+, "velocity": [0-9]+, "pan": [0-9]+, "duration": [0-9]+\})");
    EXPECT_EQ(std::distance(std::sregex_iterator(json.begin(), json.end(), sample),
                            std::sregex_iterator()),
              128);
}

TEST_F(Ozk, BadJsonIsRefusedWithTheKeyItConcerns) {
    ASSERT_EQ(run("new --seed 5 -o " + path("a.ozk")).status, 0);
    const std::string good = run("dump " + path("a.ozk")).out;
    const std::string sample1 = R"({"on": 1, "notes": [)";
    const struct {
        std::string json;
        std::string message;
    } cases[] = {
        {replaceFirst(good, "\"channel\": 1,\n", ""), "missing key \"channel\""},
        {replaceFirst(good, "\"tempoBpm\": 126.0", "\"tempoBpm\": \"fast\""), "tempoBpm"},
        {replaceFirst(good, "\"tempoBpm\": 126.0", "\"tempoBpm\": 0.1"), "tempoBpm"},
        {replaceFirst(good, "\"channel\": 1", "\"channel\": 17"),
         "channel: expected a whole number from 1 to 16"},
        {replaceFirst(good, "\"volume\": 80", "\"volume\": 80.5"), "volume"},
        {replaceFirst(good, "\"volume\": 80", "\"volume\": 40000"), "volume"},
        {replaceFirst(good, "\"mute\": 0", "\"mute\": false"), "mute"},
        {replaceFirst(good, "\"measures\": [", "\"measures\": [], \"x\": ["),
         "measures: expected a list of 8 measures, got a list of 0"},
        {replaceFirst(good, "\"repeatCount\": 1", "\"repeatCount\": -1"),
         "measures[0].repeatCount"},
        {replaceFirst(good, "\"nextMeasure\": 0", "\"nextMeasure\": 8"), "measures[0].nextMeasure"},
        {replaceFirst(good, sample1, R"({"on": 1, "notes": [1.5, )"),
         "measures[0].samples[0].notes[0]"},
        {replaceFirst(good, sample1, R"({"on": 1, "pitch": 3, "notes": [)"),
         "measures[0].samples[0]: unknown key \"pitch\""},
        {replaceFirst(good, "\"tempoUnit\"", "\"tempo\": 1, \"tempoUnit\""),
         "unknown key \"tempo\""},
        {replaceFirst(good, "\"baseColor\": 0", "\"baseColor\": -1"), "baseColor"},
        {good.substr(0, good.size() / 2), "parse error"},
        {"[]", "expected an object"},
    };
    for (const auto& c : cases) {
        const Result r = run("build - -o " + path("out.ozk"), c.json);
        EXPECT_EQ(r.status, 1) << c.message;
        EXPECT_TRUE(r.out.empty());
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir / "out.ozk")) << c.message;
    }
}

TEST_F(Ozk, FilesThatCannotBeReadOrWritten) {
    spit(dir / "short.ozk", "\x9a\x99\x39\x40\x00");
    const Result shortFile = run("dump " + path("short.ozk"));
    EXPECT_EQ(shortFile.status, 1);
    EXPECT_TRUE(shortFile.out.empty());
    EXPECT_NE(shortFile.err.find("the file ends too early"), std::string::npos) << shortFile.err;

    const Result missing = run("dump " + path("none.ozk"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find(path("none.ozk")), std::string::npos) << missing.err;

    const Result unwritable = run("new -o " + path("no/such/folder.ozk"));
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("Could not save"), std::string::npos) << unwritable.err;
}

namespace {

struct MidiEvent {
    std::uint32_t tick;
    std::vector<int> bytes;
};

// Reads a format 0 file as the exporter writes it (no running status).
std::vector<MidiEvent> readMidiFile(const std::string& file, std::uint32_t& tempo) {
    auto u = [&](std::size_t at) { return static_cast<std::uint8_t>(file.at(at)); };
    EXPECT_EQ(file.substr(0, 4), "MThd");
    EXPECT_EQ(u(9), 0);    // format 0
    EXPECT_EQ(u(11), 1);   // one track
    EXPECT_EQ(u(13), 96);  // ticks per quarter
    EXPECT_EQ(file.substr(14, 4), "MTrk");
    const std::size_t length = (u(18) << 24) | (u(19) << 16) | (u(20) << 8) | u(21);
    EXPECT_EQ(file.size(), 22 + length);
    std::vector<MidiEvent> events;
    std::uint32_t tick = 0;
    for (std::size_t at = 22; at < file.size();) {
        std::uint32_t delta = 0;
        do {
            delta = (delta << 7) | (u(at) & 0x7F);
        } while (u(at++) & 0x80);
        tick += delta;
        if (u(at) == 0xFF) {
            if (u(at + 1) == 0x51) {
                tempo = (u(at + 3) << 16) | (u(at + 4) << 8) | u(at + 5);
            }
            at += 3 + u(at + 2);
            continue;
        }
        const int size = (u(at) & 0xF0) == 0xC0 ? 2 : 3;
        MidiEvent e{tick, {}};
        for (int i = 0; i < size; ++i) {
            e.bytes.push_back(u(at++));
        }
        events.push_back(e);
    }
    return events;
}

}  // namespace

TEST_F(Ozk, ExportWritesOneCycleOfTheChainAsAMidiFile) {
    // Measure 0 plays twice, then measure 1 once, which chains back to measure 0.
    ASSERT_EQ(run("new --seed 3 -o " + path("a.ozk")).status, 0);
    std::string json = run("dump " + path("a.ozk")).out;
    json = replaceFirst(json, "\"measureLength\": 16", "\"measureLength\": 2");
    json = replaceFirst(json, "\"tempoBpm\": 126.0", "\"tempoBpm\": 120.0");
    json = replaceFirst(json, "\"repeatCount\": 1", "\"repeatCount\": 2");
    json = replaceFirst(json, "\"nextMeasure\": 0", "\"nextMeasure\": 1");
    json = replaceFirst(json, "\"nextMeasure\": 1,\n      \"repeatCount\": 1",
                        "\"nextMeasure\": 0,\n      \"repeatCount\": 1");
    ASSERT_EQ(run("build - -o " + path("b.ozk"), json).status, 0);
    const Result r = run("export " + path("b.ozk") + " -o " + path("b.mid"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.empty());

    std::uint32_t tempo = 0;
    const auto events = readMidiFile(slurp(dir / "b.mid"), tempo);
    EXPECT_EQ(tempo, 500000u);  // four steps of 124.9999935 ms
    std::vector<std::uint32_t> noteOnTicks;
    for (const MidiEvent& e : events) {
        if ((e.bytes[0] & 0xF0) == 0x90 && e.bytes[2] != 0) {
            noteOnTicks.push_back(e.tick);
        }
    }
    // Six steps of 24 ticks; each step of a random setup may be silent (velocity 0).
    for (std::uint32_t t : noteOnTicks) {
        EXPECT_EQ(t % 24, 0u);
        EXPECT_LT(t, 6u * 24);
    }
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().bytes, (std::vector<int>{0xB0, 123, 0}));
    EXPECT_EQ(events.back().tick, 6u * 24);

    const Result counted = run("export " + path("b.ozk") + " -o " + path("c.mid") + " --steps 3");
    ASSERT_EQ(counted.status, 0) << counted.err;
    EXPECT_EQ(readMidiFile(slurp(dir / "c.mid"), tempo).back().tick, 3u * 24);
}

TEST_F(Ozk, PortsAndPlay) {
    const Result ports = run("ports");
    EXPECT_EQ(ports.status, 0);
    EXPECT_TRUE(ports.out.ends_with("-1\tMIDI Mapper\n")) << ports.out;

    ASSERT_EQ(run("new --seed 3 -o " + path("a.ozk")).status, 0);
    const Result played = run("play " + path("a.ozk") + " --steps 3 --port Nowhere");
    EXPECT_EQ(played.status, 0) << played.err;
    EXPECT_NE(played.err.find("Could not find port: Nowhere"), std::string::npos) << played.err;
    EXPECT_TRUE(played.out.starts_with("played 3 steps")) << played.out;

    EXPECT_EQ(run("play " + path("a.ozk") + " --steps 3 --seconds 1").status, 1);
    EXPECT_EQ(run("play " + path("none.ozk") + " --steps 3").status, 1);
}

TEST_F(Ozk, PlayStopsCleanlyOnInterrupt) {
    ASSERT_EQ(run("new --seed 3 -o " + path("a.ozk")).status, 0);
    // Started in the background and interrupted as Ctrl+C would.
    const std::string command = std::string(OZK_PATH) + " play " + path("a.ozk") +
                                " --seconds 30 >" + path("out") + " 2>" + path("err") +
                                " & pid=$!; sleep 1; kill -INT $pid; wait $pid";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 0) << slurp(dir / "err");
    const std::string out = slurp(dir / "out");
    EXPECT_TRUE(out.starts_with("played ")) << out;
    EXPECT_NE(out.find(" s at 126 beats per minute"), std::string::npos) << out;
}
