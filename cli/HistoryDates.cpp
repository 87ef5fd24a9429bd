// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/HistoryDates.h"

#include "history/LocalDays.h"

#include <QDateTime>
#include <QRegularExpression>

#include <limits>

namespace {

std::optional<std::int64_t> Relative(const QString &text, std::int64_t nowMs)
{
    static const QRegularExpression form(QStringLiteral("^-(\\d{1,9})([smhdw])$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const std::int64_t count = match.captured(1).toLongLong();
    static constexpr std::int64_t kUnits[] = {1000, 60'000, 3'600'000, 86'400'000, 7 * 86'400'000LL};
    const auto unit = kUnits[QStringLiteral("smhdw").indexOf(match.captured(2))];
    return nowMs - count * unit;
}

std::optional<std::int64_t> DayStart(const QString &text, DateEdge edge)
{
    static const QRegularExpression form(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (!date.isValid())
        return std::nullopt;
    // Noon lies inside the day wherever the clocks change.
    const std::int64_t noon = QDateTime(date, QTime(12, 0)).toMSecsSinceEpoch();
    return LocalMidnightAfter(noon, edge == DateEdge::Until ? 1 : 0);
}

std::optional<std::int64_t> DateTime(QString text)
{
    static const QRegularExpression form(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}[T ]\\d{2}:\\d{2}(:\\d{2}(\\.\\d{1,3})?)?(Z|[+-]\\d{2}:\\d{2})?$"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    text.replace(10, 1, QLatin1Char('T'));
    const QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!time.isValid())
        return std::nullopt;
    return time.toMSecsSinceEpoch();
}

} // namespace

std::optional<std::int64_t> ParseHistoryDate(const QString &text, DateEdge edge, std::int64_t nowMs)
{
    const int ahead = edge == DateEdge::Until ? 1 : 0;
    if (text == QLatin1String("now"))
        return nowMs;
    if (text == QLatin1String("today"))
        return LocalMidnightAfter(nowMs, ahead);
    if (text == QLatin1String("yesterday"))
        return LocalMidnightAfter(nowMs, ahead - 1);
    if (auto relative = Relative(text, nowMs))
        return relative;
    if (auto day = DayStart(text, edge))
        return day;
    return DateTime(text);
}
