// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ProbeRun.h"
#include "support/LoopbackListener.h"

#include <QtTest>

#include <signal.h>

namespace {

QString Local(std::uint16_t port)
{
    return QStringLiteral("127.0.0.1:%1").arg(port);
}

QDateTime TimeOf(const QJsonObject &line)
{
    return QDateTime::fromString(line[QStringLiteral("time")].toString(), Qt::ISODateWithMs);
}

// The json lines of one type for one port, in order.
QList<QJsonObject> LinesOf(const QList<QJsonObject> &lines, const char *type, std::uint16_t port)
{
    QList<QJsonObject> picked;
    for (const QJsonObject &line : lines) {
        if (line[QStringLiteral("type")].toString() == QLatin1String(type)
            && line[QStringLiteral("port")].toInteger() == port)
            picked << line;
    }
    return picked;
}

} // namespace

// kelvora-probe with several targets against real sockets on 127.0.0.1:
// each target's own schedule, lines and summary, concurrency and its limit.
class TestProbeFleet : public QObject {
    Q_OBJECT

private slots:
    void eachTargetCountedAndSummarisedInOrder();
    void textBlocksPerTarget();
    void hungTargetDelaysNoOther();
    void parallelLimitQueuesTheOthers();
    void firstChecksSpreadAMillisecondApart();
    void targetsFromAFile();
    void badTargetsFileIsUsageError();
};

void TestProbeFleet::eachTargetCountedAndSummarisedInOrder()
{
    LoopbackListener live;
    RefusingPort refused;
    QByteArray out;
    QByteArray err;
    const int status = ProbeRun::RunToEnd(
        {"-c", "3", "-i", "0.05", "-f", "json", Local(live.Port()), Local(refused.Port())}, &out, &err);
    QCOMPARE(status, 0);
    QVERIFY2(err.isEmpty(), err.constData());
    QList<QJsonObject> lines;
    for (const QByteArray &line : out.split('\n')) {
        QString error;
        if (!line.isEmpty())
            lines << JsonObjectOf(line, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }
    const QList<QJsonObject> liveChecks = LinesOf(lines, "check", live.Port());
    const QList<QJsonObject> refusedChecks = LinesOf(lines, "check", refused.Port());
    QCOMPARE(liveChecks.size(), 3);
    QCOMPARE(refusedChecks.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(liveChecks[i]["seq"].toInteger(), i + 1);
        QCOMPARE(refusedChecks[i]["seq"].toInteger(), i + 1);
        QVERIFY(liveChecks[i]["ok"].toBool());
        QCOMPARE(refusedChecks[i]["reason"].toString(), QStringLiteral("refused"));
    }
    QCOMPARE(live.Accepted(), 3);
    // Both summaries after every check, in the order the targets were given.
    const qsizetype firstSummary = lines.indexOf(LinesOf(lines, "summary", live.Port()).value(0));
    QVERIFY(firstSummary >= 6);
    QCOMPARE(lines[firstSummary]["port"].toInteger(), live.Port());
    QCOMPARE(lines[firstSummary]["sent"].toInteger(), 3);
    QCOMPARE(lines[firstSummary + 1]["type"].toString(), QStringLiteral("summary"));
    QCOMPARE(lines[firstSummary + 1]["port"].toInteger(), refused.Port());
    QCOMPARE(lines[firstSummary + 1]["failed"].toInteger(), 3);
}

void TestProbeFleet::textBlocksPerTarget()
{
    LoopbackListener live;
    RefusingPort refused;
    QByteArray out;
    QByteArray err;
    // A number reads as a port only as the second of two arguments: among
    // three it is refused rather than taken for a host.
    QCOMPARE(ProbeRun::RunToEnd({"-c", "1", Local(live.Port()), "127.0.0.1", QString::number(refused.Port())}, &out,
                                &err),
             2);
    QVERIFY(err.contains("reads as a port"));
    QCOMPARE(live.Accepted(), 0);
    QByteArray text;
    QCOMPARE(ProbeRun::RunToEnd({"-c", "1", Local(live.Port()), Local(refused.Port())}, &text, &err), 0);
    const QString shown = QString::fromUtf8(text);
    QCOMPARE(shown.count(QStringLiteral("probing 127.0.0.1 port ")), 2);
    QVERIFY(shown.startsWith(QStringLiteral("probing 127.0.0.1 port %1 every 1 s").arg(live.Port())));
    const qsizetype liveBlock = shown.indexOf(QStringLiteral("--- 127.0.0.1 (127.0.0.1) port %1 statistics ---").arg(live.Port()));
    const qsizetype refusedBlock =
        shown.indexOf(QStringLiteral("--- 127.0.0.1 (127.0.0.1) port %1 statistics ---").arg(refused.Port()));
    QVERIFY2(liveBlock > 0 && refusedBlock > liveBlock, qPrintable(shown));
    QVERIFY(shown.contains(QStringLiteral("port %1: seq=1 failed: connection refused").arg(refused.Port())));
}

void TestProbeFleet::hungTargetDelaysNoOther()
{
    SilentPort silent;
    LoopbackListener live;
    ProbeRun run({"-w", "20", "-i", "0.05", "-f", "json", Local(silent.Port()), Local(live.Port())});
    // Ten checks of the live target while the silent one's first still hangs.
    QTRY_VERIFY_WITH_TIMEOUT(live.Accepted() >= 10, 5000);
    QVERIFY(ConnectsPendingTo(silent.Port()) >= 1);
    run.Signal(SIGINT);
    QVERIFY(run.Finish(5000));
    QCOMPARE(run.ExitCode(), 0);
    const QList<QJsonObject> lines = run.JsonLines();
    QVERIFY(LinesOf(lines, "check", live.Port()).size() >= 10);
    // The hung check was interrupted by the stop: not counted.
    QCOMPARE(LinesOf(lines, "check", silent.Port()).size(), 0);
    QCOMPARE(LinesOf(lines, "summary", silent.Port()).value(0)["sent"].toInteger(), 0);
}

void TestProbeFleet::parallelLimitQueuesTheOthers()
{
    SilentPort silent;
    LoopbackListener live;
    QByteArray out;
    QByteArray err;
    // One check at a time: the live target waits for the silent one's
    // time-out of 0.5 s.
    QCOMPARE(ProbeRun::RunToEnd({"--parallel", "1", "-c", "1", "-w", "0.5", "-f", "json", Local(silent.Port()),
                                 Local(live.Port())},
                                &out, &err),
             0);
    QList<QJsonObject> lines;
    for (const QByteArray &line : out.split('\n')) {
        QString error;
        if (!line.isEmpty())
            lines << JsonObjectOf(line, &error);
    }
    const QJsonObject hung = LinesOf(lines, "check", silent.Port()).value(0);
    const QJsonObject waited = LinesOf(lines, "check", live.Port()).value(0);
    QCOMPARE(hung["reason"].toString(), QStringLiteral("timeout"));
    QVERIFY(waited["ok"].toBool());
    const qint64 apart = TimeOf(hung).msecsTo(TimeOf(waited));
    QVERIFY2(apart >= 490, qPrintable(QString::number(apart)));

    // With room for both, they start together.
    QCOMPARE(ProbeRun::RunToEnd({"-c", "1", "-w", "0.5", "-f", "json", Local(silent.Port()), Local(live.Port())}, &out,
                                &err),
             0);
    lines.clear();
    for (const QByteArray &line : out.split('\n')) {
        QString error;
        if (!line.isEmpty())
            lines << JsonObjectOf(line, &error);
    }
    const qint64 together = TimeOf(LinesOf(lines, "check", silent.Port()).value(0))
                                .msecsTo(TimeOf(LinesOf(lines, "check", live.Port()).value(0)));
    QVERIFY2(together < 300, qPrintable(QString::number(together)));
}

void TestProbeFleet::firstChecksSpreadAMillisecondApart()
{
    RefusingPort refused;
    // Twenty addresses of loopback, each its own target (nothing listens on
    // the port at any of them but the first's refusing socket).
    QStringList arguments{"-c", "1", "-f", "json"};
    for (int i = 1; i <= 20; ++i)
        arguments << QStringLiteral("127.0.0.%1:%2").arg(i).arg(refused.Port());
    QByteArray out;
    QByteArray err;
    QCOMPARE(ProbeRun::RunToEnd(arguments, &out, &err), 1);
    QList<QDateTime> starts;
    for (const QByteArray &line : out.split('\n')) {
        QString error;
        const QJsonObject object = line.isEmpty() ? QJsonObject() : JsonObjectOf(line, &error);
        if (object["type"].toString() == QLatin1String("check"))
            starts << TimeOf(object);
    }
    QCOMPARE(starts.size(), 20);
    std::sort(starts.begin(), starts.end());
    // A millisecond apart: the last some 19 ms after the first, not all at
    // once, and not spread over the whole interval either.
    const qint64 spread = starts.front().msecsTo(starts.back());
    QVERIFY2(spread >= 15 && spread < 400, qPrintable(QString::number(spread)));
}

void TestProbeFleet::targetsFromAFile()
{
    LoopbackListener first;
    LoopbackListener second;
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("targets")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("# two local listeners\n%1\n\n127.0.0.1 # the default port, from -p\n")
                   .arg(Local(first.Port()))
                   .toUtf8());
    file.close();
    QByteArray out;
    QByteArray err;
    QCOMPARE(ProbeRun::RunToEnd({"-c", "2", "-i", "0.05", "-q", "-p", QString::number(second.Port()), "--targets",
                                 file.fileName()},
                                &out, &err),
             0);
    QCOMPARE(first.Accepted(), 2);
    QCOMPARE(second.Accepted(), 2);
    const QString shown = QString::fromUtf8(out);
    QCOMPARE(shown.count(QRegularExpression(QStringLiteral("^--- 127\\.0\\.0\\.1 .* statistics ---$"),
                                            QRegularExpression::MultilineOption)),
             2);
    QCOMPARE(shown.count(QStringLiteral("--- internet (any of 2 targets) statistics ---")), 1);
}

void TestProbeFleet::badTargetsFileIsUsageError()
{
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("targets")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("good.example\nbad:port\n");
    file.close();
    for (const QStringList &arguments :
         {QStringList{"--targets", file.fileName()}, QStringList{"--targets", folder.filePath(QStringLiteral("none"))}}) {
        QByteArray out;
        QByteArray err;
        QCOMPARE(ProbeRun::RunToEnd(arguments, &out, &err), 2);
        QVERIFY(out.isEmpty());
        QCOMPARE(err.count('\n'), 1);
        QVERIFY2(err.startsWith("kelvora-probe: --targets: "), err.constData());
    }
}

QTEST_GUILESS_MAIN(TestProbeFleet)
#include "tst_probefleet.moc"
