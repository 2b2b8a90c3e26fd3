// The output port: listing devices, choosing one by name, opening, releasing, sending.
#include <algorithm>

#include "engine/messages.h"
#include "engine/play_engine.h"
#include "model/shared_value.h"

void CPlayEngine::enumeratePorts() {
    CMidiOut& out = setup_.midiOut;
    if (loadShared(out.handle) != noMidiOutHandle) {
        return;
    }
    std::vector<std::string> names = midi_.deviceNames();
    names.resize(std::min<std::size_t>(names.size(), maxPortDevices));
    out.deviceCount = static_cast<std::uint32_t>(names.size());
    for (auto& name : out.portNames) {
        name.clear();
    }
    // Names are kept whole, so two devices never collide on a shortened name.
    std::copy(names.begin(), names.end(), out.portNames.begin());
    out.portNames[names.size()] = MIDI_MAPPER_NAME;
    out.deviceId = MIDI_MAPPER_ID;
    selectPort(MIDI_MAPPER_NAME);
}

void CPlayEngine::selectPort(const std::string& name) {
    CMidiOut& out = setup_.midiOut;
    out.portName = name;
    out.deviceId = PORT_NOT_FOUND_ID;
    if (name == MIDI_MAPPER_NAME) {
        out.deviceId = MIDI_MAPPER_ID;
    } else {
        for (std::uint32_t i = 0; i < out.deviceCount; ++i) {
            if (out.portNames[i] == name) {
                out.deviceId = static_cast<std::int32_t>(i);
            }
        }
        if (out.deviceId == PORT_NOT_FOUND_ID) {
            host_.showNote("Could not find port: " + name);
        }
    }
    openPort();
}

void CPlayEngine::openPort() {
    CMidiOut& out = setup_.midiOut;
    const MidiOutHandle handle =
        out.deviceId == PORT_NOT_FOUND_ID ? noMidiOutHandle : midi_.open(out.deviceId);
    storeShared(out.handle, handle);
    // Opened by number (files that name no port), the port takes its device's name, so that
    // the next save names the same device. A name that was not found stays as it was.
    if (out.deviceId == MIDI_MAPPER_ID) {
        out.portName = MIDI_MAPPER_NAME;
    } else if (out.deviceId >= 0 && static_cast<std::uint32_t>(out.deviceId) < out.deviceCount) {
        out.portName = out.portNames[static_cast<std::size_t>(out.deviceId)];
    }
    if (handle != noMidiOutHandle) {
        out.shareCount = 1;
        setup_.ownsPort = 1;
    } else {
        bus_.broadcast(MSG_PORT_WANTED, 0, out.deviceId);
        setup_.ownsPort = 0;
    }
}

void CPlayEngine::releasePort() {
    CMidiOut& out = setup_.midiOut;
    const MidiOutHandle handle = loadShared(out.handle);
    // A copy that holds no handle has nothing to release: its count, whatever it reads, is
    // not part of anyone's sharing.
    if (handle == noMidiOutHandle) {
        return;
    }
    --out.shareCount;
    storeShared(out.handle, noMidiOutHandle);
    if (out.shareCount > 0) {
        bus_.broadcast(MSG_SHARE_COUNT, out.shareCount, out.deviceId);
    } else {
        out.shareCount = 0;
        midi_.close(handle);
    }
}

void CPlayEngine::reopenPort() {
    CMidiOut& out = setup_.midiOut;
    const MidiOutHandle handle = loadShared(out.handle);
    if (handle != noMidiOutHandle && !setup_.ownsPort) {
        return;  // a borrowed handle is its owner's to renew
    }
    // The output renews an open handle in place: the built-in synth keeps sounding and keeps
    // its soundfont.
    const MidiOutHandle renewed = handle != noMidiOutHandle ? midi_.reopen(handle, out.deviceId)
                                  : out.deviceId == PORT_NOT_FOUND_ID ? noMidiOutHandle
                                                                      : midi_.open(out.deviceId);
    storeShared(out.handle, renewed);
}

void CPlayEngine::sendShortMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2,
                                   std::int64_t stampNs) {
    const MidiOutHandle handle = loadShared(setup_.midiOut.handle);
    if (handle == noMidiOutHandle) {
        return;
    }
    const std::uint32_t packed =
        status | (std::uint32_t{data1} << 8) | (std::uint32_t{data2} << 16);
    midi_.send(handle, packed, stampNs);
}

void CPlayEngine::killAllSound() {
    for (int channel = 0; channel < channelCount; ++channel) {
        sendShortMessage(static_cast<std::uint8_t>(0xB0 + channel), 123, 0);
    }
}
