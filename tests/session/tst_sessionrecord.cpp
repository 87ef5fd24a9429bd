// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "SessionRig.h"

#include "session/SessionRecord.h"

#include <QtTest>

#include <limits>

using namespace std::chrono;

namespace {

// "5F 10S" feeds a failed check started at 5 s, then a successful one at 10 s.
void Feed(SessionRecord &record, const QString &script)
{
    for (const QString &word : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const bool ok = word.endsWith(QLatin1Char('S'));
        QVERIFY2(ok || word.endsWith(QLatin1Char('F')), qPrintable(word));
        record.Record(SessionRig::Check(word.chopped(1).toDouble(), ok));
    }
}

double Secs(nanoseconds value)
{
    return duration<double>(value).count();
}

// "start-end=duration/failed", times in seconds after the session's start;
// "*" for the end of an open outage.
QString Describe(const Outage &outage)
{
    const QString end = outage.open ? QStringLiteral("*") : QString::number(SessionRig::WallSeconds(outage.end));
    return QStringLiteral("%1-%2=%3/%4")
        .arg(SessionRig::WallSeconds(outage.start))
        .arg(end)
        .arg(Secs(outage.duration))
        .arg(outage.failedChecks);
}

// The kept outages, oldest first, comma-separated.
QString Describe(const std::vector<Outage> &newestFirst)
{
    QStringList parts;
    for (auto it = newestFirst.rbegin(); it != newestFirst.rend(); ++it)
        parts << Describe(*it);
    return parts.join(QLatin1Char(','));
}

// "up since 15 for 12", "down since 0 for 10", "unknown".
QString DescribeState(const SessionSummary &summary)
{
    if (summary.state == LinkState::Unknown)
        return QStringLiteral("unknown");
    return QStringLiteral("%1 since %2 for %3")
        .arg(summary.state == LinkState::Up ? QStringLiteral("up") : QStringLiteral("down"))
        .arg(SessionRig::WallSeconds(summary.stateSince))
        .arg(Secs(summary.stateDuration));
}

} // namespace

class TestSessionRecord : public QObject {
    Q_OBJECT
private slots:
    void upAndDownTime_data();
    void upAndDownTime();
    void openOutageGrowsWithNow();
    void reasonsAreCountedPerOutage();
    void longestOutageAndUptime();
    void longestOutageSurvivesBeingDropped();
    void outageCap_data();
    void outageCap();
    void defaultCapKeepsTenThousand();
    void countsAndLoss();
    void wallTimesAreForDisplayOnly();
    void extremeClockValuesSaturate();
    void emptyClockFunctionsFallBackToTheSystemClocks();
};

void TestSessionRecord::upAndDownTime_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<double>("now");
    QTest::addColumn<double>("up");
    QTest::addColumn<double>("down");
    QTest::addColumn<QString>("outages");
    QTest::addColumn<QString>("state");

    QTest::addColumn<double>("start");

    QTest::newRow("no check yet: the state is unknown") << "" << 10.0 << 0.0 << 0.0 << "" << "unknown" << 0.0;
    QTest::newRow("starts down: the outage opens at the first check")
        << "5F 10F 15S 20S" << 27.0 << 12.0 << 10.0 << "5-15=10/2" << "up since 15 for 12" << 5.0;
    QTest::newRow("starts up late: the uptime runs from the first check")
        << "7S" << 10.0 << 3.0 << 0.0 << "" << "up since 7 for 3" << 7.0;
    QTest::newRow("first check fails late") << "7F" << 10.0 << 0.0 << 3.0 << "7-*=3/1" << "down since 7 for 3"
                                            << 7.0;
    QTest::newRow("ends down: the outage is open until now")
        << "0S 10S 20F 30F" << 45.0 << 20.0 << 25.0 << "20-*=25/2" << "down since 20 for 25" << 0.0;
    QTest::newRow("one lone failure") << "0S 10S 20F 30S 40S" << 50.0 << 40.0 << 10.0 << "20-30=10/1"
                                      << "up since 30 for 20" << 0.0;
    QTest::newRow("alternating") << "0F 1S 2F 3S" << 4.0 << 2.0 << 2.0 << "0-1=1/1,2-3=1/1" << "up since 3 for 1"
                                 << 0.0;
    QTest::newRow("now at the last check's start") << "0S 10F" << 10.0 << 10.0 << 0.0 << "10-*=0/1"
                                                  << "down since 10 for 0" << 0.0;
    QTest::newRow("a start going backwards counts as the latest start")
        << "10S 20F 15F 30S" << 40.0 << 20.0 << 10.0 << "20-30=10/2" << "up since 30 for 10" << 10.0;
    QTest::newRow("a check before the record was made counts from its making")
        << "-5F 10S" << 20.0 << 10.0 << 10.0 << "0-10=10/1" << "up since 10 for 10" << 0.0;
    QTest::newRow("now behind the last check's start is taken as that start")
        << "0S 30F" << 20.0 << 30.0 << 0.0 << "30-*=0/1" << "down since 30 for 0" << 0.0;
    QTest::newRow("two checks at one instant") << "10F 10S" << 20.0 << 10.0 << 0.0 << "10-10=0/1"
                                              << "up since 10 for 10" << 10.0;
}

void TestSessionRecord::upAndDownTime()
{
    QFETCH(QString, script);
    QFETCH(double, now);
    QFETCH(double, up);
    QFETCH(double, down);
    QFETCH(QString, outages);
    QFETCH(QString, state);
    QFETCH(double, start);

    SessionRig rig;
    SessionRecord record(rig.Clock());
    Feed(record, script);
    rig.At(now);
    const SessionSummary summary = record.Summary();

    QCOMPARE(Secs(summary.totalUp), up);
    QCOMPARE(Secs(summary.totalDown), down);
    QCOMPARE(Describe(summary.outages), outages);
    QCOMPARE(DescribeState(summary), state);
    QCOMPARE(SessionRig::WallSeconds(summary.sessionStart), start);
    if (summary.sent > 0)
        QCOMPARE(summary.totalUp + summary.totalDown, summary.sessionLength);
    // The row-by-row reading gives the same list.
    QCOMPARE(record.OutagesKept(), summary.outages.size());
    for (std::size_t i = 0; i < summary.outages.size(); ++i)
        QCOMPARE(record.OutageAt(i), summary.outages[i]);
    QVERIFY(!record.OutageAt(summary.outages.size()).has_value());
}

void TestSessionRecord::openOutageGrowsWithNow()
{
    SessionRig rig;
    SessionRecord record(rig.Clock());
    Feed(record, "0S 10F");
    for (const double now : {10.0, 15.0, 100.0}) {
        rig.At(now);
        const SessionSummary summary = record.Summary();
        QCOMPARE(summary.outages.size(), std::size_t{1});
        const Outage &outage = summary.outages.front();
        QVERIFY(outage.open);
        QCOMPARE(Secs(outage.duration), now - 10.0);
        QCOMPARE(SessionRig::WallSeconds(outage.end), now);
        QCOMPARE(Secs(summary.totalDown), now - 10.0);
        QCOMPARE(record.OutageAt(0)->duration, outage.duration);
    }
    record.Record(SessionRig::Check(120, true));
    rig.At(130);
    const Outage closed = record.Summary().outages.front();
    QVERIFY(!closed.open);
    QCOMPARE(Describe(closed), QStringLiteral("10-120=110/1"));
}

void TestSessionRecord::reasonsAreCountedPerOutage()
{
    SessionRig rig;
    SessionRecord record(rig.Clock());
    record.Record(SessionRig::Check(0, false, FailureReason::Refused));
    record.Record(SessionRig::Check(1, false, FailureReason::Timeout));
    record.Record(SessionRig::Check(2, false, FailureReason::Refused));
    // A failure without a category, and a value outside the enumeration.
    record.Record(SessionRig::Check(3, false, FailureReason::None));
    record.Record(SessionRig::Check(4, false, static_cast<FailureReason>(200)));
    CheckResult success = SessionRig::Check(5, true);
    success.reason = FailureReason::Dns; // ignored on a success
    record.Record(success);
    record.Record(SessionRig::Check(6, false, FailureReason::Dns));
    rig.At(7);

    const SessionSummary summary = record.Summary();
    QCOMPARE(summary.outages.size(), std::size_t{2});
    const ReasonCounts &first = summary.outages[1].reasons;
    QCOMPARE(first.Count(FailureReason::Refused), 2u);
    QCOMPARE(first.Count(FailureReason::Timeout), 1u);
    QCOMPARE(first.Count(FailureReason::Other), 2u);
    QCOMPARE(first.Count(FailureReason::Dns), 0u);
    QCOMPARE(first.Count(FailureReason::None), 0u);
    QCOMPARE(first.Total(), summary.outages[1].failedChecks);
    QCOMPARE(first.Total(), 5u);
    // The next outage starts from nothing.
    const ReasonCounts &second = summary.outages[0].reasons;
    QCOMPARE(second.Count(FailureReason::Dns), 1u);
    QCOMPARE(second.Total(), 1u);
}

void TestSessionRecord::longestOutageAndUptime()
{
    SessionRig rig;
    SessionRecord record(rig.Clock());
    // Uptimes 0-10 (10), 13-33 (20), 40-60 (20, equal: the earlier stays);
    // outages 10-13 (3), 33-40 (7), then one open from 60.
    Feed(record, "0S 10F 13S 33F 35F 40S 60F");
    rig.At(65);
    SessionSummary summary = record.Summary();
    QVERIFY(summary.longestOutage && summary.longestUptime);
    QCOMPARE(Describe(*summary.longestOutage), QStringLiteral("33-40=7/2"));
    QCOMPARE(SessionRig::WallSeconds(summary.longestUptime->start), 13.0);
    QCOMPARE(SessionRig::WallSeconds(summary.longestUptime->end), 33.0);
    QCOMPARE(Secs(summary.longestUptime->duration), 20.0);
    QVERIFY(!summary.longestUptime->open);

    // The open outage takes the lead once it is longer.
    rig.At(68);
    summary = record.Summary();
    QCOMPARE(Describe(*summary.longestOutage), QStringLiteral("60-*=8/1"));
    QVERIFY(summary.longestOutage->open);

    // And so does an open uptime.
    record.Record(SessionRig::Check(70, true));
    rig.At(95);
    summary = record.Summary();
    QCOMPARE(Describe(*summary.longestOutage), QStringLiteral("60-70=10/1"));
    QVERIFY(summary.longestUptime->open);
    QCOMPARE(Secs(summary.longestUptime->duration), 25.0);
    QCOMPARE(SessionRig::WallSeconds(summary.longestUptime->end), 95.0);
}

void TestSessionRecord::longestOutageSurvivesBeingDropped()
{
    SessionRig rig;
    SessionRecord record(rig.Clock(), 2);
    record.Record(SessionRig::Check(0, true));
    record.Record(SessionRig::Check(10, false, FailureReason::Timeout));
    record.Record(SessionRig::Check(20, false, FailureReason::NetworkUnreachable));
    record.Record(SessionRig::Check(110, true)); // 100 s down
    for (int i = 0; i < 3; ++i) {
        record.Record(SessionRig::Check(200 + 10 * i, false));
        record.Record(SessionRig::Check(201 + 10 * i, true));
    }
    rig.At(300);
    const SessionSummary summary = record.Summary();
    QCOMPARE(Describe(summary.outages), QStringLiteral("210-211=1/1,220-221=1/1"));
    QCOMPARE(summary.outagesDropped, 2u);
    QVERIFY(summary.longestOutage.has_value());
    QCOMPARE(Describe(*summary.longestOutage), QStringLiteral("10-110=100/2"));
    QCOMPARE(summary.longestOutage->reasons.Count(FailureReason::Timeout), 1u);
    QCOMPARE(summary.longestOutage->reasons.Count(FailureReason::NetworkUnreachable), 1u);
    // Uptimes: 0-10, 110-200, 201-210, 211-220 and 221 on (79 s so far).
    QCOMPARE(SessionRig::WallSeconds(summary.longestUptime->start), 110.0);
    QCOMPARE(SessionRig::WallSeconds(summary.longestUptime->end), 200.0);
    QCOMPARE(Secs(summary.longestUptime->duration), 90.0);
}

void TestSessionRecord::outageCap_data()
{
    QTest::addColumn<int>("cap");
    QTest::addColumn<int>("closedOutages");
    QTest::addColumn<bool>("endsDown");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<int>("dropped");

    // Outage n runs from 10n to 10n+1.
    QTest::newRow("under the cap") << 5 << 3 << false << "0-1=1/1,10-11=1/1,20-21=1/1" << 0;
    QTest::newRow("exactly the cap") << 3 << 3 << false << "0-1=1/1,10-11=1/1,20-21=1/1" << 0;
    QTest::newRow("over the cap") << 2 << 5 << false << "30-31=1/1,40-41=1/1" << 3;
    QTest::newRow("open outage with room") << 3 << 1 << true << "0-1=1/1,10-*=5/1" << 0;
    QTest::newRow("open outage hides the oldest kept") << 2 << 2 << true << "10-11=1/1,20-*=5/1" << 1;
    QTest::newRow("cap of one while down") << 1 << 4 << true << "40-*=5/1" << 4;
    QTest::newRow("cap of zero keeps none") << 0 << 3 << true << "" << 4;
}

void TestSessionRecord::outageCap()
{
    QFETCH(int, cap);
    QFETCH(int, closedOutages);
    QFETCH(bool, endsDown);
    QFETCH(QString, kept);
    QFETCH(int, dropped);

    SessionRig rig;
    SessionRecord record(rig.Clock(), std::size_t(cap));
    QCOMPARE(record.OutageCap(), std::size_t(cap));
    for (int n = 0; n < closedOutages; ++n) {
        record.Record(SessionRig::Check(10 * n, false));
        record.Record(SessionRig::Check(10 * n + 1, true));
    }
    const double end = 10 * closedOutages;
    if (endsDown)
        record.Record(SessionRig::Check(end, false));
    rig.At(end + 5);
    const SessionSummary summary = record.Summary();
    QCOMPARE(Describe(summary.outages), kept);
    QCOMPARE(summary.outagesDropped, std::uint64_t(dropped));
    QCOMPARE(summary.outagesTotal, std::uint64_t(closedOutages + (endsDown ? 1 : 0)));
    QCOMPARE(summary.outagesTotal, summary.outages.size() + summary.outagesDropped);
    QVERIFY(record.OutageListBytes() <= std::size_t(cap) * sizeof(Outage));
    // Asking for fewer gives the newest.
    const SessionSummary two = record.Summary(2);
    QCOMPARE(two.outages.size(), std::min<std::size_t>(2, summary.outages.size()));
    for (std::size_t i = 0; i < two.outages.size(); ++i)
        QCOMPARE(two.outages[i], summary.outages[i]);
    QVERIFY(record.Summary(0).outages.empty());
}

void TestSessionRecord::defaultCapKeepsTenThousand()
{
    SessionRig rig;
    SessionRecord record(rig.Clock());
    QCOMPARE(record.OutageCap(), std::size_t{10000});
    constexpr int kOutages = 10005;
    for (int n = 0; n < kOutages; ++n) {
        record.Record(SessionRig::Check(10 * n, false));
        record.Record(SessionRig::Check(10 * n + 1, true));
    }
    rig.At(10 * kOutages);
    const SessionSummary summary = record.Summary();
    QCOMPARE(summary.outages.size(), std::size_t{10000});
    QCOMPARE(summary.outagesDropped, 5u);
    QCOMPARE(SessionRig::WallSeconds(summary.outages.front().start), 10.0 * (kOutages - 1));
    QCOMPARE(SessionRig::WallSeconds(summary.outages.back().start), 10.0 * 5);
    QCOMPARE(record.OutageListBytes(), std::size_t{10000} * sizeof(Outage));
}

void TestSessionRecord::countsAndLoss()
{
    SessionRig rig;
    SessionRecord record(rig.Clock());
    SessionSummary summary = record.Summary();
    QCOMPARE(summary.sent, 0u);
    QVERIFY(!summary.lossPercent.has_value());
    QVERIFY(!summary.latency.has_value());
    QVERIFY(!summary.longestOutage.has_value());
    QVERIFY(!summary.longestUptime.has_value());

    Feed(record, "0F 1F 2F");
    summary = record.Summary();
    QCOMPARE(summary.failed, 3u);
    QCOMPARE(*summary.lossPercent, 100.0);
    QVERIFY(!summary.latency.has_value()); // nothing succeeded

    Feed(record, "3S 4S 5F 6S 7S");
    summary = record.Summary();
    QCOMPARE(summary.sent, 8u);
    QCOMPARE(record.Sent(), 8u);
    QCOMPARE(summary.succeeded, 4u);
    QCOMPARE(summary.failed, 4u);
    QCOMPARE(*summary.lossPercent, 50.0);
    QVERIFY(summary.latency.has_value());
    QCOMPARE(record.State(), LinkState::Up);
}

void TestSessionRecord::wallTimesAreForDisplayOnly()
{
    // The time of day is set back an hour during an outage: the wall times
    // show it, the durations do not.
    SessionRig rig;
    SessionRecord record(rig.Clock());
    record.Record(SessionRig::Check(0, true));
    record.Record(SessionRig::Check(10, false));
    CheckResult back = SessionRig::Check(40, true);
    back.startedAt -= hours(1);
    record.Record(back);
    rig.At(50);
    rig.wall -= hours(1);
    const SessionSummary summary = record.Summary();
    QCOMPARE(Secs(summary.outages.front().duration), 30.0);
    QCOMPARE(SessionRig::WallSeconds(summary.outages.front().end), 40.0 - 3600.0);
    QCOMPARE(SessionRig::WallSeconds(summary.stateSince), 40.0 - 3600.0);
    QCOMPARE(SessionRig::WallSeconds(summary.now), 50.0 - 3600.0);
    QCOMPARE(Secs(summary.stateDuration), 10.0);
    QCOMPARE(Secs(summary.sessionLength), 50.0);
}

void TestSessionRecord::extremeClockValuesSaturate()
{
    SessionRig rig;
    rig.monotonic = nanoseconds::min();
    SessionRecord record(rig.Clock());
    CheckResult early = SessionRig::Check(0, false);
    early.startedMonotonic = nanoseconds::min();
    early.elapsed = nanoseconds::min(); // ignored on a failure
    record.Record(early);
    CheckResult fast = SessionRig::Check(1, true);
    fast.startedMonotonic = nanoseconds::max();
    fast.elapsed = nanoseconds::min(); // counts as 0
    record.Record(fast);
    rig.monotonic = nanoseconds::max();
    const SessionSummary summary = record.Summary();
    QCOMPARE(summary.totalDown, nanoseconds::max());
    QCOMPARE(summary.totalUp, nanoseconds{0});
    QCOMPARE(summary.sessionLength, nanoseconds::max());
    QCOMPARE(summary.longestOutage->duration, nanoseconds::max());
    QCOMPARE(summary.latency->min, nanoseconds{0});
    QCOMPARE(summary.latency->p99, nanoseconds{0});
}

void TestSessionRecord::emptyClockFunctionsFallBackToTheSystemClocks()
{
    const auto before = system_clock::now();
    SessionRecord record(SessionClock{nullptr, nullptr});
    CheckResult check = SessionRig::Check(0, true);
    check.startedAt = system_clock::now();
    check.startedMonotonic = SteadyClockNow();
    record.Record(check);
    const SessionSummary summary = record.Summary();
    QVERIFY(summary.sessionStart >= before);
    QVERIFY(summary.now >= summary.sessionStart);
    QCOMPARE(summary.state, LinkState::Up);
}

QTEST_GUILESS_MAIN(TestSessionRecord)
#include "tst_sessionrecord.moc"
