// SPDX-License-Identifier: MIT
#include "history/CompactHistogram.h"

#include <bit>
#include <cmath>

namespace {

constexpr int kSubBucketBits = 4;
constexpr std::uint64_t kSubBuckets = std::uint64_t{1} << kSubBucketBits;
constexpr std::uint64_t kExactLimit = kSubBuckets * 2;
constexpr int kTopExponent = 62;
static_assert((kTopExponent - kSubBucketBits) * kSubBuckets + 2 * kSubBuckets == CompactHistogram::kBucketCount);

void AppendNumber(std::vector<std::uint8_t> &out, std::uint64_t value)
{
    while (value >= 0x80) {
        out.push_back(static_cast<std::uint8_t>(value | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(value));
}

// Reads one LEB128 number at `at`; false when the bytes end first or the
// number does not fit 64 bits.
bool ReadNumber(std::span<const std::uint8_t> bytes, std::size_t &at, std::uint64_t &value)
{
    value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        if (at >= bytes.size())
            return false;
        const std::uint8_t byte = bytes[at++];
        const std::uint64_t part = byte & 0x7f;
        if (shift == 63 && part > 1)
            return false;
        value |= part << shift;
        if ((byte & 0x80) == 0)
            return true;
    }
    return false;
}

} // namespace

std::size_t CompactHistogram::BucketOf(std::chrono::nanoseconds value) noexcept
{
    const auto v = value.count() > 0 ? static_cast<std::uint64_t>(value.count()) : 0;
    if (v < kExactLimit)
        return static_cast<std::size_t>(v);
    const int e = std::bit_width(v) - 1;
    const std::uint64_t top = v >> (e - kSubBucketBits);
    return static_cast<std::size_t>(std::uint64_t(e - kSubBucketBits) * kSubBuckets + top);
}

std::chrono::nanoseconds CompactHistogram::MiddleOf(std::size_t bucket) noexcept
{
    if (bucket < kExactLimit)
        return std::chrono::nanoseconds{static_cast<std::int64_t>(bucket)};
    const int e = static_cast<int>(bucket / kSubBuckets) + kSubBucketBits - 1;
    const std::uint64_t top = bucket % kSubBuckets + kSubBuckets;
    const int shift = e - kSubBucketBits;
    return std::chrono::nanoseconds{static_cast<std::int64_t>((top << shift) + (std::uint64_t{1} << (shift - 1)))};
}

void CompactHistogram::Add(std::chrono::nanoseconds value, std::uint64_t times)
{
    if (times == 0)
        return;
    if (buckets_.empty())
        buckets_.assign(kBucketCount, 0);
    buckets_[BucketOf(value)] += times;
    count_ += times;
}

void CompactHistogram::Merge(const CompactHistogram &other)
{
    if (other.count_ == 0)
        return;
    if (buckets_.empty())
        buckets_.assign(kBucketCount, 0);
    for (std::size_t i = 0; i < kBucketCount; ++i)
        buckets_[i] += other.buckets_[i];
    count_ += other.count_;
}

std::chrono::nanoseconds CompactHistogram::ValueAtPercentile(double percent) const noexcept
{
    if (count_ == 0)
        return std::chrono::nanoseconds{0};
    std::uint64_t rank = 1;
    if (percent >= 100.0)
        rank = count_;
    else if (percent > 0.0)
        rank = static_cast<std::uint64_t>(std::ceil(percent * static_cast<double>(count_) / 100.0));
    rank = std::max<std::uint64_t>(1, std::min(rank, count_));
    std::uint64_t seen = 0;
    for (std::size_t i = 0; i < kBucketCount; ++i) {
        seen += buckets_[i];
        if (seen >= rank)
            return MiddleOf(i);
    }
    return std::chrono::nanoseconds{0}; // not reached: the counts add up to count_
}

std::vector<std::uint8_t> CompactHistogram::Encode() const
{
    std::vector<std::uint8_t> out;
    if (count_ == 0)
        return out;
    std::size_t next = 0; // the first index the next gap counts from
    for (std::size_t i = 0; i < kBucketCount; ++i) {
        if (buckets_[i] == 0)
            continue;
        AppendNumber(out, i - next);
        AppendNumber(out, buckets_[i]);
        next = i + 1;
    }
    return out;
}

std::optional<CompactHistogram> CompactHistogram::Decode(std::span<const std::uint8_t> bytes)
{
    CompactHistogram histogram;
    std::size_t at = 0;
    std::uint64_t next = 0;
    while (at < bytes.size()) {
        std::uint64_t gap = 0;
        std::uint64_t count = 0;
        if (!ReadNumber(bytes, at, gap) || !ReadNumber(bytes, at, count))
            return std::nullopt;
        if (gap >= kBucketCount - next || count == 0 || count > UINT64_MAX - histogram.count_)
            return std::nullopt;
        const std::uint64_t index = next + gap;
        if (histogram.buckets_.empty())
            histogram.buckets_.assign(kBucketCount, 0);
        histogram.buckets_[index] = count;
        histogram.count_ += count;
        next = index + 1;
    }
    return histogram;
}

bool CompactHistogram::operator==(const CompactHistogram &other) const
{
    if (count_ != other.count_)
        return false;
    if (count_ == 0)
        return true;
    return buckets_ == other.buckets_;
}
