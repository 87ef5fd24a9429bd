// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "history/HistoryExport.h"

#include "history/AggregateRows.h"
#include "history/HistorySchema.h"
#include "history/ReasonTally.h"
#include "history/Rollup.h"
#include "session/SessionCsv.h"
#include "session/SessionText.h"

#include <algorithm>
#include <optional>

namespace {

std::string Time(std::int64_t ms)
{
    return LocalIsoTime(std::chrono::system_clock::time_point(std::chrono::milliseconds(ms)));
}

std::string Ms(std::optional<std::int64_t> ns)
{
    return ns ? MillisecondsText(std::chrono::nanoseconds(*ns)) : std::string();
}

struct TargetName {
    std::string host;
    std::int64_t port = 0;
};

TargetName NameOf(SqliteDatabase &db, std::int64_t target)
{
    SqliteStatement select = db.Prepare("SELECT host, port FROM targets WHERE id = ?1");
    select.Bind(1, target);
    return select.Step() ? TargetName{select.Text(0), select.Int(1)} : TargetName{};
}

std::string AggregateRow(const char *kind, const TargetName &name, const PeriodStats &row)
{
    const CheckStats &s = row.stats;
    std::optional<std::int64_t> average;
    std::optional<std::int64_t> p50;
    std::optional<std::int64_t> p95;
    if (s.ok > 0) {
        average = s.latencySumNs / static_cast<std::int64_t>(s.ok);
        if (s.histogram.Count() > 0) {
            p50 = s.histogram.ValueAtPercentile(50).count();
            p95 = s.histogram.ValueAtPercentile(95).count();
        }
    }
    return std::string(kind) + "," + CsvField(Time(row.span.start)) + "," + CsvField(Time(row.span.end)) + ","
           + CsvField(name.host) + "," + std::to_string(name.port) + ",,,,,,,," + std::to_string(s.checks) + ","
           + std::to_string(s.failed) + "," + SecondsText(std::chrono::milliseconds(row.monitoredMs)) + ","
           + SecondsText(std::chrono::milliseconds(row.upMs)) + "," + Ms(s.latencyMinNs) + "," + Ms(average) + ","
           + Ms(s.latencyMaxNs) + "," + Ms(p50) + "," + Ms(p95) + "\r\n";
}

// The raw checks of `span`, each a row; false once `write` stops.
bool WriteChecks(SqliteDatabase &db, std::int64_t target, const TargetName &name, Span span,
                 const std::function<bool(std::int64_t time, std::string_view row)> &write)
{
    SqliteStatement select = db.Prepare(OverAllChecks(
        "SELECT c.time_ms, c.run, c.failure IS NULL, c.elapsed_ns, a.address, f.reason, f.code, f.message"
        " FROM {checks} c LEFT JOIN addresses a ON a.id = c.address LEFT JOIN failures f ON f.id = c.failure"
        " WHERE c.time_ms >= ?1 AND c.time_ms < ?2 AND c.run IN (SELECT id FROM runs WHERE target = ?3)",
        "ORDER BY 1"));
    select.Bind(1, span.start).Bind(2, span.end).Bind(3, target);
    while (select.Step()) {
        const bool ok = select.Int(2) != 0;
        const std::string row = "check," + CsvField(Time(select.Int(0))) + ",," + CsvField(name.host) + ","
                                + std::to_string(name.port) + "," + std::to_string(select.Int(1)) + ","
                                + (ok ? "true" : "false") + "," + MillisecondsText(std::chrono::nanoseconds(select.Int(3)))
                                + "," + CsvField(select.Text(4)) + "," + (ok ? "" : CsvField(select.Text(5))) + ","
                                + (ok || select.Int(6) == 0 ? "" : std::to_string(select.Int(6))) + ","
                                + (ok ? "" : CsvField(select.Text(7))) + ",,,,,,,,,\r\n";
        if (!write(select.Int(0), row))
            return false;
    }
    return true;
}

std::vector<PeriodStats> Aggregates(SqliteDatabase &db, const char *table, std::int64_t target, Span span,
                                    std::int64_t lengthMs)
{
    std::vector<PeriodStats> rows;
    SqliteStatement select = db.Prepare(std::string("SELECT start_ms, ") + kAggregateColumns + " FROM " + table
                                        + " WHERE target = ?1 AND start_ms >= ?2 AND start_ms < ?3 ORDER BY start_ms");
    select.Bind(1, target).Bind(2, span.start).Bind(3, span.end);
    while (select.Step()) {
        PeriodStats row;
        row.span = {select.Int(0), select.Int(0) + lengthMs};
        ReadAggregate(select, 1, row);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::optional<std::int64_t> Oldest(SqliteDatabase &db, const std::string &sql, std::int64_t target)
{
    SqliteStatement select = db.Prepare(sql);
    select.Bind(1, target);
    if (select.Step() && !select.IsNull(0))
        return select.Int(0);
    return std::nullopt;
}

} // namespace

std::string ExportCsvHeader()
{
    return "kind,start,end,host,port,run,ok,ms,address,reason,code,message,checks,failed,monitored_s,up_s,min_ms,"
           "avg_ms,max_ms,p50_ms,p95_ms\r\n";
}

void ExportRangeCsv(SqliteDatabase &db, std::int64_t target, Span range,
                    const std::function<bool(std::string_view)> &write)
{
    const TargetName name = NameOf(db, target);
    // Raw checks are whole from pruned_ms on; before it, minutes with an
    // aggregate lost theirs; before the oldest minute detail, only hours.
    const std::int64_t rawWhole =
        Oldest(db, "SELECT pruned_ms FROM targets WHERE id = ?1", target).value_or(range.start);
    const auto oldestMinute = Oldest(db, "SELECT min(start_ms) FROM minutes WHERE target = ?1", target);
    const auto oldestRaw = Oldest(db, OverAllChecks("SELECT time_ms FROM {checks}"
                                                    " WHERE run IN (SELECT id FROM runs WHERE target = ?1)",
                                                    "ORDER BY 1 LIMIT 1"),
                                  target);
    std::int64_t minuteWhole = std::min(oldestMinute.value_or(rawWhole), oldestRaw.value_or(rawWhole));
    // Hours are written whole: the detail begins at the next hour.
    minuteWhole = (minuteWhole + kHourMs - 1) / kHourMs * kHourMs;
    if (minuteWhole > rawWhole)
        minuteWhole = rawWhole - rawWhole % kHourMs;

    if (!write(ExportCsvHeader()))
        return;
    const Span hours{range.start, std::clamp(minuteWhole, range.start, range.end)};
    for (const PeriodStats &hour : Aggregates(db, "hours", target, hours, kHourMs)) {
        if (!write(AggregateRow("hour", name, hour)))
            return;
    }
    const Span minutes{hours.end, std::clamp(rawWhole, hours.end, range.end)};
    const std::vector<PeriodStats> rows = Aggregates(db, "minutes", target, minutes, kMinuteMs);
    std::size_t next = 0;
    const auto writeMinutesUpTo = [&](std::int64_t time) {
        for (; next < rows.size() && rows[next].span.start <= time; ++next) {
            if (!write(AggregateRow("minute", name, rows[next])))
                return false;
        }
        return true;
    };
    const bool going = WriteChecks(db, target, name, minutes, [&](std::int64_t time, std::string_view row) {
        return writeMinutesUpTo(time) && write(row);
    });
    if (!going || !writeMinutesUpTo(INT64_MAX))
        return;
    WriteChecks(db, target, name, {minutes.end, range.end},
                [&](std::int64_t, std::string_view row) { return write(row); });
}
