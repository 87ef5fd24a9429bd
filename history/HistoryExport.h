// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "history/SqliteDatabase.h"
#include "history/Timeline.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// A range of one target's history as CSV, for the history window's export:
// the raw checks where the file still holds them, and the aggregates where
// only those are left (minutes, and hours beyond the minute retention), in
// time order, each moment in exactly one row. RFC 4180 as in
// session/SessionCsv.h (CR LF, quotes where needed, empty fields for no
// value); times local ISO 8601 with milliseconds and offset.
//
// Columns: kind,start,end,host,port,run,ok,ms,address,reason,code,message,
//          checks,failed,monitored_s,up_s,min_ms,avg_ms,max_ms,p50_ms,p95_ms
//   kind "check": start is the check's start, end empty; run to message as
//     kelvora-probe's csv has them; the aggregate columns empty.
//   kind "minute" or "hour": start and end of the aggregate; run to message
//     empty; checks and failed counted, monitored and up time, and the
//     successful checks' minimum, average, maximum, median and 95th
//     percentile (from the stored histogram) in milliseconds.
//
// `write` gets the text piece by piece and returns false to stop. The
// caller reads inside one transaction.

std::string ExportCsvHeader();

void ExportRangeCsv(SqliteDatabase &db, std::int64_t target, Span range,
                    const std::function<bool(std::string_view)> &write);
