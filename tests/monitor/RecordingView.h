// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "support/TracingView.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <functional>

// A timer with the timer component's arming rules and no clock: armed exactly
// when enabled with a non-zero interval and a handler; writing the value it
// holds does nothing; a new value restarts the count, which Starts() counts.
class FakeTimer final {
public:
    bool Enabled() const { return enabled_; }
    std::uint32_t Interval() const { return interval_; }
    bool Armed() const { return armed_; }
    int Starts() const { return starts_; }

    void SetEnabled(bool value);
    void SetInterval(std::uint32_t milliseconds);
    void SetOnTimer(std::function<void()> handler);
    // While set, arming raises EOutOfResources "Not enough timers available"
    // after the new value is stored.
    void SetArmingFails(bool fails) { armingFails_ = fails; }
    // Delivers one event, as the event loop would; false when not armed.
    bool Fire();

private:
    void Rearm();

    bool enabled_ = false;
    std::uint32_t interval_ = 1000;
    std::function<void()> onTimer_;
    bool armed_ = false;
    bool armingFails_ = false;
    int starts_ = 0;
};

// A window stand-in that records every view operation, in order, in `log`
// (the lines TracingView describes), plus "error: <message>" for an error the
// event dispatch caught. Its timers are FakeTimers, and ProcessPendingEvents
// runs the actions queued with Post(), nested, each guarded as the real
// dispatch is.
class RecordingView final : public TracingView {
public:
    // --- scripting
    std::deque<bool> checkResults;          // results of CheckConnection; true when empty
    std::function<void()> onCheck;          // runs inside CheckConnection (to look at the view)

    // Queues an action for the next ProcessPendingEvents.
    void Post(std::function<void()> action) { pending_.push_back(std::move(action)); }
    // The operation that would be recorded as entry `index` of log raises
    // EInvalidOperation "injected fault" instead of taking effect.
    void FailAtEntry(int index) { failAt_ = index; }

    // --- what it recorded
    QStringList log;
    QStringList errors;                     // messages caught by the dispatch
    FakeTimer timer1, timer2;

protected:
    void Trace(const QString &line) override;
    void ApplyCheckTimerInterval(std::uint32_t milliseconds) override { timer1.SetInterval(milliseconds); }
    void ApplyCheckTimerEnabled(bool enabled) override { timer1.SetEnabled(enabled); }
    void ApplyTickTimerEnabled(bool enabled) override { timer2.SetEnabled(enabled); }
    void DispatchPendingEvents() override;
    bool MakeCheck() override;

private:
    std::deque<std::function<void()>> pending_;
    int failAt_ = -1;
};

// Text of a colour as the log shows it: the status colour's name, or hex.
inline QString ColorText(TColor color) { return StatusColorName(color); }
