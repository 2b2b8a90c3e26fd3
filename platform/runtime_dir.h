#pragma once

#include <optional>
#include <string>

namespace platform {

// The per-user folder for this program's sockets and lock files: $XDG_RUNTIME_DIR/thrumbleworx,
// or /tmp/thrumbleworx-<uid> where there is no runtime folder. It is made with mode 0700 if
// missing. A folder of that name that is not a real directory owned by this user, or that
// others can enter, is never used (another user could otherwise plant or read our files).
std::optional<std::string> userRuntimeDir();

// The same checks and creation for a folder chosen by the caller.
bool ensurePrivateDir(const std::string& path);

}  // namespace platform
