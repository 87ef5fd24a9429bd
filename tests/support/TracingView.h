// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "monitor/MonitorView.h"
#include "monitor/ProbeView.h"

#include <QString>

#include <array>
#include <cstdint>

// The monitor's view without a window, telling every operation as one line:
//   "Form1.Color := orange"      a write
//   "ProgressBar1.Max -> 30"     a read, with the value it returned
//   "ProcessPendingEvents", "CheckConnection -> true"
// It keeps the colours, the readout and plain values for the bar and the gauge
// with those controls' range rules (the bar refuses a negative maximum, the
// gauge clamps its progress). Where the lines go, what the timers are, how
// pending events are dispatched and how a check is made is the subclass's.
class TracingView : public MonitorView, public ProbeView {
public:
    std::int32_t intervalValue = 30;        // SpinEdit1.Value
    QString hostText;                       // Edit1.Text

    TColor windowColor = clStatusWaiting;
    TColor gaugeBackColor = clStatusWaiting;
    std::int32_t barMax = 100, barPosition = 0;
    std::int32_t gaugeMax = 100, gaugeProgress = 0;
    std::array<QString, 5> readout;         // Label7 .. Label11
    int checks = 0;

    // MonitorView
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

    // ProbeView
    QString HostText() override;
    void SetReadoutCaption(ReadoutLabel label, const QString &text) override;

protected:
    // One line per operation; may raise to make the operation fail.
    virtual void Trace(const QString &line) = 0;

    virtual void ApplyCheckTimerInterval(std::uint32_t milliseconds) = 0;
    virtual void ApplyCheckTimerEnabled(bool enabled) = 0;
    virtual void ApplyTickTimerEnabled(bool enabled) = 0;
    virtual void DispatchPendingEvents() = 0;
    virtual bool MakeCheck() = 0;
};

// The name of a status colour ("yellow", "orange", "lime", "red"), else hex.
QString StatusColorName(TColor color);

// The text with control characters shown as \xNN, so that whatever was typed
// cannot steer the terminal the lines go to.
QString PrintableText(const QString &text);
