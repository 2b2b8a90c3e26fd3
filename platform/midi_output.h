#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The MIDI output service: a stable list of output devices, an open that may fail, a send of
// one packed short message from any thread, and a close.
namespace platform {

using MidiOutHandle = std::uintptr_t;  // same representation as the setup's port handle
inline constexpr MidiOutHandle kNoMidiOutHandle = 0;

// The device id of the built-in General MIDI synth ("MIDI Mapper" in the program).
inline constexpr int kBuiltinSynthId = -1;
// The device list is cut after this many entries.
inline constexpr std::size_t kMaxMidiDevices = 50;

// What a device itself counts of the messages it delivered (the JACK port does; since its
// client started, shared by every handle on that client).
struct MidiDeviceCounts {
    std::uint64_t written = 0;          // messages written out
    std::uint64_t late = 0;             // ... of them later than stamp + latency
    std::uint64_t lateHandedOver = 0;   // ... of those handed over later than the margin allows;
                                        // the others were late because the server was
    std::uint64_t dropped = 0;          // messages lost to a full queue
    std::uint64_t unsettledCycles = 0;  // server cycles whose times had not settled
};

// How the messages of one handle fared since it was opened, for timing figures.
struct MidiDeliveryStats {
    std::uint64_t stamped = 0;  // messages sent with a stamp of their own (a step's messages)
    // How long after its stamp such a message was handed over: the time the device must allow
    // for before it can place the message exactly.
    std::int64_t handOverP50Ns = 0;
    std::int64_t handOverP99Ns = 0;
    std::int64_t handOverP999Ns = 0;
    std::int64_t handOverMaxNs = 0;
    std::optional<MidiDeviceCounts> device;
};

class MidiOutput {
public:
    virtual ~MidiOutput() = default;

    // Full device names (never shortened), in device order, at most kMaxMidiDevices. Device
    // ids given to open() are indexes into the list returned last.
    virtual std::vector<std::string> deviceNames() = 0;

    // Opens device `deviceId` of the last list, or kBuiltinSynthId. Returns kNoMidiOutHandle
    // when it cannot (busy, gone, no server, no such id). Handles are never reused, so a stale
    // handle never reaches another device.
    virtual MidiOutHandle open(int deviceId) = 0;

    // Opens `deviceId` afresh for a copy that had `handle` open. A handle that is still open on
    // that same device is kept and only its connection renewed, so the built-in synth goes on
    // sounding without reloading its soundfont; otherwise `handle` is closed and the device
    // opened as by open(). Returns the handle to use from now on.
    virtual MidiOutHandle reopen(MidiOutHandle handle, int deviceId) = 0;

    // Closes a handle; unknown or already closed handles are ignored. After it returns no send
    // through the handle reaches the device.
    virtual void close(MidiOutHandle handle) = 0;

    // Any thread. packed = status | data1 << 8 | data2 << 16 (bits 24-31 ignored). stampNs is
    // the CLOCK_MONOTONIC instant at which the message should sound, 0 for "now". Messages of
    // one handle reach the device in the order sent, none before one sent earlier; a message
    // whose moment has passed goes out as soon as possible. Sends through a closed or unknown
    // handle, and messages that are not MIDI short messages, are ignored.
    virtual void send(MidiOutHandle handle, std::uint32_t packed, std::int64_t stampNs) = 0;

    // The constant delay between a stamp and the moment the device receives the message on
    // this handle (0 for devices that take messages at once or unknown handles).
    virtual std::int64_t latencyNs(MidiOutHandle /*handle*/) { return 0; }

    // Any thread. Empty figures for an unknown handle.
    virtual MidiDeliveryStats deliveryStats(MidiOutHandle /*handle*/) { return {}; }
};

// How late after its stamp the engine may hand a message over and still have it placed exactly:
// one tick of the periodic timer plus its thread's wake-up. A device that schedules adds its
// own cycle to this.
inline constexpr std::int64_t kDefaultSenderMarginNs = 1'250'000;

struct SystemMidiOptions {
    std::string clientName = "thrumbleworx";
    bool useJack = true;
    bool useAlsa = true;
    std::int64_t senderMarginNs = kDefaultSenderMarginNs;
};

// The system's devices: first the MIDI inputs of the other JACK clients, in the server's port
// order, named by their full JACK port names ("client:port"); then the writable ports of the
// other ALSA sequencer clients in client/port order, named "client name:port name"; at most
// kMaxMidiDevices in all. kBuiltinSynthId is the built-in synth. No JACK server is ever started:
// with none running there are no JACK devices.
std::unique_ptr<MidiOutput> makeSystemMidiOutput(const SystemMidiOptions& options = {});

}  // namespace platform
