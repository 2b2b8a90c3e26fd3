#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/clock.h"
#include "platform/hand_over_histogram.h"
#include "platform/midi_backend.h"
#include "platform/midi_output.h"

namespace platform {

// The MIDI output service over a list of backends: the devices of the first backend come
// first, then those of the next, cut at kMaxMidiDevices. Device kBuiltinSynthId is whatever
// `openSynth` opens.
//
// Handles name open ports in a table. A send looks its handle up and delivers the message while
// holding a short guard; close() takes the port out of the table under that guard and only then
// tears it down, so no port is ever destroyed under a sender. Opening and closing (a server
// round trip, loading a soundfont) happen outside the guard and never hold up a sender.
class MidiPortTable final : public MidiOutput {
public:
    using SynthOpener = std::function<std::unique_ptr<MidiDevicePort>()>;

    MidiPortTable(std::vector<std::unique_ptr<MidiBackend>> backends, SynthOpener openSynth,
                  ClockSource& clock = systemClock());
    ~MidiPortTable() override;

    std::vector<std::string> deviceNames() override;
    MidiOutHandle open(int deviceId) override;
    MidiOutHandle reopen(MidiOutHandle handle, int deviceId) override;
    void close(MidiOutHandle handle) override;
    void send(MidiOutHandle handle, std::uint32_t packed, std::int64_t stampNs) override;
    std::int64_t latencyNs(MidiOutHandle handle) override;
    MidiDeliveryStats deliveryStats(MidiOutHandle handle) override;

private:
    struct Device {
        MidiBackend* backend;
        std::string name;
    };
    struct OpenPort {
        std::unique_ptr<MidiDevicePort> port;
        int deviceId;
        std::unique_ptr<HandOverHistogram> handOver = std::make_unique<HandOverHistogram>();
    };

    std::vector<std::unique_ptr<MidiBackend>> backends_;
    SynthOpener openSynth_;
    ClockSource& clock_;

    std::mutex control_;  // the window thread's operations, one at a time
    std::vector<Device> devices_;
    MidiOutHandle nextHandle_ = 1;

    std::mutex sendGuard_;
    std::unordered_map<MidiOutHandle, OpenPort> open_;
};

}  // namespace platform
