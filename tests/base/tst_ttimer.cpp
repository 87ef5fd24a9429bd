// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "base/ErrorReport.h"
#include "base/Exception.h"
#include "base/TTimer.h"

#include <QElapsedTimer>
#include <QtTest>

#include <stdexcept>
#include <vector>

class TestTTimer : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void armedOnlyWithEnabledIntervalAndHandler();
    void deliversEventsWhileArmed();
    void writingTheSameValueDoesNotRestartTheCount();
    void writingANewValueRestartsTheCount();
    void disabledTimerDeliversNothing();
    void missedPeriodsAreDeliveredOnce();
    void armingFailureRaisesOutOfResourcesWithEnabledSet();
    void handlerErrorIsReportedAndTimerStaysAsLeft();
    void periodBeyondToolkitLimitStaysArmedAndDoesNotFireEarly();
};

void TestTTimer::cleanup()
{
    SetErrorHandler({});
}

void TestTTimer::armedOnlyWithEnabledIntervalAndHandler()
{
    TTimer timer;
    QCOMPARE(timer.Enabled(), true);
    QCOMPARE(timer.Interval(), 1000u);
    QVERIFY(!timer.Armed());                 // no handler yet
    timer.SetOnTimer([] {});
    QVERIFY(timer.Armed());
    timer.SetInterval(0);
    QVERIFY(!timer.Armed());
    timer.SetInterval(50);
    QVERIFY(timer.Armed());
    timer.SetEnabled(false);
    QVERIFY(!timer.Armed());
    timer.SetEnabled(true);
    timer.SetOnTimer({});
    QVERIFY(!timer.Armed());
}

void TestTTimer::deliversEventsWhileArmed()
{
    TTimer timer;
    int ticks = 0;
    timer.SetInterval(20);
    timer.SetOnTimer([&] { ++ticks; });
    QTRY_VERIFY_WITH_TIMEOUT(ticks >= 3, 2000);
}

void TestTTimer::writingTheSameValueDoesNotRestartTheCount()
{
    TTimer timer;
    QElapsedTimer clock;
    qint64 firedAt = -1;
    timer.SetInterval(300);
    timer.SetOnTimer([&] { if (firedAt < 0) firedAt = clock.elapsed(); });
    clock.start();
    QTest::qWait(150);
    timer.SetInterval(300);
    timer.SetEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(firedAt >= 0, 2000);
    // Restarting at 150 ms would put the first event at about 450 ms.
    QVERIFY2(firedAt < 420, qPrintable(QString::number(firedAt)));
}

void TestTTimer::writingANewValueRestartsTheCount()
{
    TTimer timer;
    QElapsedTimer clock;
    qint64 firedAt = -1;
    timer.SetInterval(300);
    timer.SetOnTimer([&] { if (firedAt < 0) firedAt = clock.elapsed(); });
    clock.start();
    QTest::qWait(150);
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(firedAt >= 0, 2000);
    QVERIFY2(firedAt >= 445, qPrintable(QString::number(firedAt)));
}

void TestTTimer::disabledTimerDeliversNothing()
{
    TTimer timer;
    int ticks = 0;
    timer.SetInterval(10);
    timer.SetOnTimer([&] { ++ticks; });
    timer.SetEnabled(false);
    QTest::qWait(100);
    QCOMPARE(ticks, 0);
}

void TestTTimer::missedPeriodsAreDeliveredOnce()
{
    TTimer timer;
    int ticks = 0;
    timer.SetInterval(10);
    timer.SetOnTimer([&] { ++ticks; });
    QTest::qSleep(200);                      // the thread is busy for 20 periods
    QCoreApplication::processEvents();
    QCOMPARE(ticks, 1);
}

void TestTTimer::armingFailureRaisesOutOfResourcesWithEnabledSet()
{
    bool fails = false;
    int arms = 0;
    TTimer timer(nullptr, [&](QTimer &toolkit, int milliseconds) {
        ++arms;
        return !fails && TTimer::ArmToolkitTimer(toolkit, milliseconds);
    });
    timer.SetEnabled(false);
    timer.SetOnTimer([] {});
    QCOMPARE(arms, 0);
    fails = true;
    try {
        timer.SetEnabled(true);
        QFAIL("no error raised");
    } catch (const EOutOfResources &error) {
        QCOMPARE(QString::fromStdString(error.Message()), QString("Not enough timers available"));
    }
    QCOMPARE(timer.Enabled(), true);
    QVERIFY(!timer.Armed());
    QCOMPARE(arms, 1);
    // The platform has timers again: the next write arms it.
    fails = false;
    timer.SetInterval(500);
    QVERIFY(timer.Armed());
    QCOMPARE(arms, 2);
}

void TestTTimer::handlerErrorIsReportedAndTimerStaysAsLeft()
{
    std::vector<std::string> reported;
    SetErrorHandler([&](const std::exception &e) { reported.push_back(e.what()); });
    TTimer timer;
    timer.SetInterval(20);
    timer.SetOnTimer([&] {
        timer.SetInterval(30);
        throw EInvalidOperation("TProgressBar property out of range");
    });
    QTRY_VERIFY_WITH_TIMEOUT(!reported.empty(), 2000);
    QCOMPARE(QString::fromStdString(reported.front()), QString("TProgressBar property out of range"));
    QCOMPARE(timer.Interval(), 30u);
    QVERIFY(timer.Enabled());
    QVERIFY(timer.Armed());
}

void TestTTimer::periodBeyondToolkitLimitStaysArmedAndDoesNotFireEarly()
{
    TTimer timer;
    int ticks = 0;
    timer.SetInterval(4294967295u);
    timer.SetOnTimer([&] { ++ticks; });
    QVERIFY(timer.Armed());
    QTest::qWait(100);
    QCOMPARE(ticks, 0);
    timer.SetInterval(2147483648u);
    QVERIFY(timer.Armed());
    QTest::qWait(50);
    QCOMPARE(ticks, 0);
}

QTEST_GUILESS_MAIN(TestTTimer)
#include "tst_ttimer.moc"
