#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform {

// Reads a whole regular file. Returns what went wrong, in words for the user, or nullopt.
std::optional<std::string> readFileBytes(const std::string& path, std::vector<std::uint8_t>& out,
                                         std::size_t maxBytes);

// Replaces the file at `path` so that either the old or the new contents survive a crash or a
// power loss: the bytes go to a temporary file in the same folder, which is flushed to the disk
// and renamed over the target; then the folder is flushed. An existing file keeps its
// permission bits, and a symbolic link keeps pointing where it did: the file it names is
// replaced. Returns what went wrong, or nullopt once the bytes are on the disk.
std::optional<std::string> writeFileDurably(const std::string& path,
                                            std::span<const std::uint8_t> bytes);

// The file's name without its folder, as window titles show it.
std::string displayFileName(const std::string& path);

}  // namespace platform
