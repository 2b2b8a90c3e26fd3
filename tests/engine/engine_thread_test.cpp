// Playing on the timer thread while the window thread edits, retimes and jumps.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "engine_fixture.h"

TEST(EngineThreads, EditingWhilePlaying) {
    CSetupDoc setup;
    RecordingBus bus;
    class CountingHost : public SilentEngineHost {
    public:
        std::atomic<int> posts{0};
        void post(int, std::intptr_t, std::intptr_t) override { ++posts; }
        void postStatusText(std::string) override { ++posts; }
    } host;
    platform::RecordingMidiOutput midi;
    ThreadTickSource ticks;
    CHiResTimer timer(platform::systemClock(), ticks);
    CPlayEngine engine(setup, host, bus, midi, timer);
    engine.wireUp();
    setup.tempoBpm = 3000;  // a step every 5 ms

    engine.startPlayback();
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
    for (int i = 0; std::chrono::steady_clock::now() < end; ++i) {
        CSample& s = setup.measures[i % 8].samples[i % 16];
        s.notes.assign(std::vector<std::int32_t>(i % 5, i % 24));
        s.setAttribute(ATTR_VELOCITY, i % 128);
        s.setAttribute(ATTR_DURATION, i % 18);
        s.setAttribute(ATTR_ON, i % 3);
        if (i % 50 == 0) {
            setup.tempoBpm = 2000 + i % 2000;
            engine.tempoChanged();
        }
        if (i % 70 == 0) {
            engine.jumpPlayback(i % 8);
        }
        if (i % 90 == 0) {
            engine.releasePort();
            engine.selectPort("MIDI Mapper");
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    engine.stopPlayback();
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_GT(engine.stepsPlayed(), 20u);
    EXPECT_TRUE(engine.heldNotes.empty());
}
