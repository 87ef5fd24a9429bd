// SPDX-License-Identifier: MIT
#include "cli/RunLoop.h"

#include "cli/CheckWorker.h"
#include "cli/ProbeSession.h"
#include "cli/SignalPipe.h"
#include "net/SocketErrors.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

namespace {

using Clock = std::chrono::steady_clock;

timespec ToTimespec(Clock::duration wait)
{
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(std::max(wait, Clock::duration::zero()));
    timespec value{};
    value.tv_sec = static_cast<time_t>(ns.count() / 1'000'000'000);
    value.tv_nsec = static_cast<long>(ns.count() % 1'000'000'000);
    return value;
}

} // namespace

RunLoop::RunLoop(ProbeSession &session, CheckWorker &worker, SignalPipe &signalPipe, const Settings &settings)
    : session_(session), worker_(worker), signalPipe_(signalPipe), settings_(settings), keyboardOpen_(settings.keyboard >= 0)
{
}

RunLoop::End RunLoop::Run()
{
    next_ = Clock::now();
    Clock::time_point giveUp{};
    while (true) {
        if (!inFlight_) {
            if (stopping_)
                return End::Stopped;
            if (session_.OutputBroken())
                return End::OutputGone;
            if (settings_.count != 0 && session_.Counted() >= settings_.count)
                return End::Count;
            const Clock::time_point now = Clock::now();
            if (now >= next_ && worker_.Start()) {
                inFlight_ = true;
                // Until the check says when it really started.
                next_ = now + settings_.interval;
            }
        }
        if (stopping_ && inFlight_ && Clock::now() >= giveUp)
            return End::CheckAbandoned;

        pollfd watched[3] = {{signalPipe_.Descriptor(), POLLIN, 0}, {worker_.CompletionDescriptor(), POLLIN, 0},
                             {WatchingKeyboard() ? settings_.keyboard : -1, POLLIN, 0}};
        const timespec wait = ToTimespec((stopping_ ? giveUp : next_) - Clock::now());
        const bool waitForEver = inFlight_ && !stopping_;
        if (::ppoll(watched, 3, waitForEver ? nullptr : &wait, nullptr) < 0 && errno != EINTR)
            return End::Stopped; // cannot wait: end rather than spin

        if (watched[0].revents != 0) {
            const SignalPipe::Requests requests = signalPipe_.Take();
            if (requests.statistics)
                session_.PrintStatistics();
            if (requests.stop && !stopping_) {
                stopping_ = true;
                giveUp = Clock::now() + settings_.stopGrace;
            }
        }
        // Read only while still in the foreground: a job sent to the
        // background meanwhile would be stopped by reading its terminal.
        if (watched[2].revents != 0 && WatchingKeyboard() && ReadKeyboard())
            session_.PrintStatistics();
        if (watched[1].revents != 0)
            TakeResult();
    }
}

bool RunLoop::WatchingKeyboard() const
{
    return keyboardOpen_ && ::tcgetpgrp(settings_.keyboard) == ::getpgrp();
}

bool RunLoop::ReadKeyboard()
{
    char bytes[256];
    const ssize_t count = ::read(settings_.keyboard, bytes, sizeof bytes);
    if (count <= 0) {
        if (count == 0 || (errno != EINTR && errno != EAGAIN))
            keyboardOpen_ = false;
        return false;
    }
    return std::any_of(bytes, bytes + count, [](char c) { return c == '\n' || c == '\r'; });
}

void RunLoop::TakeResult()
{
    std::optional<CheckResult> result = worker_.TakeResult();
    if (!result)
        return;
    inFlight_ = false;
    // The next check starts an interval after this one started on the
    // worker's thread (the probe reads the same steady clock), so the wake-up
    // of that thread cannot bring two starts closer than the interval.
    if (result->startedMonotonic.count() != 0)
        next_ = Clock::time_point(std::chrono::duration_cast<Clock::duration>(result->startedMonotonic))
                + settings_.interval;
    const bool interrupted = stopping_ && !result->ok && result->errorCode == WSAEINTR;
    if (!interrupted)
        session_.Take(*result);
}
