#include "platform/builtin_synth.h"

#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <fluidsynth.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>
#include <optional>
#include <string_view>

#include "platform/audio_timeline.h"
#include "platform/clock.h"
#include "platform/jack_event_placer.h"
#include "platform/jack_library.h"
#include "platform/midi_event_queue.h"
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

// Messages wait in a queue for the thread that renders the sound, which plays each at its
// frame inside the buffer being rendered, cutting the buffer there.
struct BuiltinSynth::Impl {
    struct Event {
        std::uint32_t packed = 0;
        std::int64_t stampNs = 0;
    };
    static constexpr std::uint32_t kAskedPeriodFrames = 256;
    // A message further ahead than this is taken as a mistake: none sent after it may overtake
    // it, so waiting for it would hold everything up.
    static constexpr std::int64_t kLongestLeadNs = 1'000'000'000;
    // After a stall of the audio output (a suspended device), notes that should have started
    // this long ago are not started at all: they would all sound at once.
    static constexpr std::int64_t kStaleNoteNs = 100'000'000;

    std::unique_ptr<FileLock> lock;
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_audio_driver_t* driver = nullptr;
    std::int64_t senderMarginNs = kDefaultSenderMarginNs;
    double rate = 48000;

    MidiEventQueue<Event, 4096> queue;
    std::atomic<std::uint32_t> periodFrames{kAskedPeriodFrames};
    std::atomic<bool> overflowed{false};
    // The rendering thread's own state.
    std::optional<AudioTimeline> timeline;
    JackEventPlacer placer;
    Event held;
    bool holding = false;
    std::int64_t offlineStartNs = 0;  // render() without a time
    std::uint64_t offlineFrames = 0;

    std::int64_t latencyNs() const {
        return senderMarginNs +
               static_cast<std::int64_t>(periodFrames.load(std::memory_order_relaxed) * 1e9 / rate);
    }
    void apply(std::uint32_t packed);
    void renderBuffer(std::int64_t nowNs, int frames, int nfx, float* fx[], int nout, float* out[]);
    void process(int from, int count, int nfx, float* fx[], int nout, float* out[]);
    static int audioCallback(void* data, int len, int nfx, float* fx[], int nout, float* out[]) {
        static_cast<Impl*>(data)->renderBuffer(monotonicNs(), len, nfx, fx, nout, out);
        return FLUID_OK;
    }

    ~Impl() {
        // The driver calls into the synth, the synth reads its settings.
        if (driver != nullptr) {
            std::lock_guard library(jackClientLock());  // the driver may be a JACK client
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
    impl->senderMarginNs = options.senderMarginNs;
    fluid_settings_setint(impl->settings, "synth.threadsafe-api", 1);
    fluid_settings_setnum(impl->settings, "synth.sample-rate", impl->rate);
    fluid_settings_setnum(impl->settings, "synth.gain", 0.5);
    // Short audio buffers: a message must wait for the buffer before the one that holds it.
    fluid_settings_setint(impl->settings, "audio.period-size", Impl::kAskedPeriodFrames);
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
                std::lock_guard library(jackClientLock());
                impl->driver =
                    new_fluid_audio_driver2(impl->settings, &Impl::audioCallback, impl.get());
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

void BuiltinSynth::send(std::uint32_t packed, std::int64_t stampNs, std::int64_t nowNs) {
    if (shortMessageBytes(packed).length == 0) {
        return;
    }
    const std::int64_t now = nowNs != 0 ? nowNs : monotonicNs();
    if (stampNs == 0) {
        stampNs = now;
    }
    if (!impl_->queue.push({packed, std::min(stampNs, now + Impl::kLongestLeadNs)})) {
        impl_->overflowed.store(true, std::memory_order_relaxed);
    }
}

std::int64_t BuiltinSynth::latencyNs() const {
    return impl_->latencyNs();
}

void BuiltinSynth::Impl::apply(std::uint32_t packed) {
    const ShortMessageBytes message = shortMessageBytes(packed);
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

void BuiltinSynth::render(float* left, float* right, int frames, std::int64_t nowNs) {
    if (impl_->driver != nullptr || frames <= 0) {
        return;
    }
    std::fill(left, left + frames, 0.0f);
    std::fill(right, right + frames, 0.0f);
    if (nowNs == 0) {
        // Rendered on demand, as fast as asked: the stream's own frames are its clock.
        if (impl_->offlineStartNs == 0) {
            impl_->offlineStartNs = monotonicNs();
        }
        nowNs = impl_->offlineStartNs +
                static_cast<std::int64_t>(static_cast<double>(impl_->offlineFrames) * 1e9 /
                                          impl_->rate);
        impl_->offlineFrames += static_cast<std::uint64_t>(frames);
    }
    float* out[] = {left, right};
    impl_->renderBuffer(nowNs, frames, 0, nullptr, 2, out);
}

void BuiltinSynth::Impl::renderBuffer(std::int64_t nowNs, int frames, int nfx, float* fx[],
                                      int nout, float* out[]) {
    if (frames <= 0) {
        return;
    }
    const auto length = static_cast<std::uint32_t>(frames);
    if (length > periodFrames.load(std::memory_order_relaxed)) {
        periodFrames.store(length, std::memory_order_relaxed);
    }
    if (!timeline) {
        // The driver may have settled on the device's rate.
        fluid_settings_getnum(settings, "synth.sample-rate", &rate);
        timeline.emplace(rate);
    }
    timeline->beginBuffer(nowNs);
    placer.beginCycle(timeline->startFrame(), length);
    const std::int64_t latency = latencyNs();
    const auto staleFrames = static_cast<std::int64_t>(kStaleNoteNs * rate / 1e9);
    int done = 0;
    for (;;) {
        if (!holding) {
            if (!queue.pop(held)) {
                break;
            }
            holding = true;
        }
        const std::uint32_t target = timeline->frameAt(held.stampNs + latency);
        const JackEventPlacer::Place place = placer.place(target);
        if (!place.offset) {
            break;  // a later buffer's, and so is everything sent after it
        }
        const int at = static_cast<int>(*place.offset);
        process(done, at - done, nfx, fx, nout, out);
        done = at;
        const bool noteOn = (held.packed & 0xF0) == 0x90 && (held.packed >> 16 & 0x7F) != 0;
        const auto lateBy =
            static_cast<std::int32_t>(timeline->startFrame() + *place.offset - target);
        if (!(noteOn && lateBy > staleFrames)) {
            apply(held.packed);
        }
        placer.commit(*place.offset);
        holding = false;
    }
    if (overflowed.exchange(false, std::memory_order_relaxed)) {
        // Messages were lost, note offs perhaps among them: silence what may be left hanging.
        for (std::uint32_t channel = 0; channel < 16; ++channel) {
            apply(0xB0 | channel | 123u << 8);
        }
    }
    process(done, frames - done, nfx, fx, nout, out);
    timeline->endBuffer(length);
}

void BuiltinSynth::Impl::process(int from, int count, int nfx, float* fx[], int nout,
                                 float* out[]) {
    constexpr int kMostBuffers = 16;
    if (count <= 0 || nout <= 0 || nout > kMostBuffers || nfx > kMostBuffers) {
        return;
    }
    std::array<float*, kMostBuffers> dry{};
    std::array<float*, kMostBuffers> wet{};
    for (int i = 0; i < nout; ++i) {
        dry[static_cast<std::size_t>(i)] = out[i] + from;
    }
    int wetCount = nfx;
    if (nfx == 0) {
        // Drivers without effect buffers: reverb and chorus go into the dry pair.
        wetCount = 4;
        for (std::size_t i = 0; i < 4; ++i) {
            wet[i] = dry[i % static_cast<std::size_t>(std::min(nout, 2))];
        }
    } else {
        for (int i = 0; i < nfx; ++i) {
            wet[static_cast<std::size_t>(i)] = fx[i] + from;
        }
    }
    fluid_synth_process(synth, count, wetCount, wet.data(), nout, dry.data());
}

double BuiltinSynth::sampleRate() const {
    double rate = 0;
    fluid_settings_getnum(impl_->settings, "synth.sample-rate", &rate);
    return rate;
}

}  // namespace platform
