#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

#include "document/setup_file_io.h"
#include "engine/play_engine.h"

// The window of the program, as far as a command-line tool needs one: a message queue the
// engine posts to, and the refresh after a settings file is read. Notes go to stderr.
class HeadlessWindow : public EngineHost, public SetupFileHost {
public:
    // Set once the engine exists; the refresh after a read reopens its port.
    CPlayEngine* engine = nullptr;
    // When false the refresh leaves the port alone (exporting records whatever plays).
    bool choosePortFromFile = true;
    WindowPlacement placement;

    // Engine side.
    void post(int message, std::intptr_t first, std::intptr_t second) override;
    void postStatusText(std::string) override {}
    void setPlayingLight(int, bool) override {}
    void setPlayingMeasure(int) override {}
    void setPlayButtonState(int) override {}
    void showNote(const std::string& text) override;
    bool isCtrlDown() override { return false; }

    // Settings-file side.
    WindowPlacement windowPlacement() const override { return placement; }
    void refreshAfterRead(CSetupDoc& doc, const SetupFileContents& read) override;
    void showTitle(const CSetupDoc&) override {}

    // Hands the messages posted so far to the engine, waiting up to `timeout` for one.
    void dispatch(std::chrono::milliseconds timeout);

private:
    struct Message {
        int message;
        std::intptr_t first, second;
    };
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<Message> queue_;
};
