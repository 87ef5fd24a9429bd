// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/RunLoop.h"

#include "cli/CheckPool.h"
#include "cli/OutputQueue.h"
#include "cli/ProbeFleet.h"
#include "cli/SignalPipe.h"
#include "net/SocketErrors.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <vector>

namespace {

constexpr std::chrono::milliseconds kFirstStartsApart{1};

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

RunLoop::RunLoop(ProbeFleet &fleet, CheckPool &pool, SignalPipe &signalPipe, OutputQueue &out,
                 const Settings &settings)
    : fleet_(fleet),
      pool_(pool),
      signalPipe_(signalPipe),
      out_(out),
      settings_(settings),
      schedules_(fleet.Size()),
      keyboardOpen_(settings.keyboard >= 0)
{
}

RunLoop::End RunLoop::Run()
{
    // The first checks a millisecond apart (or closer, so that all fall in
    // the first interval): the targets' schedules keep that spread, and no
    // round of checks starts as one burst that the pool must queue.
    const Clock::time_point start = Clock::now();
    const auto count = static_cast<std::int64_t>(schedules_.size());
    const auto step = std::min<Clock::duration>(kFirstStartsApart, settings_.interval / count);
    for (std::int64_t i = 0; i < count; ++i)
        schedules_[static_cast<std::size_t>(i)].next = start + step * i;
    nextTick_ = start + settings_.tick;
    while (true) {
        if (inFlight_ == 0) {
            if (stopping_)
                return End::Stopped;
            if (out_.Error() != 0)
                return End::OutputGone;
            if (AllCounted())
                return End::Count;
        }
        std::optional<Clock::time_point> wake;
        if (!stopping_ && out_.Error() == 0)
            wake = StartDueChecks();
        const Clock::time_point giveUp = stoppedAt_ + settings_.stopGrace;
        if (stopping_ && inFlight_ > 0 && Clock::now() >= giveUp)
            return End::CheckAbandoned;

        pollfd watched[4] = {{signalPipe_.Descriptor(), POLLIN, 0}, {pool_.CompletionDescriptor(), POLLIN, 0},
                             {out_.ProgressDescriptor(), POLLIN, 0},
                             {WatchingKeyboard() ? settings_.keyboard : -1, POLLIN, 0}};
        const std::optional<Clock::time_point> wakeAt = WakeAt(stopping_ ? std::optional(giveUp) : wake);
        // Nothing to wait for but a check, or room in the output.
        const bool waitForEver = !wakeAt;
        const timespec wait = ToTimespec(wakeAt.value_or(giveUp) - Clock::now());
        if (::ppoll(watched, 4, waitForEver ? nullptr : &wait, nullptr) < 0 && errno != EINTR) {
            // Cannot wait: end as a stop does, rather than spin or wait for
            // a check that may hang.
            if (stopping_)
                return inFlight_ > 0 ? End::CheckAbandoned : End::Stopped;
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
            fleet_.PrintStatistics();
        if (watched[1].revents != 0)
            TakeResults();
        TickIfDue();
    }
}

std::optional<RunLoop::Clock::time_point> RunLoop::WakeAt(std::optional<Clock::time_point> wake) const
{
    if (settings_.tick.count() == 0)
        return wake;
    return wake ? std::min(*wake, nextTick_) : nextTick_;
}

void RunLoop::TickIfDue()
{
    if (settings_.tick.count() == 0 || Clock::now() < nextTick_)
        return;
    fleet_.Tick();
    nextTick_ = Clock::now() + settings_.tick;
}

std::optional<RunLoop::Clock::time_point> RunLoop::StartDueChecks()
{
    // A full output holds every check back until its reader reads.
    if (out_.Full())
        return std::nullopt;
    const Clock::time_point now = Clock::now();
    std::optional<Clock::time_point> earliest;
    bool room = true;
    const std::size_t count = schedules_.size();
    // Round by round from where the last round's starts ended, so that a
    // pool too small for every due check serves the targets in turn.
    const std::size_t first = nextToStart_;
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t target = (first + k) % count;
        Schedule &schedule = schedules_[target];
        if (schedule.inFlight || Finished(target))
            continue;
        if (schedule.next > now) {
            earliest = earliest ? std::min(*earliest, schedule.next) : schedule.next;
            continue;
        }
        // Due: it waits for a result (a free thread), not for time.
        if (room && pool_.Start(target)) {
            schedule.inFlight = true;
            schedule.due = schedule.next;
            // Until the check says when it really started.
            schedule.next = now + settings_.interval;
            ++inFlight_;
            nextToStart_ = (target + 1) % count;
        } else {
            room = false;
        }
    }
    return earliest;
}

bool RunLoop::Finished(std::size_t target) const
{
    return settings_.count != 0 && fleet_.Counted(target) >= settings_.count;
}

bool RunLoop::AllCounted() const
{
    if (settings_.count == 0)
        return false;
    for (std::size_t target = 0; target < schedules_.size(); ++target) {
        if (!Finished(target))
            return false;
    }
    return true;
}

void RunLoop::BeginStop()
{
    if (stopping_)
        return;
    stopping_ = true;
    stoppedAt_ = Clock::now();
    pool_.CancelRunning();
}

void RunLoop::TakeSignals()
{
    const SignalPipe::Requests requests = signalPipe_.Take();
    if (requests.statistics)
        fleet_.PrintStatistics();
    if (requests.stop)
        BeginStop();
}

bool RunLoop::WaitForOutput(std::initializer_list<OutputQueue *> queues, std::chrono::milliseconds afterStop)
{
    while (true) {
        const bool idle = std::all_of(queues.begin(), queues.end(), [](const OutputQueue *queue) { return queue->Idle(); });
        if (idle)
            return true;
        Clock::time_point deadline = stoppedAt_ + afterStop;
        if (stopping_ && Clock::now() >= deadline) {
            // The stop's time is up. A reader that does not read is given
            // up now; text its descriptor would take at once only waits for
            // the writing thread to run, which on a loaded machine may take
            // a while: that is waited for, within a bound.
            const bool flowing = std::any_of(queues.begin(), queues.end(),
                                             [](const OutputQueue *queue) { return !queue->Idle() && queue->HasRoom(); });
            if (!flowing || Clock::now() >= stoppedAt_ + kFlowingAfterStop)
                return false;
            deadline = Clock::now() + std::chrono::milliseconds(5);
        }
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

void RunLoop::TakeResults()
{
    for (const auto &[target, result] : pool_.TakeResults()) {
        Schedule &schedule = schedules_[target];
        schedule.inFlight = false;
        --inFlight_;
        // The next check starts an interval after this one started on the
        // pool's thread (the probe reads the same steady clock), so the
        // wake-up of that thread cannot bring two starts closer than the
        // interval.
        if (result.startedMonotonic.count() != 0) {
            const Clock::time_point started(std::chrono::duration_cast<Clock::duration>(result.startedMonotonic));
            schedule.next = started + settings_.interval;
            if (settings_.lateness)
                settings_.lateness(started - schedule.due);
        }
        const bool interrupted = stopping_ && !result.ok && result.errorCode == WSAEINTR;
        if (!interrupted)
            fleet_.Take(target, result);
    }
    fleet_.AfterResults();
}
