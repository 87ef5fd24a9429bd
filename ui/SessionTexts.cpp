// SPDX-License-Identifier: MIT
#include "ui/SessionTexts.h"

#include "session/SessionText.h"

#include <QDateTime>

#include <algorithm>
#include <vector>

using std::chrono::nanoseconds;

namespace {

QString Comma(const std::string &decimal)
{
    return QString::fromStdString(decimal).replace(QLatin1Char('.'), QLatin1Char(','));
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

QString Milliseconds(nanoseconds duration)
{
    return Comma(MillisecondsText(duration));
}

QString Duration(nanoseconds duration)
{
    if (duration < std::chrono::minutes(1))
        return Comma(SecondsText(duration)) + QStringLiteral(" с");
    // Whole seconds, rounded to the nearest.
    const std::int64_t total = (std::max(duration, nanoseconds{0}).count() + 500'000'000) / 1'000'000'000;
    const std::int64_t days = total / 86400;
    const std::int64_t hours = total / 3600 % 24;
    const std::int64_t minutes = total / 60 % 60;
    const std::int64_t seconds = total % 60;
    if (days > 0)
        return QStringLiteral("%1 д %2 ч %3 мин").arg(days).arg(TwoDigits(hours), TwoDigits(minutes));
    if (hours > 0)
        return QStringLiteral("%1 ч %2 мин %3 с").arg(hours).arg(TwoDigits(minutes), TwoDigits(seconds));
    return QStringLiteral("%1 мин %2 с").arg(minutes).arg(TwoDigits(seconds));
}

QString TimeOfDay(std::chrono::system_clock::time_point time)
{
    return Local(time).toString(QStringLiteral("HH:mm:ss"));
}

QString DateTime(std::chrono::system_clock::time_point time)
{
    return Local(time).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QString Reasons(const ReasonCounts &reasons)
{
    std::vector<std::pair<std::uint64_t, FailureReason>> counted;
    for (const FailureReason reason : kFailureReasons)
        if (reasons.Count(reason) > 0)
            counted.emplace_back(reasons.Count(reason), reason);
    if (counted.size() == 1)
        return ReasonRussian(counted.front().second);
    std::stable_sort(counted.begin(), counted.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    QStringList parts;
    for (const auto &[count, reason] : counted)
        parts << ReasonRussian(reason) + QStringLiteral(": ") + QString::number(count);
    return parts.join(QStringLiteral(", "));
}

QString Reason(const CheckResult &result)
{
    return ReasonRussian(result.reason == FailureReason::None ? FailureReason::Other : result.reason);
}

QString FamilyAddress(const CheckResult &result)
{
    if (result.address.empty())
        return QStringLiteral("адрес не найден");
    const QString address = QString::fromStdString(result.address);
    switch (result.family) {
    case AddressFamily::IPv6: return QStringLiteral("IPv6 ") + address;
    case AddressFamily::IPv4: return QStringLiteral("IPv4 ") + address;
    case AddressFamily::Unknown: break;
    }
    return QStringLiteral("адрес ") + address;
}

QString LookupAndConnect(const CheckResult &result)
{
    QStringList parts;
    if (result.lookupElapsed > nanoseconds{0})
        parts << QStringLiteral("поиск адреса ") + Milliseconds(result.lookupElapsed) + QStringLiteral(" мс");
    if (result.connectElapsed > nanoseconds{0})
        parts << QStringLiteral("соединение ") + Milliseconds(result.connectElapsed) + QStringLiteral(" мс");
    return parts.join(QStringLiteral(", "));
}

QString CheckToolTip(const CheckResult &result)
{
    const QString when = TimeOfDay(result.startedAt);
    QString tip = result.ok ? QStringLiteral("Связь есть: %1, %2").arg(when, FamilyAddress(result))
                            : Reason(result) + QStringLiteral("\nПроверка в %1, %2").arg(when, FamilyAddress(result));
    const QString durations = LookupAndConnect(result);
    if (!durations.isEmpty()) {
        tip += QStringLiteral("\n");
        tip += durations.at(0).toUpper() + durations.mid(1);
    }
    return tip;
}

} // namespace SessionTexts
