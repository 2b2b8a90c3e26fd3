// Clipboard blocks of any content either fail and leave the measure untouched, or fill all
// sixteen samples in a way that survives a copy and a paste.
#include <cstdint>
#include <cstdlib>

#include "model/measure_clipboard.h"

namespace {

bool sameSamples(const CMeasure& a, const CMeasure& b) {
    for (int i = 0; i < samplesPerMeasureMax; ++i) {
        if (!(a.samples[i] == b.samples[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (MeasureLayout layout : {MeasureLayout::current, MeasureLayout::older}) {
        const CMeasure before;
        CMeasure measure;
        if (decodeMeasureClipboard({data, size}, layout, measure)) {
            if (!sameSamples(measure, before)) {
                std::abort();
            }
            continue;
        }
        const auto block = encodeMeasureClipboard(measure, layout);
        if (block.empty() || block.size() % clipboardBlockStep != 0) {
            std::abort();
        }
        CMeasure again;
        if (decodeMeasureClipboard(block, layout, again) || !sameSamples(again, measure)) {
            std::abort();
        }
    }
    return 0;
}
