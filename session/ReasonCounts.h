// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "monitor/FailureReason.h"

#include <array>
#include <cstdint>
#include <iterator>

// How many failed checks of an outage fell into each failure category.
// Fixed size: counting never allocates.
class ReasonCounts final {
public:
    // Counts one failure. A failure that names no category (None) or a value
    // outside the enumeration counts as Other, so every failed check is
    // counted somewhere and Total() equals the number of Add calls.
    void Add(FailureReason reason) noexcept;

    // The count of one category; always 0 for None.
    std::uint64_t Count(FailureReason reason) const noexcept;
    std::uint64_t Total() const noexcept;

    bool operator==(const ReasonCounts &) const = default;

private:
    std::array<std::uint64_t, std::size(kFailureReasons)> counts_{};
};
