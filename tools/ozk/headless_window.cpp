#include "headless_window.h"

#include <iostream>

void HeadlessWindow::post(int message, std::intptr_t first, std::intptr_t second) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back({message, first, second});
    }
    arrived_.notify_one();
}

void HeadlessWindow::showNote(const std::string& text) {
    std::cerr << "ozk: " << text << "\n";
}

void HeadlessWindow::refreshAfterRead(CSetupDoc& doc, const SetupFileContents& read) {
    placement = {read.baseColor, read.windowLeft, read.windowTop};
    if (engine == nullptr || !choosePortFromFile) {
        return;
    }
    engine->releasePort();
    if (read.fileVersion >= 2.9f) {
        engine->selectPort(doc.midiOut.portName);
    } else {
        engine->openPort();
    }
}

void HeadlessWindow::dispatch(std::chrono::milliseconds timeout) {
    std::deque<Message> ready;
    {
        std::unique_lock lock(mutex_);
        arrived_.wait_for(lock, timeout, [this] { return !queue_.empty(); });
        ready.swap(queue_);
    }
    for (const Message& m : ready) {
        if (engine != nullptr) {
            engine->handleMessage(m.message, m.first, m.second);
        }
    }
}
