#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/midi_backend.h"

typedef struct _snd_seq snd_seq_t;
typedef struct snd_midi_event snd_midi_event_t;

namespace platform {

// One port of the ALSA sequencer as the backend sees it.
struct AlsaPortInfo {
    int client = 0;
    int port = 0;
    unsigned capability = 0;  // SND_SEQ_PORT_CAP_* bits
    std::string clientName;
    std::string portName;
};

// Whether a port is an output device for us: writable and open to subscriptions, not one of
// our own client's, not the kernel's system client (timer and announcements), and not marked
// as private to its client.
bool isAlsaOutputDevice(const AlsaPortInfo& port, int ownClient);

// "client name:port name", the device's name in the list.
std::string alsaDeviceName(const AlsaPortInfo& port);

// The ALSA sequencer: the writable ports of the other clients in client/port order. Opening one
// subscribes our output port to it. Messages are scheduled on a sequencer queue at
// stamp + latencyNs, never before one sent earlier. Without the sequencer device (no
// /dev/snd/seq) there are no devices.
class AlsaMidiBackend final : public MidiBackend {
public:
    // latencyNs: how late after its stamp the engine may hand a message over (midi_output.h).
    explicit AlsaMidiBackend(std::string clientName = "thrumbleworx",
                             std::int64_t latencyNs = kDefaultSenderMarginNs);
    ~AlsaMidiBackend() override;

    std::vector<std::string> deviceNames() override;
    std::unique_ptr<MidiDevicePort> open(const std::string& name) override;

private:
    class Port;
    bool ensureSequencer();  // mutex_ held
    void send(int client, int port, std::uint32_t packed, std::int64_t stampNs);
    void disconnect(int client, int port);
    std::vector<AlsaPortInfo> listPorts();

    const std::string clientName_;
    const std::int64_t latencyNs_;
    std::mutex mutex_;  // one call into the sequencer handle at a time
    snd_seq_t* seq_ = nullptr;
    snd_midi_event_t* encoder_ = nullptr;
    int ownClient_ = -1;
    int port_ = -1;
    int queue_ = -1;
    std::int64_t queueStartNs_ = 0;
    std::int64_t lastScheduledNs_ = 0;
    bool triedToOpen_ = false;
};

}  // namespace platform
