// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "session/SummaryText.h"

#include "session/SessionText.h"

namespace {

constexpr std::string_view kBold = "\x1b[1m";
constexpr std::string_view kReset = "\x1b[0m";

std::string ReasonList(const ReasonCounts &reasons)
{
    std::string list;
    for (const FailureReason reason : kFailureReasons) {
        const std::uint64_t count = reasons.Count(reason);
        if (count == 0)
            continue;
        if (!list.empty())
            list += ", ";
        list += std::string(ReasonEnglish(reason)) + " " + std::to_string(count);
    }
    return list;
}

std::string LongestOutageLine(const SessionSummary &summary)
{
    if (!summary.longestOutage)
        return "longest outage: none\n";
    const Outage &outage = *summary.longestOutage;
    std::string line = "longest outage: " + HumanDuration(outage.duration) + ", from " + LocalIsoTime(outage.start);
    line += outage.open ? " (going on)" : " to " + LocalIsoTime(outage.end);
    line += ", " + std::to_string(outage.failedChecks) + (outage.failedChecks == 1 ? " failed check: " : " failed checks: ");
    line += ReasonList(outage.reasons) + "\n";
    return line;
}

std::string LatencyLines(const SessionSummary &summary)
{
    if (!summary.latency)
        return "time min/avg/max/mdev = -/-/-/- ms (no check succeeded)\n";
    const LatencyFigures &l = *summary.latency;
    return "time min/avg/max/mdev = " + MillisecondsText(l.min) + "/" + FixedDecimal(l.average.count() / 1e6, 3) + "/"
           + MillisecondsText(l.max) + "/" + FixedDecimal(l.meanDeviation.count() / 1e6, 3) + " ms\n"
           + "time p50/p90/p95/p99 = " + MillisecondsText(l.p50) + "/" + MillisecondsText(l.p90) + "/"
           + MillisecondsText(l.p95) + "/" + MillisecondsText(l.p99) + " ms\n";
}

} // namespace

std::string Painted(std::string_view text, std::string_view colour, bool color)
{
    if (!color)
        return std::string(text);
    std::string painted;
    painted.reserve(text.size() + colour.size() + kReset.size());
    painted.append(colour).append(text).append(kReset);
    return painted;
}

std::string AddressText(std::string_view address)
{
    if (address.find(':') == std::string_view::npos)
        return std::string(address);
    return "[" + std::string(address) + "]";
}

std::string TargetText(const ProbeTarget &target, std::string_view address)
{
    std::string where = target.host;
    where += address.empty() ? " (no address)" : " (" + AddressText(address) + ")";
    where += " port " + std::to_string(target.port);
    return where;
}

std::string TextSummary(const ProbeTarget &target, std::string_view address, const SessionSummary &summary,
                        bool color)
{
    std::string text = Painted("--- " + TargetText(target, address) + " statistics ---", kBold, color) + "\n";
    const std::string loss = summary.lossPercent ? TrimmedDecimal(*summary.lossPercent, 3) + "% loss" : "no loss figure";
    text += std::to_string(summary.sent) + (summary.sent == 1 ? " check, " : " checks, ") + std::to_string(summary.succeeded) + " ok, "
            + std::to_string(summary.failed) + " failed, " + loss + "\n";
    text += LatencyLines(summary);
    text += "up " + HumanDuration(summary.totalUp) + ", down " + HumanDuration(summary.totalDown) + ", "
            + std::to_string(summary.outagesTotal) + (summary.outagesTotal == 1 ? " outage\n" : " outages\n");
    text += LongestOutageLine(summary);
    text += "longest uptime: " + (summary.longestUptime ? HumanDuration(summary.longestUptime->duration) : "none")
            + "\n";
    text += "session: " + LocalIsoTime(summary.sessionStart) + " to " + LocalIsoTime(summary.now) + ", "
            + HumanDuration(summary.sessionLength) + "\n";
    return text;
}
