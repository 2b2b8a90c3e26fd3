#pragma once

#include <cstdint>
#include <string>

// What the engine needs of the window around it. The panel fulfils it in the program; the
// command-line tool and the tests have plain ones.
class EngineHost {
public:
    virtual ~EngineHost() = default;

    // Any thread, never waits for the window thread: queues a message for the main window,
    // which hands it back to CPlayEngine::handleMessage on the window thread.
    virtual void post(int message, std::intptr_t first, std::intptr_t second) = 0;
    // Any thread, never waits: the text of the status field.
    virtual void postStatusText(std::string text) = 0;

    // Window thread.
    virtual void setPlayingLight(int strip, bool on) = 0;
    virtual void setPlayingMeasure(int measure) = 0;  // -1: none
    virtual void setPlayButtonState(int state) = 0;
    virtual void showNote(const std::string& text) = 0;
    virtual bool isCtrlDown() = 0;
};

// A window that shows nothing and has no keys down, for benchmarks and tools; override what
// you need.
class SilentEngineHost : public EngineHost {
public:
    void post(int, std::intptr_t, std::intptr_t) override {}
    void postStatusText(std::string) override {}
    void setPlayingLight(int, bool) override {}
    void setPlayingMeasure(int) override {}
    void setPlayButtonState(int) override {}
    void showNote(const std::string&) override {}
    bool isCtrlDown() override { return false; }
};

// Messages to every running copy, this one included.
class InstanceBus {
public:
    virtual ~InstanceBus() = default;
    // Returns how many copies the message was posted to.
    virtual int broadcast(int message, std::intptr_t first, std::intptr_t second) = 0;
};

// While a copy knows of no other: a broadcast reaches this copy alone.
class LoneInstanceBus final : public InstanceBus {
public:
    explicit LoneInstanceBus(EngineHost& host) : host_(host) {}
    int broadcast(int message, std::intptr_t first, std::intptr_t second) override {
        host_.post(message, first, second);
        return 1;
    }

private:
    EngineHost& host_;
};
