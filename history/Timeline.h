// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "history/CheckStats.h"
#include "history/ReasonTally.h"
#include "monitor/FailureReason.h"

#include <cstdint>
#include <span>
#include <vector>

// What the checks of one target say about each moment: up, down, or not
// monitored. Pure functions over times in milliseconds since the epoch.
//
// The rule
//   - A run watches from its first check's start to its end, except for its
//     gaps (a sleep of the machine, a jump of the wall clock).
//   - Time that no run watches is not monitored: neither up nor down.
//   - Where runs watch, the state is that of the latest check (by start) of
//     any run watching then: up after a success, down after a failure. So a
//     single run's check holds until its next check, a gap or its end, and
//     of several runs at once the newest word wins (ties: the higher run id).
//   - An outage is a stretch of down time between an up or a time not
//     monitored; its failed checks are those that started in it.

struct Span {
    std::int64_t start = 0;
    std::int64_t end = 0;
    std::int64_t Length() const noexcept { return end > start ? end - start : 0; }
    bool operator==(const Span &) const = default;
};

struct TimelineRun {
    std::int64_t id = 0;
    std::int64_t watchStart = 0;
    std::int64_t watchEnd = 0;
    std::vector<Span> gaps; // sorted by start, not overlapping
};

struct TimelineCheck {
    std::int64_t time = 0;
    std::int64_t run = 0;
    bool ok = false;
    std::int64_t elapsedNs = 0;
    FailureReason reason = FailureReason::None;
};

// A monitored stretch of one state.
struct StatePiece {
    std::int64_t start = 0;
    std::int64_t end = 0;
    bool up = false;
    bool operator==(const StatePiece &) const = default;
};

struct OutageSpan {
    std::int64_t start = 0;
    std::int64_t end = 0;
    std::uint64_t failed = 0;
    ReasonTally reasons;
    bool operator==(const OutageSpan &) const = default;
};

struct PeriodStats {
    Span span;
    std::int64_t monitoredMs = 0;
    std::int64_t upMs = 0;
    CheckStats stats;
};

// The monitored pieces inside `range`, in order, neighbours of one state
// joined. `checks` must be sorted by time and may hold checks before the
// range: each run's latest one before it gives its state at the start.
// Checks of runs not in `runs` are ignored.
std::vector<StatePiece> MergeTimeline(std::span<const TimelineRun> runs, std::span<const TimelineCheck> checks,
                                      Span range);

// The down pieces as outages, with the failed checks that started in them.
std::vector<OutageSpan> OutagesOf(std::span<const StatePiece> pieces, std::span<const TimelineCheck> checks);

// Periods [boundaries[i], boundaries[i + 1]); boundaries must rise.
std::vector<PeriodStats> EmptyPeriods(std::span<const std::int64_t> boundaries);
// Minutes (or any fixed length) from `range.start`, which should be aligned.
std::vector<PeriodStats> FixedPeriods(Span range, std::int64_t lengthMs);

// Adds the monitored and up time of `pieces` (sorted) to the periods (sorted).
void AddPieces(std::span<PeriodStats> periods, std::span<const StatePiece> pieces);
// Adds each check (sorted by time) to the period its start falls in.
void AddChecks(std::span<PeriodStats> periods, std::span<const TimelineCheck> checks);
