#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace testsupport {

// Ends the test program if a test has not finished within its time: prints every thread's
// stack (through gdb, where it is installed) so that a hang in CI says where it hung, then
// aborts. Cancelled when it goes out of scope.
class HangWatchdog {
public:
    HangWatchdog(int seconds, std::string what);
    ~HangWatchdog();
    HangWatchdog(const HangWatchdog&) = delete;
    HangWatchdog& operator=(const HangWatchdog&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

}  // namespace testsupport
