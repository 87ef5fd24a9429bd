// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "history/HistoryReader.h"

#include <QString>

#include <cstdint>
#include <optional>

// The texts of the history window, in the chosen language. Times are local;
// numbers, dates and times are written as the session window writes them:
// Russian keeps the window's fixed formats and the decimal comma, another
// language takes its locale's.
namespace HistoryTexts {

// The format of a day: "dd.MM.yyyy" in Russian, the locale's short date
// format otherwise ("M/d/yy" in the United States).
QString DateFormat();
// "99,952 %" (up to three decimals; "99.952%" in English); "—" for none.
QString Percent(std::optional<double> percent);
// A duration in milliseconds, as SessionTexts::Duration writes it.
QString Duration(std::int64_t ms);
// "09.12.2026 14:03:07".
QString DateTime(std::int64_t ms);
// "09.12.2026" of a day's "YYYY-MM-DD".
QString Date(const std::string &isoDate);
// The reasons with their counts, most frequent first; "" when none.
QString Reasons(const ReasonTally &reasons);
// "медиана 12,300 мс, p95 40,100 мс" of the successful checks; "" without.
QString Latency(const CheckStats &stats);

// What a heat-map cell says: its time, the checks and failures, the
// latency's median and p95 and the reasons; or that it was not watched.
QString CellText(const HistoryCell &cell);
// "example.org:80".
QString TargetText(const HistoryTarget &target);

} // namespace HistoryTexts
