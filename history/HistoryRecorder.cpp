// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "history/HistoryRecorder.h"

#include "history/HistoryMaintenance.h"
#include "session/CheckEvent.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace {

constexpr std::int64_t kShortestGapMs = 1000;
// The attempts to commit the last checks when the program ends, each
// waiting up to kHistoryBusyTimeout for another program's lock.
constexpr int kFinalAttempts = 5;

std::int64_t ToMs(std::chrono::system_clock::time_point time)
{
    return std::chrono::floor<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

std::int64_t ToMs(std::chrono::nanoseconds duration)
{
    return std::chrono::floor<std::chrono::milliseconds>(duration).count();
}

const char *EndWord(RunEnd how)
{
    switch (how) {
    case RunEnd::Exit: return "exit";
    case RunEnd::Switch: return "switch";
    case RunEnd::Stop: return "stop";
    }
    return "exit";
}

NewCheck CheckOf(const CheckResult &result, std::int64_t timeMs)
{
    NewCheck check;
    check.timeMs = timeMs;
    check.elapsedNs = std::max<std::int64_t>(0, result.elapsed.count());
    check.ok = result.ok;
    check.reason = ReportedReason(result);
    check.code = result.ok ? 0 : result.errorCode;
    check.message = result.ok ? std::string() : result.errorMessage;
    check.address = result.address;
    check.family = result.family;
    check.lookupUs = std::max<std::int64_t>(0, result.lookupElapsed.count() / 1000);
    check.connectUs = std::max<std::int64_t>(0, result.connectElapsed.count() / 1000);
    return check;
}

} // namespace

HistoryRecorder::HistoryRecorder(RecorderSettings settings)
    : settings_(std::move(settings))
{
    if (!settings_.processes.current)
        settings_.processes.current = CurrentProcess;
    if (!settings_.processes.alive)
        settings_.processes.alive = ProcessAlive;
    if (!settings_.wall)
        settings_.wall = SystemClockNow;
    db_.emplace(OpenHistoryFile(settings_.file, settings_.open));
    process_ = settings_.processes.current();
    try {
        store_ = std::make_unique<HistoryStore>(*db_);
        SqliteTransaction transaction(*db_);
        CloseLostRuns(*db_, settings_.processes);
        transaction.Commit();
    } catch (const SqliteError &error) {
        // Another program holding the lock only delays the closing of lost
        // runs to the first upkeep; anything else refuses the file.
        if (!error.Busy())
            throw HistoryErrorOf(settings_.file, error);
    }
    lastMaintenance_ = settings_.clocks.Read().monotonic;
}

HistoryRecorder::~HistoryRecorder()
{
    try {
        EndRun(RunEnd::Exit);
        for (int attempt = 1; attempt < kFinalAttempts && !failed_ && !pending_.empty(); ++attempt)
            Commit();
    } catch (...) {
        // Nothing may leave a destructor; what could not be written is lost.
    }
}

template <typename Work>
void HistoryRecorder::Guarded(Work work)
{
    if (failed_)
        return;
    try {
        work();
    } catch (const std::exception &error) {
        Fail(settings_.file.string() + ": " + error.what());
    }
}

std::int64_t HistoryRecorder::NowMs() const
{
    return ToMs(settings_.wall());
}

std::int64_t HistoryRecorder::CurrentRun() const noexcept
{
    if (!current_ || current_->slot >= written_.size())
        return 0;
    return written_[current_->slot].run;
}

void HistoryRecorder::Watch(const std::string &host, std::uint16_t port, std::chrono::milliseconds interval)
{
    Guarded([&] {
        if (current_ && current_->host == host && current_->port == port) {
            if (current_->intervalMs != interval.count()) {
                current_->intervalMs = interval.count();
                pending_.push_back(IntervalOp{current_->slot, interval.count()});
            }
        } else {
            if (current_)
                EndRun(RunEnd::Switch);
            Current run;
            run.slot = written_.size();
            written_.emplace_back();
            run.host = host;
            run.port = port;
            run.intervalMs = interval.count();
            run.startMs = NowMs();
            run.lastReading = settings_.clocks.Read();
            pending_.push_back(StartOp{run.slot, host, port, run.intervalMs, run.startMs});
            current_ = std::move(run);
        }
        // A new run is written at once, so that no other program rolls up
        // past its start before its first check is in.
        Commit();
    });
}

std::int64_t HistoryRecorder::GapBefore(const Current &run, std::int64_t timeMs, const CheckResult *result,
                                        const ClockReading &reading, const char **kind) const
{
    if (!run.checked)
        return 0;
    const std::int64_t span = timeMs - run.lastMs;
    const std::int64_t slept = ToMs(SleptBetween(run.lastReading, reading));
    std::int64_t ahead = 0;
    if (result != nullptr && result->startedMonotonic > run.lastMonotonic)
        ahead = span - ToMs(result->startedMonotonic - run.lastMonotonic);
    const std::int64_t gap = std::clamp<std::int64_t>(std::max(slept, ahead), 0, std::max<std::int64_t>(0, span));
    *kind = slept >= kShortestGapMs ? "sleep" : "clock";
    return gap >= kShortestGapMs ? gap : 0;
}

void HistoryRecorder::Record(const CheckResult &result)
{
    if (!current_)
        return;
    Guarded([&] {
        Current &run = *current_;
        const ClockReading reading = settings_.clocks.Read();
        const std::int64_t time = std::max({ToMs(result.startedAt), run.startMs, run.lastMs});
        const char *kind = "clock";
        const std::int64_t gap = GapBefore(run, time, &result, reading, &kind);
        pending_.push_back(CheckOp{run.slot, CheckOf(result, time), gap, kind});
        run.checked = true;
        run.lastMs = time;
        run.lastMonotonic = result.startedMonotonic;
        run.lastReading = reading;
        if (settings_.commit == CommitMode::EachCheck || reading.monotonic - lastCommit_ >= kBatchPeriod)
            Commit();
        MaybeMaintain();
    });
}

void HistoryRecorder::Tick()
{
    Guarded([&] {
        if (!pending_.empty() && settings_.clocks.Read().monotonic - lastCommit_ >= kBatchPeriod)
            Commit();
        MaybeMaintain();
    });
}

bool HistoryRecorder::Flush()
{
    bool done = false;
    Guarded([&] { done = Commit(); });
    return done;
}

void HistoryRecorder::EndRun(RunEnd how)
{
    if (!current_)
        return;
    Guarded([&] {
        const Current &run = *current_;
        const std::int64_t end = std::max(NowMs(), run.lastMs);
        const char *kind = "sleep";
        const std::int64_t gap = GapBefore(run, end, nullptr, settings_.clocks.Read(), &kind);
        pending_.push_back(EndOp{run.slot, end, EndWord(how), gap});
        current_.reset();
        Commit();
    });
}

void HistoryRecorder::Apply(const Op &op, std::vector<Written> &written)
{
    if (const auto *start = std::get_if<StartOp>(&op)) {
        Written &w = written[start->slot];
        w.target = store_->Target(start->host, start->port);
        w.run = store_->StartRun({w.target, settings_.program, start->intervalMs, start->startMs, process_});
        w.lastStored = start->startMs;
    } else if (const auto *interval = std::get_if<IntervalOp>(&op)) {
        store_->SetInterval(written[interval->slot].run, interval->intervalMs);
    } else if (const auto *check = std::get_if<CheckOp>(&op)) {
        Written &w = written[check->slot];
        NewCheck stored = check->check;
        stored.run = w.run;
        const std::int64_t previous = w.lastStored;
        w.lastStored = store_->AddCheck(stored, w.target, previous);
        if (check->gapMs > 0)
            store_->AddGap(w.run, {std::max(previous, w.lastStored - check->gapMs), w.lastStored}, check->gapKind);
    } else if (const auto *end = std::get_if<EndOp>(&op)) {
        const Written &w = written[end->slot];
        const std::int64_t endMs = std::max(end->endMs, w.lastStored);
        if (end->gapMs > 0)
            store_->AddGap(w.run, {std::max(w.lastStored, endMs - end->gapMs), endMs}, "sleep");
        store_->EndRun(w.run, endMs, end->ended);
    }
}

bool HistoryRecorder::Commit()
{
    if (pending_.empty())
        return true;
    std::vector<Written> written = written_;
    try {
        SqliteTransaction transaction(*db_);
        for (const Op &op : pending_)
            Apply(op, written);
        transaction.Commit();
    } catch (const SqliteError &error) {
        store_->Forget();
        if (!error.Busy())
            Fail(HistoryErrorOf(settings_.file, error).what());
        else if (pending_.size() > kLongestWait)
            Fail(settings_.file.string() + ": locked by another program for too long; recording stopped");
        return false;
    }
    written_ = std::move(written);
    pending_.clear();
    lastCommit_ = settings_.clocks.Read().monotonic;
    return true;
}

void HistoryRecorder::MaybeMaintain()
{
    const auto now = settings_.clocks.Read().monotonic;
    if (failed_ || !pending_.empty() || now - lastMaintenance_ < kMaintenancePeriod)
        return;
    lastMaintenance_ = now;
    try {
        SqliteTransaction transaction(*db_);
        MaintenanceStep(*db_, settings_.retention, settings_.processes, NowMs());
        transaction.Commit();
    } catch (const SqliteError &error) {
        if (!error.Busy())
            Fail(HistoryErrorOf(settings_.file, error).what());
    }
}

void HistoryRecorder::Fail(const std::string &line)
{
    if (failed_)
        return;
    failed_ = true;
    failureLine_ = line;
    pending_.clear();
    current_.reset();
    if (settings_.onFailure)
        settings_.onFailure(line);
}
