#include "jack_server.h"

#include <fcntl.h>
#include <jack/jack.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/jack_library.h"

namespace testsupport {

namespace {

using Clock = std::chrono::steady_clock;

std::string tempPath(const std::string& what) {
    std::string pattern = "/tmp/thrumbleworx-" + what + "-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd >= 0) {
        ::close(fd);
    }
    return pattern;
}

bool serverAnswers(const std::string& name) {
    // The program's own clients may be opening or closing in this process meanwhile.
    std::lock_guard library(platform::jackClientLock());
    jack_status_t status{};
    jack_client_t* probe =
        jack_client_open("probe", static_cast<jack_options_t>(JackNoStartServer | JackServerName),
                         &status, name.c_str());
    if (probe == nullptr) {
        return false;
    }
    jack_client_close(probe);
    return true;
}

void quiet(const char*) {}

// A client killed while it created the JACK library's metadata store leaves an empty region
// file behind, and every later client dies of SIGBUS mapping it. The store is rebuilt by the
// next client, so a broken one is removed.
void removeBrokenMetadataStore() {
    namespace fs = std::filesystem;
    const fs::path store = "/dev/shm/jack_db-" + std::to_string(getuid());
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(store, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("__db.", 0) == 0 && entry.file_size(error) == 0) {
            fs::remove_all(store, error);
            return;
        }
    }
}

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::spawn(const std::vector<std::string>& argv,
                                                  const std::string& outputPath) {
    const std::string sink = outputPath.empty() ? "/dev/null" : outputPath;
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        return nullptr;
    }
    if (pid == 0) {
        // Only async-signal-safe calls until exec. A test that dies (a sanitizer's abort, a
        // timeout) must not leave its server running for the next one: the child gets SIGTERM
        // when the test process ends.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) {
            _exit(127);
        }
        const int out = ::open(sink.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = ::open("/dev/null", O_RDONLY);
        if (out < 0 || in < 0) {
            _exit(127);
        }
        dup2(in, 0);
        dup2(out, 1);
        dup2(out, 2);
        execvp(args[0], args.data());
        _exit(127);
    }
    return std::unique_ptr<ChildProcess>(new ChildProcess(pid));
}

ChildProcess::~ChildProcess() {
    stop();
}

bool ChildProcess::exited() {
    if (!done_ && waitpid(pid_, &status_, WNOHANG) == pid_) {
        done_ = true;
    }
    return done_;
}

int ChildProcess::stop(int graceMs) {
    if (exited()) {
        return status_;
    }
    kill(pid_, SIGTERM);
    const auto giveUp = Clock::now() + std::chrono::milliseconds(graceMs);
    while (Clock::now() < giveUp) {
        if (exited()) {
            return status_;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, &status_, 0);
    done_ = true;
    return -1;
}

std::unique_ptr<JackServer> JackServer::start(const Options& options, std::string* error) {
    jack_set_error_function(quiet);
    jack_set_info_function(quiet);
    removeBrokenMetadataStore();
    if (serverAnswers("thrumbleworx-test")) {
        if (error != nullptr) {
            *error = "a JACK server named thrumbleworx-test is running already (left over?)";
        }
        return nullptr;
    }
    auto server = std::unique_ptr<JackServer>(new JackServer());
    // One fixed name: the library keeps a few server slots per user and takes back the slot of
    // a dead server only for a new server of the same name, so servers named afresh each time
    // would use up the slots whenever one dies without cleaning up. Tests that start a server
    // run one at a time (the `jackd` resource lock).
    server->name_ = "thrumbleworx-test";
    server->logPath_ = tempPath("jackd-log");

    for (const bool realtime : {true, false}) {
        std::vector<std::string> argv = {"jackd"};
        if (!realtime) {
            argv.push_back("--no-realtime");
        }
        for (const std::string& a :
             {std::string("-n"), server->name_, std::string("-d"), std::string("dummy"),
              std::string("-r"), std::to_string(options.rate), std::string("-p"),
              std::to_string(options.period)}) {
            argv.push_back(a);
        }
        server->process_ = ChildProcess::spawn(argv, server->logPath_);
        if (!server->process_) {
            break;
        }
        const auto giveUp = Clock::now() + std::chrono::seconds(10);
        while (Clock::now() < giveUp && !server->process_->exited()) {
            if (serverAnswers(server->name_)) {
                server->realtime_ = realtime;
                const char* previous = std::getenv("JACK_DEFAULT_SERVER");
                server->hadPreviousServer_ = previous != nullptr;
                server->previousServer_ = previous != nullptr ? previous : "";
                setenv("JACK_DEFAULT_SERVER", server->name_.c_str(), 1);
                return server;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        server->process_->stop();
        server->process_.reset();
    }
    if (error != nullptr) {
        std::ifstream log(server->logPath_);
        std::stringstream text;
        text << log.rdbuf();
        *error = "jackd did not start: " + text.str();
    }
    return nullptr;
}

JackServer::~JackServer() {
    if (hadPreviousServer_) {
        setenv("JACK_DEFAULT_SERVER", previousServer_.c_str(), 1);
    } else {
        unsetenv("JACK_DEFAULT_SERVER");
    }
    if (process_) {
        process_->stop();
    }
    std::remove(logPath_.c_str());
}

std::string jackMidiRecorderPath() {
    return THRUMBLEWORX_JACK_MIDI_RECORDER;
}

std::unique_ptr<JackRecorder> JackRecorder::start(const std::string& clientName,
                                                  std::string* error) {
    auto recorder = std::unique_ptr<JackRecorder>(new JackRecorder());
    recorder->clientName_ = clientName;
    recorder->outputPath_ = tempPath("recorder");
    const std::string logPath = recorder->outputPath_ + ".log";
    std::string why;
    // A server that is busy with other clients now and then refuses one: try again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        recorder->process_ = ChildProcess::spawn(
            {jackMidiRecorderPath(), "--name", clientName, "--output", recorder->outputPath_},
            logPath);
        if (!recorder->process_) {
            why = "could not run " + jackMidiRecorderPath();
            break;
        }
        // It writes its first line once its port is active.
        const auto giveUp = Clock::now() + std::chrono::seconds(10);
        while (Clock::now() < giveUp && !recorder->process_->exited()) {
            std::ifstream in(recorder->outputPath_);
            std::string line;
            if (std::getline(in, line) && line.rfind("# rate", 0) == 0) {
                std::remove(logPath.c_str());
                return recorder;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        recorder->process_->stop();
        std::ifstream log(logPath);
        std::stringstream text;
        text << log.rdbuf();
        why = "the recorder did not come up: " + text.str();
    }
    std::remove(logPath.c_str());
    if (error != nullptr) {
        *error = why;
    }
    return nullptr;
}

JackRecorder::~JackRecorder() {
    if (process_) {
        process_->stop();
    }
    std::remove(outputPath_.c_str());
}

std::vector<RecordedEvent> JackRecorder::stop() {
    process_->stop();
    std::vector<RecordedEvent> events;
    std::ifstream in(outputPath_);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        RecordedEvent event;
        fields >> event.frame >> event.usecs;
        std::string byte;
        while (fields >> byte) {
            if (byte != "--") {
                event.bytes.push_back(static_cast<std::uint8_t>(std::stoul(byte, nullptr, 16)));
            }
        }
        events.push_back(std::move(event));
    }
    return events;
}

}  // namespace testsupport
