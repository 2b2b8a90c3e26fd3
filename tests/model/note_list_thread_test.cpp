// The window thread replaces chords while the timer thread reads them.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>

#include "model/setup_doc.h"

TEST(NoteListThreads, AReaderAlwaysSeesAWholeChord) {
    CSample sample;
    std::atomic<bool> done{false};
    std::atomic<long> reads{0};
    std::atomic<long> torn{0};

    // Every chord the writer stores is k repeated (k % 7 + 1) times, so a reader that catches
    // a list half replaced sees mixed values or the wrong length.
    std::thread reader([&] {
        std::array<std::int32_t, 16> buffer{};
        while (!done.load(std::memory_order_relaxed)) {
            const std::size_t n = sample.notes.copyTo(buffer);
            if (n == 0 || n > 8) {
                ++torn;
                continue;
            }
            if (buffer[0] == 0) {
                continue;  // the first chord, before the writer starts
            }
            const std::int32_t k = buffer[0];
            bool whole = n == static_cast<std::size_t>(k % 7 + 1);
            for (std::size_t i = 1; i < n; ++i) {
                whole = whole && buffer[i] == k;
            }
            torn += whole ? 0 : 1;
            ++reads;
        }
    });

    sample.notes.assign({0});
    // Go on until the reader has had a fair chance to catch every kind of change.
    for (std::int32_t k = 1; k < 20000 || (reads.load() < 20000 && k < 5'000'000); ++k) {
        const std::vector<std::int32_t> chord(k % 7 + 1, k);
        switch (k % 3) {
            case 0:
                sample.notes.assign(chord);
                break;
            case 1: {
                CSample other;
                other.notes.assign(chord);
                sample.copyFrom(other);
                break;
            }
            default:
                sample.notes = NoteList(chord);
                break;
        }
    }
    done = true;
    reader.join();
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(torn.load(), 0);
}
