// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>

// Arithmetic on monotonic readings that never overflows: sessions add up
// spans between arbitrary clock readings, so a span or a sum that would pass
// the longest duration is held there instead of wrapping.

// to - from, or 0 when to is not later; at most the longest duration.
inline std::chrono::nanoseconds SaturatingSpan(std::chrono::nanoseconds from, std::chrono::nanoseconds to) noexcept
{
    if (to <= from)
        return std::chrono::nanoseconds{0};
    // The true difference lies in 1..2^64-1, which unsigned subtraction gives
    // exactly.
    const std::uint64_t difference = static_cast<std::uint64_t>(to.count()) - static_cast<std::uint64_t>(from.count());
    const auto longest = static_cast<std::uint64_t>(std::chrono::nanoseconds::max().count());
    return std::chrono::nanoseconds{static_cast<std::int64_t>(std::min(difference, longest))};
}

// a + b for non-negative durations; at most the longest duration.
inline std::chrono::nanoseconds SaturatingSum(std::chrono::nanoseconds a, std::chrono::nanoseconds b) noexcept
{
    return b > std::chrono::nanoseconds::max() - a ? std::chrono::nanoseconds::max() : a + b;
}
