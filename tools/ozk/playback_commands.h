#pragma once

#include <optional>
#include <string>

// The subcommands that play: each returns the exit status.

int listPorts();

struct PlayOptions {
    std::string path;
    std::optional<std::string> port;
    std::optional<double> seconds;
    std::optional<long> steps;
    std::optional<double> marginMs;  // how late the engine may hand a message over
    bool stats = false;              // print how the messages fared
};
int playFile(const PlayOptions& options);

int exportMidiFile(const std::string& path, const std::string& out, std::optional<long> steps);
