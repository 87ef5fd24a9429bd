// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/InternetFormat.h"

#include "cli/JsonFormat.h"
#include "session/SessionText.h"
#include "session/SummaryText.h"

namespace {

constexpr std::string_view kBold = "\x1b[1m";

std::string StateName(LinkState state)
{
    switch (state) {
    case LinkState::Up:
        return "up";
    case LinkState::Down:
        return "down";
    case LinkState::Unknown:
        break;
    }
    return "unknown";
}

std::string Reasons(const ReasonCounts &reasons)
{
    std::string list;
    for (const FailureReason reason : kFailureReasons) {
        if (const std::uint64_t count = reasons.Count(reason); count > 0)
            list += (list.empty() ? "" : ", ") + std::string(ReasonEnglish(reason)) + " " + std::to_string(count);
    }
    return list;
}

std::string JsonReasons(const ReasonCounts &reasons)
{
    std::string object = "{";
    for (const FailureReason reason : kFailureReasons) {
        if (const std::uint64_t count = reasons.Count(reason); count > 0)
            object += (object.size() > 1 ? "," : "") + JsonString(ReasonKey(reason)) + ":" + std::to_string(count);
    }
    return object + "}";
}

std::string JsonLongestOutage(const SessionSummary &summary)
{
    if (!summary.longestOutage)
        return "null";
    const Outage &outage = *summary.longestOutage;
    return "{\"start\":" + JsonString(LocalIsoTime(outage.start))
           + ",\"end\":" + (outage.open ? std::string("null") : JsonString(LocalIsoTime(outage.end)))
           + ",\"duration_s\":" + SecondsText(outage.duration) + ",\"reasons\":" + JsonReasons(outage.reasons) + "}";
}

} // namespace

std::string TextInternetSummary(const InternetState &internet, const SessionSummary &summary, bool color)
{
    const std::string rule(InternetRuleName(internet.Rule()));
    std::string text = Painted("--- internet (" + rule + " of " + std::to_string(internet.Targets())
                                   + " targets) statistics ---",
                               kBold, color)
                       + "\n";
    text += "state " + StateName(summary.state);
    if (summary.state != LinkState::Unknown)
        text += " since " + LocalIsoTime(summary.stateSince);
    text += ", " + std::to_string(internet.TargetsUp()) + " of " + std::to_string(internet.Targets()) + " targets up\n";
    text += "up " + HumanDuration(summary.totalUp) + ", down " + HumanDuration(summary.totalDown) + ", "
            + std::to_string(summary.outagesTotal) + (summary.outagesTotal == 1 ? " outage\n" : " outages\n");
    if (summary.longestOutage) {
        const Outage &outage = *summary.longestOutage;
        text += "longest outage: " + HumanDuration(outage.duration) + ", from " + LocalIsoTime(outage.start)
                + (outage.open ? " (going on)" : " to " + LocalIsoTime(outage.end)) + ", failed targets: "
                + Reasons(outage.reasons) + "\n";
    } else {
        text += "longest outage: none\n";
    }
    text += "session: " + LocalIsoTime(summary.sessionStart) + " to " + LocalIsoTime(summary.now) + ", "
            + HumanDuration(summary.sessionLength) + "\n";
    return text;
}

std::string JsonInternetLine(const InternetState &internet, const SessionSummary &summary)
{
    const bool known = summary.state != LinkState::Unknown;
    return "{\"type\":\"internet\",\"rule\":" + JsonString(InternetRuleName(internet.Rule()))
           + ",\"targets\":" + std::to_string(internet.Targets()) + ",\"targets_up\":"
           + std::to_string(internet.TargetsUp()) + ",\"state\":" + JsonString(StateName(summary.state))
           + ",\"since\":" + (known ? JsonString(LocalIsoTime(summary.stateSince)) : std::string("null"))
           + ",\"uptime_s\":" + SecondsText(summary.totalUp) + ",\"downtime_s\":" + SecondsText(summary.totalDown)
           + ",\"outages\":" + std::to_string(summary.outagesTotal) + ",\"longest_outage\":"
           + JsonLongestOutage(summary) + ",\"start\":" + JsonString(LocalIsoTime(summary.sessionStart))
           + ",\"end\":" + JsonString(LocalIsoTime(summary.now))
           + ",\"duration_s\":" + SecondsText(summary.sessionLength) + "}\n";
}
