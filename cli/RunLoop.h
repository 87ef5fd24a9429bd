// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>

class CheckWorker;
class ProbeSession;
class SignalPipe;

// The timing of kelvora-probe's checks and its answers to signals and keys.
//
// A check starts one interval after the previous one started (as the probe
// read it on the steady clock), or at once when that one took longer. The check runs on the worker's thread while
// this thread waits in ppoll for, whichever comes first: the worker's
// result, a signal request, the Enter key (when watching a terminal), or the
// next start. So statistics can be asked for while a connect hangs.
//
// A stop request (SIGINT, SIGTERM, SIGHUP) ends the run at once. A check
// that it interrupts (failed with WSAEINTR) is not counted: it neither
// succeeded nor failed. A check that ended otherwise meanwhile still counts.
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
        std::chrono::milliseconds stopGrace{50};
    };

    enum class End {
        Count,         // the count of checks was reached
        Stopped,       // a stop request
        OutputGone,    // standard output closed
        CheckAbandoned // stopped, but the running check did not return in time
    };

    RunLoop(ProbeSession &session, CheckWorker &worker, SignalPipe &signalPipe, const Settings &settings);

    End Run();

private:
    bool WatchingKeyboard() const;
    // True when a line came; stops watching at the end of input.
    bool ReadKeyboard();
    void TakeResult();

    ProbeSession &session_;
    CheckWorker &worker_;
    SignalPipe &signalPipe_;
    Settings settings_;
    std::chrono::steady_clock::time_point next_; // when the next check may start
    bool keyboardOpen_ = false;
    bool inFlight_ = false;
    bool stopping_ = false;
};
