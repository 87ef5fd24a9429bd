#include "RecordingView.h"

#include "base/Exception.h"

#include <algorithm>

void FakeTimer::SetEnabled(bool value)
{
    if (value == enabled_)
        return;
    enabled_ = value;
    Rearm();
}

void FakeTimer::SetInterval(std::uint32_t milliseconds)
{
    if (milliseconds == interval_)
        return;
    interval_ = milliseconds;
    Rearm();
}

void FakeTimer::SetOnTimer(std::function<void()> handler)
{
    onTimer_ = std::move(handler);
    Rearm();
}

void FakeTimer::Rearm()
{
    armed_ = false;
    if (!enabled_ || interval_ == 0 || !onTimer_)
        return;
    if (armingFails_)
        throw EOutOfResources("Not enough timers available");
    armed_ = true;
    ++starts_;
}

bool FakeTimer::Fire()
{
    if (!armed_)
        return false;
    const auto handler = onTimer_;
    handler();
    return true;
}

QString ColorText(TColor color)
{
    switch (color) {
    case clStatusWaiting: return QStringLiteral("yellow");
    case clStatusChecking: return QStringLiteral("orange");
    case clStatusOnline: return QStringLiteral("lime");
    case clStatusOffline: return QStringLiteral("red");
    default: return QStringLiteral("0x%1").arg(color, 8, 16, QLatin1Char('0'));
    }
}

namespace {

QString Flag(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

void RecordingView::Record(const QString &entry)
{
    log << entry;
    if (log.size() - 1 == failAt_)
        throw EInvalidOperation("injected fault");
}

void RecordingView::SetWindowColor(TColor color)
{
    Record(QStringLiteral("Form1.Color := ") + ColorText(color));
    windowColor = color;
}

void RecordingView::SetGaugeBackColor(TColor color)
{
    Record(QStringLiteral("Gauge1.BackColor := ") + ColorText(color));
    gaugeBackColor = color;
}

std::int32_t RecordingView::IntervalValue()
{
    Record(QStringLiteral("SpinEdit1.Value -> %1").arg(intervalValue));
    return intervalValue;
}

void RecordingView::SetCheckTimerInterval(std::uint32_t milliseconds)
{
    Record(QStringLiteral("Timer1.Interval := %1").arg(milliseconds));
    timer1.SetInterval(milliseconds);
}

void RecordingView::SetCheckTimerEnabled(bool enabled)
{
    Record(QStringLiteral("Timer1.Enabled := ") + Flag(enabled));
    timer1.SetEnabled(enabled);
}

void RecordingView::SetTickTimerEnabled(bool enabled)
{
    Record(QStringLiteral("Timer2.Enabled := ") + Flag(enabled));
    timer2.SetEnabled(enabled);
}

std::int32_t RecordingView::ProgressBarMax()
{
    Record(QStringLiteral("ProgressBar1.Max -> %1").arg(barMax));
    return barMax;
}

void RecordingView::SetProgressBarMax(std::int32_t value)
{
    Record(QStringLiteral("ProgressBar1.Max := %1").arg(value));
    if (value < 0)
        throw EInvalidOperation("TProgressBar property out of range");
    barMax = value;
}

void RecordingView::SetProgressBarPosition(std::int32_t value)
{
    Record(QStringLiteral("ProgressBar1.Position := %1").arg(value));
    barPosition = value;
}

std::int32_t RecordingView::GaugeMaxValue()
{
    Record(QStringLiteral("Gauge1.MaxValue -> %1").arg(gaugeMax));
    return gaugeMax;
}

void RecordingView::SetGaugeMaxValue(std::int32_t value)
{
    Record(QStringLiteral("Gauge1.MaxValue := %1").arg(value));
    if (value < 0)
        throw EInvalidOperation("Value must be between 1 and 2147483647");
    gaugeMax = value;
    gaugeProgress = std::min(gaugeProgress, gaugeMax);
}

void RecordingView::SetGaugeProgress(std::int32_t value)
{
    Record(QStringLiteral("Gauge1.Progress := %1").arg(value));
    gaugeProgress = std::clamp(value, 0, gaugeMax);
}

void RecordingView::ProcessPendingEvents()
{
    Record(QStringLiteral("ProcessPendingEvents"));
    while (!pending_.empty()) {
        const auto action = std::move(pending_.front());
        pending_.pop_front();
        // The dispatch reports an error and goes on with the next event.
        try {
            action();
        } catch (const std::exception &error) {
            log << QStringLiteral("error: ") + QString::fromUtf8(error.what());
            errors << QString::fromUtf8(error.what());
        }
    }
}

bool RecordingView::CheckConnection()
{
    ++checks;
    if (onCheck)
        onCheck();
    bool result = true;
    if (!checkResults.empty()) {
        result = checkResults.front();
        checkResults.pop_front();
    }
    Record(QStringLiteral("CheckConnection -> ") + Flag(result));
    return result;
}

QString RecordingView::HostText()
{
    Record(QStringLiteral("Edit1.Text -> ") + hostText.left(40));
    return hostText;
}

void RecordingView::SetReadoutCaption(ReadoutLabel label, const QString &text)
{
    const int index = static_cast<int>(label);
    Record(QStringLiteral("Label%1.Caption := ").arg(index + 7) + text);
    readout[static_cast<std::size_t>(index)] = text;
}
