// SPDX-License-Identifier: MIT
#pragma once

#include "monitor/CheckResult.h"
#include "session/CheckLog.h"
#include "session/LatencySeries.h"
#include "session/SessionClock.h"
#include "session/SessionRecord.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Everything the window keeps of one monitoring session, fed one check at a
// time: the session record (figures and outages), the latency series of the
// chart and the log of the newest checks for the copy. The session starts
// when the history is made. Memory is bounded whatever the session's length:
// the record's outage cap, the series' columns and the log's capacity.
// Not thread-safe: feed it and read it from one thread.
class SessionHistory final {
public:
    explicit SessionHistory(SessionClock clock = {}, std::size_t loggedChecks = CheckLog::kDefaultCapacity,
                            std::size_t chartColumns = LatencySeries::kDefaultColumns);

    // Records one check made against `host` (UTF-8, as typed) and `port`.
    void Add(const CheckResult &result, const std::string &host, std::uint16_t port = 80);

    const SessionRecord &Record() const noexcept { return record_; }
    const LatencySeries &Series() const noexcept { return series_; }
    const CheckLog &Log() const noexcept { return log_; }

    // The latest check and the host it was made against; empty before the
    // first.
    const std::optional<CheckResult> &Latest() const noexcept { return latest_; }
    const std::string &LatestHost() const noexcept { return latestHost_; }
    // The latest address a check reached or tried (empty: none yet).
    const std::string &LatestAddress() const noexcept { return latestAddress_; }

    // The session's length so far on the monotonic clock, and its start on
    // the wall clock.
    std::chrono::nanoseconds Length() const;
    std::chrono::system_clock::time_point StartWall() const noexcept { return startWall_; }

    // The session as text: the summary (as kelvora-probe prints it at its
    // end), a note when older checks were dropped from the log, an empty
    // line, then the logged checks in the csv format (header first). The
    // summary names the latest check's host, or `hostNow` before the first.
    std::string CopyText(std::string_view hostNow) const;

private:
    SessionClock clock_;
    SessionRecord record_;
    std::chrono::nanoseconds startMonotonic_;
    std::chrono::system_clock::time_point startWall_;
    LatencySeries series_;
    CheckLog log_;
    std::optional<CheckResult> latest_;
    std::string latestHost_;
    std::uint16_t latestPort_ = 80;
    std::string latestAddress_;
};
