// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/HistoryLists.h"

#include "cli/HistoryReport.h"
#include "cli/JsonFormat.h"
#include "cli/TextFormat.h"
#include "session/SessionCsv.h"
#include "session/SessionText.h"

namespace {

// The probe's check line with `extra` put before its end: the line break
// for text, the closing brace for JSON, the CR LF for csv.
std::string Spliced(std::string line, std::string_view end, const std::string &extra)
{
    if (line.size() >= end.size() && line.compare(line.size() - end.size(), end.size(), end) == 0)
        line.insert(line.size() - end.size(), extra);
    return line;
}

struct Event {
    ProbeTarget target;
    CheckEvent event;

    explicit Event(const StoredCheck &check)
        : target{check.host, check.port}
        , event{target, check.seq, check.result, {}}
    {
    }
};

std::string OptionalTime(const std::optional<std::int64_t> &ms, bool json)
{
    if (!ms)
        return json ? "null" : "";
    return json ? JsonString(TimeText(*ms)) : CsvField(TimeText(*ms));
}

} // namespace

std::string OutageText(const HistoryTarget &target, const OutageSpan &outage)
{
    std::string text = target.host + " port " + std::to_string(target.port) + ": " + TimeText(outage.start) + " to "
                       + TimeText(outage.end) + ", " + HumanDuration(std::chrono::milliseconds(outage.end - outage.start))
                       + ", " + std::to_string(outage.failed) + (outage.failed == 1 ? " failed check" : " failed checks");
    const std::string reasons = ReasonsText(outage.reasons);
    return text + (reasons.empty() ? "" : ": " + reasons) + "\n";
}

std::string OutageJson(const HistoryTarget &target, const OutageSpan &outage)
{
    std::string object;
    AddField(object, "type", "\"outage\"");
    AddField(object, "host", JsonString(target.host));
    AddField(object, "port", std::to_string(target.port));
    AddField(object, "start", JsonString(TimeText(outage.start)));
    AddField(object, "end", JsonString(TimeText(outage.end)));
    AddField(object, "duration_s", SecondsOf(outage.end - outage.start));
    AddField(object, "failed", std::to_string(outage.failed));
    AddField(object, "reasons", ReasonsJson(outage.reasons));
    return object + "}\n";
}

std::string OutageCsvHeader()
{
    return "host,port,start,end,duration_s,failed,reasons\r\n";
}

std::string OutageCsvRow(const HistoryTarget &target, const OutageSpan &outage)
{
    return CsvField(target.host) + "," + std::to_string(target.port) + "," + CsvField(TimeText(outage.start)) + ","
           + CsvField(TimeText(outage.end)) + "," + SecondsOf(outage.end - outage.start) + ","
           + std::to_string(outage.failed) + "," + CsvField(ReasonsCsv(outage.reasons)) + "\r\n";
}

std::string CheckText(const StoredCheck &check)
{
    const Event event(check);
    return Spliced(TextCheckLine(event.event, TextStyle{true, false}), "\n", " (run " + std::to_string(check.run) + ")");
}

std::string CheckJson(const StoredCheck &check)
{
    const Event event(check);
    return Spliced(JsonCheckLine(event.event), "}\n", ",\"run\":" + std::to_string(check.run));
}

std::string CheckCsvHeader()
{
    return Spliced(CsvHeader(), "\r\n", ",run");
}

std::string CheckCsvRow(const StoredCheck &check)
{
    const Event event(check);
    return Spliced(CsvRow(event.event), "\r\n", "," + std::to_string(check.run));
}

std::string TargetLineText(const HistoryTarget &target)
{
    std::string text = target.host + " port " + std::to_string(target.port) + ": " + std::to_string(target.checks)
                       + (target.checks == 1 ? " check" : " checks") + " in " + std::to_string(target.runs)
                       + (target.runs == 1 ? " run" : " runs");
    if (target.firstMs && target.lastMs)
        text += ", from " + TimeText(*target.firstMs) + " to " + TimeText(*target.lastMs);
    return text + "\n";
}

std::string TargetJson(const HistoryTarget &target)
{
    std::string object;
    AddField(object, "type", "\"target\"");
    AddField(object, "host", JsonString(target.host));
    AddField(object, "port", std::to_string(target.port));
    AddField(object, "first", OptionalTime(target.firstMs, true));
    AddField(object, "last", OptionalTime(target.lastMs, true));
    AddField(object, "checks", std::to_string(target.checks));
    AddField(object, "runs", std::to_string(target.runs));
    return object + "}\n";
}

std::string TargetCsvHeader()
{
    return "host,port,first,last,checks,runs\r\n";
}

std::string TargetCsvRow(const HistoryTarget &target)
{
    return CsvField(target.host) + "," + std::to_string(target.port) + "," + OptionalTime(target.firstMs, false) + ","
           + OptionalTime(target.lastMs, false) + "," + std::to_string(target.checks) + ","
           + std::to_string(target.runs) + "\r\n";
}
