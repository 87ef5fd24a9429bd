// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/HistoryTexts.h"

#include "base/Language.h"
#include "ui/SessionTexts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

namespace HistoryTexts {

namespace {

QString Tr(const char *text)
{
    return QCoreApplication::translate("HistoryTexts", text);
}

QDateTime Local(std::int64_t ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms);
}

std::chrono::system_clock::time_point TimePoint(std::int64_t ms)
{
    return std::chrono::system_clock::time_point(std::chrono::milliseconds(ms));
}

// Russian keeps the window's original "HH:mm"; another language its
// locale's short time ("2:03 PM" in the United States).
QString HourMinute(const QDateTime &time)
{
    if (CurrentLanguage() == Language::Russian)
        return time.toString(QStringLiteral("HH:mm"));
    return LanguageLocale(CurrentLanguage()).toString(time.time(), QLocale::ShortFormat);
}

QString DayText(QDate date)
{
    return LanguageLocale(CurrentLanguage()).toString(date, DateFormat());
}

} // namespace

QString DateFormat()
{
    if (CurrentLanguage() == Language::Russian)
        return QStringLiteral("dd.MM.yyyy");
    return LanguageLocale(CurrentLanguage()).dateFormat(QLocale::ShortFormat);
}

QString Percent(std::optional<double> percent)
{
    if (!percent)
        return QStringLiteral("—");
    QString text = QString::number(*percent, 'f', 3);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return Tr(QT_TRANSLATE_NOOP("HistoryTexts", "%1%")).arg(SessionTexts::Decimal(text));
}

QString Duration(std::int64_t ms)
{
    return SessionTexts::Duration(std::chrono::milliseconds(ms));
}

QString DateTime(std::int64_t ms)
{
    return SessionTexts::DateTime(TimePoint(ms));
}

QString Date(const std::string &isoDate)
{
    const QDate date = QDate::fromString(QString::fromStdString(isoDate), Qt::ISODate);
    return date.isValid() ? DayText(date) : QString::fromStdString(isoDate);
}

QString Reasons(const ReasonTally &reasons)
{
    std::vector<std::pair<std::uint64_t, FailureReason>> counted;
    for (const FailureReason reason : kFailureReasons)
        if (const std::uint64_t count = reasons.Count(reason); count > 0)
            counted.emplace_back(count, reason);
    std::stable_sort(counted.begin(), counted.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    QStringList parts;
    for (const auto &[count, reason] : counted)
        parts << ReasonShown(reason) + QStringLiteral(": ") + QString::number(count);
    return parts.join(QStringLiteral(", "));
}

QString Latency(const CheckStats &stats)
{
    if (stats.histogram.Count() == 0)
        return {};
    return Tr(QT_TRANSLATE_NOOP("HistoryTexts", "median %1 ms, p95 %2 ms"))
        .arg(SessionTexts::Milliseconds(stats.histogram.ValueAtPercentile(50)),
             SessionTexts::Milliseconds(stats.histogram.ValueAtPercentile(95)));
}

QString CellText(const HistoryCell &cell)
{
    const QDateTime start = Local(cell.span.start);
    const QDateTime end = Local(cell.span.end);
    QStringList lines{QStringLiteral("%1 %2–%3").arg(DayText(start.date()), HourMinute(start), HourMinute(end))};
    if (cell.monitoredMs == 0 && cell.stats.checks == 0) {
        lines << Tr(QT_TRANSLATE_NOOP("HistoryTexts", "not monitored"));
        return lines.join(QLatin1Char('\n'));
    }
    lines << Tr(QT_TRANSLATE_NOOP("HistoryTexts", "checks: %1, failed: %2")).arg(cell.stats.checks).arg(cell.stats.failed);
    const std::optional<double> failed = cell.FailedShare();
    lines << Tr(QT_TRANSLATE_NOOP("HistoryTexts", "availability %1 over %2 monitored"))
                 .arg(Percent(failed ? std::optional<double>(100.0 * (1.0 - *failed)) : std::nullopt),
                      Duration(cell.monitoredMs));
    if (const QString latency = Latency(cell.stats); !latency.isEmpty())
        lines << latency;
    if (const QString reasons = Reasons(cell.stats.reasons); !reasons.isEmpty())
        lines << reasons;
    return lines.join(QLatin1Char('\n'));
}

QString TargetText(const HistoryTarget &target)
{
    return QStringLiteral("%1:%2").arg(QString::fromStdString(target.host)).arg(target.port);
}

} // namespace HistoryTexts
