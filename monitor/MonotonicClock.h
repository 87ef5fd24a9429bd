// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <chrono>
#include <functional>

// A clock that never runs backwards: the probe times its checks with it so
// that a change of the local time of day cannot distort a reading. Tests
// inject their own.
using MonotonicClock = std::function<std::chrono::nanoseconds()>;

// The time since an arbitrary fixed point, from std::chrono::steady_clock.
std::chrono::nanoseconds SteadyClockNow();
