// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/StateNotifier.h"

#include <QCoreApplication>

#include "ui/SessionTexts.h"

StateNotifier::StateNotifier(NotificationSink &sink) : sink_(sink) {}

void StateNotifier::CheckFinished(const QString &host, const CheckResult &result,
                                  std::optional<std::chrono::nanoseconds> endedOutage)
{
    const bool changed = lastOk_ && *lastOk_ != result.ok;
    lastOk_ = result.ok;
    if (!changed || !enabled_)
        return;
    if (!result.ok) {
        sink_.Notify(NoticeKind::Lost, QCoreApplication::translate("Notifications", "Connection lost: %1").arg(host), SessionTexts::Reason(result));
        return;
    }
    const QString body = endedOutage ? QCoreApplication::translate("Notifications", "Was offline for %1").arg(SessionTexts::Duration(*endedOutage))
                                     : QCoreApplication::translate("Notifications", "Connected");
    sink_.Notify(NoticeKind::Restored, QCoreApplication::translate("Notifications", "Connection restored: %1").arg(host), body);
}
