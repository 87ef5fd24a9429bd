// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "ui/StateNotifier.h"

#include <QDBusConnection>
#include <QObject>

#include <array>
#include <functional>
#include <optional>

// Notifications through the freedesktop notification service
// (org.freedesktop.Notifications) on the session bus, which desktops on X11
// and on Wayland alike provide, with or without a tray. Each notification
// replaces the program's previous one of its kind, so the desktop keeps one
// loss notice and one return notice at most. Calls are asynchronous: the
// window's thread never waits for the bus. A notice asked for while the
// previous one of its kind is still unanswered waits for that answer (it
// carries the id to replace); of several waiting, the newest is sent. When
// there is no bus or the service answers with an error (none running), the
// message goes to `fallback` (the tray icon's balloon, where there is a
// tray) instead.
class DesktopNotifications final : public QObject, public NotificationSink {
    Q_OBJECT
public:
    using Fallback = std::function<void(const QString &title, const QString &body)>;

    explicit DesktopNotifications(QDBusConnection bus, Fallback fallback = {}, QObject *parent = nullptr);

    void Notify(NoticeKind kind, const QString &title, const QString &body) override;

    static constexpr const char *kService = "org.freedesktop.Notifications";
    static constexpr const char *kPath = "/org/freedesktop/Notifications";
    static constexpr const char *kInterface = "org.freedesktop.Notifications";

private:
    struct Notice {
        QString title;
        QString body;
    };
    // The notices of one kind.
    struct Kind {
        uint lastId = 0;
        bool unanswered = false;
        std::optional<Notice> waiting;
    };

    void Send(Kind &kind, const Notice &notice);
    void Answered(Kind &kind, const Notice &notice, const QDBusPendingCall &call);
    void Fall(const Notice &notice);

    QDBusConnection bus_;
    Fallback fallback_;
    std::array<Kind, 2> kinds_;
};
