// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "history/HistoryFile.h"
#include "history/HistoryStore.h"
#include "history/ProcessIdentity.h"
#include "history/Pruning.h"
#include "monitor/CheckResult.h"
#include "monitor/SuspendClock.h"
#include "monitor/WallClock.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// Records a program's checks into the history file: the API the window and
// kelvora-probe record through.
//
//   HistoryRecorder recorder({.file = DefaultHistoryFile(), .open = HistoryOpenMode::WriteCreatingFolder,
//                             .program = "kelvora"});      // throws HistoryFileError
//   recorder.Watch("example.org", 80, 30s);                // a run begins
//   recorder.Record(result);                               // after every check
//   ...                                                    // the destructor ends the run ("exit")
//
// Opening. The constructor opens or creates the file (history/HistoryFile.h:
// 0700 folders, a 0600 file, refusals as one line, the file left as it was)
// and closes the runs of programs that are gone ("lost", at their last
// check's end). A refusal throws HistoryFileError before anything is
// written, so kelvora-probe can exit with status 2 before its first check.
//
// Runs. Watch starts a run for a target, or, for the target of the current
// run, only notes a new interval; another target ends the current run
// ("switch") first. EndRun ends it ("stop" when recording is switched off,
// "exit" when the program ends; the destructor does the latter).
//
// Committing. CommitMode::EachCheck (the window) commits every check and
// every run change at once. CommitMode::Batched (the probe) commits a check
// when the last commit is kBatchPeriod old; its owner calls Tick() at least
// every kBatchPeriod while checks may be waiting, so that a kill -9 loses
// at most the checks of the last second. A commit that meets another
// program's lock (after kHistoryBusyTimeout) keeps its checks and tries
// again with the next Record or Tick: no check is lost to a lock.
//
// Time. A check is stored at its wall-clock start in milliseconds, never
// before the previous check of its run (a clock set back holds the checks at
// the latest time seen). Between two checks the recorder reads both
// clocks of SuspendClock: time the machine slept (CLOCK_BOOTTIME beyond
// CLOCK_MONOTONIC) is kept as a gap "sleep" just before the check after it,
// and time by which the wall clock ran ahead of the checks' monotonic
// starts (CheckResult::startedMonotonic) as a gap "clock"; gaps are not
// monitored. The same holds for the time between the last check and the
// run's end.
//
// Upkeep. About once a second (kMaintenancePeriod) a recorder with nothing
// waiting does one small step of rolling up and pruning
// (history/HistoryMaintenance.h) in a transaction of its own.
//
// Failure. Record, Tick, Watch, Flush and EndRun never throw. When the
// file fails while recording (full disk, damage found, unwritable, locked
// for longer than kLongestWait), the recorder calls onFailure once with a
// line starting with the path, drops what waits and records nothing more;
// the program goes on without history. The file is never removed.
//
// Not thread-safe: use it from one thread.
enum class CommitMode { EachCheck, Batched };
enum class RunEnd { Exit, Switch, Stop };

struct RecorderSettings {
    std::filesystem::path file;
    HistoryOpenMode open = HistoryOpenMode::Write;
    std::string program = "kelvora";
    CommitMode commit = CommitMode::EachCheck;
    HistoryRetention retention{};
    SuspendClock clocks{};
    WallClock wall = SystemClockNow;
    ProcessLookup processes{};
    std::function<void(const std::string &line)> onFailure;
};

class HistoryRecorder final {
public:
    static constexpr std::chrono::milliseconds kBatchPeriod{500};
    static constexpr std::chrono::milliseconds kMaintenancePeriod{1000};
    // Checks kept while the file stays locked; past them the recorder fails.
    static constexpr std::size_t kLongestWait = 100'000;

    explicit HistoryRecorder(RecorderSettings settings);
    ~HistoryRecorder();
    HistoryRecorder(const HistoryRecorder &) = delete;
    HistoryRecorder &operator=(const HistoryRecorder &) = delete;

    void Watch(const std::string &host, std::uint16_t port, std::chrono::milliseconds interval);
    void Record(const CheckResult &result);
    void Tick();
    // Commits what waits; false when something still waits or the file failed.
    bool Flush();
    void EndRun(RunEnd how = RunEnd::Stop);

    bool Failed() const noexcept { return failed_; }
    const std::string &FailureLine() const noexcept { return failureLine_; }
    std::size_t Waiting() const noexcept { return pending_.size(); }
    const std::filesystem::path &File() const noexcept { return settings_.file; }
    // The file's id of the current run; 0 without one, or before it is written.
    std::int64_t CurrentRun() const noexcept;

private:
    struct StartOp {
        std::size_t slot;
        std::string host;
        std::uint16_t port;
        std::int64_t intervalMs;
        std::int64_t startMs;
    };
    struct IntervalOp {
        std::size_t slot;
        std::int64_t intervalMs;
    };
    struct CheckOp {
        std::size_t slot;
        NewCheck check;
        std::int64_t gapMs; // not monitored just before the check
        const char *gapKind;
    };
    struct EndOp {
        std::size_t slot;
        std::int64_t endMs;
        const char *ended;
        std::int64_t gapMs;
    };
    using Op = std::variant<StartOp, IntervalOp, CheckOp, EndOp>;

    // What the file knows of each run this recorder began, by slot.
    struct Written {
        std::int64_t run = 0;
        std::int64_t target = 0;
        std::int64_t lastStored = 0;
    };
    // The current run as the recorder sees it.
    struct Current {
        std::size_t slot = 0;
        std::string host;
        std::uint16_t port = 0;
        std::int64_t intervalMs = 0;
        std::int64_t startMs = 0;
        bool checked = false;
        std::int64_t lastMs = 0;
        std::chrono::nanoseconds lastMonotonic{0};
        ClockReading lastReading;
    };

    std::int64_t NowMs() const;
    bool Commit();
    void Apply(const Op &op, std::vector<Written> &written);
    void MaybeMaintain();
    void Fail(const std::string &line);
    // Runs `work` unless the file has failed; what it throws fails the
    // recorder instead of leaving it (the callers are Qt's slots and the
    // probe's loop).
    template <typename Work>
    void Guarded(Work work);
    std::int64_t GapBefore(const Current &run, std::int64_t timeMs, const CheckResult *result,
                           const ClockReading &reading, const char **kind) const;

    RecorderSettings settings_;
    std::optional<SqliteDatabase> db_;
    std::unique_ptr<HistoryStore> store_;
    ProcessIdentity process_;
    std::vector<Op> pending_;
    std::vector<Written> written_;
    std::optional<Current> current_;
    std::chrono::nanoseconds lastCommit_{0};
    std::chrono::nanoseconds lastMaintenance_{0};
    bool failed_ = false;
    std::string failureLine_;
};
