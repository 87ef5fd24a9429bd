// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "support/TracingView.h"

#include "base/Exception.h"

#include <algorithm>

namespace {

QString Flag(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

QString StatusColorName(TColor color)
{
    switch (color) {
    case clStatusWaiting: return QStringLiteral("yellow");
    case clStatusChecking: return QStringLiteral("orange");
    case clStatusOnline: return QStringLiteral("lime");
    case clStatusOffline: return QStringLiteral("red");
    default: return QStringLiteral("0x%1").arg(color, 8, 16, QLatin1Char('0'));
    }
}

QString PrintableText(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0))
            result += QStringLiteral("\\x%1").arg(unsigned{u}, 2, 16, QLatin1Char('0'));
        else
            result += c;
    }
    return result;
}

void TracingView::SetWindowColor(TColor color)
{
    Trace(QStringLiteral("Form1.Color := ") + StatusColorName(color));
    windowColor = color;
}

void TracingView::SetGaugeBackColor(TColor color)
{
    Trace(QStringLiteral("Gauge1.BackColor := ") + StatusColorName(color));
    gaugeBackColor = color;
}

std::int32_t TracingView::IntervalValue()
{
    Trace(QStringLiteral("SpinEdit1.Value -> %1").arg(intervalValue));
    return intervalValue;
}

void TracingView::SetCheckTimerInterval(std::uint32_t milliseconds)
{
    Trace(QStringLiteral("Timer1.Interval := %1").arg(milliseconds));
    ApplyCheckTimerInterval(milliseconds);
}

void TracingView::SetCheckTimerEnabled(bool enabled)
{
    Trace(QStringLiteral("Timer1.Enabled := ") + Flag(enabled));
    ApplyCheckTimerEnabled(enabled);
}

void TracingView::SetTickTimerEnabled(bool enabled)
{
    Trace(QStringLiteral("Timer2.Enabled := ") + Flag(enabled));
    ApplyTickTimerEnabled(enabled);
}

std::int32_t TracingView::ProgressBarMax()
{
    Trace(QStringLiteral("ProgressBar1.Max -> %1").arg(barMax));
    return barMax;
}

void TracingView::SetProgressBarMax(std::int32_t value)
{
    Trace(QStringLiteral("ProgressBar1.Max := %1").arg(value));
    if (value < 0)
        throw EInvalidOperation("TProgressBar property out of range");
    barMax = value;
}

void TracingView::SetProgressBarPosition(std::int32_t value)
{
    Trace(QStringLiteral("ProgressBar1.Position := %1").arg(value));
    barPosition = value;
}

std::int32_t TracingView::GaugeMaxValue()
{
    Trace(QStringLiteral("Gauge1.MaxValue -> %1").arg(gaugeMax));
    return gaugeMax;
}

void TracingView::SetGaugeMaxValue(std::int32_t value)
{
    Trace(QStringLiteral("Gauge1.MaxValue := %1").arg(value));
    if (value < 0)
        throw EInvalidOperation("Value must be between 1 and 2147483647");
    gaugeMax = value;
    gaugeProgress = std::min(gaugeProgress, gaugeMax);
}

void TracingView::SetGaugeProgress(std::int32_t value)
{
    Trace(QStringLiteral("Gauge1.Progress := %1").arg(value));
    gaugeProgress = std::clamp(value, 0, gaugeMax);
}

void TracingView::ProcessPendingEvents()
{
    Trace(QStringLiteral("ProcessPendingEvents"));
    DispatchPendingEvents();
}

bool TracingView::CheckConnection()
{
    ++checks;
    const bool reached = MakeCheck();
    Trace(QStringLiteral("CheckConnection -> ") + Flag(reached));
    return reached;
}

QString TracingView::HostText()
{
    Trace(QStringLiteral("Edit1.Text -> \"") + PrintableText(hostText.left(80)) + QLatin1Char('"'));
    return hostText;
}

void TracingView::SetReadoutCaption(ReadoutLabel label, const QString &text)
{
    const int index = static_cast<int>(label);
    Trace(QStringLiteral("Label%1.Caption := ").arg(index + 7) + text);
    readout[static_cast<std::size_t>(index)] = text;
}
