// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "monitor/MonitorCycle.h"

#include <limits>

namespace {

// The check period in milliseconds for an interval field value in seconds.
// Values from 0 to 4294967 s give the exact product. Any other product would
// wrap to an arbitrary period, often a short one (-4294967 s to 296 ms), and
// check several times a second instead of almost never, so it is held at the
// longest period the timer can take. A negative value is refused by the bar
// and leaves the timers off, but one entered while a check runs reaches an
// enabled timer when the check ends.
std::uint32_t CheckPeriodMs(std::int32_t seconds)
{
    constexpr std::int64_t kLongest = std::numeric_limits<std::uint32_t>::max();
    const std::int64_t product = static_cast<std::int64_t>(seconds) * 1000;
    if (product < 0 || product > kLongest)
        return static_cast<std::uint32_t>(kLongest);
    return static_cast<std::uint32_t>(product);
}

} // namespace

MonitorCycle::MonitorCycle(MonitorView &view) : view_(view) {}

void MonitorCycle::ShowStatus(TColor color)
{
    // The window first, then the gauge, so both always show the same state.
    view_.SetWindowColor(color);
    view_.SetGaugeBackColor(color);
}

void MonitorCycle::ShowOnline()
{
    ShowStatus(clStatusOnline);
}

void MonitorCycle::ShowOffline()
{
    ShowStatus(clStatusOffline);
}

void MonitorCycle::ApplyCheckInterval()
{
    view_.SetCheckTimerInterval(CheckPeriodMs(view_.IntervalValue()));
}

void MonitorCycle::FormCreate()
{
    elapsedTicks_ = 0;
    ShowStatus(clStatusWaiting);
    view_.ProcessPendingEvents();
    ApplyCheckInterval();
    view_.SetProgressBarMax(view_.IntervalValue());
    view_.SetGaugeMaxValue(view_.IntervalValue());
    view_.SetCheckTimerEnabled(true);
    view_.SetTickTimerEnabled(true);
}

void MonitorCycle::Timer1Timer()
{
    ShowStatus(clStatusChecking);
    // No tick and no second check may run nested while this one is going.
    view_.SetCheckTimerEnabled(false);
    view_.SetTickTimerEnabled(false);
    view_.SetProgressBarPosition(view_.ProgressBarMax());
    view_.SetGaugeProgress(view_.GaugeMaxValue());
    // Puts the orange window and the full bar on screen before the check
    // blocks the thread.
    view_.ProcessPendingEvents();
    if (view_.CheckConnection())
        ShowOnline();
    else
        ShowOffline();
    elapsedTicks_ = 0;
    // Both were switched off above, so both counts restart from here (unless
    // an interval change nested above has switched them on already).
    view_.SetCheckTimerEnabled(true);
    view_.SetTickTimerEnabled(true);
    view_.ProcessPendingEvents();
}

void MonitorCycle::Timer2Timer()
{
    // A count at the largest value lies beyond every maximum; it goes to 0
    // here instead of overflowing.
    elapsedTicks_ = elapsedTicks_ < std::numeric_limits<std::int32_t>::max() ? elapsedTicks_ + 1 : 0;
    if (view_.ProgressBarMax() < elapsedTicks_)
        elapsedTicks_ = 0;
    view_.SetProgressBarPosition(elapsedTicks_);
    view_.SetGaugeProgress(elapsedTicks_);
    view_.ProcessPendingEvents();
}

void MonitorCycle::SpinEdit1Change()
{
    view_.SetTickTimerEnabled(false);
    view_.SetCheckTimerEnabled(false);
    ApplyCheckInterval();
    elapsedTicks_ = 0;
    // Positions go to 0 before the maxima change, so a smaller maximum never
    // meets a larger position.
    view_.SetProgressBarPosition(elapsedTicks_);
    view_.SetGaugeProgress(elapsedTicks_);
    // A negative value is refused here by the bar; the timers then stay off.
    view_.SetProgressBarMax(view_.IntervalValue());
    view_.SetGaugeMaxValue(view_.IntervalValue());
    view_.ProcessPendingEvents();
    view_.SetCheckTimerEnabled(true);
    view_.SetTickTimerEnabled(true);
}
