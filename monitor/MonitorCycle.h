// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "monitor/MonitorView.h"

#include <cstdint>

// The monitor's schedule: when checks run, the countdown between them on the
// bar and the gauge, and the status colours around each check.
//
// Each handler performs its steps in a fixed order, every one through the
// view. An error raised by a view step ends the handler at that step and
// propagates to the caller (the timer or the window's event dispatch, which
// report it); what the earlier steps did stays done.
//
// Re-entry happens only through MonitorView::ProcessPendingEvents, inside
// which any other handler may run to completion; the handlers switch the
// timers off around their own work for that reason.
class MonitorCycle final {
public:
    explicit MonitorCycle(MonitorView &view);

    MonitorCycle(const MonitorCycle &) = delete;
    MonitorCycle &operator=(const MonitorCycle &) = delete;

    // The window's creation handler: yellow, ranges from the interval field,
    // both timers started. The first check comes one full interval later.
    void FormCreate();
    // The check timer fell due: orange, timers off, bar and gauge full, one
    // check, lime or red, timers on again (so the next check comes a full
    // interval after this one ended).
    void Timer1Timer();
    // One second passed: the countdown goes up by one, past the bar's
    // maximum back to 0.
    void Timer2Timer();
    // The interval field changed: both timers and the countdown restart
    // with the new interval. A negative value is refused by the bar, which
    // leaves both timers off until the next change.
    void SpinEdit1Change();

    // Seconds counted since the last reset.
    std::int32_t ElapsedTicks() const { return elapsedTicks_; }

private:
    void ShowOnline();
    void ShowOffline();
    void ShowStatus(TColor color);
    void ApplyCheckInterval();

    MonitorView &view_;
    std::int32_t elapsedTicks_ = 0;
};
