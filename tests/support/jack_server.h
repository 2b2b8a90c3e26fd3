#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Test support: a private JACK server on the dummy driver, and child programs such as the
// recording client, each started and stopped by the test itself.
namespace testsupport {

class ChildProcess {
public:
    // Starts argv[0] with the arguments; its stdout and stderr go to `outputPath` (or are
    // dropped when empty). Null if it could not be started.
    static std::unique_ptr<ChildProcess> spawn(const std::vector<std::string>& argv,
                                               const std::string& outputPath = {});
    ~ChildProcess();  // stop()
    // SIGTERM, up to `graceMs` for it to end, then SIGKILL. Returns the exit status as waitpid
    // gives it, or -1 if it had to be killed.
    int stop(int graceMs = 5000);
    // Whether it has ended on its own (collects it if so).
    bool exited();
    pid_t pid() const { return pid_; }

private:
    explicit ChildProcess(pid_t pid) : pid_(pid) {}
    pid_t pid_;
    bool done_ = false;
    int status_ = 0;
};

// `jackd -n thrumbleworx-test -d dummy -r RATE -p PERIOD`, in realtime mode where the system
// allows it and with --no-realtime otherwise. While it lives, JACK_DEFAULT_SERVER names it, so
// every client this process (or a child) opens afterwards goes to it. Only one can run at a
// time: tests that start one take the ctest resource lock `jackd`.
class JackServer {
public:
    struct Options {
        unsigned rate = 48000;
        unsigned period = 64;
    };
    // Null (with the reason in `error`) if no server came up within 10 seconds.
    static std::unique_ptr<JackServer> start(const Options& options, std::string* error = nullptr);
    ~JackServer();

    const std::string& name() const { return name_; }
    bool realtime() const { return realtime_; }
    const std::string& logPath() const { return logPath_; }

private:
    JackServer() = default;
    std::unique_ptr<ChildProcess> process_;
    std::string name_;
    std::string logPath_;
    std::string previousServer_;
    bool hadPreviousServer_ = false;
    bool realtime_ = false;
};

// One MIDI event as the recording client printed it.
struct RecordedEvent {
    std::uint32_t frame = 0;
    std::uint64_t usecs = 0;
    std::vector<std::uint8_t> bytes;
};

// The recording client (tests/support/jack_midi_recorder) as a child process.
class JackRecorder {
public:
    // Starts it under `clientName` and waits until its port "<clientName>:in" exists.
    static std::unique_ptr<JackRecorder> start(const std::string& clientName,
                                               std::string* error = nullptr);
    ~JackRecorder();
    std::string portName() const { return clientName_ + ":in"; }
    // Stops it and returns everything it recorded.
    std::vector<RecordedEvent> stop();

private:
    JackRecorder() = default;
    std::unique_ptr<ChildProcess> process_;
    std::string clientName_;
    std::string outputPath_;
};

// Path of the recorder program, set by the build.
std::string jackMidiRecorderPath();

}  // namespace testsupport
