// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "monitor/MonotonicClock.h"
#include "monitor/WallClock.h"

// The two clocks a session record reads: the monotonic one for every duration
// and the wall one for the times it shows. Tests inject their own; an empty
// function stands for the default.
struct SessionClock {
    MonotonicClock monotonic = SteadyClockNow;
    WallClock wall = SystemClockNow;
};
