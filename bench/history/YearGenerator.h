// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>

// Writes a history file as a program recording all the time would leave it:
// checks every `interval` for `days` days, through the history's own store,
// with the upkeep (roll-up and pruning under the default retention) done
// as it goes, as the recording programs do it. The checks look like a home
// line's: latencies about 18 ms with some spread, the lookup and connect
// times kept, a failure now and then and an outage of some minutes every
// other day; the program restarts once a week. Times end at `endMs`.
struct GeneratedYear {
    std::uint64_t checks = 0;
    std::uint64_t fileBytes = 0; // the database and its write-ahead log
    std::uint64_t usedBytes = 0; // the pages that hold content
    double seconds = 0;          // how long writing took
};

GeneratedYear GenerateHistory(const std::filesystem::path &file, std::chrono::milliseconds interval, int days,
                              std::int64_t endMs);
