#include "platform/hand_over_histogram.h"

#include <gtest/gtest.h>

#include <vector>

#include "../support/case_name.h"

namespace {

struct Case {
    const char* what;
    std::vector<std::int64_t> delaysNs;
    double percentile;
    std::int64_t expectedNs;
};

class HandOverPercentile : public testing::TestWithParam<Case> {};

TEST_P(HandOverPercentile, IsTheUpperEdgeOfItsBinButNeverAboveTheMaximum) {
    platform::HandOverHistogram histogram;
    for (std::int64_t delay : GetParam().delaysNs) {
        histogram.record(delay);
    }
    EXPECT_EQ(histogram.percentileNs(GetParam().percentile), GetParam().expectedNs);
}

const std::int64_t kFar = 60'000'000;  // past the last bin

INSTANTIATE_TEST_SUITE_P(
    Cases, HandOverPercentile,
    testing::Values(
        Case{"empty", {}, 99, 0},
        Case{"one delay is its own every percentile", {120'000}, 50, 120'000},
        Case{"the maximum inside the bin", {120'000, 149'000}, 50, 149'000},
        Case{"ahead of time counts as none", {-5'000'000, -1}, 100, 0},
        Case{"a delay on a bin edge goes up", {50'000, 50'000, 60'000}, 50, 60'000},
        Case{"median of eight",
             {10'000, 20'000, 30'000, 40'000, 900'000, 910'000, 920'000, 930'000},
             50,
             50'000},
        Case{"beyond the last bin is the exact maximum", {100'000, kFar, kFar + 7}, 99, kFar + 7}),
    caseName<Case>);

}  // namespace
