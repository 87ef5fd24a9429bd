// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/DecimalSeconds.h"

#include <algorithm>

namespace {

// Larger values are held here: every bound the program has lies far below.
constexpr std::uint64_t kMostSeconds = 1'000'000'000;

bool IsDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

std::optional<DecimalSeconds> DecimalSeconds::Read(QStringView text)
{
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    const QStringView whole = point < 0 ? text : text.first(point);
    const QStringView fraction = point < 0 ? QStringView() : text.sliced(point + 1);
    if (whole.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    std::uint64_t seconds = 0;
    for (const QChar c : whole) {
        if (!IsDigit(c))
            return std::nullopt;
        seconds = std::min(seconds * 10 + (c.unicode() - u'0'), kMostSeconds + 1);
    }
    std::uint64_t nanoseconds = 0;
    std::uint64_t scale = kNanosecondsPerSecond;
    bool beyond = false;
    for (const QChar c : fraction) {
        if (!IsDigit(c))
            return std::nullopt;
        const std::uint64_t digit = c.unicode() - u'0';
        if (scale > 1) {
            scale /= 10;
            nanoseconds += digit * scale;
        } else {
            beyond = beyond || digit != 0;
        }
    }
    if (seconds > kMostSeconds)
        return DecimalSeconds(kMostSeconds * kNanosecondsPerSecond, true);
    return DecimalSeconds(seconds * kNanosecondsPerSecond + nanoseconds, beyond);
}

std::uint64_t DecimalSeconds::CeilMilliseconds() const noexcept
{
    constexpr std::uint64_t kPerMillisecond = 1'000'000;
    const bool exact = nanoseconds_ % kPerMillisecond == 0 && !beyondNanoseconds_;
    return nanoseconds_ / kPerMillisecond + (exact ? 0 : 1);
}
