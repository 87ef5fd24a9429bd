// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "history/CompactHistogram.h"

#include <algorithm>
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

void CompactHistogram::Cover(std::size_t bucket)
{
    if (counts_.empty()) {
        first_ = bucket;
        counts_.assign(1, 0);
    } else if (bucket < first_) {
        counts_.insert(counts_.begin(), first_ - bucket, 0);
        first_ = bucket;
    } else if (bucket >= first_ + counts_.size()) {
        counts_.resize(bucket - first_ + 1, 0);
    }
}

void CompactHistogram::Add(std::chrono::nanoseconds value, std::uint64_t times)
{
    if (times == 0)
        return;
    const std::size_t bucket = BucketOf(value);
    Cover(bucket);
    counts_[bucket - first_] += times;
    count_ += times;
}

void CompactHistogram::Merge(const CompactHistogram &other)
{
    if (other.count_ == 0)
        return;
    Cover(other.first_);
    Cover(other.first_ + other.counts_.size() - 1);
    for (std::size_t i = 0; i < other.counts_.size(); ++i)
        counts_[other.first_ - first_ + i] += other.counts_[i];
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
    for (std::size_t i = 0; i < counts_.size(); ++i) {
        seen += counts_[i];
        if (seen >= rank)
            return MiddleOf(first_ + i);
    }
    return std::chrono::nanoseconds{0}; // not reached: the counts add up to count_
}

std::vector<std::uint8_t> CompactHistogram::Encode() const
{
    std::vector<std::uint8_t> out;
    if (count_ == 0)
        return out;
    std::size_t next = 0; // the first index the next gap counts from
    for (std::size_t i = 0; i < counts_.size(); ++i) {
        if (counts_[i] == 0)
            continue;
        AppendNumber(out, first_ + i - next);
        AppendNumber(out, counts_[i]);
        next = first_ + i + 1;
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
        const auto index = static_cast<std::size_t>(next + gap);
        histogram.Cover(index);
        histogram.counts_[index - histogram.first_] = count;
        histogram.count_ += count;
        next = index + 1;
    }
    return histogram;
}

bool CompactHistogram::operator==(const CompactHistogram &other) const
{
    if (count_ != other.count_)
        return false;
    // Equal counts in every bucket, however far each window reaches.
    const std::size_t low = std::min(first_, other.first_);
    const std::size_t high = std::max(first_ + counts_.size(), other.first_ + other.counts_.size());
    const auto at = [](const CompactHistogram &h, std::size_t i) {
        return i >= h.first_ && i < h.first_ + h.counts_.size() ? h.counts_[i - h.first_] : 0;
    };
    for (std::size_t i = low; i < high; ++i) {
        if (at(*this, i) != at(other, i))
            return false;
    }
    return true;
}
