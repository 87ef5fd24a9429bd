// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "monitor/CheckResult.h"
#include "session/LatencyHistogram.h"
#include "session/Outage.h"
#include "session/OutageLog.h"
#include "session/RunningStats.h"
#include "session/SessionClock.h"
#include "session/SessionSummary.h"
#include "session/Uptime.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>

// The record of one monitoring session: fed one CheckResult per check, it
// gives at any moment the counts, the loss, the round-trip figures, the
// current state, the time up and down, and the outages (Summary()).
//
// How checks map to up and down time
//   - The session starts at its first check's start: nobody has looked
//     before it, so the time before it is neither up nor down. Until then
//     the state is unknown, up = down = 0, and the session's start and
//     length read as the record's making and the time since (both clocks
//     are read when the record is made).
//   - Time is cut at the checks' starts (CheckResult::startedMonotonic). The
//     span from one check's start to the next check's start has the state of
//     the earlier check: up when it succeeded, down when it failed.
//   - The span from the last check's start to now has the state of the last
//     check: once a check is recorded, up + down = now - session start.
//   - An outage begins at the start of the first failed check after a success
//     (or of the first check) and ends at the start of the next successful
//     check; an uptime likewise between a successful check and the next
//     failed one. One still going on is open and lasts until now.
//   - Durations come from the monotonic values only; the wall-clock times
//     (outage and uptime start and end, "since", session start, now) come
//     from CheckResult::startedAt and from the wall clock for now, and are
//     for display.
//   - A check start earlier than the latest one seen (or than the record's
//     making) is taken as happening at that latest start (or the making):
//     its span is 0 and no time is counted twice. Likewise now is never taken
//     as earlier than the latest check start. Spans saturate instead of
//     overflowing.
//
// Latency figures are over the successful checks' elapsed times (a negative
// elapsed counts as 0). Failed checks count toward "sent" and the loss only.
//
// Memory: the outage list grows with the first outages up to the cap and is
// then reused; everything else is fixed when the record is made. Recording
// allocates nothing once the list is full (or while no outage closes).
// Not thread-safe: feed it and read it from one thread.
class SessionRecord final {
public:
    static constexpr std::size_t kDefaultOutageCap = 10000;
    static constexpr std::size_t kAllOutages = std::numeric_limits<std::size_t>::max();

    // Keeps the newest outageCap outages (the open one included) and counts
    // the others as dropped; 0 keeps none.
    explicit SessionRecord(SessionClock clock = {}, std::size_t outageCap = kDefaultOutageCap);

    void Record(const CheckResult &result);

    // Every figure as of now (both clocks read once). The outage list holds
    // at most maxOutages of the newest; pass 0 for the figures alone and read
    // the list row by row with OutageAt.
    SessionSummary Summary(std::size_t maxOutages = kAllOutages) const;

    LinkState State() const noexcept;
    // The session's start on the wall clock (see above).
    std::chrono::system_clock::time_point SessionStartWall() const noexcept { return sessionStartWall_; }
    std::uint64_t Sent() const noexcept { return sent_; }

    // The outages kept, newest first: index 0 is the open outage when there
    // is one, with its duration up to now. Empty past the last one kept.
    std::size_t OutagesKept() const noexcept;
    std::optional<Outage> OutageAt(std::size_t index) const;

    std::size_t OutageCap() const noexcept { return log_.Capacity(); }

    // The record's own memory, not counting the outage list's storage: the
    // object itself plus the histogram's buckets. Computed from the sizes of
    // what it holds (allocator overhead excluded), not measured; the clocks'
    // function objects count with their inline size only.
    std::size_t FootprintBeyondOutages() const noexcept;
    // The storage the kept outages take (capacity times the size of one).
    std::size_t OutageListBytes() const noexcept { return log_.StorageBytes(); }

private:
    struct Now {
        std::chrono::nanoseconds monotonic;
        std::chrono::system_clock::time_point wall;
    };

    Now ReadNow() const;
    void CountSpan(std::chrono::nanoseconds until) noexcept;
    void BeginOutage(std::chrono::system_clock::time_point start);
    void EndOutage(std::chrono::nanoseconds at, std::chrono::system_clock::time_point wall);
    void EndUptime(std::chrono::nanoseconds at, std::chrono::system_clock::time_point wall);
    Outage OpenOutage(const Now &now) const;
    Uptime OpenUptime(const Now &now) const;
    // Index below OutagesKept().
    Outage KeptOutage(std::size_t index, const Now &now) const;
    std::optional<LatencyFigures> Latency() const;
    void AddLongest(SessionSummary &summary, const Now &now) const;

    SessionClock clock_;
    std::chrono::nanoseconds sessionStartMonotonic_;
    std::chrono::system_clock::time_point sessionStartWall_;

    std::uint64_t sent_ = 0;
    std::uint64_t succeeded_ = 0;
    RunningStats stats_;
    LatencyHistogram histogram_;

    bool lastOk_ = false; // meaningful once sent_ > 0
    // The latest check start (never earlier than an earlier one), and the
    // up and down time counted up to it.
    std::chrono::nanoseconds cut_;
    std::chrono::nanoseconds up_{0};
    std::chrono::nanoseconds down_{0};
    // Where the current run of equal results began.
    std::chrono::nanoseconds runStartMonotonic_;
    std::chrono::system_clock::time_point runStartWall_;

    // The outage going on while the last check failed (its end and duration
    // are filled in when it closes or is read).
    Outage current_;
    OutageLog log_;
    std::uint64_t outagesTotal_ = 0;
    std::optional<Outage> longestOutage_; // of the closed ones
    std::optional<Uptime> longestUptime_; // of the closed ones
};
