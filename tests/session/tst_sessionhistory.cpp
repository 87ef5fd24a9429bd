// SPDX-License-Identifier: MIT
#include "SessionRig.h"

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
    void copyBeforeTheFirstCheckNamesTheHostNow();
    void hostTypedOnceIsStoredOnce();
    void everyPartIsFedAndLengthRunsFromTheStart();
};

void TestSessionHistory::copyHoldsTheSummaryThenEveryCheckAsCsv()
{
    SessionRig rig;
    SessionHistory history(rig.Clock());
    history.Add(SessionRig::Check(1, true, FailureReason::None, microseconds(1500)), "127.0.0.1");
    history.Add(Failure(2, FailureReason::Refused, 10061, "Connection refused."), "127.0.0.1");
    history.Add(Failure(3, FailureReason::Dns, 11001, "Host, \"x\" not found"), "no.such.host");
    rig.At(4);
    const QStringList lines = Lines(history.CopyText("ignored"));
    QCOMPARE(lines.front(), QStringLiteral("--- no.such.host (127.0.0.1) port 80 statistics ---"));
    QCOMPARE(lines.at(1), QStringLiteral("3 checks, 1 ok, 2 failed, 66.667% loss"));
    const qsizetype header = lines.indexOf(QStringLiteral("time,seq,host,address,port,ok,ms,reason,code,message\r"));
    QVERIFY(header > 2);
    QCOMPARE(lines.at(header - 1), QString());
    const QStringList rows = lines.mid(header + 1);
    QCOMPARE(rows.size(), 4); // three rows and what follows the last CR LF
    QVERIFY(rows[0].endsWith(QStringLiteral(",1,127.0.0.1,127.0.0.1,80,true,1.500,,,\r")));
    QVERIFY(rows[1].endsWith(QStringLiteral(",2,127.0.0.1,127.0.0.1,80,false,10.000,refused,10061,Connection refused.\r")));
    QVERIFY(rows[2].endsWith(QStringLiteral(",3,no.such.host,127.0.0.1,80,false,10.000,dns,11001,\"Host, \"\"x\"\" not found\"\r")));
    QCOMPARE(rows[3], QString());
    QVERIFY(!lines.join(QLatin1Char('\n')).contains(QStringLiteral("dropped")));
}

void TestSessionHistory::copySaysWhenOlderChecksWereDropped()
{
    SessionRig rig;
    SessionHistory history(rig.Clock(), 5);
    for (int i = 1; i <= 8; ++i)
        history.Add(SessionRig::Check(i, i % 3 != 0), "127.0.0.1");
    rig.At(9);
    const QStringList lines = Lines(history.CopyText({}));
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

void TestSessionHistory::copyBeforeTheFirstCheckNamesTheHostNow()
{
    SessionRig rig;
    SessionHistory history(rig.Clock());
    const QStringList lines = Lines(history.CopyText("example.invalid"));
    QCOMPARE(lines.front(), QStringLiteral("--- example.invalid (no address) port 80 statistics ---"));
    QCOMPARE(lines.at(1), QStringLiteral("0 checks, 0 ok, 0 failed, no loss figure"));
    QCOMPARE(lines.at(lines.size() - 2), QStringLiteral("time,seq,host,address,port,ok,ms,reason,code,message\r"));
}

void TestSessionHistory::hostTypedOnceIsStoredOnce()
{
    SessionRig rig;
    CheckLog log(1000);
    const std::string longHost(30000, 'h');
    for (int i = 0; i < 1000; ++i)
        log.Push(Failure(i, FailureReason::Dns, 11001, std::string(200, 'm')), std::uint64_t(i + 1), longHost, 80);
    QCOMPARE(log.Size(), 1000u);
    QCOMPARE(log.Oldest(0).host.get(), log.Oldest(999).host.get());
    QCOMPARE(log.Oldest(0).message.get(), log.Oldest(999).message.get());
    // The slots and one copy of each text, not a thousand.
    QVERIFY2(log.Bytes() < 1000 * sizeof(CheckLog::Entry) + 2 * 30000 + 4096, qPrintable(QString::number(log.Bytes())));
    // A success carries no message, whatever the result held.
    CheckResult ok = SessionRig::Check(2000, true);
    ok.errorMessage = "left over";
    log.Push(ok, 1001, longHost, 80);
    QVERIFY(!log.Oldest(999).message);
    QCOMPARE(log.Dropped(), 1u);
}

void TestSessionHistory::everyPartIsFedAndLengthRunsFromTheStart()
{
    SessionRig rig;
    SessionHistory history(rig.Clock());
    QVERIFY(!history.Latest());
    QCOMPARE(history.StartWall(), SessionRig::kWallBase);
    history.Add(SessionRig::Check(2, false, FailureReason::Timeout), "a");
    CheckResult unresolved = SessionRig::Check(3, false, FailureReason::Dns);
    unresolved.address.clear();
    history.Add(unresolved, "b");
    rig.At(10);
    QCOMPARE(history.Record().Sent(), 2u);
    QCOMPARE(history.Series().Checks(), 2u);
    QCOMPARE(history.Log().Size(), 2u);
    QCOMPARE(history.Latest()->reason, FailureReason::Dns);
    QCOMPARE(history.LatestHost(), std::string("b"));
    // An unresolved name leaves the address of the last check that had one.
    QCOMPARE(history.LatestAddress(), std::string("127.0.0.1"));
    QCOMPARE(history.Length(), seconds(10));
}

QTEST_GUILESS_MAIN(TestSessionHistory)
#include "tst_sessionhistory.moc"
