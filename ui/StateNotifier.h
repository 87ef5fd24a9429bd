// SPDX-License-Identifier: MIT
#pragma once

#include "monitor/CheckResult.h"

#include <QString>

#include <chrono>
#include <optional>

// Where notifications go: the desktop's notification service
// (DesktopNotifications.h); tests stand in a recorder.
class NotificationSink {
public:
    virtual ~NotificationSink() = default;
    virtual void Notify(const QString &title, const QString &body) = 0;
};

// Tells the desktop when the connection goes from up to down or back:
// "Связь потеряна: <host>" with the reason, "Связь восстановлена: <host>"
// with how long the outage lasted. The first check of the run sets the state
// without a notification. While switched off, changes are followed but not
// told. The sink is borrowed and must outlive the notifier.
class StateNotifier final {
public:
    explicit StateNotifier(NotificationSink &sink);

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }

    // After every check; `endedOutage` is the length of the outage a
    // successful check has just ended (empty otherwise).
    void CheckFinished(const QString &host, const CheckResult &result,
                       std::optional<std::chrono::nanoseconds> endedOutage);

private:
    NotificationSink &sink_;
    bool enabled_ = true;
    std::optional<bool> lastOk_;
};
