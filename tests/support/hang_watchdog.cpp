#include "hang_watchdog.h"

#include <sys/prctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace testsupport {

HangWatchdog::HangWatchdog(int seconds, std::string what) {
    thread_ = std::thread([this, seconds, what = std::move(what)] {
        std::unique_lock lock(mutex_);
        if (done_.wait_for(lock, std::chrono::seconds(seconds), [this] { return finished_; })) {
            return;
        }
        std::fprintf(stderr, "%s has not finished after %d s; the threads are at:\n", what.c_str(),
                     seconds);
        std::fflush(stderr);
        // A debugger started from here is our child, which Yama lets trace us only if asked.
        prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);
        const std::string command = "command -v gdb >/dev/null && gdb -p " +
                                    std::to_string(getpid()) +
                                    " -batch -ex 'thread apply all bt 25' 1>&2 2>/dev/null";
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "(no gdb to show them)\n");
        }
        std::abort();
    });
}

HangWatchdog::~HangWatchdog() {
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    done_.notify_all();
    thread_.join();
}

}  // namespace testsupport
