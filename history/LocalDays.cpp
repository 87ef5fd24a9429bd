// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "history/LocalDays.h"

#include <cstdio>
#include <ctime>

namespace {

std::tm LocalTm(std::int64_t timeMs)
{
    // Floor division, so that a time before the epoch lands in its own day.
    const std::int64_t seconds = timeMs >= 0 ? timeMs / 1000 : -((-timeMs + 999) / 1000);
    const auto t = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}

// The local midnight of the given calendar day; mktime normalises a day of
// the month past its end into the next month.
std::int64_t MidnightOf(int year, int month, int day)
{
    std::tm midnight{};
    midnight.tm_year = year;
    midnight.tm_mon = month;
    midnight.tm_mday = day;
    midnight.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&midnight)) * 1000;
}

} // namespace

std::int64_t LocalMidnightAfter(std::int64_t timeMs, int days)
{
    const std::tm local = LocalTm(timeMs);
    return MidnightOf(local.tm_year, local.tm_mon, local.tm_mday + days);
}

LocalDay LocalDayOf(std::int64_t timeMs)
{
    const std::tm local = LocalTm(timeMs);
    char date[48];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    return {date, {MidnightOf(local.tm_year, local.tm_mon, local.tm_mday),
                   MidnightOf(local.tm_year, local.tm_mon, local.tm_mday + 1)}};
}

std::vector<std::int64_t> LocalMidnights(Span range)
{
    std::vector<std::int64_t> midnights{LocalDayOf(range.start).span.start};
    while (midnights.back() < range.end)
        midnights.push_back(LocalDayOf(midnights.back()).span.end);
    return midnights;
}
