// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "history/SqliteDatabase.h"
#include "history/Timeline.h"

// The columns the minutes, hours and days tables share, from `checks` on:
// checks, ok, failed, monitored_ms, up_ms, latency_sum_ns, latency_min_ns,
// latency_max_ns, histogram, reasons (history/HistorySchema.h).
inline constexpr const char *kAggregateColumns =
    "checks, ok, failed, monitored_ms, up_ms, latency_sum_ns, latency_min_ns, latency_max_ns, histogram, reasons";
inline constexpr int kAggregateColumnCount = 10;

// Binds the ten values from parameter `first` on.
void BindAggregate(SqliteStatement &statement, int first, const PeriodStats &stats);

// Reads the ten values from column `first` on into `stats` (its span is
// left as it is). A histogram or reasons text that cannot be read counts
// as empty, so that one damaged row costs its percentiles, not the query.
void ReadAggregate(const SqliteStatement &row, int first, PeriodStats &stats);

// Adds b to a: the counts, times and latency figures.
void MergeAggregate(PeriodStats &a, const PeriodStats &b);
