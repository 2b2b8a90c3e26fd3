#include "playback_commands.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <set>
#include <tuple>

#include "document/setup_file_io.h"
#include "engine/play_engine.h"
#include "headless_window.h"
#include "midi_file.h"
#include "platform/clock.h"
#include "platform/file_io.h"
#include "platform/manual_clock.h"
#include "platform/recording_midi_output.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) {
    stopRequested = 1;
}

int fail(const std::string& message) {
    std::cerr << "ozk: " << message << "\n";
    return 1;
}

constexpr long maxExportSteps = 4096;
constexpr std::uint32_t ticksPerStep = ticksPerQuarter / 4;

}  // namespace

int listPorts() {
    const auto midi = platform::makeSystemMidiOutput();
    const auto names = midi->deviceNames();
    std::string out;
    for (std::size_t i = 0; i < names.size(); ++i) {
        out += std::to_string(i) + "\t" + names[i] + "\n";
    }
    out += std::string("-1\t") + MIDI_MAPPER_NAME + "\n";
    std::cout << out << std::flush;
    return 0;
}

namespace {

std::string deliveryReport(const platform::MidiDeliveryStats& stats, std::int64_t latencyNs) {
    const auto ms = [](std::int64_t ns) { return static_cast<double>(ns) / 1e6; };
    char line[512];
    int length = std::snprintf(
        line, sizeof line,
        "delivery: %llu step messages handed over after their moment by p50 %.2f ms, p99 %.2f "
        "ms, p99.9 %.2f ms, max %.2f ms; latency %.3f ms",
        static_cast<unsigned long long>(stats.stamped), ms(stats.handOverP50Ns),
        ms(stats.handOverP99Ns), ms(stats.handOverP999Ns), ms(stats.handOverMaxNs), ms(latencyNs));
    if (stats.device && length > 0 && static_cast<std::size_t>(length) < sizeof line) {
        std::snprintf(line + length, sizeof line - static_cast<std::size_t>(length),
                      "; device: %llu written, %llu late (%llu of them handed over late), %llu "
                      "dropped, %llu unsettled cycles",
                      static_cast<unsigned long long>(stats.device->written),
                      static_cast<unsigned long long>(stats.device->late),
                      static_cast<unsigned long long>(stats.device->lateHandedOver),
                      static_cast<unsigned long long>(stats.device->dropped),
                      static_cast<unsigned long long>(stats.device->unsettledCycles));
    }
    return std::string(line) + "\n";
}

}  // namespace

int playFile(const PlayOptions& options) {
    platform::SystemMidiOptions midiOptions;
    if (options.marginMs) {
        midiOptions.senderMarginNs = static_cast<std::int64_t>(*options.marginMs * 1e6);
    }
    const auto midi = platform::makeSystemMidiOutput(midiOptions);
    ThreadTickSource ticks;
    CHiResTimer timer(platform::systemClock(), ticks);
    CSetupDoc setup;
    HeadlessWindow window;
    LoneInstanceBus bus(window);
    CPlayEngine engine(setup, window, bus, *midi, timer);
    window.engine = &engine;
    engine.wireUp();
    if (auto error = readSetupFile(setup, options.path, window)) {
        engine.releasePort();
        return fail(*error);
    }
    if (options.port) {
        engine.releasePort();
        engine.selectPort(*options.port);
    }
    window.dispatch(std::chrono::milliseconds(0));

    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    const auto started = std::chrono::steady_clock::now();
    engine.startPlayback();
    for (;;) {
        window.dispatch(std::chrono::milliseconds(20));
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        if (stopRequested || (options.seconds && elapsed >= *options.seconds) ||
            (options.steps && static_cast<long>(engine.stepsPlayed()) >= *options.steps)) {
            break;
        }
    }
    engine.stopPlayback();
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const std::string port = setup.midiOut.portName;
    const bool silent = setup.midiOut.handle == noMidiOutHandle;
    const platform::MidiDeliveryStats delivery = midi->deliveryStats(setup.midiOut.handle);
    const std::int64_t latencyNs = midi->latencyNs(setup.midiOut.handle);
    engine.releasePort();
    window.dispatch(std::chrono::milliseconds(0));
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);

    char summary[256];
    std::snprintf(summary, sizeof summary,
                  "played %llu steps in %.1f s at %g beats per minute on %s%s\n",
                  static_cast<unsigned long long>(engine.stepsPlayed()), elapsed, setup.tempoBpm,
                  port.c_str(), silent ? " (the port could not be opened: nothing sounded)" : "");
    std::cout << summary;
    if (options.stats) {
        std::cout << deliveryReport(delivery, latencyNs);
    }
    std::cout << std::flush;
    return 0;
}

int exportMidiFile(const std::string& path, const std::string& out, std::optional<long> steps) {
    if (steps && (*steps < 1 || *steps > 1'000'000)) {
        return fail("--steps must be from 1 to 1000000");
    }
    // The step clock in simulated time: the same engine and time base, a clock that moves only
    // when told, and a port that records.
    platform::ManualClock clock;
    ManualTickSource ticks;
    const auto timerOwner = makeSimulatedTimer(clock, ticks);
    CHiResTimer& timer = *timerOwner;
    platform::RecordingMidiOutput midi;
    CSetupDoc setup;
    HeadlessWindow window;
    window.choosePortFromFile = false;
    LoneInstanceBus bus(window);
    CPlayEngine engine(setup, window, bus, midi, timer);
    window.engine = &engine;
    engine.wireUp();
    if (auto error = readSetupFile(setup, path, window)) {
        return fail(*error);
    }
    midi.clearMessages();
    setup.repeatCounter = 0;

    std::vector<TimedMessage> timed;
    std::size_t taken = 0;
    auto takeMessages = [&](std::uint32_t tick) {
        const auto all = midi.messages();
        for (; taken < all.size(); ++taken) {
            timed.push_back({tick, all[taken].status, all[taken].data1, all[taken].data2});
        }
    };
    // Without a step count, one cycle of the chain: until the position repeats.
    using Position = std::tuple<int, int, int>;
    std::set<Position> seen;
    auto position = [&] {
        return Position{setup.playMeasure, setup.midiOut.currentStep, setup.repeatCounter};
    };
    seen.insert(Position{setup.editMeasure, 0, 0});

    engine.startPlayback();
    long played = 1;
    takeMessages(0);
    const long limit = steps ? *steps : maxExportSteps;
    while (played < limit && (steps || seen.insert(position()).second)) {
        const auto before = engine.stepsPlayed();
        while (engine.stepsPlayed() == before) {
            clock.advanceMs(1);
            ticks.fire();
        }
        takeMessages(static_cast<std::uint32_t>(played) * ticksPerStep);
        ++played;
        window.dispatch(std::chrono::milliseconds(0));
    }
    engine.stopPlayback();
    takeMessages(static_cast<std::uint32_t>(played) * ticksPerStep);

    const double quarterUs = 4.0 * CPlayEngine::stepPeriod(setup.tempoBpm) * 1000.0;
    const auto bytes = standardMidiFile(
        timed,
        static_cast<std::uint32_t>(std::min(quarterUs + 0.5, double{maxMicrosecondsPerQuarter})));
    if (auto error = platform::writeFileDurably(out, bytes)) {
        return fail("Could not save \"" + out + "\": " + *error + ".");
    }
    return 0;
}
