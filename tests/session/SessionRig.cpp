// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "SessionRig.h"

#include <cmath>

using namespace std::chrono;

// 1 January 2026, 00:00 UTC.
const system_clock::time_point SessionRig::kWallBase = system_clock::time_point{} + seconds(1767225600);

SessionClock SessionRig::Clock()
{
    return {[this] { return monotonic; }, [this] { return wall; }};
}

void SessionRig::At(double s)
{
    monotonic = kMonotonicBase + Seconds(s);
    wall = kWallBase + duration_cast<system_clock::duration>(Seconds(s));
}

CheckResult SessionRig::Check(double s, bool ok, FailureReason reason, nanoseconds elapsed)
{
    CheckResult result;
    result.startedMonotonic = kMonotonicBase + Seconds(s);
    result.startedAt = kWallBase + duration_cast<system_clock::duration>(Seconds(s));
    result.elapsed = elapsed;
    result.ok = ok;
    result.address = "127.0.0.1";
    if (!ok)
        result.reason = reason;
    return result;
}

nanoseconds SessionRig::Seconds(double s)
{
    return nanoseconds(std::llround(s * 1e9));
}

double SessionRig::WallSeconds(system_clock::time_point time)
{
    return duration<double>(time - kWallBase).count();
}
