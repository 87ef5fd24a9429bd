#pragma once

#include "monitor/MonotonicClock.h"

#include <chrono>
#include <functional>

// The local wall clock, for display only.
using WallClock = std::function<std::chrono::system_clock::time_point()>;

// std::chrono::system_clock::now().
std::chrono::system_clock::time_point SystemClockNow();

// The two clocks a session record reads: the monotonic one for every duration
// and the wall one for the times it shows. Tests inject their own; an empty
// function stands for the default.
struct SessionClock {
    MonotonicClock monotonic = SteadyClockNow;
    WallClock wall = SystemClockNow;
};
