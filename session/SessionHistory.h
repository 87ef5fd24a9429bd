// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "monitor/CheckResult.h"
#include "session/CheckEvent.h"
#include "session/CheckLog.h"
#include "session/LatencySeries.h"
#include "session/SessionClock.h"
#include "session/SessionRecord.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// Everything the window keeps of one monitoring session of one target, fed
// one check at a time: the session record (figures and outages), the latency
// series of the chart and the log of the newest checks for the copy. The
// session starts at its first check (SessionRecord); a session is of one
// target only, and a new target is a new session (Restart). Memory is
// bounded whatever the session's length: the record's outage cap, the
// series' columns and the log's capacity.
// Not thread-safe: feed it and read it from one thread.
class SessionHistory final {
public:
    explicit SessionHistory(ProbeTarget target = {}, SessionClock clock = {},
                            std::size_t loggedChecks = CheckLog::kDefaultCapacity,
                            std::size_t chartColumns = LatencySeries::kDefaultColumns);

    // Ends this session and starts one for `target`, with nothing recorded
    // yet. References to the parts stay valid.
    void Restart(ProbeTarget target);

    // The host (UTF-8, as typed) and port every check of the session is
    // made against.
    const ProbeTarget &Target() const noexcept { return target_; }

    // Records one check made against the target.
    void Add(const CheckResult &result);

    const SessionRecord &Record() const noexcept { return record_; }
    const LatencySeries &Series() const noexcept { return series_; }
    const CheckLog &Log() const noexcept { return log_; }

    // The latest check; empty before the first.
    const std::optional<CheckResult> &Latest() const noexcept { return latest_; }
    // The latest address a check reached or tried (empty: none yet).
    const std::string &LatestAddress() const noexcept { return latestAddress_; }

    // The session's length so far on the monotonic clock, from its first
    // check's start (0 before it), and that start on the wall clock (the
    // history's making before it).
    std::chrono::nanoseconds Length() const;
    std::chrono::system_clock::time_point StartWall() const;

    // The session as text: the summary (as kelvora-probe prints it at its
    // end), a note when older checks were dropped from the log, an empty
    // line, then the logged checks in the csv format (header first), each
    // row naming the target.
    std::string CopyText() const;

private:
    ProbeTarget target_;
    SessionClock clock_;
    std::size_t outageCap_;
    std::size_t loggedChecks_;
    std::size_t chartColumns_;
    SessionRecord record_;
    LatencySeries series_;
    CheckLog log_;
    std::optional<CheckResult> latest_;
    std::string latestAddress_;
};
