// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "session/CheckEvent.h"
#include "session/SessionSummary.h"

#include <QByteArray>
#include <QMetaType>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>

// Check results and session figures for the formatter tests, with wall times
// that read plainly once the time zone is fixed (UseTimeZone).
namespace samples {

using namespace std::chrono;

// 2026-12-09 14:03:07.123 UTC.
inline system_clock::time_point At(int extraMs = 0)
{
    return system_clock::time_point(sys_days{year{2026} / 12 / 9} + hours(14) + minutes(3) + seconds(7)
                                    + milliseconds(123 + extraMs));
}

// Sets TZ (a POSIX TZ text such as "UTC0" or "CET-1") for this process.
inline void UseTimeZone(const char *tz)
{
    qputenv("TZ", QByteArray(tz));
    ::tzset();
}

inline CheckResult Ok(nanoseconds elapsed = nanoseconds(84'321), std::string address = "127.0.0.1")
{
    CheckResult result;
    result.ok = true;
    result.startedAt = At();
    result.elapsed = elapsed;
    result.address = std::move(address);
    return result;
}

inline CheckResult Failed(FailureReason reason, std::int32_t code, std::string message,
                          std::string address = "127.0.0.1", nanoseconds elapsed = nanoseconds(61'000))
{
    CheckResult result;
    result.ok = false;
    result.startedAt = At();
    result.elapsed = elapsed;
    result.address = std::move(address);
    result.reason = reason;
    result.errorCode = code;
    result.errorMessage = std::move(message);
    return result;
}

// Ten checks over 9.5 s, two failed (refused, then timed out) in one outage
// that ended, then all well again.
inline SessionSummary Summary()
{
    SessionSummary s;
    s.sessionStart = At();
    s.now = At(9500);
    s.sessionLength = milliseconds(9500);
    s.sent = 10;
    s.succeeded = 8;
    s.failed = 2;
    s.lossPercent = 20.0;
    LatencyFigures l;
    l.min = nanoseconds(71'000);
    l.max = nanoseconds(102'400);
    l.average = duration<double, std::nano>(84'321.5);
    l.meanDeviation = duration<double, std::nano>(11'250.0);
    l.p50 = nanoseconds(80'000);
    l.p90 = nanoseconds(100'000);
    l.p95 = nanoseconds(101'999);
    l.p99 = nanoseconds(102'400);
    s.latency = l;
    s.state = LinkState::Up;
    s.totalUp = milliseconds(7500);
    s.totalDown = milliseconds(2000);
    Outage outage;
    outage.start = At(3000);
    outage.end = At(5000);
    outage.duration = milliseconds(2000);
    outage.failedChecks = 2;
    outage.reasons.Add(FailureReason::Refused);
    outage.reasons.Add(FailureReason::Timeout);
    s.outagesTotal = 1;
    s.longestOutage = outage;
    Uptime uptime;
    uptime.start = At(5000);
    uptime.end = At(9500);
    uptime.duration = milliseconds(4500);
    uptime.open = true;
    s.longestUptime = uptime;
    return s;
}

// Nothing succeeded: three refused checks, the outage going on.
inline SessionSummary AllFailed()
{
    SessionSummary s;
    s.sessionStart = At();
    s.now = At(2000);
    s.sessionLength = milliseconds(2000);
    s.sent = 3;
    s.failed = 3;
    s.lossPercent = 100.0;
    s.state = LinkState::Down;
    s.totalDown = milliseconds(2000);
    Outage outage;
    outage.start = At();
    outage.end = At(2000);
    outage.duration = milliseconds(2000);
    outage.failedChecks = 3;
    for (int i = 0; i < 3; ++i)
        outage.reasons.Add(FailureReason::Refused);
    outage.open = true;
    s.outagesTotal = 1;
    s.longestOutage = outage;
    return s;
}

} // namespace samples

Q_DECLARE_METATYPE(CheckResult)
