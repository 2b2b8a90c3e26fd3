#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/midi_output.h"

// What one kind of MIDI device (JACK, ALSA sequencer, the built-in synth) gives the device table
// of midi_port_table.h.
namespace platform {

// One open device.
class MidiDevicePort {
public:
    virtual ~MidiDevicePort() = default;
    // Called with the device table's send guard held, so never from two threads at once.
    // stampNs is a real CLOCK_MONOTONIC instant (never 0 here), nowNs the moment of the send as
    // the table read it (so that a device need not read the clock again); the message is a
    // valid short message (see midi_message.h).
    virtual void send(std::uint32_t packed, std::int64_t stampNs, std::int64_t nowNs) = 0;
    // The device is opened again while open: mend a lost connection, keep everything else. Runs
    // on the window thread and may overlap a send from another thread.
    virtual void renew() {}
    virtual std::int64_t latencyNs() const { return 0; }
    // Any thread; empty for a device that keeps no counts.
    virtual std::optional<MidiDeviceCounts> deviceCounts() const { return std::nullopt; }
};

class MidiBackend {
public:
    virtual ~MidiBackend() = default;
    // This backend's devices in its own stable order.
    virtual std::vector<std::string> deviceNames() = 0;
    // Opens a device by the name deviceNames() gave it; null when it cannot.
    virtual std::unique_ptr<MidiDevicePort> open(const std::string& name) = 0;
};

}  // namespace platform
