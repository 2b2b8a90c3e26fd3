#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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

    // Plays one packed short message now. Any thread; invalid messages are ignored.
    void send(std::uint32_t packed);

    // Renders the next `frames` frames of sound, stereo, for a synth made with playAudio false.
    void render(float* left, float* right, int frames);

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
