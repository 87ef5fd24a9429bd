// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/InternetFormat.h"
#include "cli/InternetState.h"
#include "cli/OutputQueue.h"
#include "cli/ProbeFleet.h"

#include <QtTest>

using namespace std::chrono;

namespace {

// Checks at one second apart on a clock of the test's own.
struct Script {
    std::int64_t second = 0;
    CheckResult Next(bool ok, FailureReason reason = FailureReason::Refused)
    {
        CheckResult result;
        result.ok = ok;
        result.reason = ok ? FailureReason::None : reason;
        result.startedMonotonic = seconds(++second);
        result.startedAt = system_clock::time_point(seconds(1'700'000'000 + second));
        return result;
    }
};

SessionClock ClockAt(const Script &script)
{
    return SessionClock{[&script] { return nanoseconds(seconds(script.second)); },
                        [&script] { return system_clock::time_point(seconds(1'700'000'000 + script.second)); }};
}

} // namespace

// The internet's state over several targets by each rule, its record of up
// and down time and outages, and its summaries.
class TestInternetState : public QObject {
    Q_OBJECT

private slots:
    void rules_data();
    void rules();
    void unknownUntilDecided_data();
    void unknownUntilDecided();
    void outageKeepsTheFailedTargetsReasons();
    void summaries();
    void recordsKeepNoOutageList();
};

void TestInternetState::rules_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<QList<bool>>("latest"); // of three targets
    QTest::addColumn<bool>("up");

    const auto row = [](const char *name, InternetRule rule, QList<bool> latest, bool up) {
        QTest::newRow(name) << static_cast<int>(rule) << latest << up;
    };
    row("any: one of three", InternetRule::Any, {false, true, false}, true);
    row("any: none", InternetRule::Any, {false, false, false}, false);
    row("all: every one", InternetRule::All, {true, true, true}, true);
    row("all: two of three", InternetRule::All, {true, false, true}, false);
    row("quorum: two of three", InternetRule::Quorum, {true, false, true}, true);
    row("quorum: one of three", InternetRule::Quorum, {false, false, true}, false);
}

void TestInternetState::rules()
{
    QFETCH(int, rule);
    QFETCH(QList<bool>, latest);
    QFETCH(bool, up);
    Script script;
    InternetState internet(static_cast<InternetRule>(rule), 3, ClockAt(script));
    // Every target first the other way round, then as the row says: only
    // the latest check of each counts.
    for (std::size_t i = 0; i < 3; ++i)
        internet.Take(i, script.Next(!latest[qsizetype(i)]));
    for (std::size_t i = 0; i < 3; ++i)
        QVERIFY(internet.Take(i, script.Next(latest[qsizetype(i)])));
    QCOMPARE(internet.State(), up ? LinkState::Up : LinkState::Down);
    QCOMPARE(internet.TargetsUp(), std::size_t(latest.count(true)));
}

void TestInternetState::unknownUntilDecided_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<QList<bool>>("firsts"); // the first checks of targets 0, 1, ... of four
    QTest::addColumn<int>("decidedAfter");   // how many of them decide the state
    QTest::addColumn<bool>("up");

    const auto row = [](const char *name, InternetRule rule, QList<bool> firsts, int after, bool up) {
        QTest::newRow(name) << static_cast<int>(rule) << firsts << after << up;
    };
    row("any: a success decides at once", InternetRule::Any, {false, false, true, false}, 3, true);
    row("any: failures wait for every target", InternetRule::Any, {false, false, false, false}, 4, false);
    row("all: a failure decides at once", InternetRule::All, {true, false, true, true}, 2, false);
    row("all: successes wait for every target", InternetRule::All, {true, true, true, true}, 4, true);
    row("quorum: three successes of four", InternetRule::Quorum, {true, true, true, false}, 3, true);
    row("quorum: two failures of four", InternetRule::Quorum, {false, true, false, true}, 3, false);
}

void TestInternetState::unknownUntilDecided()
{
    QFETCH(int, rule);
    QFETCH(QList<bool>, firsts);
    QFETCH(int, decidedAfter);
    QFETCH(bool, up);
    Script script;
    InternetState internet(static_cast<InternetRule>(rule), 4, ClockAt(script));
    for (int i = 0; i < firsts.size(); ++i) {
        const bool decided = internet.Take(static_cast<std::size_t>(i), script.Next(firsts[i]));
        QCOMPARE(decided, i + 1 >= decidedAfter);
        QCOMPARE(internet.State(), i + 1 < decidedAfter ? LinkState::Unknown : up ? LinkState::Up : LinkState::Down);
    }
    QCOMPARE(internet.EverUp(), up);
    // No outage was counted while nothing was decided.
    QCOMPARE(internet.Record().Summary(0).outagesTotal, up ? 0u : 1u);
}

void TestInternetState::outageKeepsTheFailedTargetsReasons()
{
    Script script;
    InternetState internet(InternetRule::All, 2, ClockAt(script));
    internet.Take(0, script.Next(true)); // 1 s
    internet.Take(1, script.Next(true)); // 2 s: up
    internet.Take(0, script.Next(false, FailureReason::Timeout)); // 3 s: down
    internet.Take(1, script.Next(true)); // 4 s: still down, target 0 failing
    internet.Take(1, script.Next(false, FailureReason::Refused)); // 5 s
    internet.Take(0, script.Next(true)); // 6 s: still down, target 1 failing
    internet.Take(1, script.Next(true)); // 7 s: up again
    script.second = 10;
    const SessionSummary summary = internet.Record().Summary();
    QCOMPARE(summary.outagesTotal, 1u);
    QCOMPARE(summary.totalDown, seconds(4));
    QCOMPARE(summary.totalUp, seconds(4)); // 2..3 and 7..10
    QVERIFY(summary.longestOutage);
    QCOMPARE(summary.longestOutage->reasons.Count(FailureReason::Timeout), 2u);
    QCOMPARE(summary.longestOutage->reasons.Count(FailureReason::Refused), 2u);
    QVERIFY(!summary.longestOutage->open);
}

void TestInternetState::summaries()
{
    Script script;
    InternetState internet(InternetRule::Quorum, 3, ClockAt(script));
    internet.Take(0, script.Next(false, FailureReason::Dns));
    internet.Take(1, script.Next(false, FailureReason::Dns));
    internet.Take(2, script.Next(true));
    script.second = 5;
    const SessionSummary summary = internet.Record().Summary(1);
    const QString text = QString::fromStdString(TextInternetSummary(internet, summary, false));
    QVERIFY2(text.startsWith(QStringLiteral("--- internet (quorum of 3 targets) statistics ---\nstate down since ")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral(", 1 of 3 targets up\nup 0.000 s, down 3.000 s, 1 outage\n")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("(going on), failed targets: host not found 2\n")), qPrintable(text));

    const QJsonDocument json = QJsonDocument::fromJson(QByteArray::fromStdString(JsonInternetLine(internet, summary)));
    QVERIFY(json.isObject());
    const QJsonObject object = json.object();
    QCOMPARE(object["type"].toString(), QStringLiteral("internet"));
    QCOMPARE(object["rule"].toString(), QStringLiteral("quorum"));
    QCOMPARE(object["targets"].toInt(), 3);
    QCOMPARE(object["targets_up"].toInt(), 1);
    QCOMPARE(object["state"].toString(), QStringLiteral("down"));
    QCOMPARE(object["downtime_s"].toDouble(), 3.0); // decided by the second failure
    QCOMPARE(object["outages"].toInt(), 1);
    QVERIFY(object["longest_outage"].toObject()["end"].isNull());
    QCOMPARE(object["longest_outage"].toObject()["reasons"].toObject()["dns"].toInt(), 2);
}

// However many outages a long run sees, the sessions' and the internet's
// records keep none in a list (the outputs show the longest and the
// counts): their memory stays what it was at the start.
void TestInternetState::recordsKeepNoOutageList()
{
    OutputQueue out(-1);
    OutputQueue err(-1);
    ProbeOptions options;
    options.quiet = true;
    options.internet = InternetRule::All;
    options.targets = {TargetSpec{"a", "a", 1}, TargetSpec{"b", "b", 2}};
    ProbeFleet fleet(options, SessionOutput{out, err, false, false});
    Script script;
    for (int i = 0; i < 2000; ++i)
        fleet.Take(static_cast<std::size_t>(i % 2), script.Next((i / 2) % 2 == 0));
    for (std::size_t target = 0; target < 2; ++target) {
        const SessionRecord &record = fleet.Session(target).Record();
        QCOMPARE(record.Summary(0).outagesTotal, 500u);
        QVERIFY(record.Summary(0).longestOutage.has_value());
        QCOMPARE(record.OutagesKept(), std::size_t(0));
        QCOMPARE(record.OutageListBytes(), std::size_t(0));
    }
    const SessionRecord &internet = fleet.Internet().Record();
    QVERIFY(internet.Summary(0).outagesTotal >= 499u);
    QCOMPARE(internet.OutageListBytes(), std::size_t(0));
}

QTEST_GUILESS_MAIN(TestInternetState)
#include "tst_internetstate.moc"
