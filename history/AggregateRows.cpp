// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "history/AggregateRows.h"

void BindAggregate(SqliteStatement &statement, int first, const PeriodStats &stats)
{
    const CheckStats &s = stats.stats;
    statement.Bind(first, static_cast<std::int64_t>(s.checks));
    statement.Bind(first + 1, static_cast<std::int64_t>(s.ok));
    statement.Bind(first + 2, static_cast<std::int64_t>(s.failed));
    statement.Bind(first + 3, stats.monitoredMs);
    statement.Bind(first + 4, stats.upMs);
    statement.Bind(first + 5, s.latencySumNs);
    s.latencyMinNs ? statement.Bind(first + 6, *s.latencyMinNs) : statement.BindNull(first + 6);
    s.latencyMaxNs ? statement.Bind(first + 7, *s.latencyMaxNs) : statement.BindNull(first + 7);
    statement.BindBlob(first + 8, s.histogram.Encode());
    const std::string reasons = s.reasons.Json();
    reasons.empty() ? statement.BindNull(first + 9) : statement.Bind(first + 9, reasons);
}

void ReadAggregate(const SqliteStatement &row, int first, PeriodStats &stats)
{
    CheckStats &s = stats.stats;
    s.checks = static_cast<std::uint64_t>(row.Int(first));
    s.ok = static_cast<std::uint64_t>(row.Int(first + 1));
    s.failed = static_cast<std::uint64_t>(row.Int(first + 2));
    stats.monitoredMs = row.Int(first + 3);
    stats.upMs = row.Int(first + 4);
    s.latencySumNs = row.Int(first + 5);
    s.latencyMinNs = row.IsNull(first + 6) ? std::nullopt : std::optional<std::int64_t>(row.Int(first + 6));
    s.latencyMaxNs = row.IsNull(first + 7) ? std::nullopt : std::optional<std::int64_t>(row.Int(first + 7));
    s.histogram = CompactHistogram::Decode(row.Blob(first + 8)).value_or(CompactHistogram{});
    s.reasons = ReasonTally::FromJson(row.Text(first + 9)).value_or(ReasonTally{});
}

void MergeAggregate(PeriodStats &a, const PeriodStats &b)
{
    a.monitoredMs += b.monitoredMs;
    a.upMs += b.upMs;
    a.stats.Merge(b.stats);
}
