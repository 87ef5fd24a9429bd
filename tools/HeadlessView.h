#pragma once

#include "base/TTimer.h"
#include "monitor/ConnectivityProbe.h"
#include "monitor/MonitorView.h"
#include "monitor/ProbeView.h"
#include "net/TIdHTTP.h"

#include <QString>

#include <array>
#include <functional>

class MonitorCycle;

// The monitor's view without a window: real timers, the real network
// client and probe, plain values for the colours, the bar and the gauge
// (with the range rules of those controls), and one text line per view
// operation handed to a sink. ProcessPendingEvents dispatches what waits in
// the QtCore event queue. Builds the network client, so the socket stack
// must be selectable before construction.
class HeadlessView final : public MonitorView, public ProbeView {
public:
    using LineSink = std::function<void(const QString &line)>;

    HeadlessView(QString host, std::int32_t intervalSeconds, LineSink sink);
    ~HeadlessView() override;

    // Makes the timers call the cycle's handlers; errors they raise go to
    // the error report, as for any timer.
    void Attach(MonitorCycle &cycle);

    void SetIntervalValue(std::int32_t seconds) { intervalValue_ = seconds; }
    TColor WindowColor() const { return windowColor_; }
    std::int32_t BarPosition() const { return barPosition_; }
    const QString &Readout() const { return readout_[4]; }
    int Checks() const { return checks_; }
    // Runs after each check, before the cycle shows its result.
    std::function<void()> onCheckDone;

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

private:
    void Emit(const QString &line);

    LineSink sink_;
    QString host_;
    std::int32_t intervalValue_;
    TColor windowColor_ = clStatusWaiting;
    TColor gaugeBackColor_ = clStatusWaiting;
    std::int32_t barMax_ = 100, barPosition_ = 0;
    std::int32_t gaugeMax_ = 100, gaugeProgress_ = 0;
    std::array<QString, 5> readout_;
    int checks_ = 0;
    TTimer timer1_;
    TTimer timer2_;
    TIdHTTP client_;
    ConnectivityProbe probe_;
};

// The name of a status colour ("yellow", "orange", "lime", "red"), else hex.
QString StatusColorName(TColor color);
