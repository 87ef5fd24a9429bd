// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <chrono>

// One uptime: a run of successful checks, from the start of the first of them
// (or the session's start) to the start of the next failed check. Wall-clock
// times for display, the duration from the monotonic clock.
struct Uptime {
    std::chrono::system_clock::time_point start;
    // The start of the failed check that ended it; "now" while open.
    std::chrono::system_clock::time_point end;
    std::chrono::nanoseconds duration{0};
    bool open = false;

    bool operator==(const Uptime &) const = default;
};
