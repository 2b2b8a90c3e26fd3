#include "platform/midi_port_table.h"

#include "platform/midi_message.h"

namespace platform {

MidiPortTable::MidiPortTable(std::vector<std::unique_ptr<MidiBackend>> backends,
                             SynthOpener openSynth, ClockSource& clock)
    : backends_(std::move(backends)), openSynth_(std::move(openSynth)), clock_(clock) {}

MidiPortTable::~MidiPortTable() {
    // Ports go before their backends (a JACK port needs its client).
    std::unordered_map<MidiOutHandle, OpenPort> ports;
    {
        std::lock_guard guard(sendGuard_);
        ports.swap(open_);
    }
    ports.clear();
}

std::vector<std::string> MidiPortTable::deviceNames() {
    std::lock_guard lock(control_);
    devices_.clear();
    for (const auto& backend : backends_) {
        for (std::string& name : backend->deviceNames()) {
            if (devices_.size() == kMaxMidiDevices) {
                break;
            }
            devices_.push_back({backend.get(), std::move(name)});
        }
    }
    std::vector<std::string> names;
    names.reserve(devices_.size());
    for (const Device& device : devices_) {
        names.push_back(device.name);
    }
    return names;
}

MidiOutHandle MidiPortTable::open(int deviceId) {
    std::lock_guard lock(control_);
    std::unique_ptr<MidiDevicePort> port;
    if (deviceId == kBuiltinSynthId) {
        if (openSynth_) {
            port = openSynth_();
        }
    } else if (deviceId >= 0 && static_cast<std::size_t>(deviceId) < devices_.size()) {
        const Device& device = devices_[static_cast<std::size_t>(deviceId)];
        port = device.backend->open(device.name);
    }
    if (!port) {
        return kNoMidiOutHandle;
    }
    const MidiOutHandle handle = nextHandle_++;
    std::lock_guard guard(sendGuard_);
    open_.emplace(handle, OpenPort{std::move(port), deviceId});
    return handle;
}

MidiOutHandle MidiPortTable::reopen(MidiOutHandle handle, int deviceId) {
    {
        std::lock_guard lock(control_);
        MidiDevicePort* port = nullptr;
        {
            std::lock_guard guard(sendGuard_);
            auto it = open_.find(handle);
            if (it != open_.end() && it->second.deviceId == deviceId) {
                port = it->second.port.get();
            }
        }
        if (port != nullptr) {
            // Only close() removes a port, and it waits for `control_`, held here.
            port->renew();
            return handle;
        }
    }
    close(handle);
    return open(deviceId);
}

void MidiPortTable::close(MidiOutHandle handle) {
    std::lock_guard lock(control_);
    std::unique_ptr<MidiDevicePort> port;
    {
        std::lock_guard guard(sendGuard_);
        auto it = open_.find(handle);
        if (it == open_.end()) {
            return;
        }
        port = std::move(it->second.port);
        open_.erase(it);
    }
    port.reset();
}

void MidiPortTable::send(MidiOutHandle handle, std::uint32_t packed, std::int64_t stampNs) {
    const ShortMessageBytes message = shortMessageBytes(packed);
    if (message.length == 0) {
        return;
    }
    // Only the bytes that belong to the message travel on.
    std::uint32_t clean = message.bytes[0];
    for (int i = 1; i < message.length; ++i) {
        clean |= static_cast<std::uint32_t>(message.bytes[static_cast<std::size_t>(i)]) << (8 * i);
    }
    const bool stamped = stampNs != 0;
    const std::int64_t now = clock_.monotonicNs();
    if (!stamped) {
        stampNs = now;
    }
    std::lock_guard guard(sendGuard_);
    auto it = open_.find(handle);
    if (it != open_.end()) {
        if (stamped) {
            it->second.handOver->record(now - stampNs);
        }
        it->second.port->send(clean, stampNs, now);
    }
}

std::int64_t MidiPortTable::latencyNs(MidiOutHandle handle) {
    std::lock_guard guard(sendGuard_);
    auto it = open_.find(handle);
    return it == open_.end() ? 0 : it->second.port->latencyNs();
}

MidiDeliveryStats MidiPortTable::deliveryStats(MidiOutHandle handle) {
    MidiDeliveryStats stats;
    std::lock_guard guard(sendGuard_);
    auto it = open_.find(handle);
    if (it == open_.end()) {
        return stats;
    }
    const HandOverHistogram& handOver = *it->second.handOver;
    stats.stamped = handOver.count();
    stats.handOverP50Ns = handOver.percentileNs(50);
    stats.handOverP99Ns = handOver.percentileNs(99);
    stats.handOverP999Ns = handOver.percentileNs(99.9);
    stats.handOverMaxNs = handOver.maxNs();
    stats.device = it->second.port->deviceCounts();
    return stats;
}

}  // namespace platform
