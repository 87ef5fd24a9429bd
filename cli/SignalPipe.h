// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <csignal>

// The signals kelvora-probe answers, turned into bytes on a pipe that the
// run loop polls (the self-pipe), so the handler does nothing but write:
//   SIGINT, SIGTERM, SIGHUP  end the run; the handler also ends every
//                            waiting connect at once and refuses new ones
//                            until the SignalPipe goes (InterruptConnects).
//   SIGQUIT                  asks for the statistics so far.
// SIGPIPE is ignored, so that a closed output pipe shows as a failed write.
// A SIGHUP that was ignored when the program started (nohup) stays ignored.
//
// Only one may exist at a time. BlockSignals, called first thing in main,
// holds the signals back until the handlers are in place; the constructor
// then lets through any that came meanwhile.
class SignalPipe final {
public:
    SignalPipe();
    ~SignalPipe();
    SignalPipe(const SignalPipe &) = delete;
    SignalPipe &operator=(const SignalPipe &) = delete;

    static void BlockSignals();

    // Readable while a request waits.
    int Descriptor() const noexcept;

    struct Requests {
        bool stop = false;
        bool statistics = false;
    };
    // The requests that came since the last call.
    Requests Take();

private:
    struct sigaction previous_[5] = {};
};
