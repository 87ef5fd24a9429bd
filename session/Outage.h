// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "session/ReasonCounts.h"

#include <chrono>
#include <cstdint>

// One outage: a run of failed checks, from the start of the first of them (or
// the session's start) to the start of the next successful check. The times
// are wall-clock times for display; the duration comes from the monotonic
// clock, so a change of the time of day does not alter it.
struct Outage {
    std::chrono::system_clock::time_point start;
    // The start of the successful check that ended it; "now" while open.
    std::chrono::system_clock::time_point end;
    // Its length; for an open outage, its length so far.
    std::chrono::nanoseconds duration{0};
    std::uint64_t failedChecks = 0;
    ReasonCounts reasons;
    bool open = false;

    bool operator==(const Outage &) const = default;
};
