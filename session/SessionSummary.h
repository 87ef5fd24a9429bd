// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "session/LatencyFigures.h"
#include "session/Outage.h"
#include "session/Uptime.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

// Up after a successful check, down after a failed one, unknown before the
// first check.
enum class LinkState : std::uint8_t { Unknown, Up, Down };

// Every figure of a session record at one moment ("now"), as plain values:
// what the terminal program prints and the window shows. SessionRecord's
// header says how checks map to these figures.
struct SessionSummary {
    // The first check's start (wall clock); before it, the record's making.
    std::chrono::system_clock::time_point sessionStart;
    std::chrono::system_clock::time_point now; // wall clock
    // From the session's start to now, on the monotonic clock.
    std::chrono::nanoseconds sessionLength{0};

    std::uint64_t sent = 0;
    std::uint64_t succeeded = 0;
    std::uint64_t failed = 0;
    // failed / sent in percent; empty before the first check.
    std::optional<double> lossPercent;
    // Empty while no check has succeeded.
    std::optional<LatencyFigures> latency;

    LinkState state = LinkState::Unknown;
    // When the current state began (wall clock) and how long it has lasted.
    // While the state is unknown: the session's start and its length.
    std::chrono::system_clock::time_point stateSince;
    std::chrono::nanoseconds stateDuration{0};

    // up + down == sessionLength once a check has been recorded; both 0 before.
    std::chrono::nanoseconds totalUp{0};
    std::chrono::nanoseconds totalDown{0};

    // Newest first; an outage still going on comes first, marked open. At most
    // the record's cap of outages (and at most the number asked for).
    std::vector<Outage> outages;
    // Every outage of the session, those kept and those dropped.
    std::uint64_t outagesTotal = 0;
    // Outages no longer kept because newer ones filled the cap.
    std::uint64_t outagesDropped = 0;

    // The longest so far, whether or not still kept in the list; an open
    // outage or uptime counts with its length so far. Empty when there was
    // none. Of two equally long, the earlier.
    std::optional<Outage> longestOutage;
    std::optional<Uptime> longestUptime;
};
