// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// The date forms of kelvora-history's --since and --until, read in the
// process's time zone:
//   2026-12-09                  that day's local midnight (--until: the next one,
//                               so that the day is included)
//   2026-12-09T14:30[:05[.250]] local time ("T" or a space between)
//   ...Z or ...+01:00           a time with its offset from UTC
//   today, yesterday            local midnight of that day (--until: its end)
//   now
//   -7d, -12h, -30m, -45s, -2w  that long before now
// Pure apart from the time zone; nullopt for any other text.
enum class DateEdge { Since, Until };

std::optional<std::int64_t> ParseHistoryDate(const QString &text, DateEdge edge, std::int64_t nowMs);
