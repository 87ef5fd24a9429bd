// SPDX-License-Identifier: MIT
#include "ui/HistoryTexts.h"

#include "ui/SessionTexts.h"

#include <QDateTime>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

namespace HistoryTexts {

namespace {

QDateTime Local(std::int64_t ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms);
}

} // namespace

QString Percent(std::optional<double> percent)
{
    if (!percent)
        return QStringLiteral("—");
    QString text = QString::number(*percent, 'f', 3);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text.replace(QLatin1Char('.'), QLatin1Char(',')) + QStringLiteral(" %");
}

QString Duration(std::int64_t ms)
{
    return SessionTexts::Duration(std::chrono::milliseconds(ms));
}

QString DateTime(std::int64_t ms)
{
    return Local(ms).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QString Date(const std::string &isoDate)
{
    const QDate date = QDate::fromString(QString::fromStdString(isoDate), Qt::ISODate);
    return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QString::fromStdString(isoDate);
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
        parts << ReasonRussian(reason) + QStringLiteral(": ") + QString::number(count);
    return parts.join(QStringLiteral(", "));
}

QString Latency(const CheckStats &stats)
{
    if (stats.histogram.Count() == 0)
        return {};
    return QStringLiteral("медиана %1 мс, p95 %2 мс")
        .arg(SessionTexts::Milliseconds(stats.histogram.ValueAtPercentile(50)),
             SessionTexts::Milliseconds(stats.histogram.ValueAtPercentile(95)));
}

QString CellText(const HistoryCell &cell)
{
    const QDateTime start = Local(cell.span.start);
    const QDateTime end = Local(cell.span.end);
    QStringList lines{QStringLiteral("%1 %2–%3").arg(start.toString(QStringLiteral("dd.MM.yyyy")),
                                                     start.toString(QStringLiteral("HH:mm")),
                                                     end.toString(QStringLiteral("HH:mm")))};
    if (cell.monitoredMs == 0 && cell.stats.checks == 0) {
        lines << QStringLiteral("не наблюдалось");
        return lines.join(QLatin1Char('\n'));
    }
    lines << QStringLiteral("проверок: %1, неудачных: %2").arg(cell.stats.checks).arg(cell.stats.failed);
    const std::optional<double> failed = cell.FailedShare();
    lines << QStringLiteral("доступность %1 за %2 наблюдения")
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
