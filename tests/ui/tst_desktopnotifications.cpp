// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// Notifications over D-Bus to a stand-in for the desktop's notification
// service on a private bus of the test's own, and the fallback when there is
// no service or no bus.

#include "ui/DesktopNotifications.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

namespace {

// What a notification service was asked.
struct Request {
    QString app;
    uint replaces = 0;
    QString icon;
    QString summary;
    QString body;
    QVariantMap hints;
    int timeout = 0;
};

class FakeNotifications final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QList<Request> requests;

public slots:
    uint Notify(const QString &app, uint replaces, const QString &icon, const QString &summary, const QString &body,
                const QStringList &, const QVariantMap &hints, int timeout)
    {
        requests.push_back({app, replaces, icon, summary, body, hints, timeout});
        return 40 + uint(requests.size());
    }
};

} // namespace

class TestDesktopNotifications : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void eachNoticeReplacesTheLastOneOfItsKind();
    void withoutAServiceTheFallbackTakesIt();
    void withoutABusTheFallbackTakesIt();

private:
    QProcess daemon_;
    QString address_;
};

void TestDesktopNotifications::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
        QSKIP("dbus-daemon is not installed");
    daemon_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                  QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    QVERIFY(daemon_.waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(daemon_.canReadLine(), 10000);
    address_ = QString::fromLocal8Bit(daemon_.readLine()).trimmed();
    QVERIFY(!address_.isEmpty());
}

void TestDesktopNotifications::cleanupTestCase()
{
    QDBusConnection::disconnectFromBus(QStringLiteral("service"));
    QDBusConnection::disconnectFromBus(QStringLiteral("client"));
    QDBusConnection::disconnectFromBus(QStringLiteral("lonely"));
    if (daemon_.state() != QProcess::NotRunning) {
        daemon_.terminate();
        daemon_.waitForFinished(5000);
    }
}

void TestDesktopNotifications::eachNoticeReplacesTheLastOneOfItsKind()
{
    QDBusConnection service = QDBusConnection::connectToBus(address_, QStringLiteral("service"));
    QVERIFY(service.isConnected());
    FakeNotifications fake;
    QVERIFY(service.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &fake,
                                   QDBusConnection::ExportAllSlots));
    QVERIFY(service.registerService(QStringLiteral("org.freedesktop.Notifications")));

    QStringList fallen;
    DesktopNotifications notifications(QDBusConnection::connectToBus(address_, QStringLiteral("client")),
                                       [&](const QString &title, const QString &) { fallen << title; });
    // Two losses at once: the second waits for the first's id and replaces it.
    notifications.Notify(NoticeKind::Lost, QStringLiteral("Связь потеряна: 127.0.0.1"),
                         QStringLiteral("Соединение отклонено"));
    notifications.Notify(NoticeKind::Lost, QStringLiteral("Связь потеряна: 127.0.0.1"), QStringLiteral("Узел не найден"));
    QTRY_COMPARE(fake.requests.size(), 2);
    const Request &first = fake.requests.front();
    QCOMPARE(first.app, QStringLiteral("Kelvora"));
    QCOMPARE(first.replaces, 0u);
    QCOMPARE(first.summary, QStringLiteral("Связь потеряна: 127.0.0.1"));
    QCOMPARE(first.body, QStringLiteral("Соединение отклонено"));
    QCOMPARE(first.hints.value(QStringLiteral("desktop-entry")).toString(), QStringLiteral("example.varnholt.Kelvora"));
    QCOMPARE(first.timeout, -1);
    QCOMPARE(fake.requests.at(1).replaces, 41u);
    QCOMPARE(fake.requests.at(1).body, QStringLiteral("Узел не найден"));
    // The return is a notice of its own: the loss's reason stays on screen.
    notifications.Notify(NoticeKind::Restored, QStringLiteral("Связь восстановлена: 127.0.0.1"),
                         QStringLiteral("Связи не было 3,004 с"));
    QTRY_COMPARE(fake.requests.size(), 3);
    QCOMPARE(fake.requests.at(2).replaces, 0u);
    // The next of each kind replaces the latest of its own kind.
    notifications.Notify(NoticeKind::Lost, QStringLiteral("Связь потеряна: 127.0.0.1"),
                         QStringLiteral("Соединение отклонено"));
    QTRY_COMPARE(fake.requests.size(), 4);
    QCOMPARE(fake.requests.at(3).replaces, 42u);
    notifications.Notify(NoticeKind::Restored, QStringLiteral("Связь восстановлена: 127.0.0.1"),
                         QStringLiteral("Связи не было 1,000 с"));
    QTRY_COMPARE(fake.requests.size(), 5);
    QCOMPARE(fake.requests.at(4).replaces, 43u);
    QVERIFY(fallen.isEmpty());
    service.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    service.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
}

void TestDesktopNotifications::withoutAServiceTheFallbackTakesIt()
{
    QStringList fallen;
    DesktopNotifications notifications(QDBusConnection::connectToBus(address_, QStringLiteral("lonely")),
                                       [&](const QString &title, const QString &body) { fallen << title + "|" + body; });
    notifications.Notify(NoticeKind::Lost, QStringLiteral("Связь потеряна: h"), QStringLiteral("Узел не найден"));
    QTRY_COMPARE(fallen, QStringList{"Связь потеряна: h|Узел не найден"});
}

void TestDesktopNotifications::withoutABusTheFallbackTakesIt()
{
    QStringList fallen;
    DesktopNotifications notifications(QDBusConnection(QStringLiteral("never connected")),
                                       [&](const QString &title, const QString &) { fallen << title; });
    notifications.Notify(NoticeKind::Restored, QStringLiteral("Связь восстановлена: h"), QStringLiteral("Связь есть"));
    QCOMPARE(fallen, QStringList{"Связь восстановлена: h"});
    // And without a fallback, nothing happens at all.
    DesktopNotifications silent(QDBusConnection(QStringLiteral("never connected")));
    silent.Notify(NoticeKind::Lost, QStringLiteral("t"), QStringLiteral("b"));
}

QTEST_GUILESS_MAIN(TestDesktopNotifications)
#include "tst_desktopnotifications.moc"
