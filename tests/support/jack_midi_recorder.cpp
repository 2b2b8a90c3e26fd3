// A JACK client with one MIDI input port that records every event it receives, for the
// integration tests and the timing figures. Each event is printed as one line
//   FRAME USECS STATUS DATA1 DATA2
// with FRAME the absolute frame (cycle start + offset), USECS that frame on JACK's clock, and
// the bytes in hex (missing ones as --). A first line "# rate R period P" gives the server's
// settings. It runs until SIGINT or SIGTERM, or for --seconds S, then prints what is left.
//
//   jack_midi_recorder [--name CLIENT] [--seconds S] [--output FILE]

#include <jack/jack.h>
#include <jack/midiport.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Received {
    jack_nframes_t frame;
    jack_time_t usecs;
    unsigned char bytes[3];
    int size;
};

constexpr std::size_t kCapacity = 1 << 20;
std::vector<Received> events(kCapacity);
std::atomic<std::size_t> count{0};
std::atomic<std::size_t> overflow{0};
jack_client_t* client = nullptr;
jack_port_t* input = nullptr;
volatile sig_atomic_t stopRequested = 0;

void onSignal(int) {
    stopRequested = 1;
}

int process(jack_nframes_t frames, void*) {
    void* buffer = jack_port_get_buffer(input, frames);
    const jack_nframes_t cycleStart = jack_last_frame_time(client);
    const std::uint32_t n = jack_midi_get_event_count(buffer);
    std::size_t next = count.load(std::memory_order_relaxed);
    for (std::uint32_t i = 0; i < n; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) != 0) {
            continue;
        }
        if (next == kCapacity) {
            overflow.fetch_add(1, std::memory_order_relaxed);
            continue;
        }
        Received& r = events[next++];
        r.frame = cycleStart + event.time;
        r.usecs = jack_frames_to_time(client, r.frame);
        r.size = static_cast<int>(event.size < 3 ? event.size : 3);
        std::memcpy(r.bytes, event.buffer, static_cast<std::size_t>(r.size));
    }
    count.store(next, std::memory_order_release);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string name = "recorder";
    double seconds = 0;
    std::FILE* out = stdout;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--name") {
            name = argv[i + 1];
        } else if (option == "--seconds") {
            seconds = std::atof(argv[i + 1]);
        } else if (option == "--output") {
            out = std::fopen(argv[i + 1], "w");
            if (out == nullptr) {
                std::perror(argv[i + 1]);
                return 2;
            }
        } else {
            std::fprintf(stderr, "unknown option %s\n", option.c_str());
            return 2;
        }
    }
    jack_status_t status{};
    client = jack_client_open(name.c_str(), JackNoStartServer, &status);
    if (client == nullptr) {
        std::fprintf(stderr, "no JACK server (status 0x%x)\n", static_cast<unsigned>(status));
        return 1;
    }
    input = jack_port_register(client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (input == nullptr || jack_set_process_callback(client, process, nullptr) != 0 ||
        jack_activate(client) != 0) {
        std::fprintf(stderr, "could not set up the client\n");
        return 1;
    }
    signal(SIGINT, onSignal);
    signal(SIGTERM, onSignal);
    std::fprintf(out, "# rate %u period %u port %s\n", jack_get_sample_rate(client),
                 jack_get_buffer_size(client), jack_port_name(input));
    std::fflush(out);

    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    std::size_t printed = 0;
    auto printNew = [&] {
        const std::size_t upTo = count.load(std::memory_order_acquire);
        for (; printed < upTo; ++printed) {
            const Received& r = events[printed];
            std::fprintf(out, "%u %llu", r.frame, static_cast<unsigned long long>(r.usecs));
            for (int b = 0; b < 3; ++b) {
                if (b < r.size) {
                    std::fprintf(out, " %02x", r.bytes[b]);
                } else {
                    std::fprintf(out, " --");
                }
            }
            std::fputc('\n', out);
        }
        std::fflush(out);
    };
    while (stopRequested == 0 && (seconds <= 0 || std::chrono::steady_clock::now() < end)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        printNew();
    }
    jack_deactivate(client);
    printNew();
    if (overflow.load() != 0) {
        std::fprintf(out, "# overflow %zu\n", overflow.load());
    }
    jack_client_close(client);
    if (out != stdout) {
        std::fclose(out);
    }
    return 0;
}
