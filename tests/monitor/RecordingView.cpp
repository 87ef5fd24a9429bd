// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "RecordingView.h"

#include "base/Exception.h"


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

void RecordingView::Trace(const QString &line)
{
    log << line;
    if (log.size() - 1 == failAt_)
        throw EInvalidOperation("injected fault");
}

void RecordingView::DispatchPendingEvents()
{
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

bool RecordingView::MakeCheck()
{
    if (onCheck)
        onCheck();
    bool result = true;
    if (!checkResults.empty()) {
        result = checkResults.front();
        checkResults.pop_front();
    }
    return result;
}
