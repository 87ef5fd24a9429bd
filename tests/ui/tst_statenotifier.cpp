// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// When the notifier tells the desktop that the connection was lost or
// restored, and what it says.

#include "ui/StateNotifier.h"

#include <QtTest>

using namespace std::chrono;

namespace {

class RecordingSink final : public NotificationSink {
public:
    QStringList told;
    void Notify(NoticeKind kind, const QString &title, const QString &body) override
    {
        // The kind goes with the title.
        QCOMPARE(kind, title.startsWith(QStringLiteral("Связь потеряна")) ? NoticeKind::Lost : NoticeKind::Restored);
        told << title + QStringLiteral(" | ") + body;
    }
};

CheckResult Check(bool ok, FailureReason reason = FailureReason::Refused)
{
    CheckResult result;
    result.ok = ok;
    result.reason = ok ? FailureReason::None : reason;
    return result;
}

} // namespace

class TestStateNotifier : public QObject {
    Q_OBJECT
private slots:
    void notifiesOnChangesBetweenUpAndDownOnly_data();
    void notifiesOnChangesBetweenUpAndDownOnly();
    void aRestartMakesTheNextCheckAFirstCheck();
};

void TestStateNotifier::notifiesOnChangesBetweenUpAndDownOnly_data()
{
    // S: success (after failures it ends an outage of 65 s), F: refused, D:
    // name not found, "off"/"on": the toggle.
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("told");
    const QString lost = QStringLiteral("Связь потеряна: example.org | Соединение отклонено");
    const QString lostName = QStringLiteral("Связь потеряна: example.org | Узел не найден");
    const QString back = QStringLiteral("Связь восстановлена: example.org | Связи не было 1 мин 05 с");
    QTest::newRow("steady up: nothing") << "S S S" << QStringList{};
    QTest::newRow("first check failing: nothing") << "F" << QStringList{};
    QTest::newRow("first check failing, then up") << "F S" << QStringList{back};
    QTest::newRow("up, then down") << "S F" << QStringList{lost};
    QTest::newRow("one notice per change, not per check") << "S F F D S S" << QStringList{lost, back};
    QTest::newRow("the reason of the first failed check") << "S D F" << QStringList{lostName};
    QTest::newRow("switched off: nothing") << "off S F S F" << QStringList{};
    QTest::newRow("switched off mid-outage") << "S F off S F" << QStringList{lost};
    QTest::newRow("switched on again: the next change") << "S off F on F S" << QStringList{back};
}

void TestStateNotifier::notifiesOnChangesBetweenUpAndDownOnly()
{
    QFETCH(QString, script);
    QFETCH(QStringList, told);
    RecordingSink sink;
    StateNotifier notifier(sink);
    QVERIFY(notifier.Enabled());
    bool down = false;
    for (const QString &step : script.split(QLatin1Char(' '))) {
        if (step == QLatin1String("off") || step == QLatin1String("on")) {
            notifier.SetEnabled(step == QLatin1String("on"));
            continue;
        }
        const bool ok = step == QLatin1String("S");
        const std::optional<nanoseconds> ended = ok && down ? std::optional<nanoseconds>(seconds(65)) : std::nullopt;
        notifier.CheckFinished(QStringLiteral("example.org"),
                               Check(ok, step == QLatin1String("D") ? FailureReason::Dns : FailureReason::Refused), ended);
        down = !ok;
    }
    QCOMPARE(sink.told, told);
}

void TestStateNotifier::aRestartMakesTheNextCheckAFirstCheck()
{
    RecordingSink sink;
    StateNotifier notifier(sink);
    notifier.CheckFinished(QStringLiteral("127.0.0.1"), Check(false), std::nullopt);
    // Another host's session: its success restores nothing, and its later
    // loss is told with its own name.
    notifier.Restart();
    notifier.CheckFinished(QStringLiteral("127.0.0.2"), Check(true), std::nullopt);
    QVERIFY(sink.told.isEmpty());
    notifier.CheckFinished(QStringLiteral("127.0.0.2"), Check(false), std::nullopt);
    QCOMPARE(sink.told, QStringList{QStringLiteral("Связь потеряна: 127.0.0.2 | Соединение отклонено")});
}

QTEST_GUILESS_MAIN(TestStateNotifier)
#include "tst_statenotifier.moc"
