// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "history/Rollup.h"

#include "history/AggregateRows.h"
#include "history/HistorySchema.h"
#include "history/LocalDays.h"
#include "history/Timeline.h"
#include "history/TimelineSource.h"

#include <algorithm>
#include <map>
#include <optional>

namespace {

std::int64_t FloorTo(std::int64_t t, std::int64_t unit)
{
    return t >= 0 ? t - t % unit : t - ((t % unit) + unit) % unit;
}

// Where rolling up starts: rolled_ms, or the minute of the first check.
std::optional<std::int64_t> RollupStart(SqliteDatabase &db, std::int64_t target)
{
    SqliteStatement select = db.Prepare(
        "SELECT rolled_ms, (SELECT min(first_ms) FROM runs WHERE target = ?1) FROM targets WHERE id = ?1");
    select.Bind(1, target);
    if (!select.Step())
        return std::nullopt;
    if (!select.IsNull(0))
        return select.Int(0);
    if (select.IsNull(1))
        return std::nullopt;
    return FloorTo(select.Int(1), kMinuteMs);
}

void WriteMinutes(SqliteDatabase &db, std::int64_t target, const std::vector<PeriodStats> &minutes)
{
    SqliteStatement insert = db.Prepare(std::string("INSERT OR REPLACE INTO minutes(target, start_ms, ")
                                        + kAggregateColumns + ") VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)");
    for (const PeriodStats &minute : minutes) {
        if (minute.stats.checks < static_cast<std::uint64_t>(kDenseMinuteChecks))
            continue;
        insert.Bind(1, target).Bind(2, minute.span.start);
        BindAggregate(insert, 3, minute);
        insert.Run();
        insert.Reset();
    }
}

void AddToHours(SqliteDatabase &db, std::int64_t target, const std::vector<PeriodStats> &minutes)
{
    std::map<std::int64_t, PeriodStats> hours;
    for (const PeriodStats &minute : minutes) {
        if (minute.monitoredMs > 0 || minute.stats.checks > 0)
            MergeAggregate(hours[FloorTo(minute.span.start, kHourMs)], minute);
    }
    SqliteStatement select = db.Prepare(std::string("SELECT ") + kAggregateColumns
                                        + " FROM hours WHERE target = ?1 AND start_ms = ?2");
    SqliteStatement insert = db.Prepare(std::string("INSERT OR REPLACE INTO hours(target, start_ms, ")
                                        + kAggregateColumns + ") VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)");
    for (auto &[start, hour] : hours) {
        select.Bind(1, target).Bind(2, start);
        if (select.Step()) {
            PeriodStats stored;
            ReadAggregate(select, 0, stored);
            MergeAggregate(hour, stored);
        }
        select.Reset();
        insert.Bind(1, target).Bind(2, start);
        BindAggregate(insert, 3, hour);
        insert.Run();
        insert.Reset();
    }
}

void AddToDays(SqliteDatabase &db, std::int64_t target, const std::vector<PeriodStats> &minutes)
{
    std::map<std::string, std::pair<LocalDay, PeriodStats>> days;
    for (const PeriodStats &minute : minutes) {
        if (minute.monitoredMs == 0 && minute.stats.checks == 0)
            continue;
        LocalDay day = LocalDayOf(minute.span.start);
        auto &entry = days[day.date];
        entry.first = std::move(day);
        MergeAggregate(entry.second, minute);
    }
    SqliteStatement select = db.Prepare(std::string("SELECT ") + kAggregateColumns
                                        + " FROM days WHERE target = ?1 AND day = ?2");
    SqliteStatement insert = db.Prepare(std::string("INSERT OR REPLACE INTO days(target, day, start_ms, end_ms, ")
                                        + kAggregateColumns
                                        + ") VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14)");
    for (auto &[date, entry] : days) {
        select.Bind(1, target).Bind(2, date);
        if (select.Step()) {
            PeriodStats stored;
            ReadAggregate(select, 0, stored);
            MergeAggregate(entry.second, stored);
        }
        select.Reset();
        insert.Bind(1, target).Bind(2, date).Bind(3, entry.first.span.start).Bind(4, entry.first.span.end);
        BindAggregate(insert, 5, entry.second);
        insert.Run();
        insert.Reset();
    }
}

// The first outage of the step goes on from the last one stored when that
// ended where the step begins: one outage across the steps' border.
void WriteOutages(SqliteDatabase &db, std::int64_t target, std::int64_t stepStart, std::vector<OutageSpan> outages)
{
    if (!outages.empty() && outages.front().start == stepStart) {
        SqliteStatement last = db.Prepare("SELECT start_ms, failed, reasons FROM outages WHERE target = ?1"
                                          " AND end_ms = ?2 ORDER BY start_ms DESC LIMIT 1");
        last.Bind(1, target).Bind(2, stepStart);
        if (last.Step()) {
            OutageSpan &first = outages.front();
            first.start = last.Int(0);
            first.failed += static_cast<std::uint64_t>(last.Int(1));
            first.reasons.Merge(ReasonTally::FromJson(last.Text(2)).value_or(ReasonTally{}));
        }
    }
    SqliteStatement insert = db.Prepare("INSERT OR REPLACE INTO outages(target, start_ms, end_ms, failed, reasons)"
                                        " VALUES(?1, ?2, ?3, ?4, ?5)");
    for (const OutageSpan &outage : outages) {
        insert.Bind(1, target).Bind(2, outage.start).Bind(3, outage.end).Bind(4, static_cast<std::int64_t>(outage.failed));
        const std::string reasons = outage.reasons.Json();
        reasons.empty() ? insert.BindNull(5) : insert.Bind(5, reasons);
        insert.Run();
        insert.Reset();
    }
}

// The end of a step from `start`: at most `step` long, and short enough to
// hold about kChecksPerStep checks (but a minute at least).
std::int64_t StepEnd(SqliteDatabase &db, std::int64_t start, std::int64_t step)
{
    constexpr int kChecksPerStep = 5000;
    SqliteStatement select = db.Prepare("SELECT time_ms FROM checks WHERE time_ms >= ?1 ORDER BY time_ms LIMIT 1 OFFSET ?2");
    select.Bind(1, start).Bind(2, std::int64_t{kChecksPerStep});
    if (select.Step())
        return std::min(start + step, std::max(start + kMinuteMs, FloorTo(select.Int(0), kMinuteMs)));
    return start + step;
}

// Where the next run of the target begins after `t` (a minute's start), or
// `otherwise`: time nobody watched is passed over in one step.
std::int64_t NextWatched(SqliteDatabase &db, std::int64_t target, std::int64_t t, std::int64_t otherwise)
{
    SqliteStatement select = db.Prepare("SELECT min(first_ms) FROM runs WHERE target = ?1 AND first_ms >= ?2");
    select.Bind(1, target).Bind(2, t);
    if (select.Step() && !select.IsNull(0))
        return std::min(otherwise, FloorTo(select.Int(0), kMinuteMs));
    return otherwise;
}

void Advance(SqliteDatabase &db, std::int64_t target, std::int64_t to)
{
    SqliteStatement advance = db.Prepare("UPDATE targets SET rolled_ms = ?2 WHERE id = ?1");
    advance.Bind(1, target).Bind(2, to);
    advance.Run();
}

} // namespace

std::int64_t RollupHorizon(SqliteDatabase &db, std::int64_t target, std::int64_t nowMs)
{
    SqliteStatement select = db.Prepare(
        "SELECT min(coalesce(last_ms, start_ms)) FROM runs WHERE target = ?1 AND end_ms IS NULL");
    select.Bind(1, target);
    std::int64_t horizon = nowMs;
    if (select.Step() && !select.IsNull(0))
        horizon = std::min(horizon, select.Int(0));
    return FloorTo(horizon, kMinuteMs);
}

bool RollUpStep(SqliteDatabase &db, std::int64_t target, std::int64_t nowMs, std::int64_t maxStepMs)
{
    const auto start = RollupStart(db, target);
    if (!start)
        return false;
    const std::int64_t horizon = RollupHorizon(db, target, nowMs);
    const std::int64_t step = std::max(kMinuteMs, FloorTo(maxStepMs, kMinuteMs));
    const Span range{*start, std::min(horizon, StepEnd(db, *start, step))};
    if (range.Length() == 0)
        return false;

    // Runs still open watch on past the range: the horizon lies after it.
    const TimelineInput input = LoadTimeline(db, target, range, [&](const RunRow &) { return range.end; });
    if (input.runs.empty()) {
        const std::int64_t next = std::max(range.end, NextWatched(db, target, range.end, horizon));
        Advance(db, target, next);
        return next < horizon;
    }
    const std::vector<StatePiece> pieces = MergeTimeline(input.runs, input.checks, range);
    const auto firstInRange = std::lower_bound(input.checks.begin(), input.checks.end(), range.start,
                                               [](const TimelineCheck &c, std::int64_t t) { return c.time < t; });
    const std::span<const TimelineCheck> inRange(firstInRange, input.checks.end());

    std::vector<PeriodStats> minutes = FixedPeriods(range, kMinuteMs);
    AddPieces(minutes, pieces);
    AddChecks(minutes, inRange);
    WriteMinutes(db, target, minutes);
    AddToHours(db, target, minutes);
    AddToDays(db, target, minutes);
    WriteOutages(db, target, range.start, OutagesOf(pieces, inRange));
    Advance(db, target, range.end);
    return range.end < horizon;
}
