#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/jack_event_placer.h"
#include "platform/midi_backend.h"
#include "platform/midi_event_queue.h"

#include <jack/types.h>

namespace platform {

struct JackMidiOptions {
    std::string clientName = "thrumbleworx";
    // How late after its stamp the engine may hand over a message (midi_output.h).
    std::int64_t senderMarginNs = kDefaultSenderMarginNs;
};

// Where CLOCK_MONOTONIC and JACK's own clock (jack_get_time, microseconds) stand to each other:
// jack_get_time() * 1000 = CLOCK_MONOTONIC + offsetNs, to within +-uncertaintyNs.
struct JackClockRelation {
    std::int64_t offsetNs = 0;
    std::int64_t uncertaintyNs = 0;
};

// Reads both clocks `samples` times, each JACK reading between two monotonic ones, and keeps the
// reading with the narrowest bracket.
JackClockRelation measureJackClock(int samples);

// JACK MIDI: one client per running copy with one MIDI output port. The devices are the MIDI
// inputs of the other clients; opening one connects our port to it. Never starts a server.
//
// Timing: every message goes at the frame of (stamp + latency), where the latency is constant
// for a given server period: senderMarginNs plus one period, so that a message handed over up to
// senderMarginNs after its stamp still reaches the process callback of the cycle that holds its
// frame. Messages travel to the callback through a queue for many producers that never blocks
// it; the callback writes them in the order sent, never one before an earlier one, and a late
// one at the first frame still free. The port reports that latency to the server as its capture
// latency, so that a client recording it can line the messages up with the beat they belong to.
//
// When the server goes away while ports are open, a watcher thread tries every half second
// to reach one again, and then reconnects every open port to its device by name; a device that
// goes and comes back (its program restarted) is reconnected when its port reappears. Messages
// sent while the server is gone are dropped: they would all sound at once when it came back.
class JackMidiBackend final : public MidiBackend {
public:
    explicit JackMidiBackend(JackMidiOptions options = {});
    ~JackMidiBackend() override;

    std::vector<std::string> deviceNames() override;
    std::unique_ptr<MidiDevicePort> open(const std::string& name) override;

    // Whether a JACK server answered (the client is open and running).
    bool connected();
    // Full name of our output port ("thrumbleworx:out"), empty without a server.
    std::string portName();
    std::int64_t latencyNs() const { return latencyNs_.load(std::memory_order_relaxed); }
    // jack_get_time() * 1000 - CLOCK_MONOTONIC as the callback currently estimates it.
    std::int64_t clockOffsetNs() const { return offsetNs_.load(std::memory_order_relaxed); }
    MidiDeviceCounts counts() const;

private:
    class Port;
    struct Event {
        std::uint32_t packed = 0;
        std::int64_t stampNs = 0;
        std::int64_t handedOverNs = 0;  // when the sender gave it to us
        std::uint64_t sequence = 0;
    };
    static constexpr std::size_t kQueueCapacity = 4096;

    bool ensureClient();  // control_ held
    // control_ held. keepConnections: the ports stay open and are connected again by the next
    // client.
    void closeClient(bool keepConnections = false);
    void watch();           // the watcher thread
    void connectMissing();  // control_ held
    void startWatcher();    // control_ held
    void connectTo(const std::string& target);
    void disconnectFrom(const std::string& target);
    std::uint64_t enqueue(std::uint32_t packed, std::int64_t stampNs, std::int64_t nowNs);
    void waitUntilDelivered(std::uint64_t sequence);
    void updateLatency(std::uint32_t frames);

    struct CallbackGate;
    // Runs `f` on the backend unless the client whose callback this is has been shut out.
    template <typename F>
    static void through(void* gate, F&& f);
    static int processThunk(std::uint32_t frames, void* gate);
    static int bufferSizeThunk(std::uint32_t frames, void* gate);
    static void shutdownThunk(void* gate);
    static void latencyThunk(jack_latency_callback_mode_t mode, void* gate);
    static void portRegistrationThunk(jack_port_id_t port, int registered, void* gate);
    void process(std::uint32_t frames);
    void trackClock();
    void updateTimeline(std::uint32_t cycleStart, std::uint32_t frames);
    std::uint32_t frameAt(std::int64_t jackNs) const;

    const JackMidiOptions options_;
    std::mutex control_;
    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    std::map<std::string, int> connections_;  // target port -> open ports on it
    int openPorts_ = 0;
    std::atomic<bool> alive_{false};
    std::atomic<bool> serverGone_{false};  // the server shut our client down
    CallbackGate* gate_ = nullptr;         // what the current client's callbacks are given
    std::condition_variable watcherWake_;  // with control_
    std::atomic<bool> portsChanged_{false};
    std::thread watcher_;
    bool stopping_ = false;  // control_ held

    MidiEventQueue<Event, kQueueCapacity> queue_;
    std::atomic<std::uint64_t> nextSequence_{1};
    std::atomic<std::uint64_t> delivered_{0};
    std::atomic<std::uint64_t> cycles_{0};
    std::atomic<std::int64_t> latencyNs_{0};
    std::atomic<std::int64_t> offsetNs_{0};
    std::atomic<std::uint64_t> written_{0};
    std::atomic<std::uint64_t> late_{0};
    std::atomic<std::uint64_t> lateHandedOver_{0};
    std::atomic<std::uint64_t> dropped_{0};
    std::atomic<std::uint64_t> unsettledCycles_{0};

    double sampleRate_ = 48000;  // set before the callback first runs

    // The process callback's own state. The timeline maps JACK's clock to frames: the frame
    // at which the current cycle starts, that moment, and the frame rate the server measures.
    struct Timeline {
        std::uint32_t startFrame = 0;
        std::int64_t startNs = 0;
        double framesPerNs = 0;
    };
    Timeline timeline_;
    bool haveTimeline_ = false;
    JackEventPlacer placer_;
    Event held_;
    bool holding_ = false;
    std::uint32_t framesSinceClockCheck_ = 0;
};

}  // namespace platform
