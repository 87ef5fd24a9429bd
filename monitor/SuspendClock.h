// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "monitor/MonotonicClock.h"

#include <chrono>

// The two clocks that tell a sleep of the machine apart from time it was
// awake. CLOCK_MONOTONIC (std::chrono::steady_clock, SteadyClockNow) stands
// still while the machine is suspended; CLOCK_BOOTTIME goes on. Between two
// readings, the growth of boottime beyond that of monotonic is the time the
// machine slept. Both are read here, so that the history and the session
// record can share one rule; tests inject their own pair.

// Both clocks at (nearly) one moment.
struct ClockReading {
    std::chrono::nanoseconds monotonic{0};
    std::chrono::nanoseconds boottime{0};
};

// CLOCK_BOOTTIME since the machine started.
std::chrono::nanoseconds BootTimeNow();

struct SuspendClock {
    MonotonicClock monotonic = SteadyClockNow;
    MonotonicClock boottime = BootTimeNow;

    // Reads monotonic, then boottime.
    ClockReading Read() const;
};

// A difference shorter than this is taken as the jitter of reading two
// clocks one after the other, not as a sleep. No suspend and resume of a
// real machine is that short.
inline constexpr std::chrono::nanoseconds kShortestSleep = std::chrono::seconds(1);

// How long the machine slept between two readings: 0 when the difference is
// shorter than kShortestSleep, or when `later` is not later.
std::chrono::nanoseconds SleptBetween(const ClockReading &earlier, const ClockReading &later) noexcept;
