// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "history/Timeline.h"

#include <algorithm>
#include <unordered_map>

namespace {

// One run while the sweep passes: its checks in order, the latest one
// at or before the sweep's time, and its next gap.
struct RunCursor {
    const TimelineRun *run = nullptr;
    std::vector<const TimelineCheck *> checks;
    std::size_t nextCheck = 0;  // checks[nextCheck - 1] is the latest so far
    std::size_t nextGap = 0;    // the first gap that does not end at or before now
};

std::vector<std::int64_t> Boundaries(std::span<const RunCursor> cursors, Span range)
{
    std::vector<std::int64_t> cuts{range.start, range.end};
    const auto keep = [&](std::int64_t t) {
        if (t > range.start && t < range.end)
            cuts.push_back(t);
    };
    for (const RunCursor &cursor : cursors) {
        keep(cursor.run->watchStart);
        keep(cursor.run->watchEnd);
        for (const Span &gap : cursor.run->gaps) {
            keep(gap.start);
            keep(gap.end);
        }
        for (const TimelineCheck *check : cursor.checks)
            keep(check->time);
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    return cuts;
}

// The latest check of the cursor's run at `t` while it watches then.
const TimelineCheck *Watching(RunCursor &cursor, std::int64_t t)
{
    const TimelineRun &run = *cursor.run;
    while (cursor.nextCheck < cursor.checks.size() && cursor.checks[cursor.nextCheck]->time <= t)
        ++cursor.nextCheck;
    while (cursor.nextGap < run.gaps.size() && run.gaps[cursor.nextGap].end <= t)
        ++cursor.nextGap;
    if (t < run.watchStart || t >= run.watchEnd || cursor.nextCheck == 0)
        return nullptr;
    if (cursor.nextGap < run.gaps.size() && run.gaps[cursor.nextGap].start <= t)
        return nullptr;
    return cursor.checks[cursor.nextCheck - 1];
}

void Append(std::vector<StatePiece> &pieces, std::int64_t start, std::int64_t end, bool up)
{
    if (!pieces.empty() && pieces.back().end == start && pieces.back().up == up)
        pieces.back().end = end;
    else
        pieces.push_back({start, end, up});
}

} // namespace

std::vector<StatePiece> MergeTimeline(std::span<const TimelineRun> runs, std::span<const TimelineCheck> checks,
                                      Span range)
{
    std::vector<StatePiece> pieces;
    if (range.Length() == 0)
        return pieces;
    std::vector<RunCursor> cursors(runs.size());
    std::unordered_map<std::int64_t, std::size_t> byId;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        cursors[i].run = &runs[i];
        byId[runs[i].id] = i;
    }
    for (const TimelineCheck &check : checks) {
        if (const auto it = byId.find(check.run); it != byId.end() && check.time < range.end)
            cursors[it->second].checks.push_back(&check);
    }
    const std::vector<std::int64_t> cuts = Boundaries(cursors, range);
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
        const std::int64_t t = cuts[i];
        const TimelineCheck *winner = nullptr;
        for (RunCursor &cursor : cursors) {
            const TimelineCheck *latest = Watching(cursor, t);
            if (latest != nullptr && (winner == nullptr || latest->time > winner->time
                                      || (latest->time == winner->time && latest->run > winner->run)))
                winner = latest;
        }
        if (winner != nullptr)
            Append(pieces, t, cuts[i + 1], winner->ok);
    }
    return pieces;
}

std::vector<OutageSpan> OutagesOf(std::span<const StatePiece> pieces, std::span<const TimelineCheck> checks)
{
    std::vector<OutageSpan> outages;
    for (const StatePiece &piece : pieces) {
        if (!piece.up)
            outages.push_back({piece.start, piece.end, 0, {}});
    }
    for (const TimelineCheck &check : checks) {
        if (check.ok)
            continue;
        const auto it = std::upper_bound(outages.begin(), outages.end(), check.time,
                                         [](std::int64_t t, const OutageSpan &outage) { return t < outage.start; });
        if (it == outages.begin())
            continue;
        OutageSpan &outage = *std::prev(it);
        if (check.time < outage.end) {
            ++outage.failed;
            outage.reasons.Add(check.reason);
        }
    }
    return outages;
}

std::vector<PeriodStats> EmptyPeriods(std::span<const std::int64_t> boundaries)
{
    std::vector<PeriodStats> periods;
    for (std::size_t i = 0; i + 1 < boundaries.size(); ++i) {
        PeriodStats period;
        period.span = {boundaries[i], boundaries[i + 1]};
        periods.push_back(std::move(period));
    }
    return periods;
}

std::vector<PeriodStats> FixedPeriods(Span range, std::int64_t lengthMs)
{
    std::vector<PeriodStats> periods;
    for (std::int64_t start = range.start; start < range.end; start += lengthMs) {
        PeriodStats period;
        period.span = {start, std::min(start + lengthMs, range.end)};
        periods.push_back(std::move(period));
    }
    return periods;
}

void AddPieces(std::span<PeriodStats> periods, std::span<const StatePiece> pieces)
{
    std::size_t p = 0;
    for (const StatePiece &piece : pieces) {
        while (p < periods.size() && periods[p].span.end <= piece.start)
            ++p;
        for (std::size_t q = p; q < periods.size() && periods[q].span.start < piece.end; ++q) {
            const std::int64_t overlap =
                std::min(piece.end, periods[q].span.end) - std::max(piece.start, periods[q].span.start);
            if (overlap <= 0)
                continue;
            periods[q].monitoredMs += overlap;
            if (piece.up)
                periods[q].upMs += overlap;
        }
    }
}

void AddChecks(std::span<PeriodStats> periods, std::span<const TimelineCheck> checks)
{
    std::size_t p = 0;
    for (const TimelineCheck &check : checks) {
        while (p < periods.size() && periods[p].span.end <= check.time)
            ++p;
        if (p == periods.size())
            break;
        if (check.time >= periods[p].span.start)
            periods[p].stats.AddCheck(check.ok, check.elapsedNs, check.reason);
    }
}
