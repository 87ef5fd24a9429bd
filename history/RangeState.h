// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "history/SqliteDatabase.h"
#include "history/Timeline.h"
#include "history/TimelineSource.h"

#include <cstdint>
#include <vector>

// The state of one target over a range of time, whichever way the file
// holds it: before targets.rolled_ms from the runs, their gaps and the
// outages rolled up, after it from the raw checks by the same rule
// (history/Timeline.h). The caller reads inside one transaction.

struct RangeState {
    Span range;
    // Where the part read from raw checks begins, inside the range.
    std::int64_t tailStart = 0;
    // The monitored pieces, in order, neighbours of one state joined.
    std::vector<StatePiece> pieces;
    // Oldest first, cut at the range's edges; an outage across the edge of
    // the rolled-up part is one.
    std::vector<OutageSpan> outages;
    // The raw checks of the tail, in order.
    std::vector<TimelineCheck> tailChecks;
};

RangeState LoadRangeState(SqliteDatabase &db, std::int64_t target, Span range, const OpenRunEnd &openEnd);

// The pieces that the watched spans (sorted, not overlapping) and the
// outages (sorted) inside them make: down where an outage is, up elsewhere.
std::vector<StatePiece> PiecesOfRecord(std::span<const Span> watched, std::span<const OutageSpan> outages);

// The union of what the runs watched inside `range`, their gaps left out.
std::vector<Span> WatchedSpans(SqliteDatabase &db, std::int64_t target, Span range, const OpenRunEnd &openEnd);
