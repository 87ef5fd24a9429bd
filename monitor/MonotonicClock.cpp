// SPDX-License-Identifier: MIT
#include "monitor/MonotonicClock.h"

std::chrono::nanoseconds SteadyClockNow()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}
