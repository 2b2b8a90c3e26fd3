#include <gtest/gtest.h>

#include <algorithm>

#include "file_bytes.h"
#include "model/measure_clipboard.h"

namespace {

CMeasure sampleMeasure() {
    CMeasure m;
    for (int i = 0; i < 16; ++i) {
        CSample& s = m.samples[i];
        s.on = i % 2;
        s.notes.assign({i - 8});
        s.program = static_cast<std::int16_t>(i == 5 ? -1 : i);
        s.velocity = static_cast<std::int16_t>(100 + i);
        s.pan = static_cast<std::int16_t>(i * 8);
        s.duration = static_cast<std::int16_t>(i);
    }
    m.samples[3].notes.assign({0, 4, 7});
    return m;
}

bool allZero(const std::vector<std::uint8_t>& b, std::size_t from) {
    return std::all_of(b.begin() + static_cast<long>(from), b.end(), [](auto x) { return x == 0; });
}

}  // namespace

TEST(MeasureClipboard, CurrentLayoutCarriesWholeChords) {
    const CMeasure m = sampleMeasure();
    const auto block = encodeMeasureClipboard(m, MeasureLayout::current);
    ASSERT_EQ(block.size(), 4096u);
    EXPECT_TRUE(allZero(block, 288 + 8));

    // Sample 0 record: on, count, notes, program, velocity, pan, duration.
    FileBytes first;
    first.i16(0).i32(1).i32(-8).i16(0).i16(100).i16(0).i16(0);
    EXPECT_TRUE(std::equal(first.bytes.begin(), first.bytes.end(), block.begin()));

    CMeasure pasted;
    pasted.nextMeasure = 5;
    ASSERT_FALSE(decodeMeasureClipboard(block, MeasureLayout::current, pasted));
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(pasted.samples[i], m.samples[i]) << i;
    }
    EXPECT_EQ(pasted.nextMeasure, 5);  // the chain is not carried
}

TEST(MeasureClipboard, OlderLayoutCarriesOnlyRoots) {
    CMeasure m = sampleMeasure();
    m.samples[7].notes.assign({});
    const auto block = encodeMeasureClipboard(m, MeasureLayout::older);
    ASSERT_EQ(block.size(), 4096u);
    EXPECT_TRUE(allZero(block, 192));

    CMeasure pasted;
    ASSERT_FALSE(decodeMeasureClipboard(block, MeasureLayout::older, pasted));
    EXPECT_EQ(pasted.samples[3].notes.values(), std::vector<std::int32_t>{0});
    // An empty chord goes as root 0, so the records after it stay in place.
    EXPECT_EQ(pasted.samples[7].notes.values(), std::vector<std::int32_t>{0});
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(pasted.samples[i].notes.size(), 1u);
        EXPECT_EQ(pasted.samples[i].program, m.samples[i].program) << i;
        EXPECT_EQ(pasted.samples[i].duration, m.samples[i].duration) << i;
        EXPECT_EQ(pasted.samples[i].on, m.samples[i].on) << i;
    }
}

TEST(MeasureClipboard, EmptyChordsAndLargeChords) {
    CMeasure m = sampleMeasure();
    m.samples[0].notes.assign({});
    m.samples[15].notes.assign(std::vector<std::int32_t>(1200, 3));
    const auto block = encodeMeasureClipboard(m, MeasureLayout::current);
    EXPECT_EQ(block.size(), 8192u);
    CMeasure pasted;
    ASSERT_FALSE(decodeMeasureClipboard(block, MeasureLayout::current, pasted));
    EXPECT_TRUE(pasted.samples[0].notes.empty());
    EXPECT_EQ(pasted.samples[15].notes.size(), 1200u);
}

TEST(MeasureClipboard, DamagedBlocksLeaveTheMeasureUntouched) {
    const auto good = encodeMeasureClipboard(sampleMeasure(), MeasureLayout::current);
    auto withFirstCount = [&](std::uint32_t count) {
        auto b = good;
        poke(b, 2, count, 4);
        return b;
    };
    const struct {
        const char* what;
        std::vector<std::uint8_t> block;
        MeasureLayout layout;
    } cases[] = {
        {"empty", {}, MeasureLayout::current},
        {"15 records", std::vector<std::uint8_t>(good.begin(), good.begin() + 290),
         MeasureLayout::current},
        {"older, 191 bytes", std::vector<std::uint8_t>(191, 0), MeasureLayout::older},
        {"count larger than the block", withFirstCount(5000), MeasureLayout::current},
        {"negative count", withFirstCount(0x80000000u), MeasureLayout::current},
    };
    for (const auto& c : cases) {
        const CMeasure before = sampleMeasure();
        CMeasure target = sampleMeasure();
        EXPECT_TRUE(decodeMeasureClipboard(c.block, c.layout, target)) << c.what;
        for (int i = 0; i < 16; ++i) {
            EXPECT_EQ(target.samples[i], before.samples[i]) << c.what;
        }
    }
}
