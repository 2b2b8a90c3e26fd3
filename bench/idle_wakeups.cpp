// How often a copy that is not playing wakes up: the engine wired to the system's MIDI output,
// then counted for a while. Every thread's context switches are summed from /proc, so the JACK
// client's thread (if a server runs) and the built-in synth's audio thread (if it could start)
// count too.
//
//   idle_wakeups [SECONDS]
#include <dirent.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "engine/play_engine.h"
#include "platform/clock.h"

namespace {

long contextSwitches(int& threads) {
    long total = 0;
    threads = 0;
    DIR* dir = opendir("/proc/self/task");
    if (dir == nullptr) {
        return 0;
    }
    while (dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.') {
            continue;
        }
        ++threads;
        std::ifstream status(std::string("/proc/self/task/") + e->d_name + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.find("ctxt_switches:") != std::string::npos) {
                total += std::atol(line.substr(line.find(':') + 1).c_str());
            }
        }
    }
    closedir(dir);
    return total;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    auto midi = platform::makeSystemMidiOutput();
    ThreadTickSource ticks;
    CHiResTimer timer(platform::systemClock(), ticks);
    CSetupDoc setup;
    SilentEngineHost host;
    LoneInstanceBus bus(host);
    CPlayEngine engine(setup, host, bus, *midi, timer);
    engine.wireUp();
    std::this_thread::sleep_for(std::chrono::seconds(1));  // let start-up settle

    int threads = 0;
    const long before = contextSwitches(threads);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const long after = contextSwitches(threads);
    // The one wake-up that ends this thread's own sleep is left out.
    std::printf("%d threads, %.1f wake-ups per second while stopped (built-in synth %s)\n", threads,
                (after - before - 1) / seconds,
                setup.midiOut.handle != noMidiOutHandle ? "running" : "not running");
    engine.releasePort();
    return 0;
}
