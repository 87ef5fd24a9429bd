// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <initializer_list>

class CheckWorker;
class OutputQueue;
class ProbeSession;
class SignalPipe;

// The timing of kelvora-probe's checks and its answers to signals and keys.
//
// A check starts one interval after the previous one started (as the probe
// read it on the steady clock), or at once when that one took longer. The
// check runs on the worker's thread while this thread waits in ppoll for,
// whichever comes first: the worker's result, a signal request, the Enter
// key (when watching a terminal), progress of standard output, or the next
// start. So statistics can be asked for while a connect hangs.
//
// Standard output is a queue that never makes this thread wait. While it
// holds as much as it may (its reader does not read), no check starts; the
// run waits for the reader, still answering signals. Once it cannot be
// written at all (a closed pipe, a full disk), the run ends.
//
// A stop request (SIGINT, SIGTERM, SIGHUP) ends the run at once, and so
// does a failure of ppoll itself. A check that it interrupts (failed with
// WSAEINTR) is not counted: it neither succeeded nor failed. A check that
// ended otherwise meanwhile still counts. WaitForOutput then gives the
// output what is left of the stop's time.
//
// With a tick period, the session's Tick comes at least that often between
// the waits, whatever the run waits for.
class RunLoop final {
public:
    struct Settings {
        std::chrono::nanoseconds interval{std::chrono::seconds(1)};
        std::uint64_t count = 0; // 0: until stopped
        // A terminal to read Enter from, or -1. Watched only while this
        // process is in the terminal's foreground, so reading it cannot stop
        // a background job.
        int keyboard = -1;
        // How long to wait for an interrupted check to come back before
        // giving it up (a resolver that does not return).
        std::chrono::milliseconds stopGrace{40};
        // How often the session's Tick comes while the run goes on, even
        // while a check hangs or the output is full (0: never). The
        // history's batched commit rides on it.
        std::chrono::milliseconds tick{0};
    };

    enum class End {
        Count,         // the count of checks was reached
        Stopped,       // a stop request
        OutputGone,    // standard output cannot be written (its Error says why)
        CheckAbandoned // stopped, but the running check did not return in time
    };

    RunLoop(ProbeSession &session, CheckWorker &worker, SignalPipe &signalPipe, OutputQueue &out,
            const Settings &settings);

    End Run();

    // Waits until every queue is idle, answering signals: for as long as it
    // takes, or, once a stop was asked for, until `afterStop` past the
    // request. True when they all are.
    bool WaitForOutput(std::initializer_list<OutputQueue *> queues, std::chrono::milliseconds afterStop);

private:
    using Clock = std::chrono::steady_clock;

    bool StartCheckIfDue();
    // When ppoll must return at the latest; max() for never.
    Clock::time_point WakeAt(Clock::time_point giveUp) const;
    void TickIfDue();
    void BeginStop();
    void TakeSignals();
    bool WatchingKeyboard() const;
    // True when a line came; stops watching at the end of input.
    bool ReadKeyboard();
    void TakeResult();

    ProbeSession &session_;
    CheckWorker &worker_;
    SignalPipe &signalPipe_;
    OutputQueue &out_;
    Settings settings_;
    Clock::time_point next_;      // when the next check may start
    Clock::time_point stoppedAt_; // when the stop request came
    Clock::time_point nextTick_;
    bool keyboardOpen_ = false;
    bool inFlight_ = false;
    bool stopping_ = false;
};
