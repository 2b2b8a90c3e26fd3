#include "platform/alsa_midi_backend.h"

#include <alsa/asoundlib.h>

#include "platform/clock.h"
#include "platform/midi_message.h"

namespace platform {

namespace {

void silentAlsaError(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

bool isAlsaOutputDevice(const AlsaPortInfo& port, int ownClient) {
    const unsigned wanted = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
    return port.client != ownClient && port.client != SND_SEQ_CLIENT_SYSTEM &&
           (port.capability & wanted) == wanted &&
           (port.capability & SND_SEQ_PORT_CAP_NO_EXPORT) == 0;
}

std::string alsaDeviceName(const AlsaPortInfo& port) {
    return port.clientName + ":" + port.portName;
}

class AlsaMidiBackend::Port final : public MidiDevicePort {
public:
    Port(AlsaMidiBackend& backend, int client, int port)
        : backend_(backend), client_(client), port_(port) {}
    ~Port() override { backend_.disconnect(client_, port_); }
    void send(std::uint32_t packed, std::int64_t stampNs, std::int64_t /*nowNs*/) override {
        backend_.send(client_, port_, packed, stampNs);
    }
    std::int64_t latencyNs() const override { return backend_.latencyNs_; }

private:
    AlsaMidiBackend& backend_;
    const int client_;
    const int port_;
};

AlsaMidiBackend::AlsaMidiBackend(std::string clientName, std::int64_t latencyNs)
    : clientName_(std::move(clientName)), latencyNs_(latencyNs) {}

AlsaMidiBackend::~AlsaMidiBackend() {
    if (encoder_ != nullptr) {
        snd_midi_event_free(encoder_);
    }
    if (seq_ != nullptr) {
        snd_seq_close(seq_);
    }
}

bool AlsaMidiBackend::ensureSequencer() {
    if (seq_ != nullptr) {
        return true;
    }
    if (triedToOpen_) {
        return false;  // no sequencer on this system; asking again changes nothing
    }
    triedToOpen_ = true;
    // alsa-lib reports a missing device on stderr; that is the normal case without a kernel
    // sequencer.
    snd_lib_error_set_handler(silentAlsaError);
    if (snd_seq_open(&seq_, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) {
        seq_ = nullptr;
        return false;
    }
    snd_seq_set_client_name(seq_, clientName_.c_str());
    ownClient_ = snd_seq_client_id(seq_);
    port_ =
        snd_seq_create_simple_port(seq_, "out", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                   SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    queue_ = snd_seq_alloc_named_queue(seq_, clientName_.c_str());
    if (port_ < 0 || queue_ < 0 || snd_midi_event_new(16, &encoder_) < 0) {
        snd_seq_close(seq_);
        seq_ = nullptr;
        return false;
    }
    snd_seq_start_queue(seq_, queue_, nullptr);
    snd_seq_drain_output(seq_);
    // The queue's clock starts at 0 now; stamps are CLOCK_MONOTONIC.
    queueStartNs_ = monotonicNs();
    return true;
}

std::vector<AlsaPortInfo> AlsaMidiBackend::listPorts() {
    std::vector<AlsaPortInfo> ports;
    snd_seq_client_info_t* client = nullptr;
    snd_seq_port_info_t* port = nullptr;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_alloca(&port);
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(seq_, client) >= 0) {
        const int id = snd_seq_client_info_get_client(client);
        snd_seq_port_info_set_client(port, id);
        snd_seq_port_info_set_port(port, -1);
        while (snd_seq_query_next_port(seq_, port) >= 0) {
            AlsaPortInfo info;
            info.client = id;
            info.port = snd_seq_port_info_get_port(port);
            info.capability = snd_seq_port_info_get_capability(port);
            info.clientName = snd_seq_client_info_get_name(client);
            info.portName = snd_seq_port_info_get_name(port);
            ports.push_back(std::move(info));
        }
    }
    return ports;
}

std::vector<std::string> AlsaMidiBackend::deviceNames() {
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    if (!ensureSequencer()) {
        return names;
    }
    for (const AlsaPortInfo& port : listPorts()) {
        if (isAlsaOutputDevice(port, ownClient_)) {
            names.push_back(alsaDeviceName(port));
        }
    }
    return names;
}

std::unique_ptr<MidiDevicePort> AlsaMidiBackend::open(const std::string& name) {
    std::lock_guard lock(mutex_);
    if (!ensureSequencer()) {
        return nullptr;
    }
    // By name, not by address: a device plugged in again usually comes back under another
    // client number.
    for (const AlsaPortInfo& port : listPorts()) {
        if (isAlsaOutputDevice(port, ownClient_) && alsaDeviceName(port) == name) {
            const int result = snd_seq_connect_to(seq_, port_, port.client, port.port);
            if (result < 0 && result != -EBUSY) {
                return nullptr;
            }
            return std::make_unique<Port>(*this, port.client, port.port);
        }
    }
    return nullptr;
}

void AlsaMidiBackend::disconnect(int client, int port) {
    std::lock_guard lock(mutex_);
    if (seq_ != nullptr) {
        snd_seq_disconnect_to(seq_, port_, client, port);
    }
}

void AlsaMidiBackend::send(int client, int port, std::uint32_t packed, std::int64_t stampNs) {
    const ShortMessageBytes message = shortMessageBytes(packed);
    std::lock_guard lock(mutex_);
    if (seq_ == nullptr || message.length == 0) {
        return;
    }
    snd_seq_event_t event;
    snd_seq_ev_clear(&event);
    snd_midi_event_reset_encode(encoder_);
    if (snd_midi_event_encode(encoder_, message.bytes.data(), message.length, &event) <= 0 ||
        event.type == SND_SEQ_EVENT_NONE) {
        return;
    }
    // Never before a message sent earlier: the queue orders by time alone.
    std::int64_t due = stampNs + latencyNs_ - queueStartNs_;
    if (due < lastScheduledNs_) {
        due = lastScheduledNs_;
    }
    lastScheduledNs_ = due;
    snd_seq_ev_set_source(&event, static_cast<unsigned char>(port_));
    snd_seq_ev_set_dest(&event, static_cast<unsigned char>(client),
                        static_cast<unsigned char>(port));
    snd_seq_real_time_t when;
    when.tv_sec = static_cast<unsigned>(due / 1'000'000'000);
    when.tv_nsec = static_cast<unsigned>(due % 1'000'000'000);
    snd_seq_ev_schedule_real(&event, queue_, 0, &when);
    snd_seq_event_output_direct(seq_, &event);
}

}  // namespace platform
