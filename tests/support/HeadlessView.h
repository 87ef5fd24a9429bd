// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "support/TracingView.h"

#include "base/TTimer.h"
#include "monitor/ConnectivityProbe.h"
#include "net/TIdHTTP.h"

#include <functional>

class MonitorCycle;

// The monitor's view without a window: real timers, the real network client
// and probe, and one text line per view operation handed to a sink.
// ProcessPendingEvents dispatches what waits in the QtCore event queue.
// Builds the network client, so the socket stack must be selectable before
// construction.
class HeadlessView final : public TracingView {
public:
    using LineSink = std::function<void(const QString &line)>;

    HeadlessView(QString host, std::int32_t intervalSeconds, LineSink sink);
    ~HeadlessView() override;

    // Makes the timers call the cycle's handlers; errors they raise go to
    // the error report, as for any timer.
    void Attach(MonitorCycle &cycle);

    // Runs after each check, before the cycle shows its result.
    std::function<void()> onCheckDone;

protected:
    void Trace(const QString &line) override;
    void ApplyCheckTimerInterval(std::uint32_t milliseconds) override;
    void ApplyCheckTimerEnabled(bool enabled) override;
    void ApplyTickTimerEnabled(bool enabled) override;
    void DispatchPendingEvents() override;
    bool MakeCheck() override;

private:
    LineSink sink_;
    TTimer timer1_;
    TTimer timer2_;
    TIdHTTP client_;
    ConnectivityProbe probe_;
};
