// SPDX-License-Identifier: MIT
#include "ui/DesktopNotifications.h"

#include "base/ErrorReport.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

DesktopNotifications::DesktopNotifications(QDBusConnection bus, Fallback fallback, QObject *parent)
    : QObject(parent), bus_(std::move(bus)), fallback_(std::move(fallback))
{
}

void DesktopNotifications::Fall(const QString &title, const QString &body)
{
    if (fallback_)
        fallback_(title, body);
}

void DesktopNotifications::Notify(const QString &title, const QString &body)
{
    if (!bus_.isConnected()) {
        Fall(title, body);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                                       QString::fromLatin1(kInterface), QStringLiteral("Notify"));
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), QStringLiteral("example.varnholt.Kelvora")},
        {QStringLiteral("urgency"), QVariant::fromValue<uchar>(1)},
    };
    // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout
    call << QStringLiteral("Kelvora") << lastId_ << QStringLiteral("kelvora") << title << body << QStringList()
         << hints << -1;
    auto *watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, title, body] {
        CallGuarded([&] {
            const QDBusPendingReply<uint> reply = *watcher;
            if (reply.isError())
                Fall(title, body);
            else
                lastId_ = reply.value();
        });
        watcher->deleteLater();
    });
}
