// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

// Counts of durations in logarithmic buckets, for percentiles in memory that
// does not depend on how many values were added.
//
// Durations below 256 ns each have a bucket of their own (exact). Above, every
// power of two is cut into 128 equal buckets, so a bucket is at most 1/128 of
// its lower edge wide; a percentile is answered with the bucket's middle and
// is therefore within 1/256 (0.4 %) of the true value. The buckets span the
// whole non-negative range of std::chrono::nanoseconds (7296 counters, about
// 57 KiB), allocated once by the constructor; Add never allocates.
class LatencyHistogram final {
public:
    LatencyHistogram();

    // A negative duration counts as 0.
    void Add(std::chrono::nanoseconds value) noexcept;

    std::uint64_t Count() const noexcept { return count_; }

    // The value of the rank-th smallest duration (1-based), within the bound
    // above. Ranks are clamped to 1..Count(); 0 ns while the histogram is
    // empty.
    std::chrono::nanoseconds ValueAtRank(std::uint64_t rank) const noexcept;

    // Nearest rank: the value at rank ceil(percent / 100 * Count()), at
    // least 1. Percents outside 0..100 are clamped; NaN counts as 0.
    std::chrono::nanoseconds ValueAtPercentile(double percent) const noexcept;

    // The heap memory the buckets hold.
    std::size_t StorageBytes() const noexcept;

    // The largest relative error of ValueAtRank.
    static constexpr double kRelativeErrorBound = 1.0 / 256.0;

private:
    std::vector<std::uint64_t> buckets_;
    std::uint64_t count_ = 0;
};
