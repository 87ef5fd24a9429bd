// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/TextFormat.h"

#include "session/SessionText.h"
#include "session/SummaryText.h"

namespace {

constexpr std::string_view kGreen = "\x1b[32m";
constexpr std::string_view kRed = "\x1b[31m";
constexpr std::string_view kYellow = "\x1b[33m";

// A lookup this long or longer is shown beside the total: below it, the
// figure would only be noise on every line.
constexpr std::chrono::milliseconds kShownLookup{1};

// " (dns 25.000 ms)" after a slow lookup, else nothing.
std::string LookupNote(const CheckResult &result)
{
    if (result.lookupElapsed < kShownLookup)
        return {};
    return " (dns " + MillisecondsText(result.lookupElapsed) + " ms)";
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
    line += TargetText(event.target, result.address) + ": seq=" + std::to_string(event.seq) + " ";
    if (result.ok) {
        line += Painted("time=" + MillisecondsText(result.elapsed) + " ms", kGreen, style.color) + LookupNote(result);
    } else {
        std::string failure = "failed: " + std::string(ReasonEnglish(result.reason));
        if (!result.errorMessage.empty())
            failure += " (" + result.errorMessage + ")";
        line += Painted(failure, kRed, style.color) + " after " + MillisecondsText(result.elapsed) + " ms"
                + LookupNote(result);
    }
    if (!event.previousAddress.empty())
        line += Painted("; address changed from " + AddressText(event.previousAddress), kYellow, style.color);
    line += '\n';
    return line;
}
