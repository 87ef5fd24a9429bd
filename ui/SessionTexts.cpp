// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/SessionTexts.h"

#include "base/Language.h"
#include "session/SessionText.h"

#include <QCoreApplication>
#include <QDateTime>

#include <algorithm>
#include <vector>

using std::chrono::nanoseconds;

namespace {

QString Tr(const char *text)
{
    return QCoreApplication::translate("SessionTexts", text);
}

QLocale ShownLocale()
{
    return LanguageLocale(CurrentLanguage());
}

// A decimal with the language's decimal sign ("4,004" in Russian, "4.004" in
// English).
QString Comma(const std::string &decimal)
{
    return QString::fromStdString(decimal).replace(QLatin1Char('.'), ShownLocale().decimalPoint());
}

// The locale's long time format without its time zone: "HH:mm:ss" for
// Russian, "h:mm:ss AP" in the United States.
QString TimeFormat(const QLocale &locale)
{
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return format.trimmed();
}

// Russian keeps the window's original fixed formats; other languages take
// their locale's.
QString TimeOfDayFormat()
{
    if (CurrentLanguage() == Language::Russian)
        return QStringLiteral("HH:mm:ss");
    return TimeFormat(ShownLocale());
}

QString DateTimeFormat()
{
    if (CurrentLanguage() == Language::Russian)
        return QStringLiteral("dd.MM.yyyy HH:mm:ss");
    const QLocale locale = ShownLocale();
    return locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') + TimeFormat(locale);
}

QString TwoDigits(std::int64_t value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

QDateTime Local(std::chrono::system_clock::time_point time)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
    return QDateTime::fromMSecsSinceEpoch(ms);
}

} // namespace

namespace SessionTexts {

QString Decimal(const QString &number)
{
    return QString(number).replace(QLatin1Char('.'), ShownLocale().decimalPoint());
}

QString Milliseconds(nanoseconds duration)
{
    return Comma(MillisecondsText(duration));
}

QString Duration(nanoseconds duration)
{
    if (duration < std::chrono::minutes(1))
        return QCoreApplication::translate("SessionTexts", "%1 s").arg(Comma(SecondsText(duration)));
    // Whole seconds, rounded to the nearest.
    const std::int64_t total = (std::max(duration, nanoseconds{0}).count() + 500'000'000) / 1'000'000'000;
    const std::int64_t days = total / 86400;
    const std::int64_t hours = total / 3600 % 24;
    const std::int64_t minutes = total / 60 % 60;
    const std::int64_t seconds = total % 60;
    if (days > 0)
        return Tr(QT_TRANSLATE_NOOP("SessionTexts", "%1 d %2 h %3 min")).arg(days).arg(TwoDigits(hours), TwoDigits(minutes));
    if (hours > 0)
        return Tr(QT_TRANSLATE_NOOP("SessionTexts", "%1 h %2 min %3 s")).arg(hours).arg(TwoDigits(minutes), TwoDigits(seconds));
    return Tr(QT_TRANSLATE_NOOP("SessionTexts", "%1 min %2 s")).arg(minutes).arg(TwoDigits(seconds));
}

QString TimeOfDay(std::chrono::system_clock::time_point time)
{
    return ShownLocale().toString(Local(time), TimeOfDayFormat());
}

QString DateTime(std::chrono::system_clock::time_point time)
{
    return ShownLocale().toString(Local(time), DateTimeFormat());
}

QString Reasons(const ReasonCounts &reasons)
{
    std::vector<std::pair<std::uint64_t, FailureReason>> counted;
    for (const FailureReason reason : kFailureReasons)
        if (reasons.Count(reason) > 0)
            counted.emplace_back(reasons.Count(reason), reason);
    if (counted.size() == 1)
        return ReasonShown(counted.front().second);
    std::stable_sort(counted.begin(), counted.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    QStringList parts;
    for (const auto &[count, reason] : counted)
        parts << ReasonShown(reason) + QStringLiteral(": ") + QString::number(count);
    return parts.join(QStringLiteral(", "));
}

QString Reason(const CheckResult &result)
{
    return ReasonShown(result.reason == FailureReason::None ? FailureReason::Other : result.reason);
}

QString FamilyAddress(const CheckResult &result)
{
    if (result.address.empty())
        return Tr(QT_TRANSLATE_NOOP("SessionTexts", "address not found"));
    const QString address = QString::fromStdString(result.address);
    switch (result.family) {
    case AddressFamily::IPv6: return QStringLiteral("IPv6 ") + address;
    case AddressFamily::IPv4: return QStringLiteral("IPv4 ") + address;
    case AddressFamily::Unknown: break;
    }
    return Tr(QT_TRANSLATE_NOOP("SessionTexts", "address %1")).arg(address);
}

QString LookupAndConnect(const CheckResult &result)
{
    QStringList parts;
    if (result.lookupElapsed > nanoseconds{0})
        parts << Tr(QT_TRANSLATE_NOOP("SessionTexts", "lookup %1 ms")).arg(Milliseconds(result.lookupElapsed));
    if (result.connectElapsed > nanoseconds{0})
        parts << Tr(QT_TRANSLATE_NOOP("SessionTexts", "connect %1 ms")).arg(Milliseconds(result.connectElapsed));
    return parts.join(QStringLiteral(", "));
}

QString CheckToolTip(const CheckResult &result)
{
    const QString when = TimeOfDay(result.startedAt);
    QString tip = result.ok ? Tr(QT_TRANSLATE_NOOP("SessionTexts", "Connected: %1, %2")).arg(when, FamilyAddress(result))
                            : Reason(result) + QStringLiteral("\n")
                                  + Tr(QT_TRANSLATE_NOOP("SessionTexts", "Checked at %1, %2")).arg(when, FamilyAddress(result));
    const QString durations = LookupAndConnect(result);
    if (!durations.isEmpty()) {
        tip += QStringLiteral("\n");
        tip += durations.at(0).toUpper() + durations.mid(1);
    }
    return tip;
}

} // namespace SessionTexts
