// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "history/ProcessIdentity.h"
#include "history/Pruning.h"
#include "history/SqliteDatabase.h"

#include <cstdint>

// The upkeep every recording program does in small steps, and
// kelvora-history's prune to the end: closing runs whose program is gone,
// rolling up and pruning. The caller holds the transaction.

// Closes every open run whose program no longer lives, at its last check's
// end (or its start, without a check), as "lost". Returns how many.
int CloseLostRuns(SqliteDatabase &db, const ProcessLookup &processes);

// The length of time one rollup step takes on at most.
inline constexpr std::int64_t kRollupStepMs = 10 * 60'000;

// Closes lost runs, rolls each target up a step and prunes a step. True
// when more is waiting.
bool MaintenanceStep(SqliteDatabase &db, const HistoryRetention &retention, const ProcessLookup &processes,
                     std::int64_t nowMs, std::int64_t rollupStepMs = kRollupStepMs);
