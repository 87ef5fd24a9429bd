// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "session/LatencyHistogram.h"

#include <bit>
#include <cmath>

namespace {

constexpr int kSubBucketBits = 7; // 128 buckets per power of two
constexpr std::uint64_t kSubBuckets = std::uint64_t{1} << kSubBucketBits;
// Below this every value has its own bucket.
constexpr std::uint64_t kExactLimit = kSubBuckets * 2;
// The highest power of two a non-negative 64-bit signed value can reach.
constexpr int kTopExponent = 62;
constexpr std::size_t kBucketCount = (kTopExponent - kSubBucketBits) * kSubBuckets + 2 * kSubBuckets;

// For v >= kExactLimit with highest bit e, the bucket is made of e and the
// top kSubBucketBits + 1 bits of v ("top", 128..255):
// index = (e - 7) * 128 + top, which follows the exact range without a gap.
std::size_t BucketOf(std::uint64_t v) noexcept
{
    if (v < kExactLimit)
        return static_cast<std::size_t>(v);
    const int e = std::bit_width(v) - 1;
    const std::uint64_t top = v >> (e - kSubBucketBits);
    return static_cast<std::size_t>(std::uint64_t(e - kSubBucketBits) * kSubBuckets + top);
}

// The middle of a bucket: its lower edge plus half its width.
std::uint64_t MiddleOf(std::size_t index) noexcept
{
    if (index < kExactLimit)
        return index;
    const int e = static_cast<int>(index / kSubBuckets) + kSubBucketBits - 1;
    const std::uint64_t top = index % kSubBuckets + kSubBuckets;
    const int shift = e - kSubBucketBits;
    return (top << shift) + (std::uint64_t{1} << (shift - 1));
}

static_assert(kBucketCount == 7296);

} // namespace

LatencyHistogram::LatencyHistogram()
    : buckets_(kBucketCount, 0)
{
}

void LatencyHistogram::Add(std::chrono::nanoseconds value) noexcept
{
    const auto v = value.count() > 0 ? static_cast<std::uint64_t>(value.count()) : 0;
    ++buckets_[BucketOf(v)];
    ++count_;
}

std::chrono::nanoseconds LatencyHistogram::ValueAtRank(std::uint64_t rank) const noexcept
{
    if (count_ == 0)
        return std::chrono::nanoseconds{0};
    if (rank < 1)
        rank = 1;
    if (rank > count_)
        rank = count_;
    std::uint64_t seen = 0;
    for (std::size_t i = 0; i < buckets_.size(); ++i) {
        seen += buckets_[i];
        if (seen >= rank)
            return std::chrono::nanoseconds{static_cast<std::int64_t>(MiddleOf(i))};
    }
    return std::chrono::nanoseconds{0}; // not reached: the counts add up to count_
}

std::chrono::nanoseconds LatencyHistogram::ValueAtPercentile(double percent) const noexcept
{
    if (!(percent > 0.0))
        return ValueAtRank(1);
    if (percent >= 100.0)
        return ValueAtRank(count_);
    // Multiplying first keeps whole percents of whole counts exact: 7 % of
    // 100 is rank 7, where 0.07 * 100 would round up to rank 8.
    return ValueAtRank(static_cast<std::uint64_t>(std::ceil(percent * static_cast<double>(count_) / 100.0)));
}

std::size_t LatencyHistogram::StorageBytes() const noexcept
{
    return buckets_.capacity() * sizeof(std::uint64_t);
}
