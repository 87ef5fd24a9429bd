// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "history/HistoryFile.h"
#include "history/LocalDays.h"
#include "history/ProcessIdentity.h"
#include "history/SqliteDatabase.h"
#include "history/Timeline.h"
#include "history/TimelineSource.h"
#include "monitor/CheckResult.h"
#include "monitor/WallClock.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reading the history file: the API of the history window and of
// kelvora-history. Opens the file read-only (history/HistoryFile.h: a
// refusal throws HistoryFileError) and never writes to it; each query reads
// one snapshot, whatever recording programs write at the same time.
//
// What a range shows (history/Timeline.h has the rule): the time monitored
// and up, per heat-map cell, per local day and in total, the outages, and
// the checks' figures. Time nobody watched, and time the machine slept, is
// not monitored: neither up nor down. A run still recording watches up to
// now; one whose program is gone up to its last check's end.
//
// The part of the file not rolled up yet is read from the raw checks by the
// same rule, so a range up to now is whole. Percentiles come from the
// stored histograms, within CompactHistogram::kRelativeErrorBound.
//
// Heat-map cells are 10 minutes (kFineCellMs) for ranges of up to 31 days
// and an hour (kCoarseCellMs) beyond, cut from each local midnight. Hour
// cells take their check figures from the hour aggregates, which follow
// UTC hours: where the time zone's offset is not a whole number of hours
// they are placed by their start. Ten-minute cells older than the minute
// retention (history/Pruning.h) have no check figures, only their times.

struct HistoryTarget {
    std::int64_t id = 0;
    std::string host;
    std::uint16_t port = 0;
    std::optional<std::int64_t> firstMs; // the first check's start
    std::optional<std::int64_t> lastMs;  // the last check's start
    std::int64_t checks = 0;
    std::int64_t runs = 0;
};

// What a program watched last, so that the window can go on with it.
struct WatchedTarget {
    std::string host;
    std::uint16_t port = 0;
    std::chrono::milliseconds interval{0};
    std::string program;
};

struct HistoryCell {
    Span span;
    std::int64_t monitoredMs = 0;
    std::int64_t upMs = 0;
    CheckStats stats;
    // The share of the monitored time that was down, 0..1; nullopt when
    // nothing was monitored.
    std::optional<double> FailedShare() const;
};

struct HistoryDay {
    LocalDay day;
    std::int64_t monitoredMs = 0;
    std::int64_t upMs = 0;
    std::uint64_t outagesBegun = 0;
    CheckStats stats;
    std::vector<HistoryCell> cells; // the whole day; cells outside the range are empty
    // Percent of the monitored time that was up; nullopt when none.
    std::optional<double> Availability() const;
};

struct HistoryTotals {
    std::int64_t monitoredMs = 0;
    std::int64_t notMonitoredMs = 0; // the range's length less the monitored time
    std::int64_t upMs = 0;
    std::int64_t downMs = 0;
    std::optional<double> availability; // percent of the monitored time up
    std::uint64_t outages = 0;
    std::optional<std::int64_t> longestOutageMs;
    // The up time per outage; nullopt without an outage.
    std::optional<std::int64_t> meanTimeBetweenOutagesMs;
    CheckStats stats;
};

struct HistoryView {
    Span range;
    std::int64_t cellMs = 0;
    std::vector<HistoryDay> days;     // oldest first
    std::vector<OutageSpan> outages;  // newest first, cut at the range's edges
    HistoryTotals totals;
};

// One stored check as the output formats want it.
struct StoredCheck {
    std::int64_t run = 0;
    // Its number in its run, 1 for the run's first check.
    std::uint64_t seq = 0;
    std::string program;
    std::string host;
    std::uint16_t port = 0;
    CheckResult result; // startedAt, elapsed, ok, address, family, reason, code, message, lookup, connect
};

struct ReaderSettings {
    WallClock wall = SystemClockNow;
    ProcessLookup processes{};
};

inline constexpr std::int64_t kFineCellMs = 10 * 60'000;
inline constexpr std::int64_t kCoarseCellMs = 60 * 60'000;
inline constexpr std::int64_t kLongestFineRangeMs = 31LL * 86'400'000;

class HistoryReader final {
public:
    explicit HistoryReader(const std::filesystem::path &file, ReaderSettings settings = {});

    std::vector<HistoryTarget> Targets();
    // The target's id; nullopt when the file does not hold it.
    std::optional<std::int64_t> FindTarget(const std::string &host, std::uint16_t port);
    // The target of the newest run of `program` (of any program when empty).
    std::optional<WatchedTarget> LastWatched(const std::string &program = {});

    HistoryView View(std::int64_t target, Span range);

    // The stored checks that started in `range`, oldest first, of one target
    // (0: all). The visitor returns false to stop.
    void ForEachCheck(std::int64_t target, Span range, const std::function<bool(const StoredCheck &)> &visit);

    // The range of one target as CSV (history/HistoryExport.h), read in one
    // snapshot; `write` returns false to stop.
    void ExportCsv(std::int64_t target, Span range, const std::function<bool(std::string_view)> &write);

    std::int64_t NowMs() const;
    // The first and last check's start over the whole file (or a target).
    std::optional<Span> Extent(std::int64_t target = 0);
    SqliteDatabase &Database() noexcept { return db_; }

private:
    std::int64_t OpenRunEndOf(const RunRow &run, std::int64_t nowMs) const;

    std::filesystem::path file_;
    ReaderSettings settings_;
    SqliteDatabase db_;
};
