// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "base/TTimer.h"

#include "base/ErrorReport.h"
#include "base/Exception.h"

#include <algorithm>

namespace {

// The longest slice handed to the toolkit's timer at once: well inside the
// 2^31 - 1 ms it can hold, and short enough to re-check the deadline daily.
constexpr std::uint32_t kMaxSliceMs = 24u * 60u * 60u * 1000u;

} // namespace

bool TTimer::ArmToolkitTimer(QTimer &timer, int milliseconds)
{
    timer.start(milliseconds);
    return timer.isActive();
}

TTimer::TTimer(QObject *owner, Arming arming)
    : QObject(owner), arming_(arming ? std::move(arming) : Arming(ArmToolkitTimer))
{
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &TTimer::SliceElapsed);
}

TTimer::~TTimer() = default;

void TTimer::SetEnabled(bool value)
{
    if (value == enabled_)
        return;
    enabled_ = value;
    Rearm();
}

void TTimer::SetInterval(std::uint32_t milliseconds)
{
    if (milliseconds == interval_)
        return;
    interval_ = milliseconds;
    Rearm();
}

void TTimer::SetOnTimer(TNotifyEvent handler)
{
    onTimer_ = std::move(handler);
    Rearm();
}

void TTimer::Rearm()
{
    timer_.stop();
    if (!enabled_ || interval_ == 0 || !onTimer_)
        return;
    dueAt_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(interval_);
    if (!StartSlice()) {
        timer_.stop();
        throw EOutOfResources("Not enough timers available");
    }
}

bool TTimer::StartSlice()
{
    using namespace std::chrono;
    const auto left = ceil<milliseconds>(dueAt_ - steady_clock::now()).count();
    const auto slice = std::clamp<long long>(left, 0, kMaxSliceMs);
    // A period that fits one slice repeats on its own; a longer one is
    // re-sliced after every timeout until its deadline has passed.
    timer_.setSingleShot(interval_ > kMaxSliceMs);
    return arming_(timer_, int(interval_ > kMaxSliceMs ? slice : interval_));
}

void TTimer::SliceElapsed()
{
    if (interval_ > kMaxSliceMs) {
        const auto now = std::chrono::steady_clock::now();
        if (now < dueAt_) {
            StartSlice();
            return;
        }
        dueAt_ = now + std::chrono::milliseconds(interval_);
        StartSlice();
    }
    Deliver();
}

void TTimer::Deliver()
{
    if (onTimer_) {
        // Copy: the handler may replace itself while it runs.
        const TNotifyEvent handler = onTimer_;
        CallGuarded(handler);
    }
}
