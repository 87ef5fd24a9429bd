// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "monitor/CheckResult.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

// The data of a latency chart of a whole session in bounded memory: the
// session's time, from its start on, is cut into a fixed number of equal
// columns, and each column keeps aggregates of the checks that started in it
// (not the checks themselves) and how much of it was spent in an outage.
//
// Columns start 1 ms wide. When a check starts beyond the last column, the
// width doubles as often as needed and neighbouring columns are merged in
// pairs, so a session of any length takes at most `columns` columns: a day
// of checks at one a second fits 2048 columns of 64 s each (2^16 ms).
//
// Times are the checks' monotonic starts, taken relative to the origin (the
// session's start): given, or the first check's start (SeriesOrigin::
// FirstCheck, as the session record has it). A start before the origin counts
// as the origin, and one before the latest start as the latest, so time never
// runs backwards here.
//
// Outage time follows the session record's rule: the span from one check's
// start to the next check's start has the earlier check's state, and the span
// from a given origin to the first check has the first check's state. The
// span after the latest check is not in the columns; OpenDown says whether
// an outage goes on from the latest start.
//
// Memory is fixed when the series is made; Add allocates nothing.
enum class SeriesOrigin : std::uint8_t { FirstCheck };

class LatencySeries final {
public:
    static constexpr std::size_t kDefaultColumns = 2048;
    static constexpr std::chrono::nanoseconds kFirstColumnWidth = std::chrono::milliseconds(1);

    struct Column {
        std::uint64_t succeeded = 0;
        std::uint64_t failed = 0;
        // Over the successful checks (0 while there are none).
        std::chrono::nanoseconds minElapsed{0};
        std::chrono::nanoseconds maxElapsed{0};
        double elapsedSumNs = 0;
        // The part of the column spent in an outage, and where the first
        // and the last moment of it lie (since the origin; both 0 when none).
        std::chrono::nanoseconds downTime{0};
        std::chrono::nanoseconds downFrom{0};
        std::chrono::nanoseconds downTo{0};
        // The latest check that started in the column.
        std::chrono::nanoseconds latestAt{0}; // since the origin
        std::chrono::system_clock::time_point latestWall;
        std::chrono::nanoseconds latestElapsed{0};
        FailureReason latestReason = FailureReason::None;
        bool latestOk = false;

        std::uint64_t Checks() const noexcept { return succeeded + failed; }
    };

    // `columns` is rounded up to an even number of at least 2.
    explicit LatencySeries(std::chrono::nanoseconds origin, std::size_t columns = kDefaultColumns);
    // The origin is the first check's start, or `earliest` when that check
    // started before it.
    LatencySeries(SeriesOrigin origin, std::chrono::nanoseconds earliest, std::size_t columns = kDefaultColumns);

    void Add(const CheckResult &result);

    std::chrono::nanoseconds Origin() const noexcept { return origin_; }
    std::chrono::nanoseconds ColumnWidth() const noexcept { return width_; }
    std::size_t Capacity() const noexcept { return columns_.size(); }
    // Columns 0 to Used() - 1 may hold something; the rest are empty.
    std::size_t Used() const noexcept { return used_; }
    // Index below Capacity().
    const Column &At(std::size_t index) const noexcept { return columns_[index]; }

    std::uint64_t Checks() const noexcept { return checks_; }
    // The latest check's start since the origin (0 before the first check).
    std::chrono::nanoseconds LatestStart() const noexcept { return latest_; }
    // True when checks were recorded and the latest failed: the outage then
    // goes on from LatestStart() to now.
    bool OpenDown() const noexcept { return checks_ > 0 && !lastOk_; }

    // The memory the series holds: the object and its columns.
    std::size_t Bytes() const noexcept;

private:
    std::chrono::nanoseconds Since(std::chrono::nanoseconds monotonic) const noexcept;
    void Fit(std::chrono::nanoseconds at);
    void Coarsen();
    void AddDown(std::chrono::nanoseconds from, std::chrono::nanoseconds to);

    std::chrono::nanoseconds origin_;
    bool originAtFirstCheck_ = false;
    std::chrono::nanoseconds width_ = kFirstColumnWidth;
    std::vector<Column> columns_;
    std::size_t used_ = 0;
    std::uint64_t checks_ = 0;
    std::chrono::nanoseconds latest_{0};
    bool lastOk_ = false;
};

// What one pixel column of a chart shows: the series' columns that start
// within it, merged, and whether any part of it lay in an outage.
struct ChartColumn {
    LatencySeries::Column checks;
    bool down = false;
};

// The series resampled to `pixels` columns for a chart whose x axis runs from
// the origin to `end` (since the origin; taken as at least the latest start
// and 1 ns): pixel p shows [p * end / pixels, (p + 1) * end / pixels). The
// checks of a series column go to the pixel of its latest check; its outage
// time marks the pixels from its first to its last moment of outage. The
// open outage (OpenDown) is marked from the latest start to `openUntil`
// (now; the axis may reach beyond it). Empty for pixels <= 0.
std::vector<ChartColumn> ResampleSeries(const LatencySeries &series, int pixels, std::chrono::nanoseconds end,
                                        std::chrono::nanoseconds openUntil);

// Two pixel columns that show the same.
bool SameColumn(const ChartColumn &a, const ChartColumn &b) noexcept;
