// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "history/ProcessIdentity.h"
#include "history/SqliteDatabase.h"
#include "history/Timeline.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Reads what a timeline is made of from the history file: the runs of a
// target, their gaps and their checks.

struct RunRow {
    std::int64_t id = 0;
    std::int64_t target = 0;
    std::string program;
    std::int64_t intervalMs = 0;
    std::int64_t startMs = 0;
    std::optional<std::int64_t> endMs;
    std::string ended;
    std::optional<std::int64_t> firstMs;
    std::optional<std::int64_t> lastMs;
    std::optional<std::int64_t> lastEndMs;
    std::int64_t checks = 0;
    ProcessIdentity process;
};

// Where a run that has not ended watches to, for the caller to decide (the
// end of the range being rolled up, or now while its program lives).
using OpenRunEnd = std::function<std::int64_t(const RunRow &run)>;

struct TimelineInput {
    std::vector<RunRow> rows;
    std::vector<TimelineRun> runs;
    // Sorted by time: each run's latest check before the range, then the
    // checks in it.
    std::vector<TimelineCheck> checks;
};

// The runs of `target` that watch some of `range`, and what they say there.
TimelineInput LoadTimeline(SqliteDatabase &db, std::int64_t target, Span range, const OpenRunEnd &openEnd);

// The checks of `target` that started in `range`, in order.
std::vector<TimelineCheck> LoadChecks(SqliteDatabase &db, std::int64_t target, Span range);

// The gaps of one run that reach into `range`, in order, overlaps removed.
std::vector<Span> LoadGaps(SqliteDatabase &db, std::int64_t run, Span range);

// Every run of `target` (all targets for 0), oldest first.
std::vector<RunRow> LoadRuns(SqliteDatabase &db, std::int64_t target);

// The end a run watches to: its end, else `openEnd`'s answer; never before
// its first check.
std::int64_t WatchEnd(const RunRow &run, const OpenRunEnd &openEnd);
