// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <chrono>
#include <string>

// Number and time texts shared by the terminal program's output formats and
// the window's session copy. Each is the same whatever the locale: digits,
// '.' as the decimal point, no grouping.

// `value` with exactly `decimals` digits after the point ("0.084"); "0" with
// the decimals for a value that is not finite.
std::string FixedDecimal(double value, int decimals);

// The same with trailing zeros (and a bare point) removed: "33.333", "0.5", "0".
std::string TrimmedDecimal(double value, int decimals);

// A duration in milliseconds with three decimals, rounded to the nearest
// microsecond in integer arithmetic: 84'321 ns gives "0.084".
std::string MillisecondsText(std::chrono::nanoseconds duration);

// A duration in seconds with three decimals, rounded to the nearest
// millisecond: "4.004".
std::string SecondsText(std::chrono::nanoseconds duration);

// A duration for people: "4.004 s", "2 min 03.004 s", "1 h 02 min 03.004 s",
// "3 d 01 h 02 min 03.004 s".
std::string HumanDuration(std::chrono::nanoseconds duration);

// Local time in ISO 8601 with milliseconds and the offset from UTC:
// "2026-12-09T14:03:07.123+01:00" (an offset of 0 is "+00:00"). Uses the
// process's time zone (TZ) as it is when called.
std::string LocalIsoTime(std::chrono::system_clock::time_point time);
