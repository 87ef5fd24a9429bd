// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// Counts of latencies in logarithmic buckets, small enough to store one per
// minute, hour and day of history, and to add up over any range so that
// percentiles come from the aggregates alone.
//
// Buckets: a value below 32 ns has a bucket of its own (exact). Above, each
// power of two is cut into 16 equal buckets, 960 buckets in all for the whole
// non-negative range of std::chrono::nanoseconds. A percentile is answered
// with its bucket's middle, so it is within 1/32 (3.2 %) of the true value
// (kRelativeErrorBound).
//
// Stored form (Encode/Decode): for each bucket with a count, in rising order,
// two unsigned LEB128 numbers: the buckets skipped since the previous one
// (for the first: its index), then the count. An empty histogram is an empty
// blob. A minute of checks at one latency takes 2 bytes; a day of varied
// latencies some dozens.
class CompactHistogram final {
public:
    static constexpr std::size_t kBucketCount = 960;
    static constexpr double kRelativeErrorBound = 1.0 / 32.0;

    // A negative value counts as 0.
    void Add(std::chrono::nanoseconds value, std::uint64_t times = 1);
    void Merge(const CompactHistogram &other);

    std::uint64_t Count() const noexcept { return count_; }

    // Nearest rank, as session/LatencyHistogram: the value at rank
    // ceil(percent / 100 * Count()), at least 1; 0 ns while empty.
    std::chrono::nanoseconds ValueAtPercentile(double percent) const noexcept;

    std::vector<std::uint8_t> Encode() const;
    // Nullopt for bytes that are no histogram (a bad number, a bucket past the
    // last, a total that overflows); they are never half read.
    static std::optional<CompactHistogram> Decode(std::span<const std::uint8_t> bytes);

    bool operator==(const CompactHistogram &other) const;

    // The bucket of a value and the value a bucket answers with.
    static std::size_t BucketOf(std::chrono::nanoseconds value) noexcept;
    static std::chrono::nanoseconds MiddleOf(std::size_t bucket) noexcept;

private:
    // Grows the window to hold `bucket`.
    void Cover(std::size_t bucket);

    // The counts of buckets first_ .. first_ + counts_.size() - 1: only the
    // stretch that holds values is kept, a few dozen buckets for a day of
    // one line's latencies, nothing while empty.
    std::size_t first_ = 0;
    std::vector<std::uint64_t> counts_;
    std::uint64_t count_ = 0;
};
