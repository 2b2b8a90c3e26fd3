#include "platform/builtin_synth.h"

#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <fluidsynth.h>
#include <sys/file.h>
#include <unistd.h>

#include <mutex>
#include <string_view>

#include "platform/midi_message.h"
#include "platform/runtime_dir.h"

namespace platform {

namespace {

// The library reports every audio driver it could not start on stderr; a program that tries
// several in turn would print noise for the normal case. The ALSA library underneath reports
// a missing sound card the same way.
void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

void quietLibraryLog() {
    static std::once_flag once;
    std::call_once(once, [] {
        snd_lib_error_set_handler(ignoreAlsaError);
        fluid_set_log_function(FLUID_ERR, nullptr, nullptr);
        fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
        fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
        fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
    });
}

bool readable(const std::string& path) {
    return access(path.c_str(), R_OK) == 0;
}

// An exclusive lock on a file, held while the object lives. Locks are per open file, so a
// second lock in the same process conflicts too, as one in another process does.
class FileLock {
public:
    static std::unique_ptr<FileLock> acquire(const std::string& path, SynthOpenError& error) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            error = SynthOpenError::NoLock;
            return nullptr;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            error = errno == EWOULDBLOCK ? SynthOpenError::Busy : SynthOpenError::NoLock;
            ::close(fd);
            return nullptr;
        }
        return std::unique_ptr<FileLock>(new FileLock(fd));
    }
    ~FileLock() { ::close(fd_); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    explicit FileLock(int fd) : fd_(fd) {}
    int fd_;
};

}  // namespace

std::vector<std::string> defaultSoundfontPaths() {
    return {
        "/usr/share/sounds/sf2/TimGM6mb.sf2",           // timgm6mb-soundfont
        "/usr/share/sounds/sf2/FluidR3_GM.sf2",         // fluid-soundfont-gm
        "/usr/share/sounds/sf3/MuseScore_General.sf3",  // musescore-general-soundfont-small
        "/usr/share/sounds/sf2/MuseScore_General.sf2",  // its uncompressed form
        "/usr/share/sounds/sf2/default-GM.sf2",         // whatever the system chose
        "/usr/share/sounds/sf3/default-GM.sf3",
    };
}

struct BuiltinSynth::Impl {
    std::unique_ptr<FileLock> lock;
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_audio_driver_t* driver = nullptr;

    ~Impl() {
        // The driver calls into the synth, the synth reads its settings.
        if (driver != nullptr) {
            delete_fluid_audio_driver(driver);
        }
        if (synth != nullptr) {
            delete_fluid_synth(synth);
        }
        if (settings != nullptr) {
            delete_fluid_settings(settings);
        }
    }
};

BuiltinSynth::BuiltinSynth(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
BuiltinSynth::~BuiltinSynth() = default;

std::unique_ptr<BuiltinSynth> BuiltinSynth::create(const BuiltinSynthOptions& options,
                                                   SynthOpenError* error) {
    SynthOpenError ignored = SynthOpenError::None;
    SynthOpenError& why = error != nullptr ? *error : ignored;
    why = SynthOpenError::None;
    quietLibraryLog();

    auto impl = std::make_unique<Impl>();
    std::string lockDir = options.lockDir;
    if (lockDir.empty()) {
        lockDir = userRuntimeDir().value_or("");
    }
    if (lockDir.empty() || !ensurePrivateDir(lockDir)) {
        why = SynthOpenError::NoLock;
        return nullptr;
    }
    impl->lock = FileLock::acquire(lockDir + "/builtin-synth.lock", why);
    if (!impl->lock) {
        return nullptr;
    }

    impl->settings = new_fluid_settings();
    if (impl->settings == nullptr) {
        why = SynthOpenError::Failed;
        return nullptr;
    }
    fluid_settings_setint(impl->settings, "synth.threadsafe-api", 1);
    fluid_settings_setnum(impl->settings, "synth.sample-rate", 48000.0);
    fluid_settings_setnum(impl->settings, "synth.gain", 0.5);
    // Short audio buffers: the synth plays a message at the next buffer it renders.
    fluid_settings_setint(impl->settings, "audio.period-size", 256);
    fluid_settings_setint(impl->settings, "audio.periods", 2);
    fluid_settings_setstr(impl->settings, "audio.jack.id", options.jackClientName.c_str());
    fluid_settings_setint(impl->settings, "audio.jack.autoconnect", 1);
    fluid_settings_setint(impl->settings, "audio.jack.multi", 0);
    fluid_settings_setstr(impl->settings, "audio.pulseaudio.media-role", "music");

    impl->synth = new_fluid_synth(impl->settings);
    if (impl->synth == nullptr) {
        why = SynthOpenError::Failed;
        return nullptr;
    }
    std::string soundfont;
    for (const std::string& path : options.soundfonts) {
        if (readable(path) && fluid_synth_sfload(impl->synth, path.c_str(), 1) != FLUID_FAILED) {
            soundfont = path;
            break;
        }
    }
    if (soundfont.empty()) {
        why = SynthOpenError::NoSoundfont;
        return nullptr;
    }

    std::string driverName;
    if (options.playAudio) {
        std::vector<const char*> drivers;
        if (options.jackServerRunning) {
            drivers.push_back("jack");
        }
        for (const char* name : {"pipewire", "pulseaudio", "alsa"}) {
            drivers.push_back(name);
        }
        for (const char* name : drivers) {
            if (fluid_settings_setstr(impl->settings, "audio.driver", name) != FLUID_OK) {
                continue;
            }
            // A JACK server busy with other clients now and then refuses one; ask twice.
            const int attempts = std::string_view(name) == "jack" ? 2 : 1;
            for (int i = 0; i < attempts && impl->driver == nullptr; ++i) {
                impl->driver = new_fluid_audio_driver(impl->settings, impl->synth);
            }
            if (impl->driver != nullptr) {
                driverName = name;
                break;
            }
        }
        if (impl->driver == nullptr) {
            why = SynthOpenError::NoAudio;
            return nullptr;
        }
    }

    auto synth = std::unique_ptr<BuiltinSynth>(new BuiltinSynth(std::move(impl)));
    synth->soundfont_ = soundfont;
    synth->audioDriver_ = driverName;
    return synth;
}

void BuiltinSynth::send(std::uint32_t packed) {
    const ShortMessageBytes message = shortMessageBytes(packed);
    if (message.length == 0) {
        return;
    }
    fluid_synth_t* synth = impl_->synth;
    const int status = message.bytes[0];
    const int channel = status & 0x0F;
    const int d1 = message.bytes[1];
    const int d2 = message.bytes[2];
    switch (status & 0xF0) {
        case 0x80:
            fluid_synth_noteoff(synth, channel, d1);
            break;
        case 0x90:
            if (d2 == 0) {
                fluid_synth_noteoff(synth, channel, d1);
            } else {
                fluid_synth_noteon(synth, channel, d1, d2);
            }
            break;
        case 0xA0:
            fluid_synth_key_pressure(synth, channel, d1, d2);
            break;
        case 0xB0:
            fluid_synth_cc(synth, channel, d1, d2);
            break;
        case 0xC0:
            fluid_synth_program_change(synth, channel, d1);
            break;
        case 0xD0:
            fluid_synth_channel_pressure(synth, channel, d1);
            break;
        case 0xE0:
            fluid_synth_pitch_bend(synth, channel, d1 | (d2 << 7));
            break;
        default:
            if (status == 0xFF) {
                fluid_synth_system_reset(synth);
            }
            break;
    }
}

void BuiltinSynth::render(float* left, float* right, int frames) {
    if (impl_->driver != nullptr || frames <= 0) {
        return;
    }
    fluid_synth_write_float(impl_->synth, frames, left, 0, 1, right, 0, 1);
}

double BuiltinSynth::sampleRate() const {
    double rate = 0;
    fluid_settings_getnum(impl_->settings, "synth.sample-rate", &rate);
    return rate;
}

}  // namespace platform
