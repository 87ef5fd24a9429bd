// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "history/CheckStats.h"

#include <algorithm>
#include <limits>

namespace {

std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b)
{
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return std::numeric_limits<std::int64_t>::max();
    return sum;
}

void KeepLower(std::optional<std::int64_t> &kept, std::optional<std::int64_t> value)
{
    if (value && (!kept || *value < *kept))
        kept = value;
}

void KeepHigher(std::optional<std::int64_t> &kept, std::optional<std::int64_t> value)
{
    if (value && (!kept || *value > *kept))
        kept = value;
}

} // namespace

void CheckStats::AddCheck(bool succeeded, std::int64_t elapsedNs, FailureReason reason)
{
    ++checks;
    if (!succeeded) {
        ++failed;
        reasons.Add(reason);
        return;
    }
    ++ok;
    const std::int64_t latency = std::max<std::int64_t>(0, elapsedNs);
    latencySumNs = SaturatingAdd(latencySumNs, latency);
    KeepLower(latencyMinNs, latency);
    KeepHigher(latencyMaxNs, latency);
    histogram.Add(std::chrono::nanoseconds(latency));
}

void CheckStats::Merge(const CheckStats &other)
{
    checks += other.checks;
    ok += other.ok;
    failed += other.failed;
    latencySumNs = SaturatingAdd(latencySumNs, other.latencySumNs);
    KeepLower(latencyMinNs, other.latencyMinNs);
    KeepHigher(latencyMaxNs, other.latencyMaxNs);
    histogram.Merge(other.histogram);
    reasons.Merge(other.reasons);
}
