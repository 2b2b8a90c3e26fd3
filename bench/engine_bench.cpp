// The cost of one step on the timer thread, and of a tick when no step is due.
#include <benchmark/benchmark.h>

#include "engine/play_engine.h"
#include "platform/manual_clock.h"

namespace {

// Sends go nowhere, at the cost of a virtual call, as with a port that queues them.
class NullOutput final : public platform::MidiOutput {
public:
    std::vector<std::string> deviceNames() override { return {}; }
    platform::MidiOutHandle open(int) override { return 1; }
    platform::MidiOutHandle reopen(platform::MidiOutHandle h, int) override { return h; }
    void close(platform::MidiOutHandle) override {}
    void send(platform::MidiOutHandle, std::uint32_t packed, std::int64_t) override {
        benchmark::DoNotOptimize(packed);
    }
};

struct Rig {
    Rig() : timer(makeSimulatedTimer(clock, ticks)), engine(setup, host, bus, midi, *timer) {
        engine.wireUp();
    }
    CSetupDoc setup;
    SilentEngineHost host;
    LoneInstanceBus bus{host};
    NullOutput midi;
    platform::ManualClock clock;
    ManualTickSource ticks;
    std::unique_ptr<CHiResTimer> timer;
    CPlayEngine engine;
};

}  // namespace

static void BM_PlayStep(benchmark::State& state) {
    Rig rig;
    for (CMeasure& m : rig.setup.measures) {
        for (CSample& s : m.samples) {
            s.notes.assign(std::vector<std::int32_t>(static_cast<std::size_t>(state.range(0)), 0));
            for (std::size_t i = 0; i < s.notes.size(); ++i) {
                s.notes.set(i, static_cast<std::int32_t>(i * 4));
            }
            s.duration = 4;
        }
    }
    for (auto _ : state) {
        rig.engine.playStep();
    }
}
BENCHMARK(BM_PlayStep)->Arg(1)->Arg(3)->Arg(8);

static void BM_TickWithNoStepDue(benchmark::State& state) {
    Rig rig;
    rig.engine.startPlayback();
    for (auto _ : state) {
        rig.engine.tick();
    }
}
BENCHMARK(BM_TickWithNoStepDue);
