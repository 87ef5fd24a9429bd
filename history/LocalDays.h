// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "history/Timeline.h"

#include <cstdint>
#include <string>
#include <vector>

// Calendar days in the process's time zone (TZ), as the history's days
// and the heat map's rows are cut. A day is from one local midnight to the
// next, so it lasts 23 or 25 hours where the clocks change.

struct LocalDay {
    std::string date; // "YYYY-MM-DD"
    Span span;        // milliseconds since the epoch
};

// The day `timeMs` falls in.
LocalDay LocalDayOf(std::int64_t timeMs);

// The local midnights from the day of `range.start` on, up to and including
// the first one at or after `range.end`.
std::vector<std::int64_t> LocalMidnights(Span range);

// The local midnight that starts the day `days` days after the one of
// `timeMs` (negative: before).
std::int64_t LocalMidnightAfter(std::int64_t timeMs, int days);
