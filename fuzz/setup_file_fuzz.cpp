// Any bytes given to the settings-file reader either fail cleanly, leaving the contents as
// they were, or give contents within the reader's limits that survive a write and a read.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "model/setup_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const SetupFileContents before;
    SetupFileContents contents = before;
    if (decodeSetupFile({data, size}, contents)) {
        if (!(contents == before)) {
            std::abort();
        }
        return 0;
    }
    if (contents.channel < 1 || contents.channel > 16 || contents.editMeasure < 0 ||
        contents.editMeasure > 7 || contents.measureLength < 1 || contents.measureLength > 16 ||
        !std::isfinite(contents.tempoBpm)) {
        std::abort();
    }
    for (const auto& m : contents.measures) {
        if (m.nextMeasure < 0 || m.nextMeasure > 7) {
            std::abort();
        }
    }
    const auto bytes = encodeSetupFile(contents);
    SetupFileContents again;
    if (decodeSetupFile(bytes, again)) {
        std::abort();
    }
    again.fileVersion = contents.fileVersion;
    if (!(again == contents)) {
        std::abort();
    }
    return 0;
}
