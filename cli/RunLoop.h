// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

class CheckPool;
class OutputQueue;
class ProbeFleet;
class SignalPipe;

// The timing of kelvora-probe's checks and its answers to signals and keys.
//
// Each target has its own schedule: its check starts one interval after its
// previous one started (as the probe read it on the steady clock), or at
// once when that one took longer. The first checks of the targets are due a
// millisecond apart (closer when the interval is too short for all), the
// first target's at once. The checks run on the pool's threads, as many at once as it has
// (a due check waits for a free one), while this thread waits in ppoll for,
// whichever comes first: a result, a signal request, the Enter key (when
// watching a terminal), progress of standard output, or the next start. So
// statistics can be asked for while a connect hangs, and a hung check of
// one target delays no other while the pool has room.
//
// Standard output is a queue that never makes this thread wait. While it
// holds as much as it may (its reader does not read), no check starts; the
// run waits for the reader, still answering signals. Once it cannot be
// written at all (a closed pipe, a full disk), the run ends.
//
// A stop request (SIGINT, SIGTERM, SIGHUP) ends the run at once, and so
// does a failure of ppoll itself; the running checks are cancelled. A check
// that it interrupts (failed with WSAEINTR) is not counted: it neither
// succeeded nor failed. A check that ended otherwise meanwhile still counts. WaitForOutput then gives the
// output what is left of the stop's time.
//
// With a tick period, the fleet's Tick comes at least that often between
// the waits, whatever the run waits for.
class RunLoop final {
public:
    struct Settings {
        std::chrono::nanoseconds interval{std::chrono::seconds(1)};
        std::uint64_t count = 0; // checks per target; 0: until stopped
        // A terminal to read Enter from, or -1. Watched only while this
        // process is in the terminal's foreground, so reading it cannot stop
        // a background job.
        int keyboard = -1;
        // How long to wait for an interrupted check to come back before
        // giving it up (a resolver that does not return).
        std::chrono::milliseconds stopGrace{40};
        // Told, for each check, how long after its due time it started (on
        // the pool's thread): for measuring; may be empty.
        std::function<void(std::chrono::nanoseconds)> lateness;
        // How often the fleet's Tick comes while the run goes on, even
        // while a check hangs or the output is full (0: never). The
        // history's batched commit rides on it.
        std::chrono::milliseconds tick{0};
    };

    enum class End {
        Count,         // every target reached the count of checks
        Stopped,       // a stop request
        OutputGone,    // standard output cannot be written (its Error says why)
        CheckAbandoned // stopped, but a running check did not return in time
    };

    RunLoop(ProbeFleet &fleet, CheckPool &pool, SignalPipe &signalPipe, OutputQueue &out, const Settings &settings);

    End Run();

    // Waits until every queue is idle, answering signals: for as long as it
    // takes, or, once a stop was asked for, until `afterStop` past the
    // request; past that only while a queue's descriptor has room for its
    // text (the writer has yet to run), up to kFlowingAfterStop. True when
    // they all are.
    static constexpr std::chrono::milliseconds kFlowingAfterStop{2000};
    bool WaitForOutput(std::initializer_list<OutputQueue *> queues, std::chrono::milliseconds afterStop);

private:
    using Clock = std::chrono::steady_clock;

    struct Schedule {
        Clock::time_point next; // when the next check may start
        Clock::time_point due;  // when the running check was due
        bool inFlight = false;
    };

    // Starts the checks that are due while the pool has room; the earliest
    // time a further check falls due, or nothing when none waits for time.
    std::optional<Clock::time_point> StartDueChecks();
    bool Finished(std::size_t target) const;
    bool AllCounted() const;
    // `wake` (when ppoll must return; nothing for never), brought forward
    // to the next tick.
    std::optional<Clock::time_point> WakeAt(std::optional<Clock::time_point> wake) const;
    void TickIfDue();
    void BeginStop();
    void TakeSignals();
    bool WatchingKeyboard() const;
    // True when a line came; stops watching at the end of input.
    bool ReadKeyboard();
    void TakeResults();

    ProbeFleet &fleet_;
    CheckPool &pool_;
    SignalPipe &signalPipe_;
    OutputQueue &out_;
    Settings settings_;
    std::vector<Schedule> schedules_; // one per target
    std::size_t inFlight_ = 0;
    std::size_t nextToStart_ = 0; // where the next round of starts begins
    Clock::time_point stoppedAt_; // when the stop request came
    Clock::time_point nextTick_;
    bool keyboardOpen_ = false;
    bool stopping_ = false;
};
