// SPDX-License-Identifier: MIT
#pragma once

#include "ui/StateNotifier.h"

#include <QDBusConnection>
#include <QObject>

#include <functional>

// Notifications through the freedesktop notification service
// (org.freedesktop.Notifications) on the session bus, which desktops on X11
// and on Wayland alike provide, with or without a tray. Each notification
// replaces the program's previous one, so "restored" takes the place of
// "lost". Calls are asynchronous: the window's thread never waits for the
// bus. When there is no bus or the service answers with an error (none
// running), the message goes to `fallback` (the tray icon's balloon, where
// there is a tray) instead.
class DesktopNotifications final : public QObject, public NotificationSink {
    Q_OBJECT
public:
    using Fallback = std::function<void(const QString &title, const QString &body)>;

    explicit DesktopNotifications(QDBusConnection bus, Fallback fallback = {}, QObject *parent = nullptr);

    void Notify(const QString &title, const QString &body) override;

    static constexpr const char *kService = "org.freedesktop.Notifications";
    static constexpr const char *kPath = "/org/freedesktop/Notifications";
    static constexpr const char *kInterface = "org.freedesktop.Notifications";

private:
    void Fall(const QString &title, const QString &body);

    QDBusConnection bus_;
    Fallback fallback_;
    uint lastId_ = 0;
};
