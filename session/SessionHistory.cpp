// SPDX-License-Identifier: MIT
#include "session/SessionHistory.h"

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

SessionHistory::SessionHistory(SessionClock clock, std::size_t loggedChecks, std::size_t chartColumns)
    : clock_(Completed(std::move(clock))), record_(clock_), startMonotonic_(clock_.monotonic()),
      startWall_(clock_.wall()), series_(startMonotonic_, chartColumns), log_(loggedChecks)
{
}

void SessionHistory::Add(const CheckResult &result, const std::string &host, std::uint16_t port)
{
    record_.Record(result);
    series_.Add(result);
    log_.Push(result, record_.Sent(), host, port);
    latest_ = result;
    if (latestHost_ != host)
        latestHost_ = host;
    latestPort_ = port;
    if (!result.address.empty())
        latestAddress_ = result.address;
}

std::chrono::nanoseconds SessionHistory::Length() const
{
    const std::chrono::nanoseconds now = clock_.monotonic();
    return std::max(now - startMonotonic_, series_.LatestStart());
}

std::string SessionHistory::CopyText(std::string_view hostNow) const
{
    const ProbeTarget target{latest_ ? latestHost_ : std::string(hostNow), latestPort_};
    std::string text = TextSummary(target, latestAddress_, record_.Summary(0), false);
    if (log_.Dropped() > 0)
        text += "checks below: the newest " + std::to_string(log_.Size()) + " of " + std::to_string(record_.Sent())
                + "; " + std::to_string(log_.Dropped()) + " older checks were dropped\n";
    text += "\n";
    text += CsvHeader();
    for (std::size_t i = 0; i < log_.Size(); ++i) {
        const CheckLog::Entry &entry = log_.Oldest(i);
        const ProbeTarget rowTarget{*entry.host, entry.port};
        const CheckResult result = entry.Result();
        text += CsvRow(CheckEvent{rowTarget, entry.seq, result, {}});
    }
    return text;
}
