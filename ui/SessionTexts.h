// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "monitor/CheckResult.h"
#include "session/ReasonCounts.h"

#include <QString>

#include <chrono>

// The Russian texts of the session window, the tool tips, the tray and the
// notifications. Decimals take a comma, as Russian writes them; times are
// local.
namespace SessionTexts {

// A number written with a full stop ("0.75") in the language's decimal sign:
// "0,75" in Russian, "0.75" in English.
QString Decimal(const QString &number);

// "0,148" (milliseconds, three decimals; "0.148" in English).
QString Milliseconds(std::chrono::nanoseconds duration);

// "4,004 с", "2 мин 03 с", "1 ч 02 мин 03 с", "3 д 01 ч 02 мин" ("4.004 s",
// "2 min 03 s", ... in English): seconds with decimals below a minute, whole
// seconds below an hour, then coarser.
QString Duration(std::chrono::nanoseconds duration);

// "14:03:07" in Russian (the window's fixed formats); in another language
// its locale's, for example "2:03:07 PM" and "12/9/26 2:03:07 PM" in the
// United States.
QString TimeOfDay(std::chrono::system_clock::time_point time);
// "09.12.2026 14:03:07".
QString DateTime(std::chrono::system_clock::time_point time);

// The failure categories of an outage: the one reason alone, or each with
// its count, most frequent first ("Соединение отклонено: 3, Узел не найден: 1").
QString Reasons(const ReasonCounts &reasons);

// The reason of a failed check; a failure that names none is "Другая ошибка".
QString Reason(const CheckResult &result);

// The address a check reached or tried with its family: "IPv6 ::1",
// "IPv4 127.0.0.1"; "адрес не найден" when there is none.
QString FamilyAddress(const CheckResult &result);

// The lookup's and the connect's shares of a check: "поиск адреса 25,000 мс,
// соединение 0,250 мс", the lookup left out when none was made; empty when
// the check got to neither.
QString LookupAndConnect(const CheckResult &result);

// The tool tip of the readout and the gauge after a check: after a failure
// the reason on the first line, then the time and the address with its
// family; after a success the time and the address with its family; then
// the lookup's and the connect's durations on a line of their own.
QString CheckToolTip(const CheckResult &result);

} // namespace SessionTexts
