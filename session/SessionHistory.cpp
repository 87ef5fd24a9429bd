// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "session/SessionHistory.h"

#include "session/SaturatingDurations.h"
#include "session/SessionCsv.h"
#include "session/SummaryText.h"

#include <algorithm>
#include <utility>

namespace {

SessionClock Completed(SessionClock clock)
{
    if (!clock.monotonic)
        clock.monotonic = SteadyClockNow;
    if (!clock.wall)
        clock.wall = SystemClockNow;
    return clock;
}

} // namespace

SessionHistory::SessionHistory(ProbeTarget target, SessionClock clock, std::size_t loggedChecks,
                               std::size_t chartColumns)
    : target_(std::move(target)), clock_(Completed(std::move(clock))), outageCap_(SessionRecord::kDefaultOutageCap),
      loggedChecks_(loggedChecks), chartColumns_(chartColumns), record_(clock_, outageCap_),
      series_(SeriesOrigin::FirstCheck, clock_.monotonic(), chartColumns_), log_(loggedChecks_)
{
}

void SessionHistory::Restart(ProbeTarget target)
{
    target_ = std::move(target);
    record_ = SessionRecord(clock_, outageCap_);
    series_ = LatencySeries(SeriesOrigin::FirstCheck, clock_.monotonic(), chartColumns_);
    log_ = CheckLog(loggedChecks_);
    latest_.reset();
    latestAddress_.clear();
}

void SessionHistory::Add(const CheckResult &result)
{
    record_.Record(result);
    series_.Add(result);
    log_.Push(result, record_.Sent());
    latest_ = result;
    if (!result.address.empty())
        latestAddress_ = result.address;
}

std::chrono::nanoseconds SessionHistory::Length() const
{
    if (!latest_)
        return std::chrono::nanoseconds{0};
    return std::max(SaturatingSpan(series_.Origin(), clock_.monotonic()), series_.LatestStart());
}

std::chrono::system_clock::time_point SessionHistory::StartWall() const
{
    return record_.SessionStartWall();
}

std::string SessionHistory::CopyText() const
{
    std::string text = TextSummary(target_, latestAddress_, record_.Summary(0), false);
    if (log_.Dropped() > 0)
        text += "checks below: the newest " + std::to_string(log_.Size()) + " of " + std::to_string(record_.Sent())
                + "; " + std::to_string(log_.Dropped()) + " older checks were dropped\n";
    text += "\n";
    text += CsvHeader();
    for (std::size_t i = 0; i < log_.Size(); ++i)
        text += CsvRow(log_.Oldest(i).Row(target_));
    return text;
}
