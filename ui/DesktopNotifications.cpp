// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
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

void DesktopNotifications::Fall(const Notice &notice)
{
    if (fallback_)
        fallback_(notice.title, notice.body);
}

void DesktopNotifications::Notify(NoticeKind kind, const QString &title, const QString &body)
{
    const Notice notice{title, body};
    if (!bus_.isConnected()) {
        Fall(notice);
        return;
    }
    Kind &own = kinds_[kind == NoticeKind::Lost ? 0 : 1];
    if (own.unanswered) {
        own.waiting = notice;
        return;
    }
    Send(own, notice);
}

void DesktopNotifications::Send(Kind &kind, const Notice &notice)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                                       QString::fromLatin1(kInterface), QStringLiteral("Notify"));
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), QStringLiteral("example.varnholt.Kelvora")},
        {QStringLiteral("urgency"), QVariant::fromValue<uchar>(1)},
    };
    // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout
    call << QStringLiteral("Kelvora") << kind.lastId << QStringLiteral("kelvora") << notice.title << notice.body
         << QStringList() << hints << -1;
    kind.unanswered = true;
    auto *watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, &kind, watcher, notice] {
        CallGuarded([&] { Answered(kind, notice, *watcher); });
        watcher->deleteLater();
    });
}

void DesktopNotifications::Answered(Kind &kind, const Notice &notice, const QDBusPendingCall &call)
{
    kind.unanswered = false;
    const QDBusPendingReply<uint> reply = call;
    if (reply.isError())
        Fall(notice);
    else
        kind.lastId = reply.value();
    if (kind.waiting) {
        const Notice next = *kind.waiting;
        kind.waiting.reset();
        if (bus_.isConnected())
            Send(kind, next);
        else
            Fall(next);
    }
}
