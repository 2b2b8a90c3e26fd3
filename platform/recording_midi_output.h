#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/midi_output.h"

namespace platform {

// A MIDI output that keeps every message instead of playing it: the engine's tests use it, and
// so does exporting a setup to a file. Safe to use from several threads.
class RecordingMidiOutput final : public MidiOutput {
public:
    struct Message {
        MidiOutHandle handle = kNoMidiOutHandle;
        int deviceId = 0;
        std::uint8_t status = 0;
        std::uint8_t data1 = 0;
        std::uint8_t data2 = 0;
        std::int64_t stampNs = 0;  // as given to send(): 0 means "now"
        bool operator==(const Message&) const = default;
    };

    explicit RecordingMidiOutput(std::vector<std::string> devices = {})
        : devices_(std::move(devices)) {}

    // Opens of these device ids fail, as a busy or vanished device does.
    void setFailingDevices(std::set<int> ids) {
        std::lock_guard lock(mutex_);
        failing_ = std::move(ids);
    }
    void setDevices(std::vector<std::string> devices) {
        std::lock_guard lock(mutex_);
        devices_ = std::move(devices);
    }

    std::vector<std::string> deviceNames() override {
        std::lock_guard lock(mutex_);
        std::vector<std::string> names = devices_;
        if (names.size() > kMaxMidiDevices) {
            names.resize(kMaxMidiDevices);
        }
        return names;
    }

    MidiOutHandle open(int deviceId) override {
        std::lock_guard lock(mutex_);
        ++openCalls_;
        const bool known = deviceId == kBuiltinSynthId ||
                           (deviceId >= 0 && static_cast<std::size_t>(deviceId) < devices_.size());
        if (!known || failing_.count(deviceId) != 0) {
            return kNoMidiOutHandle;
        }
        const MidiOutHandle handle = nextHandle_++;
        open_[handle] = deviceId;
        return handle;
    }

    MidiOutHandle reopen(MidiOutHandle handle, int deviceId) override {
        {
            std::lock_guard lock(mutex_);
            ++reopenCalls_;
            auto it = open_.find(handle);
            if (it != open_.end() && it->second == deviceId) {
                return handle;
            }
        }
        close(handle);
        return open(deviceId);
    }

    void close(MidiOutHandle handle) override {
        std::lock_guard lock(mutex_);
        if (open_.erase(handle) != 0) {
            closed_.push_back(handle);
        }
    }

    void send(MidiOutHandle handle, std::uint32_t packed, std::int64_t stampNs) override {
        std::lock_guard lock(mutex_);
        auto it = open_.find(handle);
        if (it == open_.end()) {
            ++ignoredSends_;
            return;
        }
        messages_.push_back({handle, it->second, static_cast<std::uint8_t>(packed & 0xFF),
                             static_cast<std::uint8_t>((packed >> 8) & 0xFF),
                             static_cast<std::uint8_t>((packed >> 16) & 0xFF), stampNs});
    }

    std::vector<Message> messages() const {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    void clearMessages() {
        std::lock_guard lock(mutex_);
        messages_.clear();
    }
    // Handles closed so far, in the order closed.
    std::vector<MidiOutHandle> closedHandles() const {
        std::lock_guard lock(mutex_);
        return closed_;
    }
    bool isOpen(MidiOutHandle handle) const {
        std::lock_guard lock(mutex_);
        return open_.count(handle) != 0;
    }
    std::size_t openHandleCount() const {
        std::lock_guard lock(mutex_);
        return open_.size();
    }
    int openCalls() const {
        std::lock_guard lock(mutex_);
        return openCalls_;
    }
    int reopenCalls() const {
        std::lock_guard lock(mutex_);
        return reopenCalls_;
    }
    // Sends through a handle that was not open.
    int ignoredSends() const {
        std::lock_guard lock(mutex_);
        return ignoredSends_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> devices_;
    std::set<int> failing_;
    std::map<MidiOutHandle, int> open_;
    std::vector<MidiOutHandle> closed_;
    std::vector<Message> messages_;
    MidiOutHandle nextHandle_ = 1;
    int openCalls_ = 0;
    int reopenCalls_ = 0;
    int ignoredSends_ = 0;
};

}  // namespace platform
