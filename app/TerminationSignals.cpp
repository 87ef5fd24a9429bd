// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "app/TerminationSignals.h"

#include "app/TApplication.h"
#include "base/ErrorReport.h"
#include "net/ConnectInterrupt.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// [0] is written by the signal handler, [1] read by the event loop.
int signalPipe[2] = {-1, -1};

extern "C" void NoteSignal(int)
{
    const int savedErrno = errno;
    // A connect that is waiting would hold the thread for up to its time
    // limit; the program is stopping, so it ends now.
    InterruptConnects();
    const char byte = 1;
    // Nothing to do when the pipe is full: a request is already waiting.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
    errno = savedErrno;
}

sigset_t TerminationSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int number : kSignals)
        sigaddset(&set, number);
    return set;
}

bool SignalsBlocked()
{
    sigset_t current;
    sigemptyset(&current);
    pthread_sigmask(SIG_BLOCK, nullptr, &current);
    return sigismember(&current, SIGTERM) == 1;
}

} // namespace

void TerminationSignals::BlockSignals()
{
    const sigset_t set = TerminationSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

TerminationSignals::TerminationSignals(TApplication &application)
    : application_(application), wereBlocked_(SignalsBlocked())
{
    PrepareConnectInterrupt();
    const sigset_t set = TerminationSet();
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        // Without a way to take them, the signals at least keep their
        // default effect rather than waiting for ever.
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        return;
    }
    notifier_ = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { CallGuarded([this] { Drain(); }); });
    struct sigaction action{};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        ::sigaction(kSignals[i], &action, &previous_[i]);
    // A signal held back since the start is delivered here, to the handler.
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    if (notifier_ != nullptr) {
        if (wereBlocked_)
            BlockSignals();
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            ::sigaction(kSignals[i], &previous_[i], nullptr);
    }
    delete notifier_;
    for (int &fd : signalPipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    // A stop that came is dealt with; later connects may wait again.
    EndConnectInterrupt();
}

void TerminationSignals::Drain()
{
    char bytes[16];
    while (::read(signalPipe[1], bytes, sizeof bytes) > 0) {
    }
    application_.Terminate();
}
