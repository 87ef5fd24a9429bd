// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "cli/HistoryOptions.h"
#include "cli/OutputStream.h"
#include "history/HistoryPaths.h"
#include "monitor/WallClock.h"

// Runs one kelvora-history command: reads the file (or, for prune and
// vacuum, writes it) and prints to `out`; a problem is one line on `err`.
// Returns the exit status: 0 done, 1 the file could not be used (missing,
// not a history, damaged, locked, or without the target asked for).
// Reading never writes to the file; prune and vacuum never create it.

struct HistorySurroundings {
    EnvironmentLookup environment = SystemEnvironment;
    WallClock wall = SystemClockNow;
};

int RunHistoryCommand(const HistoryOptions &options, OutputStream &out, OutputStream &err,
                      const HistorySurroundings &surroundings = {});
