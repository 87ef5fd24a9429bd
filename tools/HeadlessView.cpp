#include "HeadlessView.h"

#include "base/Exception.h"
#include "monitor/MonitorCycle.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

QString Flag(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// The text with control characters shown as \xNN, so that whatever was
// typed cannot steer the terminal the lines go to.
QString Printable(const QString &text)
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

HeadlessView::HeadlessView(QString host, std::int32_t intervalSeconds, LineSink sink)
    : sink_(std::move(sink)), host_(std::move(host)), intervalValue_(intervalSeconds),
      probe_(*this, client_)
{
    // As laid out on the window: both timers off until the cycle starts them.
    timer1_.SetEnabled(false);
    timer2_.SetEnabled(false);
}

HeadlessView::~HeadlessView() = default;

void HeadlessView::Attach(MonitorCycle &cycle)
{
    timer1_.SetOnTimer([&cycle] { cycle.Timer1Timer(); });
    timer2_.SetOnTimer([&cycle] { cycle.Timer2Timer(); });
}

void HeadlessView::Emit(const QString &line)
{
    if (sink_)
        sink_(line);
}

void HeadlessView::SetWindowColor(TColor color)
{
    Emit(QStringLiteral("Form1.Color := ") + StatusColorName(color));
    windowColor_ = color;
}

void HeadlessView::SetGaugeBackColor(TColor color)
{
    Emit(QStringLiteral("Gauge1.BackColor := ") + StatusColorName(color));
    gaugeBackColor_ = color;
}

std::int32_t HeadlessView::IntervalValue()
{
    Emit(QStringLiteral("SpinEdit1.Value -> %1").arg(intervalValue_));
    return intervalValue_;
}

void HeadlessView::SetCheckTimerInterval(std::uint32_t milliseconds)
{
    Emit(QStringLiteral("Timer1.Interval := %1").arg(milliseconds));
    timer1_.SetInterval(milliseconds);
}

void HeadlessView::SetCheckTimerEnabled(bool enabled)
{
    Emit(QStringLiteral("Timer1.Enabled := ") + Flag(enabled));
    timer1_.SetEnabled(enabled);
}

void HeadlessView::SetTickTimerEnabled(bool enabled)
{
    Emit(QStringLiteral("Timer2.Enabled := ") + Flag(enabled));
    timer2_.SetEnabled(enabled);
}

std::int32_t HeadlessView::ProgressBarMax()
{
    Emit(QStringLiteral("ProgressBar1.Max -> %1").arg(barMax_));
    return barMax_;
}

void HeadlessView::SetProgressBarMax(std::int32_t value)
{
    Emit(QStringLiteral("ProgressBar1.Max := %1").arg(value));
    if (value < 0)
        throw EInvalidOperation("TProgressBar property out of range");
    barMax_ = value;
}

void HeadlessView::SetProgressBarPosition(std::int32_t value)
{
    Emit(QStringLiteral("ProgressBar1.Position := %1").arg(value));
    barPosition_ = value;
}

std::int32_t HeadlessView::GaugeMaxValue()
{
    Emit(QStringLiteral("Gauge1.MaxValue -> %1").arg(gaugeMax_));
    return gaugeMax_;
}

void HeadlessView::SetGaugeMaxValue(std::int32_t value)
{
    Emit(QStringLiteral("Gauge1.MaxValue := %1").arg(value));
    if (value < 0)
        throw EInvalidOperation("Value must be between 1 and 2147483647");
    gaugeMax_ = value;
    gaugeProgress_ = std::min(gaugeProgress_, gaugeMax_);
}

void HeadlessView::SetGaugeProgress(std::int32_t value)
{
    Emit(QStringLiteral("Gauge1.Progress := %1").arg(value));
    gaugeProgress_ = std::clamp(value, 0, gaugeMax_);
}

void HeadlessView::ProcessPendingEvents()
{
    Emit(QStringLiteral("ProcessPendingEvents"));
    QCoreApplication::processEvents();
}

bool HeadlessView::CheckConnection()
{
    Emit(QStringLiteral("CheckConnection"));
    const bool reached = probe_.CheckConnection();
    ++checks_;
    Emit(QStringLiteral("CheckConnection -> ") + Flag(reached));
    if (onCheckDone)
        onCheckDone();
    return reached;
}

QString HeadlessView::HostText()
{
    Emit(QStringLiteral("Edit1.Text -> \"") + Printable(host_) + QLatin1Char('"'));
    return host_;
}

void HeadlessView::SetReadoutCaption(ReadoutLabel label, const QString &text)
{
    const int index = static_cast<int>(label);
    Emit(QStringLiteral("Label%1.Caption := %2").arg(index + 7).arg(text));
    readout_[static_cast<std::size_t>(index)] = text;
}
