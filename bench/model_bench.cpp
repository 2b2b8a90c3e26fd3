// The cost of saving and opening a setup, and of a step's read of a chord.
#include <benchmark/benchmark.h>

#include <array>

#include "model/setup_file.h"

static void BM_EncodeSetupFile(benchmark::State& state) {
    const CSetupDoc doc;
    const auto contents = captureSetupFile(doc, {});
    for (auto _ : state) {
        benchmark::DoNotOptimize(encodeSetupFile(contents));
    }
}
BENCHMARK(BM_EncodeSetupFile);

static void BM_DecodeSetupFile(benchmark::State& state) {
    const CSetupDoc doc;
    const auto bytes = encodeSetupFile(captureSetupFile(doc, {}));
    for (auto _ : state) {
        SetupFileContents contents;
        benchmark::DoNotOptimize(decodeSetupFile(bytes, contents));
    }
}
BENCHMARK(BM_DecodeSetupFile);

static void BM_CopyChordForStep(benchmark::State& state) {
    const NoteList notes{0, 4, 7, 11};
    std::array<std::int32_t, 16> buffer{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(notes.copyTo(buffer));
    }
}
BENCHMARK(BM_CopyChordForStep);
