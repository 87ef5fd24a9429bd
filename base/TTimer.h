// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>

// A timer component whose events arrive through the owning thread's event loop.
//
// - It is armed exactly when Enabled is true, Interval is not 0 and an OnTimer
//   handler is assigned.
// - Writing Enabled or Interval with the value it holds does nothing; writing
//   a new value, and every assignment of OnTimer, disarms the timer and arms it
//   afresh if it still may be: the first event comes a full Interval later.
// - While armed, an event falls due every Interval milliseconds; one that falls
//   due while the thread is busy is delivered once, missed periods are dropped.
// - If the platform cannot arm it, the write raises EOutOfResources "Not enough
//   timers available"; Enabled already holds its new value then.
// - An error raised by OnTimer goes to HandleException; Enabled and Interval
//   stay as the handler left them.
// Any Interval up to 4294967295 ms falls due after (about) that period, never
// early, although the toolkit's own timers only count to 2^31 - 1 ms.
//
// How the platform arms the timer is passed in: ArmToolkitTimer, the default,
// starts the toolkit's timer; tests pass one that can fail.
class TTimer final : public QObject {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void()>;
    // Starts `timer` with a period of `milliseconds` (0 to 2^31 - 1) and says
    // whether it now runs.
    using Arming = std::function<bool(QTimer &timer, int milliseconds)>;

    static bool ArmToolkitTimer(QTimer &timer, int milliseconds);

    // An empty `arming` stands for the default.
    explicit TTimer(QObject *owner = nullptr, Arming arming = ArmToolkitTimer);
    ~TTimer() override;

    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool value);

    std::uint32_t Interval() const noexcept { return interval_; }
    void SetInterval(std::uint32_t milliseconds);

    const TNotifyEvent &OnTimer() const noexcept { return onTimer_; }
    void SetOnTimer(TNotifyEvent handler);

    // True while events are due to come.
    bool Armed() const noexcept { return timer_.isActive(); }

private:
    void Rearm();
    bool StartSlice();
    void SliceElapsed();
    void Deliver();

    QTimer timer_;
    Arming arming_;
    bool enabled_ = true;
    std::uint32_t interval_ = 1000;
    TNotifyEvent onTimer_;
    // Periods longer than the toolkit's timers can hold are counted in slices
    // against this deadline.
    std::chrono::steady_clock::time_point dueAt_;
};
