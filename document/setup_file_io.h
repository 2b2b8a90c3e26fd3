#pragma once

#include <optional>
#include <string>

#include "model/setup_doc.h"
#include "model/setup_file.h"

// Opening and saving the setup as a settings file.

// Window titles: other running copies find this one by the start of its title.
inline constexpr const char* titleBeforeAnyFile = " -  +  \u00f7  x";
inline constexpr const char* titlePrefix = " -  +  \u00f7  x :   ";

// Settings files are small; anything larger than this is not one.
inline constexpr std::size_t maxSetupFileBytes = 64u << 20;

// What reading and writing need from the window around the setup.
class SetupFileHost {
public:
    virtual ~SetupFileHost() = default;
    // The base colour and the window's top-left corner, saved with the setup.
    virtual WindowPlacement windowPlacement() const = 0;
    // After a read has been committed: bring the port, the dials, the panel, the window's
    // position and colour and its title in line with the setup (doc.title is already set).
    virtual void refreshAfterRead(CSetupDoc& doc, const SetupFileContents& read) = 0;
    // After a save: show doc.title.
    virtual void showTitle(const CSetupDoc& doc) = 0;
};

// The title for a setup stored at `path`.
std::string setupTitle(const std::string& path);

// Saves the setup. On success `path` and `title` name the file and `modified` is clear. On
// failure nothing changes and the message says which file and what went wrong.
std::optional<std::string> writeSetupFile(CSetupDoc& doc, const std::string& path,
                                          SetupFileHost& host);

// Opens a settings file. The whole file is read and checked before the setup changes; on
// failure the setup, `path`, `title` and `modified` stay as they were and the message says
// which file and what went wrong.
std::optional<std::string> readSetupFile(CSetupDoc& doc, const std::string& path,
                                         SetupFileHost& host);
