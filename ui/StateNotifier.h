// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "monitor/CheckResult.h"

#include <QString>

#include <chrono>
#include <optional>

// The kinds of notice: a notice replaces the previous one of its kind only,
// so the notice of the return does not wipe out the reason of the loss.
enum class NoticeKind { Lost, Restored };

// Where notifications go: the desktop's notification service
// (DesktopNotifications.h); tests stand in a recorder.
class NotificationSink {
public:
    virtual ~NotificationSink() = default;
    virtual void Notify(NoticeKind kind, const QString &title, const QString &body) = 0;
};

// Tells the desktop when the connection goes from up to down or back:
// "Связь потеряна: <host>" with the reason, "Связь восстановлена: <host>"
// with how long the outage lasted, each naming the host of the checks. The
// first check of the run (and of a new session, after Restart) sets the
// state without a notification. While switched off, changes are followed but
// not told. The sink is borrowed and must outlive the notifier.
class StateNotifier final {
public:
    explicit StateNotifier(NotificationSink &sink);

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }

    // After every check; `endedOutage` is the length of the outage a
    // successful check has just ended (empty otherwise).
    void CheckFinished(const QString &host, const CheckResult &result,
                       std::optional<std::chrono::nanoseconds> endedOutage);

    // A new session (of another target) begins: its first check is again
    // a first check.
    void Restart() { lastOk_.reset(); }

private:
    NotificationSink &sink_;
    bool enabled_ = true;
    std::optional<bool> lastOk_;
};
