#include "platform/alsa_midi_backend.h"
#include "platform/builtin_synth.h"
#include "platform/jack_midi_backend.h"
#include "platform/midi_output.h"
#include "platform/midi_port_table.h"

namespace platform {

namespace {

class SynthPort final : public MidiDevicePort {
public:
    explicit SynthPort(std::unique_ptr<BuiltinSynth> synth) : synth_(std::move(synth)) {}
    void send(std::uint32_t packed, std::int64_t stampNs, std::int64_t nowNs) override {
        synth_->send(packed, stampNs, nowNs);
    }
    std::int64_t latencyNs() const override { return synth_->latencyNs(); }

private:
    std::unique_ptr<BuiltinSynth> synth_;
};

}  // namespace

std::unique_ptr<MidiOutput> makeSystemMidiOutput(const SystemMidiOptions& options) {
    std::vector<std::unique_ptr<MidiBackend>> backends;
    JackMidiBackend* jack = nullptr;
    if (options.useJack) {
        JackMidiOptions jackOptions;
        jackOptions.clientName = options.clientName;
        jackOptions.senderMarginNs = options.senderMarginNs;
        auto backend = std::make_unique<JackMidiBackend>(jackOptions);
        jack = backend.get();
        backends.push_back(std::move(backend));
    }
    if (options.useAlsa) {
        backends.push_back(
            std::make_unique<AlsaMidiBackend>(options.clientName, options.senderMarginNs));
    }
    auto openSynth = [jack, name = options.clientName,
                      margin = options.senderMarginNs]() -> std::unique_ptr<MidiDevicePort> {
        BuiltinSynthOptions synthOptions;
        synthOptions.senderMarginNs = margin;
        synthOptions.jackServerRunning = jack != nullptr && jack->connected();
        synthOptions.jackClientName = name + "-synth";
        auto synth = BuiltinSynth::create(synthOptions);
        if (!synth) {
            return nullptr;
        }
        return std::make_unique<SynthPort>(std::move(synth));
    };
    return std::make_unique<MidiPortTable>(std::move(backends), std::move(openSynth));
}

}  // namespace platform
