// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "HistoryRig.h"

#include <chrono>
#include <filesystem>

// A history file whose every figure the window tests know, in UTC (the
// tests set TZ=UTC), on the rig's day 2026-03-02 (kRigEpochMs):
//
//   01.03 23:00-23:02:30  other.host:80, 5 checks, all up (the earlier target)
//   02.03 00:00-00:10     known.host:80, 20 checks every 30 s, all up (20 ms)
//         00:10-00:20     alternately up and down: half the time failed
//         00:20-00:30     all down (refused)
//         00:30-01:30     the machine asleep: not monitored
//         01:30-01:40     all up; the run ends at 01:40
//   now = 02:00 (01:40-02:00 not monitored, the rest of the day ahead)
//
// So the day shows 40 minutes monitored, 25 up (62,5 %), and 10 outages:
// nine of 30 s and one from 00:19:30 to the sleep at 00:30.
struct KnownHistory {
    static constexpr std::int64_t kDayMs = kRigEpochMs;
    static constexpr std::int64_t kNowMs = kRigEpochMs + 2 * 3'600'000;

    explicit KnownHistory(const std::filesystem::path &file);

    ReaderSettings Reader() const { return RigReader(time, reader); }

    std::filesystem::path file;
    FakeTime time{kRigEpochMs - 3'600'000};
    FakeProcesses processes;
    ProcessLookup reader; // a process of its own that reads
};
