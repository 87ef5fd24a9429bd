// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/HistoryReport.h"

#include "cli/JsonFormat.h"
#include "session/SessionCsv.h"
#include "session/SessionText.h"

namespace {

std::string Human(std::int64_t ms)
{
    return HumanDuration(std::chrono::milliseconds(ms));
}

std::string PercentText(const std::optional<double> &percent)
{
    return percent ? FixedDecimal(*percent, 3) + "%" : "-";
}

std::string Plural(std::uint64_t count, const char *one, const char *many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string OutageObject(const OutageSpan &outage)
{
    std::string object;
    AddField(object, "start", JsonString(TimeText(outage.start)));
    AddField(object, "end", JsonString(TimeText(outage.end)));
    AddField(object, "duration_s", SecondsOf(outage.end - outage.start));
    AddField(object, "failed", std::to_string(outage.failed));
    AddField(object, "reasons", ReasonsJson(outage.reasons));
    return object + "}";
}

std::string OptionalSeconds(const std::optional<std::int64_t> &ms)
{
    return ms ? SecondsOf(*ms) : "null";
}

void AddTarget(std::string &object, const char *type, const HistoryTarget &target)
{
    AddField(object, "type", JsonString(type));
    AddField(object, "host", JsonString(target.host));
    AddField(object, "port", std::to_string(target.port));
}

} // namespace

void AddField(std::string &object, std::string_view name, std::string_view json)
{
    object += object.empty() ? "{\"" : ",\"";
    object += name;
    object += "\":";
    object += json;
}

std::string ReasonsText(const ReasonTally &reasons)
{
    std::string text;
    for (const FailureReason reason : kFailureReasons) {
        if (const auto count = reasons.Count(reason); count > 0) {
            text += text.empty() ? "" : ", ";
            text += std::string(ReasonEnglish(reason)) + " " + std::to_string(count);
        }
    }
    return text;
}

std::string ReasonsJson(const ReasonTally &reasons)
{
    const std::string json = reasons.Json();
    return json.empty() ? "{}" : json;
}

std::string ReasonsCsv(const ReasonTally &reasons)
{
    std::string text;
    for (const FailureReason reason : kFailureReasons) {
        if (const auto count = reasons.Count(reason); count > 0)
            text += (text.empty() ? "" : " ") + std::string(ReasonKey(reason)) + "=" + std::to_string(count);
    }
    return text;
}

std::string TimeText(std::int64_t ms)
{
    return LocalIsoTime(std::chrono::system_clock::time_point(std::chrono::milliseconds(ms)));
}

std::string SecondsOf(std::int64_t ms)
{
    return SecondsText(std::chrono::milliseconds(ms));
}

std::string PercentJson(const std::optional<double> &percent)
{
    return percent ? FixedDecimal(*percent, 3) : "null";
}

std::string ReportText(const TargetView &report)
{
    const HistoryView &view = report.view;
    const HistoryTotals &t = view.totals;
    std::string text = "history of " + report.target.host + " port " + std::to_string(report.target.port) + "\n";
    text += "range: " + TimeText(view.range.start) + " to " + TimeText(view.range.end) + " ("
            + Human(view.range.Length()) + ")\n";
    text += "monitored: " + Human(t.monitoredMs) + ", not monitored: " + Human(t.notMonitoredMs) + "\n";
    text += "up: " + Human(t.upMs) + ", down: " + Human(t.downMs) + "\n";
    text += "availability: " + (t.availability ? FixedDecimal(*t.availability, 3) + "% of the monitored time"
                                               : std::string("- (nothing was monitored)")) + "\n";
    text += "checks: " + std::to_string(t.stats.checks) + ", " + std::to_string(t.stats.failed) + " failed\n";
    text += "outages: " + std::to_string(t.outages);
    if (t.longestOutageMs)
        text += ", the longest " + Human(*t.longestOutageMs);
    if (t.meanTimeBetweenOutagesMs)
        text += ", mean time between outages " + Human(*t.meanTimeBetweenOutagesMs);
    text += "\n";
    for (const OutageSpan &outage : view.outages) {
        text += "  " + TimeText(outage.start) + " to " + TimeText(outage.end) + "  " + Human(outage.end - outage.start)
                + "  " + Plural(outage.failed, "failed check", "failed checks");
        const std::string reasons = ReasonsText(outage.reasons);
        text += reasons.empty() ? "\n" : ": " + reasons + "\n";
    }
    text += "daily availability:\n";
    for (const HistoryDay &day : view.days) {
        text += "  " + day.day.date + "  ";
        if (day.monitoredMs == 0) {
            text += "-        not monitored\n";
            continue;
        }
        std::string percent = PercentText(day.Availability());
        percent.resize(std::max<std::size_t>(percent.size(), 8), ' ');
        text += percent + " monitored " + Human(day.monitoredMs) + ", "
                + Plural(day.outagesBegun, "outage", "outages") + "\n";
    }
    return text;
}

std::string ReportJson(const TargetView &report)
{
    const HistoryView &view = report.view;
    const HistoryTotals &t = view.totals;
    std::string object;
    AddTarget(object, "report", report.target);
    AddField(object, "start", JsonString(TimeText(view.range.start)));
    AddField(object, "end", JsonString(TimeText(view.range.end)));
    AddField(object, "monitored_s", SecondsOf(t.monitoredMs));
    AddField(object, "not_monitored_s", SecondsOf(t.notMonitoredMs));
    AddField(object, "up_s", SecondsOf(t.upMs));
    AddField(object, "down_s", SecondsOf(t.downMs));
    AddField(object, "availability", PercentJson(t.availability));
    AddField(object, "checks", std::to_string(t.stats.checks));
    AddField(object, "failed", std::to_string(t.stats.failed));
    std::string outages = "[";
    for (const OutageSpan &outage : view.outages)
        outages += (outages.size() > 1 ? "," : "") + OutageObject(outage);
    AddField(object, "outages", outages + "]");
    AddField(object, "longest_outage_s", OptionalSeconds(t.longestOutageMs));
    AddField(object, "mean_time_between_outages_s", OptionalSeconds(t.meanTimeBetweenOutagesMs));
    std::string days = "[";
    for (const HistoryDay &day : view.days) {
        std::string entry;
        AddField(entry, "date", JsonString(day.day.date));
        AddField(entry, "monitored_s", SecondsOf(day.monitoredMs));
        AddField(entry, "availability", PercentJson(day.Availability()));
        AddField(entry, "outages", std::to_string(day.outagesBegun));
        days += (days.size() > 1 ? "," : "") + entry + "}";
    }
    AddField(object, "days", days + "]");
    return object + "}\n";
}

std::string ReportCsvHeader()
{
    return "start,end,host,port,monitored_s,not_monitored_s,up_s,down_s,availability,checks,failed,outages,"
           "longest_outage_s\r\n";
}

std::string ReportCsvRow(const TargetView &report)
{
    const HistoryView &view = report.view;
    const HistoryTotals &t = view.totals;
    return CsvField(TimeText(view.range.start)) + "," + CsvField(TimeText(view.range.end)) + ","
           + CsvField(report.target.host) + "," + std::to_string(report.target.port) + "," + SecondsOf(t.monitoredMs)
           + "," + SecondsOf(t.notMonitoredMs) + "," + SecondsOf(t.upMs) + "," + SecondsOf(t.downMs) + ","
           + (t.availability ? FixedDecimal(*t.availability, 3) : "") + "," + std::to_string(t.stats.checks) + ","
           + std::to_string(t.stats.failed) + "," + std::to_string(t.outages) + ","
           + (t.longestOutageMs ? SecondsOf(*t.longestOutageMs) : "") + "\r\n";
}

std::string DaysText(const TargetView &report)
{
    std::string text = "days of " + report.target.host + " port " + std::to_string(report.target.port) + "\n";
    for (const HistoryDay &day : report.view.days) {
        std::string percent = PercentText(day.Availability());
        percent.resize(std::max<std::size_t>(percent.size(), 8), ' ');
        text += "  " + day.day.date + "  " + percent + " monitored " + Human(day.monitoredMs) + ", down "
                + Human(day.monitoredMs - day.upMs) + ", " + Plural(day.outagesBegun, "outage", "outages") + ", "
                + Plural(day.stats.checks, "check", "checks") + ", " + std::to_string(day.stats.failed) + " failed\n";
    }
    return text;
}

std::string DaysJson(const TargetView &report)
{
    std::string lines;
    for (const HistoryDay &day : report.view.days) {
        std::string object;
        AddTarget(object, "day", report.target);
        AddField(object, "date", JsonString(day.day.date));
        AddField(object, "monitored_s", SecondsOf(day.monitoredMs));
        AddField(object, "up_s", SecondsOf(day.upMs));
        AddField(object, "down_s", SecondsOf(day.monitoredMs - day.upMs));
        AddField(object, "availability", PercentJson(day.Availability()));
        AddField(object, "outages", std::to_string(day.outagesBegun));
        AddField(object, "checks", std::to_string(day.stats.checks));
        AddField(object, "failed", std::to_string(day.stats.failed));
        lines += object + "}\n";
    }
    return lines;
}

std::string DaysCsvHeader()
{
    return "host,port,date,monitored_s,up_s,down_s,availability,outages,checks,failed\r\n";
}

std::string DaysCsvRows(const TargetView &report)
{
    std::string rows;
    for (const HistoryDay &day : report.view.days) {
        const auto availability = day.Availability();
        rows += CsvField(report.target.host) + "," + std::to_string(report.target.port) + "," + day.day.date + ","
                + SecondsOf(day.monitoredMs) + "," + SecondsOf(day.upMs) + "," + SecondsOf(day.monitoredMs - day.upMs)
                + "," + (availability ? FixedDecimal(*availability, 3) : "") + "," + std::to_string(day.outagesBegun)
                + "," + std::to_string(day.stats.checks) + "," + std::to_string(day.stats.failed) + "\r\n";
    }
    return rows;
}
