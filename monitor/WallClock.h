// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
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
