#pragma once

#include <optional>
#include <string>

#include "model/setup_file.h"

// Settings files as JSON text, so that setups can live under version control and be made by
// scripts. Each sample is one line, so a diff shows which steps changed.

std::string setupToJson(const SetupFileContents& contents);

// Parses JSON text into `contents`. Every key must be present, of the right type and within
// the range a settings file can hold; the message names the first key that is not.
// "fileVersion" may be present and is ignored.
std::optional<std::string> setupFromJson(const std::string& text, SetupFileContents& contents);
