// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "history/SqliteDatabase.h"

#include <cstdint>

// Rolling the raw checks of a target up into its minute, hour and day
// aggregates and its outages (history/Timeline.h gives the rule), one small
// step at a time, from targets.rolled_ms on.
//
// A minute is rolled up only once nothing more can change it: it has ended
// before `nowMs`, and every run of the target that has not ended has
// recorded a check after it (its later checks, and the gaps before them,
// all lie after its last one). So the aggregates are final once written,
// and the part not rolled up yet is read from the raw checks.
//
// The caller holds the transaction (BEGIN IMMEDIATE, so that two programs
// never roll up the same minute) and has closed the runs whose program is
// gone; open runs count as alive.

inline constexpr std::int64_t kMinuteMs = 60'000;
inline constexpr std::int64_t kHourMs = 3'600'000;

// The end of the part of `target` that may be rolled up now.
std::int64_t RollupHorizon(SqliteDatabase &db, std::int64_t target, std::int64_t nowMs);

// Rolls up at most `maxStepMs` (whole minutes) of `target`; true when more
// is waiting.
bool RollUpStep(SqliteDatabase &db, std::int64_t target, std::int64_t nowMs, std::int64_t maxStepMs);
