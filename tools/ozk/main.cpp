// ozk: reads, writes and makes Thrumbleworx settings files without a display.
//
//   ozk dump FILE.ozk             the setup as JSON on stdout
//   ozk build FILE.json -o OUT    a settings file from JSON ("-" reads stdin)
//   ozk new -o OUT [--seed N]     a new setup with random steps
//   ozk ports                     the MIDI output devices
//   ozk play FILE [--port NAME] [--seconds S | --steps N]
//   ozk export FILE -o OUT.mid [--steps N]
//
// Exit status 0 on success, 1 on any error (the message goes to stderr, nothing to stdout).

#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <sstream>

#include "document/setup_file_io.h"
#include "platform/file_io.h"
#include "playback_commands.h"
#include "setup_json.h"

namespace {

// The window a settings file describes, kept as plain values.
class PlainHost : public SetupFileHost {
public:
    WindowPlacement placement;

    WindowPlacement windowPlacement() const override { return placement; }
    void refreshAfterRead(CSetupDoc&, const SetupFileContents& read) override {
        placement = {read.baseColor, read.windowLeft, read.windowTop};
    }
    void showTitle(const CSetupDoc&) override {}
};

int fail(const std::string& message) {
    std::cerr << "ozk: " << message << "\n";
    return 1;
}

int dump(const std::string& path) {
    CSetupDoc doc;
    PlainHost host;
    if (auto error = readSetupFile(doc, path, host)) {
        return fail(*error);
    }
    std::cout << setupToJson(captureSetupFile(doc, host.placement));
    return std::cout.flush() ? 0 : fail("could not write to standard output");
}

std::optional<std::string> readText(const std::string& path, std::string& text) {
    if (path == "-") {
        std::ostringstream all;
        all << std::cin.rdbuf();
        text = all.str();
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    if (auto error = platform::readFileBytes(path, bytes, maxSetupFileBytes * 8)) {
        return "could not read \"" + path + "\": " + *error + ".";
    }
    text.assign(bytes.begin(), bytes.end());
    return std::nullopt;
}

int build(const std::string& jsonPath, const std::string& outPath) {
    std::string text;
    if (auto error = readText(jsonPath, text)) {
        return fail(*error);
    }
    CSetupDoc doc;
    PlainHost host;
    SetupFileContents contents = captureSetupFile(doc, host.placement);
    if (auto error = setupFromJson(text, contents)) {
        return fail((jsonPath == "-" ? std::string("standard input") : jsonPath) + ": " + *error);
    }
    commitSetupFile(contents, doc);
    host.placement = {contents.baseColor, contents.windowLeft, contents.windowTop};
    if (auto error = writeSetupFile(doc, outPath, host)) {
        return fail(*error);
    }
    return 0;
}

int makeNew(const std::string& outPath, std::optional<unsigned> seed) {
    if (seed) {
        std::srand(*seed);
    }
    CSetupDoc doc;
    fillNewSetup(doc);
    doc.midiOut.deviceId = MIDI_MAPPER_ID;
    doc.midiOut.portName = MIDI_MAPPER_NAME;
    PlainHost host;
    if (auto error = writeSetupFile(doc, outPath, host)) {
        return fail(*error);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Reads, writes and makes Thrumbleworx settings files (.ozk).", "ozk"};
    app.set_version_flag("--version", std::string("ozk ") + THRUMBLEWORX_VERSION);
    app.require_subcommand(1);

    std::string dumpPath;
    auto* dumpCmd = app.add_subcommand("dump", "Print a settings file as JSON on standard output");
    dumpCmd->add_option("FILE", dumpPath, "settings file to read")->required();

    std::string jsonPath, buildOut;
    auto* buildCmd = app.add_subcommand("build", "Write a settings file from JSON");
    buildCmd->add_option("FILE", jsonPath, "JSON file as ozk dump prints it; - reads stdin")
        ->required();
    buildCmd->add_option("-o,--output", buildOut, "settings file to write")->required();

    std::string newOut;
    std::optional<unsigned> seed;
    auto* newCmd = app.add_subcommand("new", "Write a new setup with random steps");
    newCmd->add_option("-o,--output", newOut, "settings file to write")->required();
    newCmd->add_option("--seed", seed, "seed of the random steps (the same seed, the same setup)");

    app.add_subcommand("ports", "List the MIDI output devices, one per line: INDEX<TAB>NAME");

    PlayOptions play;
    auto* playCmd = app.add_subcommand("play", "Play a settings file until it is stopped");
    playCmd->add_option("FILE", play.path, "settings file to play")->required();
    playCmd->add_option("--port", play.port, "output port (default: the one the file names)");
    auto* secondsOpt =
        playCmd->add_option("--seconds", play.seconds, "stop after this many seconds")
            ->check(CLI::PositiveNumber);
    playCmd->add_option("--steps", play.steps, "stop after this many steps")
        ->check(CLI::PositiveNumber)
        ->excludes(secondsOpt);
    playCmd
        ->add_option("--margin", play.marginMs,
                     "milliseconds a step's messages may be handed over after their moment and "
                     "still be placed exactly (default 1.25; adds to the output's latency)")
        ->check(CLI::Range(0.0, 100.0));
    playCmd->add_flag("--stats", play.stats,
                      "after the summary, print how late the messages were handed over and what "
                      "the device counted");

    std::string exportPath, exportOut;
    std::optional<long> exportSteps;
    auto* exportCmd =
        app.add_subcommand("export", "Write what a settings file plays as a Standard MIDI File");
    exportCmd->add_option("FILE", exportPath, "settings file to play")->required();
    exportCmd->add_option("-o,--output", exportOut, "MIDI file to write")->required();
    exportCmd->add_option("--steps", exportSteps,
                          "steps to play (default: one cycle of the measure chain)");

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 1;
    }
    if (*dumpCmd) {
        return dump(dumpPath);
    }
    if (*buildCmd) {
        return build(jsonPath, buildOut);
    }
    if (app.got_subcommand("ports")) {
        return listPorts();
    }
    if (*playCmd) {
        return playFile(play);
    }
    if (*exportCmd) {
        return exportMidiFile(exportPath, exportOut, exportSteps);
    }
    return makeNew(newOut, seed);
}
