// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <benchmark/benchmark.h>

#include <filesystem>

// The baseline of the history benchmarks: the day aggregates of target 1 of
// the history `file` read through the sqlite3 shell, once per iteration. The
// run is skipped, saying why, when the shell does not run or reads nothing.
void ReadDaysWithShell(benchmark::State &state, const std::filesystem::path &file);
