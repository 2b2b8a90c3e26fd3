// Measures how JACK's clock (jack_get_time) relates to CLOCK_MONOTONIC and CLOCK_MONOTONIC_RAW
// on this machine, against a running JACK server:
//   jack_clock_relation [SECONDS]
// Prints the offset (jack - clock) at the start and the end of the run, with its uncertainty,
// and the drift between the two in parts per million.
#include <jack/jack.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

struct Reading {
    double offsetUs;
    double uncertaintyUs;
};

std::int64_t readNs(clockid_t id) {
    timespec ts{};
    clock_gettime(id, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// The JACK reading between two readings of `id`, the narrowest bracket of many.
Reading relation(clockid_t id) {
    Reading best{0, 1e18};
    for (int i = 0; i < 2000; ++i) {
        const std::int64_t before = readNs(id);
        const auto jack = static_cast<std::int64_t>(jack_get_time());
        const std::int64_t after = readNs(id);
        const double half = (after - before) / 2000.0 + 0.5;  // + microsecond rounding
        if (half < best.uncertaintyUs) {
            best = {static_cast<double>(jack) + 0.5 - (before + after) / 2000.0, half};
        }
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    jack_status_t status{};
    jack_client_t* client = jack_client_open("clock-relation", JackNoStartServer, &status);
    if (client == nullptr) {
        std::fprintf(stderr, "no JACK server\n");
        return 1;
    }
    const Reading mono0 = relation(CLOCK_MONOTONIC);
    const Reading raw0 = relation(CLOCK_MONOTONIC_RAW);
    const std::int64_t start = readNs(CLOCK_MONOTONIC);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const Reading mono1 = relation(CLOCK_MONOTONIC);
    const Reading raw1 = relation(CLOCK_MONOTONIC_RAW);
    const double elapsedUs = (readNs(CLOCK_MONOTONIC) - start) / 1000.0;
    for (const auto& [name, a, b] : {std::tuple{"CLOCK_MONOTONIC", mono0, mono1},
                                     std::tuple{"CLOCK_MONOTONIC_RAW", raw0, raw1}}) {
        std::printf(
            "%-20s offset %.1f us (+-%.1f) -> %.1f us (+-%.1f), drift %.2f ppm over %.0f s\n", name,
            a.offsetUs, a.uncertaintyUs, b.offsetUs, b.uncertaintyUs,
            (b.offsetUs - a.offsetUs) / elapsedUs * 1e6, elapsedUs / 1e6);
    }
    jack_client_close(client);
    return 0;
}
