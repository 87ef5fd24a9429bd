#include "cli/TextFormat.h"

#include "cli/OutputText.h"

namespace {

constexpr std::string_view kGreen = "\x1b[32m";
constexpr std::string_view kRed = "\x1b[31m";
constexpr std::string_view kYellow = "\x1b[33m";
constexpr std::string_view kBold = "\x1b[1m";
constexpr std::string_view kReset = "\x1b[0m";

std::string Painted(std::string_view text, std::string_view colour, bool color)
{
    if (!color)
        return std::string(text);
    std::string painted;
    painted.reserve(text.size() + colour.size() + kReset.size());
    painted.append(colour).append(text).append(kReset);
    return painted;
}

std::string Where(const ProbeTarget &target, std::string_view address)
{
    std::string where = target.host;
    where += address.empty() ? " (no address)" : " (" + std::string(address) + ")";
    where += " port " + std::to_string(target.port);
    return where;
}

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

std::string TextHeader(const ProbeTarget &target, std::chrono::nanoseconds interval, std::int32_t timeoutMs)
{
    const std::string timeout = timeoutMs > 0 ? TrimmedDecimal(timeoutMs / 1000.0, 3) + " s" : "the client's own (21 s)";
    return "probing " + target.host + " port " + std::to_string(target.port) + " every "
           + TrimmedDecimal(static_cast<double>(interval.count()) / 1e9, 3) + " s, time-out " + timeout + "\n";
}

std::string TextCheckLine(const CheckEvent &event, const TextStyle &style)
{
    const CheckResult &result = event.result;
    std::string line;
    if (style.timestamp)
        line.append("[").append(LocalIsoTime(result.startedAt)).append("] ");
    line += Where(event.target, result.address) + ": seq=" + std::to_string(event.seq) + " ";
    if (result.ok) {
        line += Painted("time=" + MillisecondsText(result.elapsed) + " ms", kGreen, style.color);
    } else {
        std::string failure = "failed: " + std::string(ReasonEnglish(result.reason));
        if (!result.errorMessage.empty())
            failure += " (" + result.errorMessage + ")";
        line += Painted(failure, kRed, style.color) + " after " + MillisecondsText(result.elapsed) + " ms";
    }
    if (!event.previousAddress.empty())
        line += Painted("; address changed from " + std::string(event.previousAddress), kYellow, style.color);
    line += '\n';
    return line;
}

std::string TextSummary(const ProbeTarget &target, std::string_view address, const SessionSummary &summary,
                        bool color)
{
    std::string text = Painted("--- " + Where(target, address) + " statistics ---", kBold, color) + "\n";
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
