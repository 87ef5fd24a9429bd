#pragma once

#include "monitor/MonitorView.h"
#include "monitor/ProbeView.h"

#include <QString>
#include <QStringList>

#include <array>
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

// A window stand-in that records every view operation, in order, as text:
//   "Form1.Color := orange"      a write
//   "ProgressBar1.Max -> 30"     a read, with the value it returned
//   "ProcessPendingEvents", "CheckConnection -> true"
//   "error: <message>"           an error the event dispatch caught
// Its bar and gauge keep the controls' range rules, its timers are FakeTimers,
// and ProcessPendingEvents runs the actions queued with Post(), nested, each
// guarded as the real dispatch is.
class RecordingView final : public MonitorView, public ProbeView {
public:
    // --- scripting
    std::int32_t intervalValue = 30;        // SpinEdit1.Value
    QString hostText;                       // Edit1.Text
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

    TColor windowColor = clYellow;
    TColor gaugeBackColor = clYellow;
    std::int32_t barMax = 100, barPosition = 0;
    std::int32_t gaugeMax = 100, gaugeProgress = 0;
    FakeTimer timer1, timer2;
    std::array<QString, 5> readout;
    int checks = 0;

    // --- MonitorView
    void SetWindowColor(TColor color) override;
    void SetGaugeBackColor(TColor color) override;
    std::int32_t IntervalValue() override;
    void SetCheckTimerInterval(std::uint32_t milliseconds) override;
    void SetCheckTimerEnabled(bool enabled) override;
    void SetTickTimerEnabled(bool enabled) override;
    std::int32_t ProgressBarMax() override;
    void SetProgressBarMax(std::int32_t value) override;
    void SetProgressBarPosition(std::int32_t value) override;
    std::int32_t GaugeMaxValue() override;
    void SetGaugeMaxValue(std::int32_t value) override;
    void SetGaugeProgress(std::int32_t value) override;
    void ProcessPendingEvents() override;
    bool CheckConnection() override;

    // --- ProbeView
    QString HostText() override;
    void SetReadoutCaption(ReadoutLabel label, const QString &text) override;

private:
    void Record(const QString &entry);

    std::deque<std::function<void()>> pending_;
    int failAt_ = -1;
};

// Text of a colour as the log shows it: the status colour's name, or hex.
QString ColorText(TColor color);
