#include "platform/runtime_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace platform {

bool ensurePrivateDir(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid()) {
        return false;
    }
    if ((st.st_mode & 077) != 0 && chmod(path.c_str(), 0700) != 0) {
        return false;
    }
    return true;
}

std::optional<std::string> userRuntimeDir() {
    std::string path;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') {
        path = std::string(runtime) + "/thrumbleworx";
    } else {
        path = "/tmp/thrumbleworx-" + std::to_string(geteuid());
    }
    if (!ensurePrivateDir(path)) {
        return std::nullopt;
    }
    return path;
}

}  // namespace platform
