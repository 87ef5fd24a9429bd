// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "history/TimelineSource.h"

#include "history/HistorySchema.h"
#include "history/ReasonTally.h"

#include <algorithm>

namespace {

constexpr const char *kRunColumns =
    "SELECT id, target, program, interval_ms, start_ms, end_ms, coalesce(ended, ''), first_ms, last_ms, last_end_ms,"
    " checks, coalesce(pid, 0), coalesce(pid_start, 0), coalesce(boot_id, '') FROM runs";

std::optional<std::int64_t> OptionalInt(const SqliteStatement &row, int column)
{
    if (row.IsNull(column))
        return std::nullopt;
    return row.Int(column);
}

RunRow RunOf(const SqliteStatement &row)
{
    RunRow run;
    run.id = row.Int(0);
    run.target = row.Int(1);
    run.program = row.Text(2);
    run.intervalMs = row.Int(3);
    run.startMs = row.Int(4);
    run.endMs = OptionalInt(row, 5);
    run.ended = row.Text(6);
    run.firstMs = OptionalInt(row, 7);
    run.lastMs = OptionalInt(row, 8);
    run.lastEndMs = OptionalInt(row, 9);
    run.checks = row.Int(10);
    run.process.pid = row.Int(11);
    run.process.startTicks = row.Int(12);
    run.process.bootId = row.Text(13);
    return run;
}

TimelineCheck CheckOf(const SqliteStatement &row)
{
    TimelineCheck check;
    check.time = row.Int(0);
    check.run = row.Int(1);
    check.elapsedNs = row.Int(2);
    check.ok = row.Int(3) != 0;
    if (!check.ok)
        check.reason = ReasonOfKey(row.Text(4)).value_or(FailureReason::Other);
    return check;
}

// The timeline's columns of the raw checks that meet `where`, in both tables.
std::string CheckQuery(const char *where, const char *order)
{
    return OverAllChecks(std::string("SELECT c.time_ms, c.run, c.elapsed_ns, c.failure IS NULL, f.reason"
                                     " FROM {checks} c LEFT JOIN failures f ON f.id = c.failure WHERE ")
                             + where,
                         order);
}

} // namespace

std::vector<Span> LoadGaps(SqliteDatabase &db, std::int64_t run, Span range)
{
    std::vector<Span> gaps;
    SqliteStatement select =
        db.Prepare("SELECT start_ms, end_ms FROM gaps WHERE run = ?1 AND end_ms > ?2 AND start_ms < ?3 ORDER BY start_ms");
    select.Bind(1, run).Bind(2, range.start).Bind(3, range.end);
    while (select.Step()) {
        Span gap{select.Int(0), select.Int(1)};
        if (!gaps.empty())
            gap.start = std::max(gap.start, gaps.back().end);
        if (gap.Length() > 0)
            gaps.push_back(gap);
    }
    return gaps;
}

std::vector<TimelineCheck> LoadChecks(SqliteDatabase &db, std::int64_t target, Span range)
{
    std::vector<TimelineCheck> checks;
    SqliteStatement select = db.Prepare(CheckQuery(
        "c.time_ms >= ?1 AND c.time_ms < ?2 AND c.run IN (SELECT id FROM runs WHERE target = ?3)", "ORDER BY 1"));
    select.Bind(1, range.start).Bind(2, range.end).Bind(3, target);
    while (select.Step())
        checks.push_back(CheckOf(select));
    return checks;
}

std::int64_t WatchEnd(const RunRow &run, const OpenRunEnd &openEnd)
{
    const std::int64_t start = run.firstMs.value_or(run.startMs);
    const std::int64_t end = run.endMs ? *run.endMs : openEnd(run);
    return std::max(start, end);
}

std::vector<RunRow> LoadRuns(SqliteDatabase &db, std::int64_t target)
{
    std::vector<RunRow> runs;
    SqliteStatement select = db.Prepare(std::string(kRunColumns) + " WHERE ?1 = 0 OR target = ?1 ORDER BY start_ms, id");
    select.Bind(1, target);
    while (select.Step())
        runs.push_back(RunOf(select));
    return runs;
}

TimelineInput LoadTimeline(SqliteDatabase &db, std::int64_t target, Span range, const OpenRunEnd &openEnd)
{
    TimelineInput input;
    SqliteStatement runs = db.Prepare(std::string(kRunColumns)
                                      + " WHERE target = ?1 AND first_ms IS NOT NULL AND first_ms < ?2 ORDER BY id");
    runs.Bind(1, target).Bind(2, range.end);
    while (runs.Step()) {
        RunRow row = RunOf(runs);
        const std::int64_t end = WatchEnd(row, openEnd);
        if (end <= range.start)
            continue;
        input.runs.push_back({row.id, *row.firstMs, end, LoadGaps(db, row.id, range)});
        input.rows.push_back(std::move(row));
    }
    SqliteStatement context =
        db.Prepare(CheckQuery("c.run = ?1 AND c.time_ms < ?2 AND c.time_ms >= ?3", "ORDER BY 1 DESC LIMIT 1"));
    for (const RunRow &row : input.rows) {
        if (*row.firstMs >= range.start)
            continue;
        context.Bind(1, row.id).Bind(2, range.start).Bind(3, *row.firstMs);
        if (context.Step())
            input.checks.push_back(CheckOf(context));
        context.Reset();
    }
    std::sort(input.checks.begin(), input.checks.end(),
              [](const TimelineCheck &a, const TimelineCheck &b) { return a.time < b.time; });
    const std::vector<TimelineCheck> inRange = LoadChecks(db, target, range);
    input.checks.insert(input.checks.end(), inRange.begin(), inRange.end());
    return input;
}
