// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "session/LatencySeries.h"

#include "session/SaturatingDurations.h"

#include <algorithm>

using std::chrono::nanoseconds;

namespace {

// Adds `from` into `into`; `from` holds the later checks.
void Merge(LatencySeries::Column &into, const LatencySeries::Column &from) noexcept
{
    if (from.succeeded > 0) {
        into.minElapsed = into.succeeded > 0 ? std::min(into.minElapsed, from.minElapsed) : from.minElapsed;
        into.maxElapsed = into.succeeded > 0 ? std::max(into.maxElapsed, from.maxElapsed) : from.maxElapsed;
    }
    into.succeeded += from.succeeded;
    into.failed += from.failed;
    into.elapsedSumNs += from.elapsedSumNs;
    if (from.downTime > nanoseconds{0}) {
        into.downFrom = into.downTime > nanoseconds{0} ? std::min(into.downFrom, from.downFrom) : from.downFrom;
        into.downTo = std::max(into.downTo, from.downTo);
    }
    into.downTime = SaturatingSum(into.downTime, from.downTime);
    if (from.Checks() > 0) {
        into.latestAt = from.latestAt;
        into.latestWall = from.latestWall;
        into.latestElapsed = from.latestElapsed;
        into.latestReason = from.latestReason;
        into.latestOk = from.latestOk;
    }
}

} // namespace

LatencySeries::LatencySeries(nanoseconds origin, std::size_t columns)
    : origin_(origin), columns_(std::max<std::size_t>(2, columns + columns % 2))
{
}

LatencySeries::LatencySeries(SeriesOrigin, nanoseconds earliest, std::size_t columns)
    : LatencySeries(earliest, columns)
{
    originAtFirstCheck_ = true;
}

nanoseconds LatencySeries::Since(nanoseconds monotonic) const noexcept
{
    return SaturatingSpan(origin_, monotonic);
}

void LatencySeries::Add(const CheckResult &result)
{
    if (checks_ == 0 && originAtFirstCheck_)
        origin_ = std::max(origin_, result.startedMonotonic);
    const nanoseconds at = std::max(Since(result.startedMonotonic), latest_);
    Fit(at);
    // The span up to this start has the previous check's state; before the
    // first check, this one's.
    if (checks_ == 0 ? !result.ok : !lastOk_)
        AddDown(checks_ == 0 ? nanoseconds{0} : latest_, at);

    const std::size_t index = static_cast<std::size_t>(at / width_);
    Column &column = columns_[index];
    Column check;
    const nanoseconds elapsed = std::max(result.elapsed, nanoseconds{0});
    if (result.ok) {
        check.succeeded = 1;
        check.minElapsed = check.maxElapsed = elapsed;
        check.elapsedSumNs = static_cast<double>(elapsed.count());
    } else {
        check.failed = 1;
    }
    check.latestAt = at;
    check.latestWall = result.startedAt;
    check.latestElapsed = elapsed;
    check.latestReason = result.ok ? FailureReason::None : result.reason;
    check.latestOk = result.ok;
    Merge(column, check);

    used_ = std::max(used_, index + 1);
    latest_ = at;
    lastOk_ = result.ok;
    ++checks_;
}

void LatencySeries::Fit(nanoseconds at)
{
    while (static_cast<std::uint64_t>(at / width_) >= columns_.size())
        Coarsen();
}

void LatencySeries::Coarsen()
{
    const std::size_t half = columns_.size() / 2;
    for (std::size_t i = 0; i < half; ++i) {
        Column merged = columns_[2 * i];
        Merge(merged, columns_[2 * i + 1]);
        columns_[i] = merged;
    }
    std::fill(columns_.begin() + static_cast<std::ptrdiff_t>(half), columns_.end(), Column{});
    used_ = (used_ + 1) / 2;
    width_ *= 2;
}

void LatencySeries::AddDown(nanoseconds from, nanoseconds to)
{
    if (to <= from)
        return;
    const std::size_t first = static_cast<std::size_t>(from / width_);
    const std::size_t last = static_cast<std::size_t>((to - nanoseconds{1}) / width_);
    for (std::size_t i = first; i <= last && i < columns_.size(); ++i) {
        const nanoseconds start = width_ * static_cast<std::int64_t>(i);
        // The last column of a session near the longest duration ends past
        // it; it is held there.
        const nanoseconds stop = SaturatingSum(start, width_);
        Column down;
        down.downFrom = std::max(from, start);
        down.downTo = std::min(to, stop);
        down.downTime = SaturatingSpan(down.downFrom, down.downTo);
        Merge(columns_[i], down);
    }
    used_ = std::max(used_, std::min(last + 1, columns_.size()));
}

std::size_t LatencySeries::Bytes() const noexcept
{
    return sizeof *this + columns_.capacity() * sizeof(Column);
}

bool SameColumn(const ChartColumn &a, const ChartColumn &b) noexcept
{
    const LatencySeries::Column &x = a.checks;
    const LatencySeries::Column &y = b.checks;
    return a.down == b.down && x.succeeded == y.succeeded && x.failed == y.failed && x.minElapsed == y.minElapsed
           && x.maxElapsed == y.maxElapsed && x.elapsedSumNs == y.elapsedSumNs;
}

std::vector<ChartColumn> ResampleSeries(const LatencySeries &series, int pixels, nanoseconds end, nanoseconds openUntil)
{
    if (pixels <= 0)
        return {};
    end = std::max({end, series.LatestStart(), nanoseconds{1}});
    std::vector<ChartColumn> shown(static_cast<std::size_t>(pixels));
    // Doubles hold a 2^53 ns (104 day) axis exactly and a longer one to well
    // within a pixel.
    const double scale = static_cast<double>(pixels) / static_cast<double>(end.count());
    const auto pixelOf = [&](nanoseconds at) {
        const double x = static_cast<double>(at.count()) * scale;
        return static_cast<int>(std::clamp(x, 0.0, static_cast<double>(pixels - 1)));
    };
    const auto markDown = [&](int from, int to) {
        for (int p = from; p <= to; ++p)
            shown[static_cast<std::size_t>(p)].down = true;
    };
    for (std::size_t i = 0; i < series.Used(); ++i) {
        const LatencySeries::Column &column = series.At(i);
        if (column.Checks() > 0)
            Merge(shown[static_cast<std::size_t>(pixelOf(column.latestAt))].checks, column);
        if (column.downTime > nanoseconds{0} && column.downFrom < end)
            markDown(pixelOf(column.downFrom), pixelOf(std::min(end, column.downTo) - nanoseconds{1}));
    }
    openUntil = std::min(openUntil, end);
    if (series.OpenDown() && openUntil > series.LatestStart())
        markDown(pixelOf(series.LatestStart()), pixelOf(openUntil - nanoseconds{1}));
    return shown;
}
