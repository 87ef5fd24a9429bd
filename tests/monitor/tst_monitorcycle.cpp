// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "RecordingView.h"

#include "base/Exception.h"
#include "monitor/MonitorCycle.h"

#include <QtTest>

namespace {

// A cycle on a recording view, its timers wired to the handlers as the
// window wires them, driven by short scripts:
//   "create N"  FormCreate with the interval field at N
//   "change N"  the field changes to N (SpinEdit1Change, dispatched)
//   "tick"      Timer2 fires      "check"  Timer1 fires
//   "post change N"  queue that change for the next ProcessPendingEvents
//   "result false"   the next check fails
struct Rig {
    RecordingView view;
    MonitorCycle cycle{view};
    // The view as the check saw it (taken inside CheckConnection).
    struct Snapshot {
        TColor color = 0, gaugeColor = 0;
        bool timer1Enabled = false, timer2Enabled = false;
        std::int32_t barPosition = -1, gaugeProgress = -1;
    } duringCheck;

    Rig()
    {
        view.timer1.SetOnTimer([this] { cycle.Timer1Timer(); });
        view.timer2.SetOnTimer([this] { cycle.Timer2Timer(); });
        view.onCheck = [this] {
            duringCheck = {view.windowColor, view.gaugeBackColor, view.timer1.Enabled(),
                           view.timer2.Enabled(), view.barPosition, view.gaugeProgress};
        };
    }

    void Change(int value)
    {
        view.intervalValue = value;
        cycle.SpinEdit1Change();
    }

    // Runs one script command; errors are reported as the dispatch does.
    void Do(const QString &command)
    {
        const QStringList words = command.split(QLatin1Char(' '));
        const int number = words.last().toInt();
        try {
            if (words[0] == QLatin1String("create")) {
                view.intervalValue = number;
                cycle.FormCreate();
            } else if (words[0] == QLatin1String("change")) {
                Change(number);
            } else if (command == QLatin1String("tick")) {
                cycle.Timer2Timer();
            } else if (command == QLatin1String("check")) {
                cycle.Timer1Timer();
            } else if (words[0] == QLatin1String("post")) {
                view.Post([this, number] { Change(number); });
            } else if (command == QLatin1String("result false")) {
                view.checkResults.push_back(false);
            } else {
                QFAIL(qPrintable(QStringLiteral("unknown command: ") + command));
            }
        } catch (const std::exception &error) {
            view.errors << QString::fromUtf8(error.what());
        }
    }

    void Run(const QStringList &script)
    {
        for (const QString &command : script)
            Do(command);
    }
};

// "armed", "idle" (enabled but not armed) or "off".
QString TimerState(const FakeTimer &timer)
{
    if (timer.Armed())
        return QStringLiteral("armed");
    return timer.Enabled() ? QStringLiteral("idle") : QStringLiteral("off");
}

const QString kBarRange = QStringLiteral("TProgressBar property out of range");

} // namespace

class TestMonitorCycle : public QObject {
    Q_OBJECT
private slots:
    void handlerSteps_data();
    void handlerSteps();
    void viewErrorEndsTheHandler_data();
    void viewErrorEndsTheHandler();
    void countdown_data();
    void countdown();
    void states_data();
    void states();
    void checkRunsWithTimersOffAndFullBar_data();
    void checkRunsWithTimersOffAndFullBar();
    void nestedEvents_data();
    void nestedEvents();
    void timerThatCannotBeArmed_data();
    void timerThatCannotBeArmed();
};

void TestMonitorCycle::handlerSteps_data()
{
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("errors");

    QTest::newRow("start-up with 30")
        << QStringList{} << "create 30"
        << QStringList{"Form1.Color := yellow", "Gauge1.BackColor := yellow", "ProcessPendingEvents",
                       "SpinEdit1.Value -> 30", "Timer1.Interval := 30000",
                       "SpinEdit1.Value -> 30", "ProgressBar1.Max := 30",
                       "SpinEdit1.Value -> 30", "Gauge1.MaxValue := 30",
                       "Timer1.Enabled := true", "Timer2.Enabled := true"}
        << QStringList{};
    const QStringList checkStart{"Form1.Color := orange", "Gauge1.BackColor := orange",
                                 "Timer1.Enabled := false", "Timer2.Enabled := false",
                                 "ProgressBar1.Max -> 30", "ProgressBar1.Position := 30",
                                 "Gauge1.MaxValue -> 30", "Gauge1.Progress := 30",
                                 "ProcessPendingEvents"};
    const QStringList checkEnd{"Timer1.Enabled := true", "Timer2.Enabled := true",
                               "ProcessPendingEvents"};
    QTest::newRow("check that reaches the host")
        << QStringList{"create 30", "tick", "tick"} << "check"
        << checkStart + QStringList{"CheckConnection -> true", "Form1.Color := lime",
                                    "Gauge1.BackColor := lime"} + checkEnd
        << QStringList{};
    QTest::newRow("check that fails")
        << QStringList{"create 30", "result false"} << "check"
        << checkStart + QStringList{"CheckConnection -> false", "Form1.Color := red",
                                    "Gauge1.BackColor := red"} + checkEnd
        << QStringList{};
    QTest::newRow("first tick")
        << QStringList{"create 30"} << "tick"
        << QStringList{"ProgressBar1.Max -> 30", "ProgressBar1.Position := 1",
                       "Gauge1.Progress := 1", "ProcessPendingEvents"}
        << QStringList{};
    QTest::newRow("tick past the maximum shows 0")
        << QStringList{"create 2", "tick", "tick"} << "tick"
        << QStringList{"ProgressBar1.Max -> 2", "ProgressBar1.Position := 0",
                       "Gauge1.Progress := 0", "ProcessPendingEvents"}
        << QStringList{};
    QTest::newRow("change to 60")
        << QStringList{"create 30", "tick"} << "change 60"
        << QStringList{"Timer2.Enabled := false", "Timer1.Enabled := false",
                       "SpinEdit1.Value -> 60", "Timer1.Interval := 60000",
                       "ProgressBar1.Position := 0", "Gauge1.Progress := 0",
                       "SpinEdit1.Value -> 60", "ProgressBar1.Max := 60",
                       "SpinEdit1.Value -> 60", "Gauge1.MaxValue := 60",
                       "ProcessPendingEvents", "Timer1.Enabled := true", "Timer2.Enabled := true"}
        << QStringList{};
    QTest::newRow("change to -1 stops at the bar's maximum")
        << QStringList{"create 30", "tick"} << "change -1"
        << QStringList{"Timer2.Enabled := false", "Timer1.Enabled := false",
                       "SpinEdit1.Value -> -1", "Timer1.Interval := 4294967295",
                       "ProgressBar1.Position := 0", "Gauge1.Progress := 0",
                       "SpinEdit1.Value -> -1", "ProgressBar1.Max := -1"}
        << QStringList{kBarRange};
    QTest::newRow("start-up with -1 stops at the bar's maximum")
        << QStringList{} << "create -1"
        << QStringList{"Form1.Color := yellow", "Gauge1.BackColor := yellow", "ProcessPendingEvents",
                       "SpinEdit1.Value -> -1", "Timer1.Interval := 4294967295",
                       "SpinEdit1.Value -> -1", "ProgressBar1.Max := -1"}
        << QStringList{kBarRange};
}

void TestMonitorCycle::handlerSteps()
{
    QFETCH(QStringList, setup);
    QFETCH(QString, action);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, errors);

    Rig rig;
    rig.Run(setup);
    rig.view.log.clear();
    rig.Do(action);
    QCOMPARE(rig.view.log, expected);
    QCOMPARE(rig.view.errors, errors);
}

// Every view step of every handler, made to fail in turn: the error leaves
// the handler at that step and nothing after it runs.
void TestMonitorCycle::viewErrorEndsTheHandler_data()
{
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("failAt");
    QTest::addColumn<QStringList>("expected");

    const QList<std::pair<QStringList, QString>> handlers{
        {{}, "create 30"}, {{"create 30"}, "check"}, {{"create 30"}, "tick"}, {{"create 30"}, "change 60"}};
    for (const auto &[setup, action] : handlers) {
        Rig clean;
        clean.Run(setup);
        clean.view.log.clear();
        clean.Do(action);
        for (int i = 0; i < clean.view.log.size(); ++i) {
            const QString name = action + " fails at " + clean.view.log[i];
            QTest::newRow(qPrintable(name)) << setup << action << i << clean.view.log.mid(0, i + 1);
        }
    }
}

void TestMonitorCycle::viewErrorEndsTheHandler()
{
    QFETCH(QStringList, setup);
    QFETCH(QString, action);
    QFETCH(int, failAt);
    QFETCH(QStringList, expected);

    Rig rig;
    rig.Run(setup);
    rig.view.log.clear();
    rig.view.FailAtEntry(failAt);
    rig.Do(action);
    QCOMPARE(rig.view.log, expected);
    QCOMPARE(rig.view.errors, QStringList{"injected fault"});
}

void TestMonitorCycle::countdown_data()
{
    QTest::addColumn<int>("interval");
    QTest::addColumn<QList<int>>("shown");

    QTest::newRow("value 1") << 1 << QList<int>{1, 0, 1, 0};
    QTest::newRow("value 2") << 2 << QList<int>{1, 2, 0, 1, 2, 0};
    QTest::newRow("value 5") << 5 << QList<int>{1, 2, 3, 4, 5, 0, 1};
    QTest::newRow("value 0 shows 0 on every tick") << 0 << QList<int>{0, 0, 0};
}

void TestMonitorCycle::countdown()
{
    QFETCH(int, interval);
    QFETCH(QList<int>, shown);

    Rig rig;
    rig.Do(QStringLiteral("create %1").arg(interval));
    QList<int> bar, gauge, counter;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        QVERIFY(rig.view.timer2.Fire());
        bar << rig.view.barPosition;
        gauge << rig.view.gaugeProgress;
        counter << rig.cycle.ElapsedTicks();
    }
    QCOMPARE(bar, shown);
    QCOMPARE(gauge, shown);
    QCOMPARE(counter, shown);
    QCOMPARE(rig.view.checks, 0);
}

void TestMonitorCycle::states_data()
{
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QString>("color");
    QTest::addColumn<QString>("timer1");
    QTest::addColumn<QString>("timer2");
    QTest::addColumn<uint>("period");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<QStringList>("errors");

    const QStringList none;
    QTest::newRow("waiting: first tick before any check")
        << QStringList{"create 30", "tick"} << "yellow" << "armed" << "armed" << 30000u << 30 << 1 << 1 << none;
    QTest::newRow("counting after a check that reached the host")
        << QStringList{"create 30", "tick", "check", "tick"}
        << "lime" << "armed" << "armed" << 30000u << 30 << 1 << 1 << none;
    QTest::newRow("counting after a failed check: bar stays full until the next tick")
        << QStringList{"result false", "create 30", "check"}
        << "red" << "armed" << "armed" << 30000u << 30 << 30 << 0 << none;
    QTest::newRow("counting from zero after a change before the first check")
        << QStringList{"create 30", "tick", "tick", "change 5", "tick"}
        << "yellow" << "armed" << "armed" << 5000u << 5 << 1 << 1 << none;
    QTest::newRow("typing 60 over 30: changes to 6 and then 60")
        << QStringList{"create 30", "tick", "change 6", "change 60"}
        << "yellow" << "armed" << "armed" << 60000u << 60 << 0 << 0 << none;
    QTest::newRow("paused by value 0: check timer never armed")
        << QStringList{"create 30", "check", "change 0", "tick", "tick"}
        << "lime" << "idle" << "armed" << 0u << 0 << 0 << 0 << none;
    QTest::newRow("paused from start-up with value 0")
        << QStringList{"create 0", "tick"} << "yellow" << "idle" << "armed" << 0u << 0 << 0 << 0 << none;
    QTest::newRow("halted by value -1: old maxima kept, both timers off")
        << QStringList{"create 30", "tick", "tick", "change -1"}
        << "yellow" << "off" << "off" << 4294967295u << 30 << 0 << 0 << QStringList{kBarRange};
    QTest::newRow("halted from start-up with value -5: layout maxima kept, timers never started")
        << QStringList{"create -5"}
        << "yellow" << "off" << "off" << 4294967295u << 100 << 0 << 0 << QStringList{kBarRange};
    QTest::newRow("halted from start-up left by a change to 5")
        << QStringList{"create -5", "change 5", "tick"}
        << "yellow" << "armed" << "armed" << 5000u << 5 << 1 << 1 << QStringList{kBarRange};
    QTest::newRow("halted left by a change to 7")
        << QStringList{"create 30", "check", "change -1", "change 7", "tick"}
        << "lime" << "armed" << "armed" << 7000u << 7 << 1 << 1 << QStringList{kBarRange};
    QTest::newRow("halted left by a change to 0")
        << QStringList{"create 30", "change -1", "change 0"}
        << "yellow" << "idle" << "armed" << 0u << 0 << 0 << 0 << QStringList{kBarRange};
    QTest::newRow("value 1: the bar is full after every second")
        << QStringList{"create 1", "check", "tick"} << "lime" << "armed" << "armed" << 1000u << 1 << 1 << 1 << none;
    QTest::newRow("value 2147483")
        << QStringList{"create 2147483"} << "yellow" << "armed" << "armed" << 2147483000u << 2147483 << 0 << 0 << none;
    QTest::newRow("value 4294967: the last exact period")
        << QStringList{"create 4294967"} << "yellow" << "armed" << "armed" << 4294967000u << 4294967 << 0 << 0 << none;
    QTest::newRow("value 4294968: the period is held at the longest one")
        << QStringList{"create 4294968"} << "yellow" << "armed" << "armed" << 4294967295u << 4294968 << 0 << 0 << none;
    QTest::newRow("value 2147483647: the period is held at the longest one")
        << QStringList{"create 30", "change 2147483647"}
        << "yellow" << "armed" << "armed" << 4294967295u << 2147483647 << 0 << 0 << none;
    // Negative products are held like long ones; their low 32 bits would give
    // 296 ms for -4294967 s and 0 (no checks at all) for the smallest value.
    QTest::newRow("value -4294967 halts with the longest period, not 296 ms")
        << QStringList{"create 30", "change -4294967"}
        << "yellow" << "off" << "off" << 4294967295u << 30 << 0 << 0 << QStringList{kBarRange};
    QTest::newRow("value -2147483648 halts with the longest period")
        << QStringList{"create 30", "change -2147483648"}
        << "yellow" << "off" << "off" << 4294967295u << 30 << 0 << 0 << QStringList{kBarRange};
}

void TestMonitorCycle::states()
{
    QFETCH(QStringList, script);
    QFETCH(QString, color);
    QFETCH(QString, timer1);
    QFETCH(QString, timer2);
    QFETCH(uint, period);
    QFETCH(int, maximum);
    QFETCH(int, position);
    QFETCH(int, ticks);
    QFETCH(QStringList, errors);

    Rig rig;
    rig.Run(script);
    const RecordingView &view = rig.view;
    QCOMPARE(ColorText(view.windowColor), color);
    QCOMPARE(ColorText(view.gaugeBackColor), color);
    QCOMPARE(TimerState(view.timer1), timer1);
    QCOMPARE(TimerState(view.timer2), timer2);
    QCOMPARE(view.timer1.Interval(), period);
    QCOMPARE(view.timer2.Interval(), 1000u);
    QCOMPARE(view.barMax, maximum);
    QCOMPARE(view.gaugeMax, maximum);
    QCOMPARE(view.barPosition, position);
    QCOMPARE(view.gaugeProgress, position);
    QCOMPARE(rig.cycle.ElapsedTicks(), ticks);
    QCOMPARE(view.errors, errors);
}

void TestMonitorCycle::checkRunsWithTimersOffAndFullBar_data()
{
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<int>("full");

    QTest::newRow("after two ticks") << QStringList{"create 30", "tick", "tick", "check"} << 30;
    QTest::newRow("straight after start-up") << QStringList{"create 30", "check"} << 30;
    QTest::newRow("after the countdown wrapped") << QStringList{"create 1", "tick", "tick", "check"} << 1;
    QTest::newRow("second check in a row") << QStringList{"create 7", "check", "check"} << 7;
}

void TestMonitorCycle::checkRunsWithTimersOffAndFullBar()
{
    QFETCH(QStringList, script);
    QFETCH(int, full);

    Rig rig;
    rig.Run(script);
    QCOMPARE(ColorText(rig.duringCheck.color), QStringLiteral("orange"));
    QCOMPARE(ColorText(rig.duringCheck.gaugeColor), QStringLiteral("orange"));
    QVERIFY(!rig.duringCheck.timer1Enabled);
    QVERIFY(!rig.duringCheck.timer2Enabled);
    QCOMPARE(rig.duringCheck.barPosition, full);
    QCOMPARE(rig.duringCheck.gaugeProgress, full);
    // Each check ends by starting both counts afresh.
    QCOMPARE(rig.view.timer1.Starts(), 1 + rig.view.checks);
    QCOMPARE(rig.view.timer2.Starts(), 1 + rig.view.checks);
}

// Re-entry through ProcessPendingEvents: a change waiting in the queue runs
// to completion inside the handler that dispatches it.
void TestMonitorCycle::nestedEvents_data()
{
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QString>("color");
    QTest::addColumn<uint>("period");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("starts");
    QTest::addColumn<QStringList>("errors");

    // Timers started by FormCreate, by the nested change, and not again by
    // the end of the check, which finds them enabled already.
    QTest::newRow("change while the check's orange is painted: new interval in force, not restarted")
        << QStringList{"create 30", "tick", "post change 10", "check"} << "lime" << 10000u << 10 << 0 << 2
        << QStringList{};
    // The check's end enables the timers that the refused change left off:
    // the check timer runs with the period held at the longest, so the next
    // check does not come within seconds (-4294967 s would wrap to 296 ms).
    QTest::newRow("negative change while the check's orange is painted: the check's end re-enables")
        << QStringList{"create 30", "tick", "post change -1", "check", "tick"}
        << "lime" << 4294967295u << 30 << 1 << 2 << QStringList{kBarRange};
    QTest::newRow("change to -4294967 while the check's orange is painted: longest period, not 296 ms")
        << QStringList{"create 30", "tick", "post change -4294967", "check", "tick"}
        << "lime" << 4294967295u << 30 << 1 << 2 << QStringList{kBarRange};
    QTest::newRow("change inside a change: the newest value wins")
        << QStringList{"create 30", "post change 20", "change 10"} << "yellow" << 20000u << 20 << 0 << 2
        << QStringList{};
    QTest::newRow("three changes nested: the innermost wins")
        << QStringList{"create 30", "post change 20", "post change 5", "change 10"}
        << "yellow" << 5000u << 5 << 0 << 2 << QStringList{};
    QTest::newRow("negative change inside a change: the outer change still enables")
        << QStringList{"create 30", "post change -3", "change 10"} << "yellow" << 4294967295u << 10 << 0 << 2
        << QStringList{kBarRange};
}

void TestMonitorCycle::nestedEvents()
{
    QFETCH(QStringList, script);
    QFETCH(QString, color);
    QFETCH(uint, period);
    QFETCH(int, maximum);
    QFETCH(int, position);
    QFETCH(int, starts);
    QFETCH(QStringList, errors);

    Rig rig;
    rig.Run(script);
    const RecordingView &view = rig.view;
    QCOMPARE(ColorText(view.windowColor), color);
    QCOMPARE(view.timer1.Interval(), period);
    QCOMPARE(view.barMax, maximum);
    QCOMPARE(view.gaugeMax, maximum);
    QCOMPARE(view.barPosition, position);
    QCOMPARE(view.gaugeProgress, position);
    QCOMPARE(rig.cycle.ElapsedTicks(), position);
    QVERIFY(view.timer1.Armed());
    QVERIFY(view.timer2.Armed());
    QCOMPARE(view.timer1.Starts(), starts);
    QCOMPARE(view.timer2.Starts(), starts);
    QCOMPARE(view.errors, errors);
}

void TestMonitorCycle::timerThatCannotBeArmed_data()
{
    QTest::addColumn<int>("failing");
    QTest::addColumn<QString>("timer1");
    QTest::addColumn<QString>("timer2");

    // The failing enable leaves its timer flagged on; a later one never runs.
    QTest::newRow("check timer") << 1 << "idle" << "off";
    QTest::newRow("tick timer") << 2 << "armed" << "idle";
}

void TestMonitorCycle::timerThatCannotBeArmed()
{
    QFETCH(int, failing);
    QFETCH(QString, timer1);
    QFETCH(QString, timer2);

    Rig rig;
    FakeTimer &broken = failing == 1 ? rig.view.timer1 : rig.view.timer2;
    broken.SetArmingFails(true);
    rig.Do(QStringLiteral("create 30"));
    QCOMPARE(rig.view.errors, QStringList{"Not enough timers available"});
    QCOMPARE(TimerState(rig.view.timer1), timer1);
    QCOMPARE(TimerState(rig.view.timer2), timer2);

    // The next change switches both off and on again, and so tries again.
    broken.SetArmingFails(false);
    rig.Do(QStringLiteral("change 30"));
    QCOMPARE(TimerState(rig.view.timer1), QStringLiteral("armed"));
    QCOMPARE(TimerState(rig.view.timer2), QStringLiteral("armed"));
}

QTEST_GUILESS_MAIN(TestMonitorCycle)
#include "tst_monitorcycle.moc"
