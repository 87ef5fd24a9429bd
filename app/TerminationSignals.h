// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QObject>

#include <csignal>

class QSocketNotifier;
class TApplication;

// Ends the program the normal way when the session or the user asks the
// process to stop (SIGTERM at log-off or shutdown, SIGHUP when the
// controlling terminal goes, SIGINT for Ctrl+C): the signal posts a quit
// request, so the event loop ends and the shutdown runs, exit code 0. A
// connect that is waiting when the signal comes ends at once (the check then
// fails), so the program stops within moments even during a hung check.
//
// A signal can come at any moment after the program starts. BlockSignals,
// first thing in main, holds the signals back until a TerminationSignals
// object can take them; building it installs the handler and then lets any
// signal that arrived meanwhile through. Destroying it holds them back again
// when they were held back before, so a late signal cannot kill the process
// during its last steps.
class TerminationSignals final : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(TApplication &application);
    ~TerminationSignals() override;

    // Holds the termination signals back on the calling thread, and on every
    // thread it starts from then on.
    static void BlockSignals();

private:
    void Drain();

    TApplication &application_;
    QSocketNotifier *notifier_ = nullptr;
    bool wereBlocked_ = false;
    struct sigaction previous_[3] = {};
};
