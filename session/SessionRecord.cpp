// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "session/SessionRecord.h"

#include "session/SaturatingDurations.h"

#include <algorithm>
#include <utility>

using std::chrono::nanoseconds;
using std::chrono::system_clock;

SessionRecord::SessionRecord(SessionClock clock, std::size_t outageCap)
    : clock_(std::move(clock))
    , log_(outageCap)
{
    if (!clock_.monotonic)
        clock_.monotonic = SteadyClockNow;
    if (!clock_.wall)
        clock_.wall = SystemClockNow;
    sessionStartMonotonic_ = clock_.monotonic();
    sessionStartWall_ = clock_.wall();
    cut_ = sessionStartMonotonic_;
    runStartMonotonic_ = sessionStartMonotonic_;
    runStartWall_ = sessionStartWall_;
}

void SessionRecord::Record(const CheckResult &result)
{
    const nanoseconds at = std::max(result.startedMonotonic, cut_);
    if (sent_ == 0) {
        // The session, its first run (and an outage) begin here. A start
        // before the record was made is taken as its making, wall clock too.
        sessionStartMonotonic_ = at;
        if (at == result.startedMonotonic)
            sessionStartWall_ = result.startedAt;
        runStartMonotonic_ = at;
        runStartWall_ = sessionStartWall_;
        lastOk_ = result.ok;
        if (!result.ok)
            BeginOutage(sessionStartWall_);
    } else {
        CountSpan(at);
        if (result.ok != lastOk_) {
            if (lastOk_) {
                EndUptime(at, result.startedAt);
                BeginOutage(result.startedAt);
            } else {
                EndOutage(at, result.startedAt);
            }
            runStartMonotonic_ = at;
            runStartWall_ = result.startedAt;
        }
        lastOk_ = result.ok;
    }
    cut_ = at;
    ++sent_;
    if (result.ok) {
        ++succeeded_;
        const nanoseconds elapsed = std::max(result.elapsed, nanoseconds{0});
        stats_.Add(elapsed);
        histogram_.Add(elapsed);
    } else {
        ++current_.failedChecks;
        current_.reasons.Add(result.reason);
    }
}

// Gives the span from the latest check start to `until` the state of the
// latest check.
void SessionRecord::CountSpan(nanoseconds until) noexcept
{
    nanoseconds &total = lastOk_ ? up_ : down_;
    total = SaturatingSum(total, SaturatingSpan(cut_, until));
}

void SessionRecord::BeginOutage(system_clock::time_point start)
{
    current_ = Outage{};
    current_.start = start;
    current_.open = true;
    ++outagesTotal_;
}

void SessionRecord::EndOutage(nanoseconds at, system_clock::time_point wall)
{
    current_.end = wall;
    current_.duration = SaturatingSpan(runStartMonotonic_, at);
    current_.open = false;
    if (!longestOutage_ || current_.duration > longestOutage_->duration)
        longestOutage_ = current_;
    log_.Push(current_);
}

void SessionRecord::EndUptime(nanoseconds at, system_clock::time_point wall)
{
    const Uptime ended{runStartWall_, wall, SaturatingSpan(runStartMonotonic_, at), false};
    if (!longestUptime_ || ended.duration > longestUptime_->duration)
        longestUptime_ = ended;
}

SessionRecord::Now SessionRecord::ReadNow() const
{
    return {std::max(clock_.monotonic(), cut_), clock_.wall()};
}

Outage SessionRecord::OpenOutage(const Now &now) const
{
    Outage outage = current_;
    outage.end = now.wall;
    outage.duration = SaturatingSpan(runStartMonotonic_, now.monotonic);
    outage.open = true;
    return outage;
}

Uptime SessionRecord::OpenUptime(const Now &now) const
{
    return {runStartWall_, now.wall, SaturatingSpan(runStartMonotonic_, now.monotonic), true};
}

LinkState SessionRecord::State() const noexcept
{
    if (sent_ == 0)
        return LinkState::Unknown;
    return lastOk_ ? LinkState::Up : LinkState::Down;
}

std::size_t SessionRecord::OutagesKept() const noexcept
{
    if (State() != LinkState::Down)
        return log_.Size();
    return std::min(log_.Capacity(), log_.Size() + 1);
}

Outage SessionRecord::KeptOutage(std::size_t index, const Now &now) const
{
    if (State() != LinkState::Down)
        return log_.Newest(index);
    return index == 0 ? OpenOutage(now) : log_.Newest(index - 1);
}

std::optional<Outage> SessionRecord::OutageAt(std::size_t index) const
{
    if (index >= OutagesKept())
        return std::nullopt;
    return KeptOutage(index, ReadNow());
}

std::optional<LatencyFigures> SessionRecord::Latency() const
{
    if (stats_.Count() == 0)
        return std::nullopt;
    LatencyFigures figures;
    figures.min = stats_.Min();
    figures.max = stats_.Max();
    figures.average = std::chrono::duration<double, std::nano>(stats_.MeanNanoseconds());
    figures.meanDeviation = std::chrono::duration<double, std::nano>(stats_.DeviationNanoseconds());
    // A bucket's middle may lie outside the values seen; the exact extremes
    // bound every percentile (and make a constant series exact).
    const auto percentile = [&](double percent) {
        return std::clamp(histogram_.ValueAtPercentile(percent), figures.min, figures.max);
    };
    figures.p50 = percentile(50);
    figures.p90 = percentile(90);
    figures.p95 = percentile(95);
    figures.p99 = percentile(99);
    return figures;
}

SessionSummary SessionRecord::Summary(std::size_t maxOutages) const
{
    const Now now = ReadNow();
    SessionSummary summary;
    summary.sessionStart = sessionStartWall_;
    summary.now = now.wall;
    summary.sessionLength = SaturatingSpan(sessionStartMonotonic_, now.monotonic);
    summary.sent = sent_;
    summary.succeeded = succeeded_;
    summary.failed = sent_ - succeeded_;
    if (sent_ > 0)
        summary.lossPercent = 100.0 * static_cast<double>(summary.failed) / static_cast<double>(sent_);
    summary.latency = Latency();

    summary.state = State();
    summary.stateSince = runStartWall_;
    summary.stateDuration = SaturatingSpan(runStartMonotonic_, now.monotonic);
    if (sent_ > 0) {
        const nanoseconds tail = SaturatingSpan(cut_, now.monotonic);
        summary.totalUp = lastOk_ ? SaturatingSum(up_, tail) : up_;
        summary.totalDown = lastOk_ ? down_ : SaturatingSum(down_, tail);
    }

    const std::size_t kept = OutagesKept();
    summary.outages.reserve(std::min(kept, maxOutages));
    for (std::size_t i = 0; i < kept && i < maxOutages; ++i)
        summary.outages.push_back(KeptOutage(i, now));
    summary.outagesTotal = outagesTotal_;
    // Those neither in the list nor the one going on; with a full list the
    // open outage hides the oldest kept one.
    summary.outagesDropped = outagesTotal_ - kept;

    AddLongest(summary, now);
    return summary;
}

// The longest outage and uptime, the one going on included.
void SessionRecord::AddLongest(SessionSummary &summary, const Now &now) const
{
    summary.longestOutage = longestOutage_;
    summary.longestUptime = longestUptime_;
    if (summary.state == LinkState::Down) {
        const Outage open = OpenOutage(now);
        if (!summary.longestOutage || open.duration > summary.longestOutage->duration)
            summary.longestOutage = open;
    } else if (summary.state == LinkState::Up) {
        const Uptime open = OpenUptime(now);
        if (!summary.longestUptime || open.duration > summary.longestUptime->duration)
            summary.longestUptime = open;
    }
}

std::size_t SessionRecord::FootprintBeyondOutages() const noexcept
{
    return sizeof(*this) + histogram_.StorageBytes();
}
