// SPDX-License-Identifier: MIT
#include "cli/RunLoop.h"

#include "cli/CheckWorker.h"
#include "cli/OutputQueue.h"
#include "cli/ProbeSession.h"
#include "cli/SignalPipe.h"
#include "net/SocketErrors.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <vector>

namespace {

timespec ToTimespec(std::chrono::steady_clock::duration wait)
{
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::max(wait, std::chrono::steady_clock::duration::zero()));
    timespec value{};
    value.tv_sec = static_cast<time_t>(ns.count() / 1'000'000'000);
    value.tv_nsec = static_cast<long>(ns.count() % 1'000'000'000);
    return value;
}

} // namespace

RunLoop::RunLoop(ProbeSession &session, CheckWorker &worker, SignalPipe &signalPipe, OutputQueue &out,
                 const Settings &settings)
    : session_(session),
      worker_(worker),
      signalPipe_(signalPipe),
      out_(out),
      settings_(settings),
      keyboardOpen_(settings.keyboard >= 0)
{
}

RunLoop::End RunLoop::Run()
{
    next_ = Clock::now();
    nextTick_ = next_ + settings_.tick;
    while (true) {
        if (!inFlight_) {
            if (stopping_)
                return End::Stopped;
            if (out_.Error() != 0)
                return End::OutputGone;
            if (settings_.count != 0 && session_.Counted() >= settings_.count)
                return End::Count;
            inFlight_ = StartCheckIfDue();
        }
        const Clock::time_point giveUp = stoppedAt_ + settings_.stopGrace;
        if (stopping_ && inFlight_ && Clock::now() >= giveUp)
            return End::CheckAbandoned;

        pollfd watched[4] = {{signalPipe_.Descriptor(), POLLIN, 0}, {worker_.CompletionDescriptor(), POLLIN, 0},
                             {out_.ProgressDescriptor(), POLLIN, 0},
                             {WatchingKeyboard() ? settings_.keyboard : -1, POLLIN, 0}};
        const Clock::time_point wakeAt = WakeAt(giveUp);
        const bool waitForEver = wakeAt == Clock::time_point::max();
        const timespec wait = ToTimespec(wakeAt - Clock::now());
        if (::ppoll(watched, 4, waitForEver ? nullptr : &wait, nullptr) < 0 && errno != EINTR) {
            // Cannot wait: end as a stop does, rather than spin or wait for
            // a check that may hang.
            if (stopping_)
                return inFlight_ ? End::CheckAbandoned : End::Stopped;
            BeginStop();
            continue;
        }
        if (watched[0].revents != 0)
            TakeSignals();
        if (watched[2].revents != 0)
            out_.Acknowledge();
        // Read only while still in the foreground: a job sent to the
        // background meanwhile would be stopped by reading its terminal.
        if (watched[3].revents != 0 && WatchingKeyboard() && ReadKeyboard())
            session_.PrintStatistics();
        if (watched[1].revents != 0)
            TakeResult();
        TickIfDue();
    }
}

RunLoop::Clock::time_point RunLoop::WakeAt(Clock::time_point giveUp) const
{
    // Waiting for the check, or for room in the output, has no end of its
    // own.
    Clock::time_point wakeAt = Clock::time_point::max();
    if (stopping_)
        wakeAt = giveUp;
    else if (!inFlight_ && !out_.Full())
        wakeAt = next_;
    if (settings_.tick.count() > 0)
        wakeAt = std::min(wakeAt, nextTick_);
    return wakeAt;
}

void RunLoop::TickIfDue()
{
    if (settings_.tick.count() == 0 || Clock::now() < nextTick_)
        return;
    session_.Tick();
    nextTick_ = Clock::now() + settings_.tick;
}

bool RunLoop::StartCheckIfDue()
{
    const Clock::time_point now = Clock::now();
    if (now < next_ || out_.Full() || !worker_.Start())
        return false;
    // Until the check says when it really started.
    next_ = now + settings_.interval;
    return true;
}

void RunLoop::BeginStop()
{
    if (stopping_)
        return;
    stopping_ = true;
    stoppedAt_ = Clock::now();
}

void RunLoop::TakeSignals()
{
    const SignalPipe::Requests requests = signalPipe_.Take();
    if (requests.statistics)
        session_.PrintStatistics();
    if (requests.stop)
        BeginStop();
}

bool RunLoop::WaitForOutput(std::initializer_list<OutputQueue *> queues, std::chrono::milliseconds afterStop)
{
    while (true) {
        const bool idle = std::all_of(queues.begin(), queues.end(), [](const OutputQueue *queue) { return queue->Idle(); });
        if (idle)
            return true;
        const Clock::time_point deadline = stoppedAt_ + afterStop;
        if (stopping_ && Clock::now() >= deadline)
            return false;
        std::vector<pollfd> watched{{signalPipe_.Descriptor(), POLLIN, 0}};
        for (const OutputQueue *queue : queues)
            watched.push_back({queue->ProgressDescriptor(), POLLIN, 0});
        const timespec wait = ToTimespec(deadline - Clock::now());
        if (::ppoll(watched.data(), watched.size(), stopping_ ? &wait : nullptr, nullptr) < 0 && errno != EINTR)
            BeginStop();
        if (watched[0].revents != 0)
            TakeSignals();
        for (OutputQueue *queue : queues)
            queue->Acknowledge();
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
