// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "session/ReasonCounts.h"

#include <numeric>

namespace {

// kFailureReasons lists the categories in declaration order right after
// None, so a category's slot is its value less one.
static_assert(static_cast<int>(FailureReason::None) == 0);
static_assert(static_cast<int>(kFailureReasons[0]) == 1);
static_assert(static_cast<std::size_t>(FailureReason::Other) == std::size(kFailureReasons));

constexpr std::size_t kOtherSlot = std::size(kFailureReasons) - 1;

std::size_t Slot(FailureReason reason) noexcept
{
    const auto value = static_cast<std::size_t>(reason);
    return value >= 1 && value <= std::size(kFailureReasons) ? value - 1 : kOtherSlot;
}

} // namespace

void ReasonCounts::Add(FailureReason reason) noexcept
{
    ++counts_[Slot(reason)];
}

std::uint64_t ReasonCounts::Count(FailureReason reason) const noexcept
{
    return reason == FailureReason::None ? 0 : counts_[Slot(reason)];
}

std::uint64_t ReasonCounts::Total() const noexcept
{
    return std::accumulate(counts_.begin(), counts_.end(), std::uint64_t{0});
}
