// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "monitor/SuspendClock.h"

#include <QTest>

using namespace std::chrono;

class TestSuspendClock : public QObject {
    Q_OBJECT

private slots:
    void sleptBetween_data();
    void sleptBetween();
    void theRealClocksAgreeWhileAwake();
};

void TestSuspendClock::sleptBetween_data()
{
    QTest::addColumn<qint64>("awakeMs");
    QTest::addColumn<qint64>("passedMs");
    QTest::addColumn<qint64>("sleptMs");
    QTest::newRow("awake the whole time") << qint64(30'000) << qint64(30'000) << qint64(0);
    QTest::newRow("an hour asleep") << qint64(30'000) << qint64(3'630'000) << qint64(3'600'000);
    QTest::newRow("reading jitter is no sleep") << qint64(30'000) << qint64(30'400) << qint64(0);
    QTest::newRow("exactly the shortest sleep") << qint64(0) << qint64(1000) << qint64(1000);
    QTest::newRow("clocks read backwards") << qint64(-5) << qint64(10'000) << qint64(0);
    QTest::newRow("boottime behind monotonic") << qint64(10'000) << qint64(5'000) << qint64(0);
}

void TestSuspendClock::sleptBetween()
{
    QFETCH(qint64, awakeMs);
    QFETCH(qint64, passedMs);
    QFETCH(qint64, sleptMs);
    const ClockReading earlier{seconds(1000), seconds(4000)};
    const ClockReading later{earlier.monotonic + milliseconds(awakeMs), earlier.boottime + milliseconds(passedMs)};
    QCOMPARE(SleptBetween(earlier, later), nanoseconds(milliseconds(sleptMs)));
}

void TestSuspendClock::theRealClocksAgreeWhileAwake()
{
    const SuspendClock clock;
    const ClockReading first = clock.Read();
    const ClockReading second = clock.Read();
    QVERIFY(second.monotonic >= first.monotonic);
    QVERIFY(second.boottime >= first.boottime);
    // CLOCK_BOOTTIME never runs behind CLOCK_MONOTONIC.
    QVERIFY(second.boottime >= second.monotonic);
    QCOMPARE(SleptBetween(first, second), nanoseconds(0));
}

QTEST_GUILESS_MAIN(TestSuspendClock)
#include "tst_suspendclock.moc"
