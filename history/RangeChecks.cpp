// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "history/RangeChecks.h"

#include "history/AggregateRows.h"
#include "history/Rollup.h"
#include "history/TimelineSource.h"

#include <algorithm>
#include <set>
#include <string>

namespace {

// Stretches without minute aggregates closer than this are read from the
// raw checks in one query, the few dense minutes between them skipped.
constexpr std::int64_t kJoinHolesWithin = 10 * kMinuteMs;

template <typename Visit>
void ForEachAggregate(SqliteDatabase &db, const char *table, std::int64_t target, Span span, Visit visit)
{
    SqliteStatement select = db.Prepare(std::string("SELECT start_ms, ") + kAggregateColumns + " FROM " + table
                                        + " WHERE target = ?1 AND start_ms >= ?2 AND start_ms < ?3 ORDER BY start_ms");
    select.Bind(1, target).Bind(2, span.start).Bind(3, span.end);
    while (select.Step()) {
        PeriodStats row;
        row.span.start = select.Int(0);
        ReadAggregate(select, 1, row);
        visit(row);
    }
}

void AddMinuteDetail(SqliteDatabase &db, std::int64_t target, Span rolled, std::span<PeriodStats> periods)
{
    std::set<std::int64_t> dense;
    ForEachAggregate(db, "minutes", target, rolled, [&](const PeriodStats &minute) {
        dense.insert(minute.span.start);
        AddStatsAt(periods, minute.span.start, minute.stats);
    });
    // The stretches between the dense minutes, near ones joined.
    std::vector<Span> holes;
    std::int64_t at = rolled.start;
    const auto addHole = [&](Span hole) {
        if (hole.Length() == 0)
            return;
        if (!holes.empty() && hole.start - holes.back().end < kJoinHolesWithin)
            holes.back().end = hole.end;
        else
            holes.push_back(hole);
    };
    for (const std::int64_t minute : dense) {
        addHole({at, minute});
        at = minute + kMinuteMs;
    }
    addHole({at, rolled.end});
    for (const Span &hole : holes) {
        std::vector<TimelineCheck> raw = LoadChecks(db, target, hole);
        std::erase_if(raw, [&](const TimelineCheck &check) {
            return dense.count(check.time - ((check.time % kMinuteMs) + kMinuteMs) % kMinuteMs) > 0;
        });
        AddChecks(periods, raw);
    }
}

} // namespace

void AddStatsAt(std::span<PeriodStats> periods, std::int64_t timeMs, const CheckStats &stats)
{
    const auto it = std::upper_bound(periods.begin(), periods.end(), timeMs,
                                     [](std::int64_t t, const PeriodStats &period) { return t < period.span.start; });
    if (it == periods.begin())
        return;
    PeriodStats &period = *std::prev(it);
    if (timeMs < period.span.end)
        period.stats.Merge(stats);
}

void AddRangeChecks(SqliteDatabase &db, std::int64_t target, const RangeState &state, std::span<PeriodStats> periods,
                    Detail detail)
{
    const Span rolled{state.range.start, state.tailStart};
    if (rolled.Length() > 0) {
        if (detail == Detail::Hours)
            ForEachAggregate(db, "hours", target, rolled,
                             [&](const PeriodStats &hour) { AddStatsAt(periods, hour.span.start, hour.stats); });
        else
            AddMinuteDetail(db, target, rolled, periods);
    }
    AddChecks(periods, state.tailChecks);
}
