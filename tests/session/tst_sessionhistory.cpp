// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "SessionRig.h"

#include "session/SessionCsv.h"
#include "session/SessionHistory.h"

#include <QtTest>

using namespace std::chrono;

namespace {

QStringList Lines(const std::string &text)
{
    return QString::fromStdString(text).split(QLatin1Char('\n'));
}

CheckResult Failure(double seconds, FailureReason reason, std::int32_t code, const std::string &message)
{
    CheckResult result = SessionRig::Check(seconds, false, reason);
    result.errorCode = code;
    result.errorMessage = message;
    return result;
}

} // namespace

class TestSessionHistory : public QObject {
    Q_OBJECT
private slots:
    void copyHoldsTheSummaryThenEveryCheckAsCsv();
    void copySaysWhenOlderChecksWereDropped();
    void copyBeforeTheFirstCheckNamesTheTarget();
    void repeatedTextsAreStoredOnce();
    void everyPartIsFedAndLengthRunsFromTheFirstCheck();
    void restartBeginsAnEmptySessionOfTheNewTarget();
};

void TestSessionHistory::copyHoldsTheSummaryThenEveryCheckAsCsv()
{
    SessionRig rig;
    SessionHistory history({"127.0.0.1", 8080}, rig.Clock());
    history.Add(SessionRig::Check(1, true, FailureReason::None, microseconds(1500)));
    history.Add(Failure(2, FailureReason::Refused, 10061, "Connection refused."));
    CheckResult unresolved = Failure(3, FailureReason::Dns, 11001, "Host, \"x\" not found");
    unresolved.address.clear();
    history.Add(unresolved);
    rig.At(4);
    const QStringList lines = Lines(history.CopyText());
    QCOMPARE(lines.front(), QStringLiteral("--- 127.0.0.1 (127.0.0.1) port 8080 statistics ---"));
    QCOMPARE(lines.at(1), QStringLiteral("3 checks, 1 ok, 2 failed, 66.667% loss"));
    const qsizetype header = lines.indexOf(QStringLiteral("time,seq,host,address,port,ok,ms,reason,code,message\r"));
    QVERIFY(header > 2);
    QCOMPARE(lines.at(header - 1), QString());
    const QStringList rows = lines.mid(header + 1);
    QCOMPARE(rows.size(), 4); // three rows and what follows the last CR LF
    QVERIFY(rows[0].endsWith(QStringLiteral(",1,127.0.0.1,127.0.0.1,8080,true,1.500,,,\r")));
    QVERIFY(rows[1].endsWith(QStringLiteral(",2,127.0.0.1,127.0.0.1,8080,false,10.000,refused,10061,Connection refused.\r")));
    QVERIFY(rows[2].endsWith(QStringLiteral(",3,127.0.0.1,,8080,false,10.000,dns,11001,\"Host, \"\"x\"\" not found\"\r")));
    QCOMPARE(rows[3], QString());
    QVERIFY(!lines.join(QLatin1Char('\n')).contains(QStringLiteral("dropped")));
    // A row of the log is the row the probe's csv output writes for the check.
    const ProbeTarget target{"127.0.0.1", 8080};
    const CheckResult failed = Failure(2, FailureReason::Refused, 10061, "Connection refused.");
    QCOMPARE(CsvRow(history.Log().Oldest(1).Row(target)), CsvRow(CheckEvent{target, 2, failed, {}}));
}

void TestSessionHistory::copySaysWhenOlderChecksWereDropped()
{
    SessionRig rig;
    SessionHistory history({"127.0.0.1", 80}, rig.Clock(), 5);
    for (int i = 1; i <= 8; ++i)
        history.Add(SessionRig::Check(i, i % 3 != 0));
    rig.At(9);
    const QStringList lines = Lines(history.CopyText());
    QVERIFY(lines.contains(QStringLiteral("checks below: the newest 5 of 8; 3 older checks were dropped")));
    const qsizetype header = lines.indexOf(QStringLiteral("time,seq,host,address,port,ok,ms,reason,code,message\r"));
    QVERIFY(header > 0);
    QStringList seqs;
    for (const QString &row : lines.mid(header + 1))
        if (!row.isEmpty())
            seqs << row.section(QLatin1Char(','), 1, 1);
    QCOMPARE(seqs, (QStringList{"4", "5", "6", "7", "8"}));
    // The summary still counts every check.
    QCOMPARE(lines.at(1), QStringLiteral("8 checks, 6 ok, 2 failed, 25% loss"));
}

void TestSessionHistory::copyBeforeTheFirstCheckNamesTheTarget()
{
    SessionRig rig;
    SessionHistory history({"example.invalid", 80}, rig.Clock());
    const QStringList lines = Lines(history.CopyText());
    QCOMPARE(lines.front(), QStringLiteral("--- example.invalid (no address) port 80 statistics ---"));
    QCOMPARE(lines.at(1), QStringLiteral("0 checks, 0 ok, 0 failed, no loss figure"));
    QCOMPARE(lines.at(lines.size() - 2), QStringLiteral("time,seq,host,address,port,ok,ms,reason,code,message\r"));
}

void TestSessionHistory::repeatedTextsAreStoredOnce()
{
    CheckLog log(1000);
    const std::string longAddress(300, 'a');
    for (int i = 0; i < 1000; ++i) {
        CheckResult failure = Failure(i, FailureReason::Dns, 11001, std::string(20000, 'm'));
        failure.address = longAddress;
        log.Push(failure, std::uint64_t(i + 1));
    }
    QCOMPARE(log.Size(), 1000u);
    QCOMPARE(log.Oldest(0).address.get(), log.Oldest(999).address.get());
    QCOMPARE(log.Oldest(0).message.get(), log.Oldest(999).message.get());
    // The slots and one copy of each text, not a thousand; no host per row.
    QVERIFY2(log.Bytes() < 1000 * sizeof(CheckLog::Entry) + 20000 + 300 + 4096, qPrintable(QString::number(log.Bytes())));
    // A success carries no message, code or reason, whatever the result held.
    CheckResult ok = SessionRig::Check(2000, true);
    ok.errorMessage = "left over";
    ok.errorCode = 10061;
    ok.reason = FailureReason::Refused;
    log.Push(ok, 1001);
    const CheckLog::Entry &last = log.Oldest(999);
    QVERIFY(!last.message);
    QCOMPARE(last.errorCode, 0);
    QCOMPARE(last.reason, FailureReason::None);
    QCOMPARE(log.Dropped(), 1u);
}

void TestSessionHistory::everyPartIsFedAndLengthRunsFromTheFirstCheck()
{
    SessionRig rig;
    SessionHistory history({"a", 80}, rig.Clock());
    QVERIFY(!history.Latest());
    QCOMPARE(history.StartWall(), SessionRig::kWallBase);
    rig.At(1);
    QCOMPARE(history.Length(), nanoseconds{0});
    history.Add(SessionRig::Check(2, false, FailureReason::Timeout));
    CheckResult unresolved = SessionRig::Check(3, false, FailureReason::Dns);
    unresolved.address.clear();
    history.Add(unresolved);
    rig.At(10);
    QCOMPARE(history.Record().Sent(), 2u);
    QCOMPARE(history.Series().Checks(), 2u);
    QCOMPARE(history.Log().Size(), 2u);
    QCOMPARE(history.Latest()->reason, FailureReason::Dns);
    // An unresolved name leaves the address of the last check that had one.
    QCOMPARE(history.LatestAddress(), std::string("127.0.0.1"));
    // Nobody looked before the first check, 2 s after the history was made.
    QCOMPARE(history.StartWall(), SessionRig::kWallBase + seconds(2));
    QCOMPARE(history.Series().Origin(), SessionRig::kMonotonicBase + seconds(2));
    QCOMPARE(history.Length(), seconds(8));
    QCOMPARE(history.Record().Summary(0).totalDown, seconds(8));
}

void TestSessionHistory::restartBeginsAnEmptySessionOfTheNewTarget()
{
    SessionRig rig;
    SessionHistory history({"127.0.0.1", 80}, rig.Clock());
    const SessionRecord *record = &history.Record();
    history.Add(SessionRig::Check(1, false));
    rig.At(5);
    history.Restart({"127.0.0.2", 80});
    QCOMPARE(history.Target().host, std::string("127.0.0.2"));
    QCOMPARE(&history.Record(), record);
    QVERIFY(!history.Latest());
    QVERIFY(history.LatestAddress().empty());
    QCOMPARE(history.Record().Sent(), 0u);
    QCOMPARE(history.Record().State(), LinkState::Unknown);
    QCOMPARE(history.Series().Checks(), 0u);
    QCOMPARE(history.Log().Size(), 0u);
    // The new session starts at its own first check, not at the old one's.
    history.Add(SessionRig::Check(7, true));
    rig.At(9);
    const SessionSummary summary = history.Record().Summary(0);
    QCOMPARE(summary.totalUp, seconds(2));
    QCOMPARE(summary.totalDown, nanoseconds{0});
    QCOMPARE(summary.outagesTotal, 0u);
    QCOMPARE(history.Series().Origin(), SessionRig::kMonotonicBase + seconds(7));
    const QStringList lines = Lines(history.CopyText());
    QCOMPARE(lines.front(), QStringLiteral("--- 127.0.0.2 (127.0.0.1) port 80 statistics ---"));
    QCOMPARE(lines.at(1), QStringLiteral("1 check, 1 ok, 0 failed, 0% loss"));
}

QTEST_GUILESS_MAIN(TestSessionHistory)
#include "tst_sessionhistory.moc"
