#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/midi_output.h"

// The built-in General MIDI synth ("MIDI Mapper"): FluidSynth with a soundfont from the
// system's soundfont packages, playing to the desktop's default audio output.
namespace platform {

// Where the soundfont packages put their General MIDI files, in order of preference.
std::vector<std::string> defaultSoundfontPaths();

struct BuiltinSynthOptions {
    std::vector<std::string> soundfonts = defaultSoundfontPaths();  // the first readable wins
    // Folder of the lock that lets one copy per user hold the synth; empty = userRuntimeDir().
    std::string lockDir;
    // false: no audio output at all, the sound is only what render() returns.
    bool playAudio = true;
    // Try JACK first (only when a server is known to run: a JACK server is never started).
    bool jackServerRunning = false;
    std::string jackClientName = "thrumbleworx-synth";
    // How late after its stamp a message may be handed over and still be placed exactly.
    std::int64_t senderMarginNs = kDefaultSenderMarginNs;
};

enum class SynthOpenError { None, Busy, NoLock, NoSoundfont, NoAudio, Failed };

class BuiltinSynth {
public:
    // Null when the synth cannot start; `error` (if given) says why. Busy means another copy of
    // the program holds it.
    static std::unique_ptr<BuiltinSynth> create(const BuiltinSynthOptions& options,
                                                SynthOpenError* error = nullptr);
    ~BuiltinSynth();
    BuiltinSynth(const BuiltinSynth&) = delete;
    BuiltinSynth& operator=(const BuiltinSynth&) = delete;

    // Plays one packed short message at the frame that sounds stampNs + latencyNs()
    // (CLOCK_MONOTONIC; 0 = now), never before a message sent earlier; one whose moment has
    // passed goes at the next frame rendered. nowNs is the moment of the send if the caller has
    // read it already (0: read the clock). Any thread, one at a time; invalid messages are
    // ignored.
    void send(std::uint32_t packed, std::int64_t stampNs = 0, std::int64_t nowNs = 0);

    // Between a stamp and the frame rendered for it: the sender's margin and one audio buffer,
    // since a message must be there before the buffer that holds its frame is rendered. It
    // grows once if the audio driver's buffers turn out longer than asked for.
    std::int64_t latencyNs() const;

    // Renders the next `frames` frames of sound, stereo, for a synth made with playAudio false,
    // as if the audio thread rendered them at nowNs. Without a time (0), the stream keeps its
    // own: it starts at the first call and moves on by the frames rendered.
    void render(float* left, float* right, int frames, std::int64_t nowNs = 0);

    const std::string& soundfont() const { return soundfont_; }
    // The audio driver that plays the synth ("jack", "pulseaudio", ...), empty without audio.
    const std::string& audioDriver() const { return audioDriver_; }
    double sampleRate() const;

private:
    struct Impl;
    explicit BuiltinSynth(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
    std::string soundfont_;
    std::string audioDriver_;
};

}  // namespace platform
