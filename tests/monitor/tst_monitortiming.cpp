// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The monitor's schedule on real timers, with checks that block the thread
// for longer than the interval, as a slow connection attempt does.

#include "support/TracingView.h"

#include "base/ErrorReport.h"
#include "base/TTimer.h"
#include "monitor/MonitorCycle.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

#include <algorithm>

namespace {

// With an interval of 2 s a tick comes between two checks; with 1 s the tick
// and the check fall due together and the check always goes first.
constexpr int kIntervalSeconds = 2;
constexpr int kIntervalMs = kIntervalSeconds * 1000;
constexpr int kTickMs = 1000;
// Longer than the interval, so that both timers would fall due during it if
// they were running.
constexpr int kCheckMs = 2500;
// How early a timer event may seem to come by the test's own clock.
constexpr qint64 kSlackMs = 5;

// A view with the real timer component and a check that blocks the thread
// without dispatching anything. Keeps when each check and tick came, in
// milliseconds since the view was made, and how deeply check handlers were
// nested when each check ran.
class TimedView final : public TracingView {
public:
    struct Check {
        qint64 start = 0;
        qint64 end = 0;
        int depth = 0;   // 1 unless its handler ran inside another check's handler
    };

    TimedView()
    {
        // As laid out on the window: both timers off until the cycle starts them.
        timer1.SetEnabled(false);
        timer2.SetEnabled(false);
        clock.start();
    }

    void Attach(MonitorCycle &cycle)
    {
        timer1.SetOnTimer([this, &cycle] { RunCheckHandler(cycle); });
        timer2.SetOnTimer([this, &cycle] {
            ticks << clock.elapsed();
            cycle.Timer2Timer();
        });
    }

    // Timer1's handler, counted.
    void RunCheckHandler(MonitorCycle &cycle)
    {
        ++depth_;
        try {
            cycle.Timer1Timer();
        } catch (...) {
            --depth_;
            throw;
        }
        --depth_;
    }

    TTimer timer1;
    TTimer timer2;
    QElapsedTimer clock;
    QList<Check> made;
    QList<qint64> ticks;

protected:
    void Trace(const QString &) override {}
    void ApplyCheckTimerInterval(std::uint32_t milliseconds) override { timer1.SetInterval(milliseconds); }
    void ApplyCheckTimerEnabled(bool enabled) override { timer1.SetEnabled(enabled); }
    void ApplyTickTimerEnabled(bool enabled) override { timer2.SetEnabled(enabled); }
    void DispatchPendingEvents() override { QCoreApplication::processEvents(); }

    bool MakeCheck() override
    {
        Check check;
        check.depth = depth_;
        check.start = clock.elapsed();
        QThread::msleep(kCheckMs);
        check.end = clock.elapsed();
        made << check;
        return true;
    }

private:
    int depth_ = 0;
};

QString Describe(const QList<TimedView::Check> &checks)
{
    QStringList parts;
    for (const TimedView::Check &check : checks)
        parts << QStringLiteral("%1-%2 ms (depth %3)").arg(check.start).arg(check.end).arg(check.depth);
    return parts.join(QStringLiteral(", "));
}

// No tick may come sooner than one period after a check ended: a tick
// that fell due while the check blocked must not be queued behind it.
bool NoTickRightAfterACheck(const TimedView &view)
{
    for (const TimedView::Check &check : view.made)
        for (const qint64 tick : view.ticks)
            if (tick >= check.end && tick < check.end + kTickMs - kSlackMs)
                return false;
    return true;
}

} // namespace

class TestMonitorTiming : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void checkLongerThanTheIntervalIsNeitherOverlappedNorQueued();
    void nestedIntervalChangeIsFollowedByACheckRightAfter();

private:
    QStringList errors_;
};

void TestMonitorTiming::init()
{
    errors_.clear();
    SetErrorHandler([this](const std::exception &error) { errors_ << QString::fromUtf8(error.what()); });
}

void TestMonitorTiming::cleanup()
{
    SetErrorHandler({});
}

// Interval 2 s, each check 2.5 s: the next check comes one full interval
// after the previous one ended, never sooner and not an interval later, and
// the first tick one second after it; nothing waits queued behind a check.
void TestMonitorTiming::checkLongerThanTheIntervalIsNeitherOverlappedNorQueued()
{
    TimedView view;
    view.intervalValue = kIntervalSeconds;
    MonitorCycle cycle(view);
    view.Attach(cycle);
    cycle.FormCreate();
    QTRY_VERIFY_WITH_TIMEOUT(view.made.size() >= 2, 30000);

    const QString seen = Describe(view.made);
    QVERIFY2(view.made[0].start >= kIntervalMs - kSlackMs, qPrintable(seen));
    for (qsizetype i = 1; i < view.made.size(); ++i) {
        const qint64 gap = view.made[i].start - view.made[i - 1].end;
        QVERIFY2(gap >= kIntervalMs - kSlackMs, qPrintable(seen));
        QVERIFY2(gap < 2 * kIntervalMs, qPrintable(seen));
    }
    for (const TimedView::Check &check : view.made)
        QVERIFY2(check.depth == 1, qPrintable(seen));
    QVERIFY(!view.ticks.isEmpty());
    QVERIFY2(NoTickRightAfterACheck(view), qPrintable(seen));
    QCOMPARE(errors_, QStringList{});
}

// A change to 2 s taken while a check paints its orange starts both timers
// anew; the 2.5 s check outlasts that interval and the end of the check does
// not restart them, so the next check runs at once, inside the first one's
// last pending-events step. The check after that comes a full interval later.
void TestMonitorTiming::nestedIntervalChangeIsFollowedByACheckRightAfter()
{
    TimedView view;
    view.intervalValue = 30;
    MonitorCycle cycle(view);
    view.Attach(cycle);
    cycle.FormCreate();

    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&] {
            view.intervalValue = kIntervalSeconds;
            cycle.SpinEdit1Change();
        },
        Qt::QueuedConnection);
    view.RunCheckHandler(cycle); // as the check timer would
    QCOMPARE(view.timer1.Interval(), std::uint32_t(kIntervalMs));
    QCOMPARE(view.barMax, kIntervalSeconds);

    const QString seen = Describe(view.made);
    QVERIFY2(view.made.size() == 2, qPrintable(seen));
    QVERIFY2(view.made[0].depth == 1 && view.made[1].depth == 2, qPrintable(seen));
    QVERIFY2(view.made[1].start - view.made[0].end < kIntervalMs / 2, qPrintable(seen));

    QTRY_VERIFY_WITH_TIMEOUT(view.made.size() >= 3, 20000);
    const QString later = Describe(view.made);
    QVERIFY2(view.made[2].depth == 1, qPrintable(later));
    QVERIFY2(view.made[2].start - view.made[1].end >= kIntervalMs - kSlackMs, qPrintable(later));
    QCOMPARE(errors_, QStringList{});
}

QTEST_GUILESS_MAIN(TestMonitorTiming)
#include "tst_monitortiming.moc"
