// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "history/SqliteDatabase.h"

#include <chrono>
#include <cstdint>
#include <optional>

// How long the history keeps each level of detail. The raw checks of a
// minute that has an aggregate go after `raw`; those of a sparser minute
// (history/HistorySchema.h: fewer than kDenseMinuteChecks) stand in for its
// aggregate: after `raw` they move to sparse_checks, without their lookup
// and connect times, and go after `minutes`, with the minute aggregates. Hour and day
// aggregates, outages, runs and gaps are kept for ever.
//
// `maxBytes`, when given, caps the file's used pages: above it the oldest
// detail goes first (raw checks and minute aggregates, whichever is older),
// and the freed pages are given back to the file system. The coarse levels
// kept for ever are never removed for it, so a cap below their size (about a
// megabyte a year and target) cannot be met.
struct HistoryRetention {
    std::chrono::days raw{35};
    std::chrono::days minutes{400};
    std::optional<std::uint64_t> maxBytes;
};

// One small step of pruning, at most a few thousand rows; raw checks that
// are not rolled up yet are never removed. The caller holds the
// transaction. True when more is waiting.
bool PruneStep(SqliteDatabase &db, const HistoryRetention &retention, std::int64_t nowMs);

// The pages the file's content takes (page_count - freelist_count), in bytes.
std::uint64_t UsedBytes(SqliteDatabase &db);
