// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/JsonFormat.h"

#include "session/SessionText.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// The length of the valid UTF-8 sequence at the start of `text`, or 0.
std::size_t Utf8SequenceLength(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    std::uint32_t codePoint = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07u;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0u) != 0x80u)
            return 0;
        codePoint = (codePoint << 6) | (byte(i) & 0x3Fu);
    }
    const bool overlong = (length == 3 && codePoint < 0x800) || (length == 4 && codePoint < 0x10000);
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (overlong || surrogate || codePoint > 0x10FFFF)
        return 0;
    return length;
}

void AppendEscaped(std::string &out, unsigned char c)
{
    switch (c) {
    case '"': out += "\\\""; return;
    case '\\': out += "\\\\"; return;
    case '\b': out += "\\b"; return;
    case '\f': out += "\\f"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: break;
    }
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
    out += escaped;
}

std::string OrNull(std::string_view text)
{
    return text.empty() ? "null" : JsonString(text);
}

void AppendJsonString(std::string &out, std::string_view text);

class JsonObject final {
public:
    JsonObject() { text_.reserve(320); }

    JsonObject &Raw(std::string_view name, std::string_view json)
    {
        Name(name);
        text_ += json;
        return *this;
    }
    JsonObject &String(std::string_view name, std::string_view value)
    {
        Name(name);
        AppendJsonString(text_, value);
        return *this;
    }
    JsonObject &Number(std::string_view name, std::uint64_t value) { return Raw(name, std::to_string(value)); }

    // The object, with `end` after it.
    std::string Done(std::string_view end = {})
    {
        if (text_.empty())
            text_ += '{';
        text_ += '}';
        text_ += end;
        return std::move(text_);
    }

private:
    void Name(std::string_view name)
    {
        text_ += text_.empty() ? '{' : ',';
        text_ += '"';
        text_ += name;
        text_ += "\":";
    }

    std::string text_;
};

std::string MsOrNull(bool present, std::chrono::nanoseconds value)
{
    return present ? MillisecondsText(value) : "null";
}

std::string LongestOutage(const SessionSummary &summary)
{
    if (!summary.longestOutage)
        return "null";
    const Outage &outage = *summary.longestOutage;
    JsonObject reasons;
    for (const FailureReason reason : kFailureReasons) {
        if (const std::uint64_t count = outage.reasons.Count(reason); count > 0)
            reasons.Number(ReasonKey(reason), count);
    }
    return JsonObject()
        .String("start", LocalIsoTime(outage.start))
        .Raw("end", outage.open ? "null" : JsonString(LocalIsoTime(outage.end)))
        .Raw("duration_s", SecondsText(outage.duration))
        .Number("failed", outage.failedChecks)
        .Raw("reasons", reasons.Done())
        .Done();
}

void AppendJsonString(std::string &out, std::string_view text)
{
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (c < 0x20 || c == '"' || c == '\\')
                AppendEscaped(out, c);
            else
                out += static_cast<char>(c);
            ++i;
            continue;
        }
        const std::size_t length = Utf8SequenceLength(text.substr(i));
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    out += '"';
}

JsonObject CheckObject(const CheckEvent &event)
{
    const CheckResult &r = event.result;
    const bool failed = !r.ok;
    JsonObject object;
    object.String("type", "check")
        .String("time", LocalIsoTime(r.startedAt))
        .Number("seq", event.seq)
        .String("host", event.target.host)
        .Raw("address", OrNull(r.address))
        .Number("port", event.target.port)
        .Raw("ok", r.ok ? "true" : "false")
        .Raw("ms", MillisecondsText(r.elapsed))
        .Raw("reason", failed ? JsonString(ReasonKey(ReportedReason(r))) : "null")
        .Raw("code", failed && r.errorCode != 0 ? std::to_string(r.errorCode) : "null")
        .Raw("message", failed ? OrNull(r.errorMessage) : "null");
    return object;
}

// [{"address":"2001:db8::1","family":"ipv6","reason":"timeout","ms":250.000},...]
std::string AttemptList(const std::vector<ConnectAttempt> &attempts)
{
    std::string list = "[";
    for (const ConnectAttempt &attempt : attempts) {
        if (list.size() > 1)
            list += ',';
        const FailureReason reason = attempt.reason == FailureReason::None ? FailureReason::Other : attempt.reason;
        list += JsonObject()
                    .String("address", attempt.address)
                    .Raw("family", OrNull(FamilyKey(attempt.family)))
                    .String("reason", ReasonKey(reason))
                    .Raw("ms", MillisecondsText(attempt.elapsed))
                    .Done();
    }
    return list + "]";
}

} // namespace

std::string JsonString(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    AppendJsonString(out, text);
    return out;
}

std::string_view FamilyKey(AddressFamily family) noexcept
{
    switch (family) {
    case AddressFamily::IPv4: return "ipv4";
    case AddressFamily::IPv6: return "ipv6";
    case AddressFamily::Unknown: break;
    }
    return {};
}

std::string JsonCheckLine(const CheckEvent &event)
{
    return CheckObject(event).Done("\n");
}

std::string JsonProbeCheckLine(const CheckEvent &event)
{
    const CheckResult &r = event.result;
    JsonObject object = CheckObject(event);
    object.Raw("family", OrNull(FamilyKey(r.family)))
        .Raw("dns_ms", MillisecondsText(r.lookupElapsed))
        .Raw("connect_ms", r.address.empty() ? "null" : MillisecondsText(r.connectElapsed));
    if (!r.ok && !r.attempts.empty())
        object.Raw("attempts", AttemptList(r.attempts));
    return object.Done("\n");
}

std::string JsonSummaryLine(const ProbeTarget &target, std::string_view address, const SessionSummary &summary)
{
    const bool figures = summary.latency.has_value();
    const LatencyFigures l = summary.latency.value_or(LatencyFigures{});
    return JsonObject()
               .String("type", "summary")
               .String("host", target.host)
               .Raw("address", OrNull(address))
               .Number("port", target.port)
               .Number("sent", summary.sent)
               .Number("ok", summary.succeeded)
               .Number("failed", summary.failed)
               .Raw("loss", summary.lossPercent ? FixedDecimal(*summary.lossPercent, 3) : "null")
               .Raw("min_ms", MsOrNull(figures, l.min))
               .Raw("avg_ms", figures ? FixedDecimal(l.average.count() / 1e6, 3) : "null")
               .Raw("max_ms", MsOrNull(figures, l.max))
               .Raw("mdev_ms", figures ? FixedDecimal(l.meanDeviation.count() / 1e6, 3) : "null")
               .Raw("p50_ms", MsOrNull(figures, l.p50))
               .Raw("p90_ms", MsOrNull(figures, l.p90))
               .Raw("p95_ms", MsOrNull(figures, l.p95))
               .Raw("p99_ms", MsOrNull(figures, l.p99))
               .Raw("uptime_s", SecondsText(summary.totalUp))
               .Raw("downtime_s", SecondsText(summary.totalDown))
               .Number("outages", summary.outagesTotal)
               .Raw("longest_outage", LongestOutage(summary))
               .Raw("longest_uptime_s", summary.longestUptime ? SecondsText(summary.longestUptime->duration) : "null")
               .String("start", LocalIsoTime(summary.sessionStart))
               .String("end", LocalIsoTime(summary.now))
               .Raw("duration_s", SecondsText(summary.sessionLength))
               .Done("\n");
}
