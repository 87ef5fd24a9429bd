// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>

// The local wall clock, read for display only: when a check started, when an
// outage began. Tests inject their own.
using WallClock = std::function<std::chrono::system_clock::time_point()>;

inline std::chrono::system_clock::time_point SystemClockNow()
{
    return std::chrono::system_clock::now();
}
