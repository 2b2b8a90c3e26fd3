#include "platform/jack_midi_backend.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

#include "platform/clock.h"
#include "platform/jack_library.h"
#include "platform/midi_message.h"

namespace platform {

namespace {

// A stamp further ahead than this is taken as a mistake: waiting for it would hold up every
// later message, since none may overtake it.
constexpr std::int64_t kLongestLeadNs = 1'000'000'000;
// How long closing a port waits for its last messages to leave before disconnecting.
constexpr std::int64_t kDrainTimeoutNs = 500'000'000;
// How often the callback looks at the two clocks again (in frames at 48 kHz: half a second).
constexpr std::uint32_t kClockCheckFrames = 24'000;
// How often the watcher tries to reach a server again.
constexpr auto kReconnectInterval = std::chrono::milliseconds(500);
// How often it looks anyway, in case a wake-up from the server's thread came just before it
// began to wait.
constexpr auto kWatchInterval = std::chrono::seconds(2);

void silentJackMessage(const char*) {}

}  // namespace

std::mutex& jackClientLock() {
    static std::mutex lock;
    return lock;
}

JackClockRelation measureJackClock(int samples) {
    JackClockRelation best;
    best.uncertaintyNs = -1;
    for (int i = 0; i < samples; ++i) {
        const std::int64_t before = monotonicNs();
        const std::int64_t jack = static_cast<std::int64_t>(jack_get_time()) * 1000;
        const std::int64_t after = monotonicNs();
        // jack_get_time has whole microseconds: its reading may be up to 1 us below the truth.
        const std::int64_t width = after - before + 1000;
        if (best.uncertaintyNs < 0 || width / 2 < best.uncertaintyNs) {
            best.offsetNs = jack + 500 - (before + after) / 2;
            best.uncertaintyNs = width / 2;
        }
    }
    return best;
}

// What each JACK callback of one client is given: the backend, and whether it may still reach
// it. The client of a server that has gone is left unclosed (see closeClient), so the library
// never stops its threads; its callbacks are shut out here instead, and shutting them out waits
// for one that is running. Both sides store first and load second (sequentially consistent),
// so either the callback sees the gate shut or the closer sees it inside.
struct JackMidiBackend::CallbackGate {
    JackMidiBackend* backend;
    std::atomic<bool> open{true};
    std::atomic<int> inside{0};

    void shut() {
        open.store(false);
        while (inside.load() != 0) {
            std::this_thread::yield();
        }
    }
};

template <typename F>
void JackMidiBackend::through(void* gate, F&& f) {
    auto* g = static_cast<CallbackGate*>(gate);
    g->inside.fetch_add(1);
    if (g->open.load()) {
        f(*g->backend);
    }
    g->inside.fetch_sub(1);
}

class JackMidiBackend::Port final : public MidiDevicePort {
public:
    Port(JackMidiBackend& backend, std::string target)
        : backend_(backend), target_(std::move(target)) {}
    ~Port() override {
        // Stop's "all notes off" may still be in the queue: let it reach the device before the
        // connection goes, or the device keeps sounding.
        backend_.waitUntilDelivered(lastSequence_);
        backend_.disconnectFrom(target_);
    }
    void send(std::uint32_t packed, std::int64_t stampNs, std::int64_t nowNs) override {
        if (!backend_.alive_.load(std::memory_order_acquire)) {
            return;
        }
        const std::int64_t latest = nowNs + kLongestLeadNs;
        const std::uint64_t sequence =
            backend_.enqueue(packed, stampNs < latest ? stampNs : latest, nowNs);
        if (sequence != 0) {
            lastSequence_ = sequence;
        }
    }
    void renew() override { backend_.connectTo(target_); }
    std::int64_t latencyNs() const override { return backend_.latencyNs(); }
    std::optional<MidiDeviceCounts> deviceCounts() const override { return backend_.counts(); }

private:
    JackMidiBackend& backend_;
    const std::string target_;
    std::uint64_t lastSequence_ = 0;
};

JackMidiBackend::JackMidiBackend(JackMidiOptions options) : options_(std::move(options)) {
    // Without a server the library reports every failed connection attempt on stderr.
    jack_set_error_function(silentJackMessage);
    jack_set_info_function(silentJackMessage);
}

JackMidiBackend::~JackMidiBackend() {
    {
        std::lock_guard lock(control_);
        stopping_ = true;
    }
    watcherWake_.notify_all();
    if (watcher_.joinable()) {
        watcher_.join();
    }
    std::lock_guard lock(control_);
    closeClient();
}

void JackMidiBackend::startWatcher() {
    if (!watcher_.joinable()) {
        watcher_ = std::thread([this] { watch(); });
    }
}

void JackMidiBackend::watch() {
    std::unique_lock lock(control_);
    while (!stopping_) {
        if (openPorts_ > 0) {
            if (client_ == nullptr || !alive_.load(std::memory_order_acquire)) {
                if (!ensureClient()) {
                    watcherWake_.wait_for(lock, kReconnectInterval);
                    continue;
                }
            } else if (portsChanged_.exchange(false)) {
                connectMissing();
            }
        }
        // Without open ports the next list or open reaches a server when it needs one.
        watcherWake_.wait_for(lock, kWatchInterval, [this] {
            return stopping_ || (openPorts_ > 0 &&
                                 (portsChanged_.load() || !alive_.load(std::memory_order_acquire)));
        });
    }
}

void JackMidiBackend::connectMissing() {
    for (const auto& [target, count] : connections_) {
        if (!jack_port_connected_to(port_, target.c_str())) {
            jack_connect(client_, jack_port_name(port_), target.c_str());
        }
    }
}

bool JackMidiBackend::ensureClient() {
    if (client_ != nullptr && alive_.load(std::memory_order_acquire)) {
        return true;
    }
    if (client_ != nullptr) {
        // The server went away: its client is of no more use. The open ports stay open and
        // are connected again below, once a server answers.
        closeClient(true);
    }
    jack_status_t status{};
    {
        std::lock_guard library(jackClientLock());
        client_ = jack_client_open(options_.clientName.c_str(), JackNoStartServer, &status);
    }
    if (client_ == nullptr) {
        return false;
    }
    port_ = jack_port_register(client_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    if (port_ == nullptr) {
        closeClient();
        return false;
    }
    gate_ = new CallbackGate{this};
    jack_set_process_callback(client_, &JackMidiBackend::processThunk, gate_);
    jack_set_buffer_size_callback(client_, &JackMidiBackend::bufferSizeThunk, gate_);
    jack_on_shutdown(client_, &JackMidiBackend::shutdownThunk, gate_);
    jack_set_latency_callback(client_, &JackMidiBackend::latencyThunk, gate_);
    jack_set_port_registration_callback(client_, &JackMidiBackend::portRegistrationThunk, gate_);
    // Whatever was sent before the old server went and never reached it would all sound at
    // once now. No callback runs yet, so this thread may take it out of the queue.
    Event stale;
    while (queue_.pop(stale)) {
        delivered_.store(stale.sequence, std::memory_order_release);
    }
    offsetNs_.store(measureJackClock(64).offsetNs, std::memory_order_relaxed);
    sampleRate_ = jack_get_sample_rate(client_);
    haveTimeline_ = false;
    updateLatency(jack_get_buffer_size(client_));
    alive_.store(true, std::memory_order_release);
    if (jack_activate(client_) != 0) {
        closeClient(true);
        return false;
    }
    connectMissing();
    startWatcher();
    return true;
}

void JackMidiBackend::closeClient(bool keepConnections) {
    if (client_ == nullptr) {
        return;
    }
    alive_.store(false, std::memory_order_release);
    if (serverGone_.exchange(false)) {
        // Closing the client of a server that has gone now and then never returns inside
        // libjack, and holds the library's own lock while it waits, so that no client of this
        // process could ever be opened again. Such a client is left as it is: the server that
        // could call it back is gone, and its callbacks are shut out. It and its gate stay
        // reachable, as the library's memory is.
        if (gate_ != nullptr) {
            gate_->shut();
        }
        static auto* abandoned = new std::vector<std::pair<jack_client_t*, CallbackGate*>>;
        abandoned->emplace_back(client_, gate_);
    } else {
        {
            std::lock_guard library(jackClientLock());
            jack_deactivate(client_);
            jack_client_close(client_);
        }
        delete gate_;
    }
    gate_ = nullptr;
    client_ = nullptr;
    port_ = nullptr;
    if (!keepConnections) {
        connections_.clear();
    }
    holding_ = false;
    placer_ = JackEventPlacer{};
}

bool JackMidiBackend::connected() {
    std::lock_guard lock(control_);
    return ensureClient();
}

std::string JackMidiBackend::portName() {
    std::lock_guard lock(control_);
    if (!ensureClient()) {
        return {};
    }
    return jack_port_name(port_);
}

std::vector<std::string> JackMidiBackend::deviceNames() {
    std::lock_guard lock(control_);
    std::vector<std::string> names;
    if (!ensureClient()) {
        return names;
    }
    const std::string own = std::string(jack_get_client_name(client_)) + ":";
    const char** ports = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
    if (ports == nullptr) {
        return names;
    }
    for (const char** p = ports; *p != nullptr; ++p) {
        if (std::string_view(*p).substr(0, own.size()) != own) {
            names.emplace_back(*p);
        }
    }
    jack_free(ports);
    return names;
}

std::unique_ptr<MidiDevicePort> JackMidiBackend::open(const std::string& name) {
    {
        std::lock_guard lock(control_);
        if (!ensureClient()) {
            return nullptr;
        }
        jack_port_t* target = jack_port_by_name(client_, name.c_str());
        if (target == nullptr || (jack_port_flags(target) & JackPortIsInput) == 0 ||
            std::string_view(jack_port_type(target)) != JACK_DEFAULT_MIDI_TYPE) {
            return nullptr;
        }
        const int result = jack_connect(client_, jack_port_name(port_), name.c_str());
        if (result != 0 && result != EEXIST) {
            return nullptr;
        }
        ++connections_[name];
        ++openPorts_;
    }
    return std::make_unique<Port>(*this, name);
}

void JackMidiBackend::connectTo(const std::string& target) {
    std::lock_guard lock(control_);
    if (client_ == nullptr || !alive_.load(std::memory_order_acquire)) {
        return;
    }
    if (!jack_port_connected_to(port_, target.c_str())) {
        jack_connect(client_, jack_port_name(port_), target.c_str());
    }
}

void JackMidiBackend::disconnectFrom(const std::string& target) {
    std::lock_guard lock(control_);
    --openPorts_;
    auto it = connections_.find(target);
    if (it == connections_.end()) {
        return;  // the client that made the connection is gone
    }
    if (--it->second == 0) {
        connections_.erase(it);
        if (client_ != nullptr && alive_.load(std::memory_order_acquire)) {
            jack_disconnect(client_, jack_port_name(port_), target.c_str());
        }
    }
}

std::uint64_t JackMidiBackend::enqueue(std::uint32_t packed, std::int64_t stampNs,
                                       std::int64_t nowNs) {
    // Sends reach here one at a time (the device table's guard), so sequence numbers enter the
    // queue in rising order.
    const std::uint64_t sequence = nextSequence_.fetch_add(1, std::memory_order_relaxed);
    if (!queue_.push(Event{packed, stampNs, nowNs, sequence})) {
        dropped_.fetch_add(1, std::memory_order_relaxed);
        return 0;
    }
    return sequence;
}

void JackMidiBackend::waitUntilDelivered(std::uint64_t sequence) {
    if (sequence == 0) {
        return;
    }
    const std::int64_t giveUp = monotonicNs() + kDrainTimeoutNs;
    auto waitWhile = [&](auto&& pending) {
        while (pending() && alive_.load(std::memory_order_acquire) && monotonicNs() < giveUp) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    waitWhile([&] { return delivered_.load(std::memory_order_acquire) < sequence; });
    // The receiving client reads the cycle after ours has written it; a disconnection takes
    // effect at a cycle boundary. Two more cycles cover both.
    const std::uint64_t cycle = cycles_.load(std::memory_order_acquire);
    waitWhile([&] { return cycles_.load(std::memory_order_acquire) < cycle + 2; });
}

void JackMidiBackend::updateLatency(std::uint32_t frames) {
    const std::uint32_t rate = jack_get_sample_rate(client_);
    const std::int64_t periodNs =
        rate == 0 ? 0 : static_cast<std::int64_t>(frames) * 1'000'000'000 / rate;
    latencyNs_.store(options_.senderMarginNs + periodNs, std::memory_order_relaxed);
}

MidiDeviceCounts JackMidiBackend::counts() const {
    MidiDeviceCounts s;
    s.written = written_.load(std::memory_order_relaxed);
    s.late = late_.load(std::memory_order_relaxed);
    s.lateHandedOver = lateHandedOver_.load(std::memory_order_relaxed);
    s.dropped = dropped_.load(std::memory_order_relaxed);
    s.unsettledCycles = unsettledCycles_.load(std::memory_order_relaxed);
    return s;
}

int JackMidiBackend::processThunk(std::uint32_t frames, void* gate) {
    through(gate, [frames](JackMidiBackend& backend) { backend.process(frames); });
    return 0;
}

int JackMidiBackend::bufferSizeThunk(std::uint32_t frames, void* gate) {
    through(gate, [frames](JackMidiBackend& backend) { backend.updateLatency(frames); });
    return 0;
}

void JackMidiBackend::shutdownThunk(void* gate) {
    through(gate, [](JackMidiBackend& backend) {
        backend.serverGone_.store(true);
        backend.alive_.store(false, std::memory_order_release);
        backend.watcherWake_.notify_all();
    });
}

void JackMidiBackend::portRegistrationThunk(jack_port_id_t, int registered, void* gate) {
    if (registered == 0) {
        return;
    }
    through(gate, [](JackMidiBackend& backend) {
        backend.portsChanged_.store(true);
        backend.watcherWake_.notify_all();
    });
}

void JackMidiBackend::latencyThunk(jack_latency_callback_mode_t mode, void* gate) {
    if (mode != JackCaptureLatency) {
        return;
    }
    through(gate, [](JackMidiBackend& backend) {
        if (backend.port_ == nullptr) {
            return;
        }
        // Our messages appear this long after the moment they stand for, as captured audio
        // does.
        const double frames = static_cast<double>(backend.latencyNs()) * backend.sampleRate_ / 1e9;
        jack_latency_range_t range;
        range.min = range.max = static_cast<jack_nframes_t>(frames + 0.5);
        jack_port_set_latency_range(backend.port_, JackCaptureLatency, &range);
    });
}

void JackMidiBackend::trackClock() {
    const std::int64_t before = monotonicNs();
    const std::int64_t jack = static_cast<std::int64_t>(jack_get_time()) * 1000 + 500;
    const std::int64_t after = monotonicNs();
    if (after - before > 20'000) {
        return;  // preempted between the readings: no information
    }
    const std::int64_t sample = jack - (before + after) / 2;
    const std::int64_t estimate = offsetNs_.load(std::memory_order_relaxed);
    const std::int64_t difference = sample - estimate;
    // Small differences are the microsecond rounding and are smoothed; a large one means the
    // clocks really moved apart, and is taken at once.
    const bool jump = difference > 2'000'000 || difference < -2'000'000;
    offsetNs_.store(jump ? sample : estimate + difference / 8, std::memory_order_relaxed);
}

void JackMidiBackend::updateTimeline(std::uint32_t cycleStart, std::uint32_t frames) {
    jack_nframes_t current = 0;
    jack_time_t currentUs = 0;
    jack_time_t nextUs = 0;
    float periodUs = 0;
    const double nominalUs = 1e6 * frames / sampleRate_;
    // After a late wake-up the server resets its estimate of the cycle start and, until the
    // next cycles have settled it again, reports cycle times that do not fit together; placing
    // by them would send every waiting message at once. Such cycles keep the last good line.
    const bool sane =
        jack_get_cycle_times(client_, &current, &currentUs, &nextUs, &periodUs) == 0 &&
        current == cycleStart && nextUs > currentUs && periodUs > 0.5 * nominalUs &&
        periodUs < 2.0 * nominalUs && static_cast<double>(nextUs - currentUs) < 2.0 * nominalUs;
    if (sane) {
        timeline_ = {cycleStart, static_cast<std::int64_t>(currentUs) * 1000,
                     static_cast<double>(frames) / (periodUs * 1000.0)};
        haveTimeline_ = true;
    } else {
        unsettledCycles_.fetch_add(1, std::memory_order_relaxed);
        if (!haveTimeline_) {
            timeline_ = {cycleStart, static_cast<std::int64_t>(jack_get_time()) * 1000,
                         sampleRate_ / 1e9};
            haveTimeline_ = true;
        }
    }
}

std::uint32_t JackMidiBackend::frameAt(std::int64_t jackNs) const {
    const double frames = static_cast<double>(jackNs - timeline_.startNs) * timeline_.framesPerNs;
    return timeline_.startFrame + static_cast<std::uint32_t>(static_cast<std::int64_t>(
                                      frames < 0 ? frames - 0.5 : frames + 0.5));
}

void JackMidiBackend::process(std::uint32_t frames) {
    void* buffer = jack_port_get_buffer(port_, frames);
    jack_midi_clear_buffer(buffer);
    framesSinceClockCheck_ += frames;
    if (framesSinceClockCheck_ >= kClockCheckFrames) {
        framesSinceClockCheck_ = 0;
        trackClock();
    }
    const std::uint32_t cycleStart = jack_last_frame_time(client_);
    placer_.beginCycle(cycleStart, frames);
    updateTimeline(cycleStart, frames);
    const std::int64_t shift =
        latencyNs_.load(std::memory_order_relaxed) + offsetNs_.load(std::memory_order_relaxed);
    for (;;) {
        if (!holding_) {
            if (!queue_.pop(held_)) {
                break;
            }
            holding_ = true;
        }
        const JackEventPlacer::Place place = placer_.place(frameAt(held_.stampNs + shift));
        if (!place.offset) {
            break;  // due in a later cycle, and everything sent after it with it
        }
        const ShortMessageBytes message = shortMessageBytes(held_.packed);
        if (message.length > 0 &&
            jack_midi_event_write(buffer, *place.offset, message.bytes.data(),
                                  static_cast<std::size_t>(message.length)) != 0) {
            break;  // the cycle's buffer is full: it goes first in the next one
        }
        placer_.commit(*place.offset);
        written_.fetch_add(1, std::memory_order_relaxed);
        if (place.late) {
            late_.fetch_add(1, std::memory_order_relaxed);
            if (held_.handedOverNs - held_.stampNs > options_.senderMarginNs) {
                lateHandedOver_.fetch_add(1, std::memory_order_relaxed);
            }
        }
        delivered_.store(held_.sequence, std::memory_order_release);
        holding_ = false;
    }
    cycles_.fetch_add(1, std::memory_order_release);
}

}  // namespace platform
