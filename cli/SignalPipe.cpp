// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/SignalPipe.h"

#include "net/ConnectInterrupt.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <iterator>
#include <stdexcept>

namespace {

constexpr char kStop = 's';
constexpr char kStatistics = 'q';

// The handled signals; SIGPIPE last, as it is only ignored.
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};

// [0] read by the run loop, [1] written by the handler.
int signalPipe[2] = {-1, -1};

extern "C" void NoteSignal(int number)
{
    const int savedErrno = errno;
    const char request = number == SIGQUIT ? kStatistics : kStop;
    if (request == kStop)
        InterruptConnects();
    // A full pipe holds a request of each kind already, or soon will.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &request, 1);
    errno = savedErrno;
}

sigset_t HandledSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int number : kSignals)
        sigaddset(&set, number);
    return set;
}

} // namespace

void SignalPipe::BlockSignals()
{
    const sigset_t set = HandledSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

SignalPipe::SignalPipe()
{
    if (signalPipe[0] >= 0)
        throw std::logic_error("only one SignalPipe at a time");
    PrepareConnectInterrupt();
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("cannot make the signal pipe");
    struct sigaction action{};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    struct sigaction ignore{};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        ::sigaction(kSignals[i], nullptr, &previous_[i]);
        if (kSignals[i] == SIGPIPE)
            ::sigaction(SIGPIPE, &ignore, nullptr);
        else if (!(kSignals[i] == SIGHUP && previous_[i].sa_handler == SIG_IGN))
            ::sigaction(kSignals[i], &action, nullptr);
    }
    const sigset_t set = HandledSet();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

SignalPipe::~SignalPipe()
{
    BlockSignals();
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        ::sigaction(kSignals[i], &previous_[i], nullptr);
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
    // The run that was stopped is over; a later one may connect again.
    EndConnectInterrupt();
}

int SignalPipe::Descriptor() const noexcept
{
    return signalPipe[0];
}

SignalPipe::Requests SignalPipe::Take()
{
    Requests requests;
    char bytes[32];
    ssize_t count = 0;
    while ((count = ::read(signalPipe[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < count; ++i) {
            requests.stop = requests.stop || bytes[i] == kStop;
            requests.statistics = requests.statistics || bytes[i] == kStatistics;
        }
    }
    return requests;
}
