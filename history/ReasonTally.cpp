// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "history/ReasonTally.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

std::size_t IndexOf(FailureReason reason) noexcept
{
    for (std::size_t i = 0; i < std::size(kFailureReasons); ++i) {
        if (kFailureReasons[i] == reason)
            return i;
    }
    return std::size(kFailureReasons) - 1; // Other is the last
}

} // namespace

std::optional<FailureReason> ReasonOfKey(std::string_view key) noexcept
{
    for (const FailureReason reason : kFailureReasons) {
        if (ReasonKey(reason) == key)
            return reason;
    }
    return std::nullopt;
}

void ReasonTally::Add(FailureReason reason, std::uint64_t times) noexcept
{
    counts_[IndexOf(reason)] += times;
}

void ReasonTally::Merge(const ReasonTally &other) noexcept
{
    for (std::size_t i = 0; i < counts_.size(); ++i)
        counts_[i] += other.counts_[i];
}

std::uint64_t ReasonTally::Count(FailureReason reason) const noexcept
{
    return reason == FailureReason::None ? 0 : counts_[IndexOf(reason)];
}

std::uint64_t ReasonTally::Total() const noexcept
{
    std::uint64_t total = 0;
    for (const auto count : counts_)
        total += count;
    return total;
}

std::string ReasonTally::Json() const
{
    std::string out;
    for (std::size_t i = 0; i < counts_.size(); ++i) {
        if (counts_[i] == 0)
            continue;
        out += out.empty() ? "{\"" : ",\"";
        out += ReasonKey(kFailureReasons[i]);
        out += "\":";
        out += std::to_string(counts_[i]);
    }
    if (!out.empty())
        out += '}';
    return out;
}

std::optional<ReasonTally> ReasonTally::FromJson(std::string_view text)
{
    ReasonTally tally;
    if (text.empty())
        return tally;
    QJsonParseError error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray(text.data(), static_cast<qsizetype>(text.size())), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const double count = it.value().toDouble(-1);
        if (!(count >= 0) || count != std::floor(count) || count > 9.0e15)
            return std::nullopt;
        const auto reason = ReasonOfKey(it.key().toStdString()).value_or(FailureReason::Other);
        tally.Add(reason, static_cast<std::uint64_t>(count));
    }
    return tally;
}
