// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "history/RangeState.h"
#include "history/SqliteDatabase.h"
#include "history/Timeline.h"

#include <span>

// The check figures (counts, latency, reasons) of a target's range, added
// to periods such as the heat map's cells, from the finest level the file
// still holds: before the tail, the hour aggregates (Detail::Hours), or the
// minute aggregates together with the raw checks of the minutes that have
// none (Detail::Minutes); in the tail, the raw checks. An aggregate counts
// in the period its start falls in, so an hour is whole in one period when
// the periods are cut at whole hours.
enum class Detail { Hours, Minutes };

void AddRangeChecks(SqliteDatabase &db, std::int64_t target, const RangeState &state, std::span<PeriodStats> periods,
                    Detail detail);

// Adds `stats` to the period that `timeMs` falls in, if any.
void AddStatsAt(std::span<PeriodStats> periods, std::int64_t timeMs, const CheckStats &stats);
