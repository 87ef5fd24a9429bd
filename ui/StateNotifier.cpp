// SPDX-License-Identifier: MIT
#include "ui/StateNotifier.h"

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
        sink_.Notify(NoticeKind::Lost, QStringLiteral("Связь потеряна: ") + host, SessionTexts::Reason(result));
        return;
    }
    const QString body = endedOutage ? QStringLiteral("Связи не было ") + SessionTexts::Duration(*endedOutage)
                                     : QStringLiteral("Связь есть");
    sink_.Notify(NoticeKind::Restored, QStringLiteral("Связь восстановлена: ") + host, body);
}
