// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "base/TColor.h"

#include <cstdint>

// The window operations through which the monitor cycle acts. The real window
// forwards each to its component (named beside it); a recording view in the
// tests captures them instead, so the cycle runs without a window.
class MonitorView {
public:
    virtual ~MonitorView() = default;

    virtual void SetWindowColor(TColor color) = 0;           // Form1.Color
    virtual void SetGaugeBackColor(TColor color) = 0;        // Gauge1.BackColor

    // SpinEdit1.Value, in seconds: 0 for empty or unreadable text.
    virtual std::int32_t IntervalValue() = 0;

    virtual void SetCheckTimerInterval(std::uint32_t milliseconds) = 0;  // Timer1.Interval
    virtual void SetCheckTimerEnabled(bool enabled) = 0;     // Timer1.Enabled
    virtual void SetTickTimerEnabled(bool enabled) = 0;      // Timer2.Enabled

    // ProgressBar1.Max, read back from the bar. The write raises
    // EInvalidOperation "TProgressBar property out of range" below 0.
    virtual std::int32_t ProgressBarMax() = 0;
    virtual void SetProgressBarMax(std::int32_t value) = 0;
    virtual void SetProgressBarPosition(std::int32_t value) = 0;  // ProgressBar1.Position

    virtual std::int32_t GaugeMaxValue() = 0;                // Gauge1.MaxValue
    virtual void SetGaugeMaxValue(std::int32_t value) = 0;
    virtual void SetGaugeProgress(std::int32_t value) = 0;   // Gauge1.Progress, clamped

    // Dispatches every event already waiting (input, timer ticks, repaints),
    // then returns; other handlers may run nested inside it.
    virtual void ProcessPendingEvents() = 0;

    // Runs one connectivity check, blocking until it ends; writes the readout.
    // True means the host was reached.
    virtual bool CheckConnection() = 0;
};
