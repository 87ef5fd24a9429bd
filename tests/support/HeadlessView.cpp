// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "support/HeadlessView.h"

#include "monitor/MonitorCycle.h"

#include <QCoreApplication>

HeadlessView::HeadlessView(QString host, std::int32_t intervalSeconds, LineSink sink)
    : sink_(std::move(sink)), probe_(*this, client_)
{
    hostText = std::move(host);
    intervalValue = intervalSeconds;
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

void HeadlessView::Trace(const QString &line)
{
    if (sink_)
        sink_(line);
}

void HeadlessView::ApplyCheckTimerInterval(std::uint32_t milliseconds)
{
    timer1_.SetInterval(milliseconds);
}

void HeadlessView::ApplyCheckTimerEnabled(bool enabled)
{
    timer1_.SetEnabled(enabled);
}

void HeadlessView::ApplyTickTimerEnabled(bool enabled)
{
    timer2_.SetEnabled(enabled);
}

void HeadlessView::DispatchPendingEvents()
{
    QCoreApplication::processEvents();
}

bool HeadlessView::MakeCheck()
{
    // Told before the check too, since it may block for a long time.
    Trace(QStringLiteral("CheckConnection"));
    const bool reached = probe_.CheckConnection();
    if (onCheckDone)
        onCheckDone();
    return reached;
}
