// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "monitor/CheckResult.h"
#include "session/SessionClock.h"

#include <QString>

#include <chrono>

// Both clocks of a session record under the test's control. Times are given
// in seconds after the session's start: the monotonic clock reads
// kMonotonicBase + s and the wall clock kWallBase + s, so that a duration and
// a wall time can be told apart in a failure message.
class SessionRig final {
public:
    static constexpr std::chrono::nanoseconds kMonotonicBase = std::chrono::seconds(1000);
    static const std::chrono::system_clock::time_point kWallBase;

    // Clocks that read this rig's current time; the rig must outlive them.
    SessionClock Clock();

    // Moves both clocks to `seconds` after the session's start.
    void At(double seconds);

    // A check started at `seconds`, on both clocks.
    static CheckResult Check(double seconds, bool ok, FailureReason reason = FailureReason::Refused,
                             std::chrono::nanoseconds elapsed = std::chrono::milliseconds(10));

    static std::chrono::nanoseconds Seconds(double seconds);
    // A wall time as seconds after kWallBase.
    static double WallSeconds(std::chrono::system_clock::time_point time);

    std::chrono::nanoseconds monotonic = kMonotonicBase;
    std::chrono::system_clock::time_point wall = kWallBase;
};
