// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "session/SessionText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

// Rounds a non-negative count of nanoseconds to whole units of `unit` ns.
std::int64_t RoundedUnits(std::chrono::nanoseconds duration, std::int64_t unit)
{
    const std::int64_t ns = duration.count();
    if (ns < 0)
        return -RoundedUnits(std::chrono::nanoseconds(ns == INT64_MIN ? INT64_MAX : -ns), unit);
    return ns / unit + (ns % unit >= unit / 2 ? 1 : 0);
}

// "<whole>.<three decimals>" of a count of thousandths.
std::string Thousandths(std::int64_t thousandths)
{
    char text[40];
    const char *sign = thousandths < 0 ? "-" : "";
    const std::uint64_t magnitude = thousandths < 0 ? 0 - static_cast<std::uint64_t>(thousandths)
                                                    : static_cast<std::uint64_t>(thousandths);
    std::snprintf(text, sizeof text, "%s%llu.%03llu", sign, static_cast<unsigned long long>(magnitude / 1000),
                  static_cast<unsigned long long>(magnitude % 1000));
    return text;
}

} // namespace

std::string FixedDecimal(double value, int decimals)
{
    if (!std::isfinite(value))
        value = 0;
    char text[400];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    if (error != std::errc())
        return "0";
    std::string result(text, end);
    // "-0.000" for a tiny negative value reads as a fault.
    if (result.front() == '-' && result.find_first_not_of("-0.") == std::string::npos)
        result.erase(0, 1);
    return result;
}

std::string TrimmedDecimal(double value, int decimals)
{
    std::string text = FixedDecimal(value, decimals);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    return text;
}

std::string MillisecondsText(std::chrono::nanoseconds duration)
{
    return Thousandths(RoundedUnits(duration, 1000));
}

std::string SecondsText(std::chrono::nanoseconds duration)
{
    return Thousandths(RoundedUnits(duration, 1'000'000));
}

std::string HumanDuration(std::chrono::nanoseconds duration)
{
    const std::int64_t totalMs = RoundedUnits(duration, 1'000'000);
    if (totalMs < 60'000)
        return Thousandths(totalMs) + " s";
    const std::int64_t ms = totalMs % 1000;
    std::int64_t seconds = totalMs / 1000;
    const std::int64_t days = seconds / 86400;
    const std::int64_t hours = seconds / 3600 % 24;
    const std::int64_t minutes = seconds / 60 % 60;
    seconds %= 60;
    char text[80];
    if (days > 0)
        std::snprintf(text, sizeof text, "%lld d %02lld h %02lld min %02lld.%03lld s", static_cast<long long>(days),
                      static_cast<long long>(hours), static_cast<long long>(minutes), static_cast<long long>(seconds),
                      static_cast<long long>(ms));
    else if (hours > 0)
        std::snprintf(text, sizeof text, "%lld h %02lld min %02lld.%03lld s", static_cast<long long>(hours),
                      static_cast<long long>(minutes), static_cast<long long>(seconds), static_cast<long long>(ms));
    else
        std::snprintf(text, sizeof text, "%lld min %02lld.%03lld s", static_cast<long long>(minutes),
                      static_cast<long long>(seconds), static_cast<long long>(ms));
    return text;
}

std::string LocalIsoTime(std::chrono::system_clock::time_point time)
{
    using namespace std::chrono;
    const auto sinceEpoch = time.time_since_epoch();
    auto wholeSeconds = duration_cast<seconds>(sinceEpoch);
    auto ms = duration_cast<milliseconds>(sinceEpoch - wholeSeconds).count();
    if (ms < 0) { // before 1970: the fraction counts forward from the second below
        wholeSeconds -= seconds(1);
        ms += 1000;
    }
    const std::time_t seconds = static_cast<std::time_t>(wholeSeconds.count());
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr)
        return "1970-01-01T00:00:00.000+00:00";
    // The fields by hand rather than with strftime, which reads the time
    // zone afresh (a stat of /etc/localtime) on every call.
    const long offsetMinutes = local.tm_gmtoff / 60;
    const long magnitude = std::labs(offsetMinutes);
    char text[128];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03lld%c%02ld:%02ld", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<long long>(ms), offsetMinutes < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
    return text;
}
