#include "setup_file_io.h"

#include <cstdint>
#include <vector>

#include "platform/file_io.h"

namespace {

std::string failure(const char* action, const std::string& path, const std::string& why) {
    return std::string("Could not ") + action + " \"" + path + "\": " + why + ".";
}

}  // namespace

std::string setupTitle(const std::string& path) {
    return titlePrefix + platform::displayFileName(path);
}

std::optional<std::string> writeSetupFile(CSetupDoc& doc, const std::string& path,
                                          SetupFileHost& host) {
    const auto bytes = encodeSetupFile(captureSetupFile(doc, host.windowPlacement()));
    if (auto error = platform::writeFileDurably(path, bytes)) {
        return failure("save", path, *error);
    }
    doc.path = path;
    doc.title = setupTitle(path);
    host.showTitle(doc);
    doc.modified = 0;
    return std::nullopt;
}

std::optional<std::string> readSetupFile(CSetupDoc& doc, const std::string& path,
                                         SetupFileHost& host) {
    std::vector<std::uint8_t> bytes;
    if (auto error = platform::readFileBytes(path, bytes, maxSetupFileBytes)) {
        return failure("open", path, *error);
    }
    SetupFileContents contents = captureSetupFile(doc, host.windowPlacement());
    if (auto error = decodeSetupFile(bytes, contents)) {
        return failure("open", path, *error);
    }
    commitSetupFile(contents, doc);
    doc.path = path;
    doc.title = setupTitle(path);
    host.refreshAfterRead(doc, contents);
    doc.modified = 0;
    return std::nullopt;
}
