// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "history/HistoryReader.h"

#include <string>

// kelvora-history's report and days, in its three formats. Pure functions;
// each text ends with a line break. Times are local ISO 8601 with
// milliseconds and offset, seconds and percents have three decimals, as in
// kelvora-probe's formats.
//
// json report, one object per target:
//   {"type":"report","host","port","start","end","monitored_s",
//    "not_monitored_s","up_s","down_s","availability","checks","failed",
//    "outages":[{"start","end","duration_s","failed","reasons"}...] newest first,
//    "longest_outage_s","mean_time_between_outages_s",
//    "days":[{"date","monitored_s","availability","outages"}...]}
//   availability: percent of the monitored time up, null when nothing was
//   monitored; longest_outage_s and mean_time_between_outages_s null without
//   an outage; reasons an object of failed checks by reason key; a day's
//   outages the number that began on it.
// json days, one object per day: {"type":"day","host","port","date",
//   "monitored_s","up_s","down_s","availability","outages","checks","failed"}
// csv report: start,end,host,port,monitored_s,not_monitored_s,up_s,down_s,
//   availability,checks,failed,outages,longest_outage_s (one row a target)
// csv days: host,port,date,monitored_s,up_s,down_s,availability,outages,
//   checks,failed

struct TargetView {
    HistoryTarget target;
    HistoryView view;
};

std::string ReportText(const TargetView &report);
std::string ReportJson(const TargetView &report);
std::string ReportCsvHeader();
std::string ReportCsvRow(const TargetView &report);

std::string DaysText(const TargetView &report);
std::string DaysJson(const TargetView &report);
std::string DaysCsvHeader();
std::string DaysCsvRows(const TargetView &report);

// Shared with the lists: "connection refused 2, timed out 1"; the JSON
// object of the counts ({} when none); a csv field "refused=2 timeout=1".
std::string ReasonsText(const ReasonTally &reasons);
std::string ReasonsJson(const ReasonTally &reasons);
std::string ReasonsCsv(const ReasonTally &reasons);
std::string TimeText(std::int64_t ms);
std::string SecondsOf(std::int64_t ms);
// Percent with three decimals, or "null".
std::string PercentJson(const std::optional<double> &percent);

// Appends "name":json to a JSON object under construction ("{" first).
void AddField(std::string &object, std::string_view name, std::string_view json);
