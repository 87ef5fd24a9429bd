// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "history/CompactHistogram.h"
#include "history/ReasonTally.h"
#include "monitor/FailureReason.h"

#include <cstdint>
#include <optional>

// What the checks of a stretch of time add up to, as the aggregates keep it:
// the counts, the successful checks' latency (sum, minimum, maximum and
// histogram) and the failures by reason.
struct CheckStats {
    std::uint64_t checks = 0;
    std::uint64_t ok = 0;
    std::uint64_t failed = 0;
    std::int64_t latencySumNs = 0; // saturates instead of overflowing
    std::optional<std::int64_t> latencyMinNs;
    std::optional<std::int64_t> latencyMaxNs;
    CompactHistogram histogram;
    ReasonTally reasons;

    // A negative elapsed time counts as 0.
    void AddCheck(bool succeeded, std::int64_t elapsedNs, FailureReason reason);
    void Merge(const CheckStats &other);

    bool operator==(const CheckStats &) const = default;
};
