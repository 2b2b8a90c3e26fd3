#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace platform {

// How long after their stamps messages were handed to a device: the timer's tick, its thread's
// wake-up and the step's own work. Kept in 50 us bins up to 20 ms (one more bin holds the rest)
// so that recording costs two relaxed additions and never allocates. One writer at a time;
// readers on other threads see counts that are each whole but may be a message apart.
class HandOverHistogram {
public:
    static constexpr std::int64_t kBinNs = 50'000;
    static constexpr std::size_t kBins = 400;

    void record(std::int64_t delayNs) {
        const std::int64_t clamped = delayNs < 0 ? 0 : delayNs;
        const std::size_t bin = static_cast<std::size_t>(clamped / kBinNs);
        bins_[bin < kBins ? bin : kBins].fetch_add(1, std::memory_order_relaxed);
        if (clamped > max_.load(std::memory_order_relaxed)) {
            max_.store(clamped, std::memory_order_relaxed);
        }
    }

    std::uint64_t count() const {
        std::uint64_t n = 0;
        for (const auto& bin : bins_) {
            n += bin.load(std::memory_order_relaxed);
        }
        return n;
    }

    // The upper edge of the bin that holds the p-th percentile (0 < p <= 100), so the figure
    // never understates the delay; the exact maximum past the last bin. 0 with nothing recorded.
    std::int64_t percentileNs(double p) const {
        const std::uint64_t n = count();
        if (n == 0) {
            return 0;
        }
        const double wanted = p / 100.0 * static_cast<double>(n);
        std::uint64_t seen = 0;
        for (std::size_t i = 0; i < kBins; ++i) {
            seen += bins_[i].load(std::memory_order_relaxed);
            if (static_cast<double>(seen) >= wanted) {
                const std::int64_t edge = static_cast<std::int64_t>(i + 1) * kBinNs;
                return edge < maxNs() ? edge : maxNs();
            }
        }
        return maxNs();
    }

    std::int64_t maxNs() const { return max_.load(std::memory_order_relaxed); }

private:
    std::array<std::atomic<std::uint64_t>, kBins + 1> bins_{};
    std::atomic<std::int64_t> max_{0};
};

}  // namespace platform
