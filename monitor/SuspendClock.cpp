// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "monitor/SuspendClock.h"

#include <time.h>

std::chrono::nanoseconds BootTimeNow()
{
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

ClockReading SuspendClock::Read() const
{
    ClockReading reading;
    reading.monotonic = monotonic ? monotonic() : SteadyClockNow();
    reading.boottime = boottime ? boottime() : BootTimeNow();
    return reading;
}

std::chrono::nanoseconds SleptBetween(const ClockReading &earlier, const ClockReading &later) noexcept
{
    // The offset of boottime over monotonic only grows during a suspend.
    // Each difference is taken on its own clock first, so no sum overflows.
    const auto awake = later.monotonic - earlier.monotonic;
    const auto passed = later.boottime - earlier.boottime;
    if (awake.count() < 0 || passed.count() < 0 || passed <= awake)
        return std::chrono::nanoseconds{0};
    const auto slept = passed - awake;
    return slept >= kShortestSleep ? slept : std::chrono::nanoseconds{0};
}
