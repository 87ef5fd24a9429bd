// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "CsvReader.h"
#include "ExpositionReader.h"
#include "PlantedPath.h"
#include "support/LoopbackListener.h"
#include "ProbeRun.h"

#include <QtTest>

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

namespace {

QString Port(std::uint16_t port)
{
    return QString::number(port);
}

QDateTime TimeOf(const QJsonObject &line)
{
    return QDateTime::fromString(line[QStringLiteral("time")].toString(), Qt::ISODateWithMs);
}

// Checks every check object of a json run and returns them; `summary` gets
// the summary object, which must come last.
QList<QJsonObject> ChecksOf(const QList<QJsonObject> &lines, QJsonObject *summary)
{
    QList<QJsonObject> checks;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString type = lines[i][QStringLiteral("type")].toString();
        if (type == QLatin1String("summary")) {
            if (i != lines.size() - 1)
                QTest::qFail("the summary is not the last line", __FILE__, __LINE__);
            *summary = lines[i];
        } else if (type == QLatin1String("check")) {
            if (lines[i][QStringLiteral("seq")].toInteger() != checks.size() + 1)
                QTest::qFail("checks out of sequence", __FILE__, __LINE__);
            checks << lines[i];
        } else {
            QTest::qFail(qPrintable(QStringLiteral("unknown line type '%1'").arg(type)), __FILE__, __LINE__);
        }
    }
    return checks;
}

std::optional<QList<ExpositionFamily>> ReadMetrics(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QString error;
    return ReadExposition(file.readAll(), &error);
}

// The processor time a process has used so far, all its threads together.
std::chrono::nanoseconds ProcessorTime(qint64 pid)
{
    clockid_t clock{};
    timespec used{};
    if (::clock_getcpuclockid(static_cast<pid_t>(pid), &clock) != 0 || ::clock_gettime(clock, &used) != 0)
        return std::chrono::nanoseconds(-1);
    return std::chrono::seconds(used.tv_sec) + std::chrono::nanoseconds(used.tv_nsec);
}

double OkChecksIn(const QList<ExpositionFamily> &families)
{
    for (const ExpositionFamily &family : families) {
        for (const ExpositionSample &sample : family.samples) {
            if (sample.name == QLatin1String("kelvora_probe_checks_total")
                && sample.labels.value(QStringLiteral("result")) == QLatin1String("ok"))
                return sample.value;
        }
    }
    return -1;
}

} // namespace

// The built kelvora-probe against real sockets on 127.0.0.1: results,
// formats, timing of the checks, signals, the Enter key, exit statuses.
class TestProbeProgram : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void loopbackChecksCountedByListener();
    void refusedPort();
    void timedOutAfterItsLimit();
    void textOutput();
    void csvOutputWithSummaryOnStderr();
    void quietPrintsOnlySummary_data();
    void quietPrintsOnlySummary();
    void colourOnlyWhenAsked();
    void prometheusFileAfterEveryCheck();
    void checksStartOneIntervalApart();
    void slowCheckFollowedAtOnce();

    void stopDuringRun_data();
    void stopDuringRun();
    void interruptDuringHungConnect();
    void statisticsDuringRunGoOn();
    void statisticsDuringHungConnect();
    void enterKeyOnTerminal();
    void closedOutputPipeEndsCleanly();
    void outputThatCannotBeWrittenIsAnError_data();
    void outputThatCannotBeWrittenIsAnError();
    void stopWhileNobodyReadsTheOutput();
    void waitingFailureEndsLikeAStop();
    void noProcessorTimeBetweenChecks();
    void metricsPathThatIsNoRegularFileIsRefused_data();
    void metricsPathThatIsNoRegularFileIsRefused();

    void badUsageExitsTwo_data();
    void badUsageExitsTwo();
    void helpAndVersion();
};

void TestProbeProgram::initTestCase()
{
    QVERIFY2(QFileInfo(ProbeProgram()).isExecutable(), qPrintable(ProbeProgram()));
}

void TestProbeProgram::loopbackChecksCountedByListener()
{
    LoopbackListener listener;
    ProbeRun run({"-c", "3", "-i", "0.05", "-f", "json", "127.0.0.1", Port(listener.Port())});
    QVERIFY(run.Finish());
    QCOMPARE(run.ExitCode(), 0);
    QJsonObject summary;
    const QList<QJsonObject> checks = ChecksOf(run.JsonLines(), &summary);
    QCOMPARE(checks.size(), 3);
    for (const QJsonObject &check : checks) {
        QCOMPARE(check["ok"], QJsonValue(true));
        QCOMPARE(check["address"].toString(), QStringLiteral("127.0.0.1"));
        QCOMPARE(check["port"].toInteger(), listener.Port());
        QVERIFY(check["ms"].toDouble() >= 0);
    }
    QCOMPARE(summary["sent"].toInteger(), 3);
    QCOMPARE(summary["ok"].toInteger(), 3);
    QCOMPARE(summary["loss"].toDouble(), 0.0);
    QTRY_COMPARE(listener.Accepted(), 3);
    QTRY_COMPARE(listener.Ended(), 3);
    QCOMPARE(listener.BytesReceived(), std::size_t(0)); // nothing is sent
    QVERIFY2(run.Err().isEmpty(), run.Err().constData());
}

void TestProbeProgram::refusedPort()
{
    RefusingPort refusing;
    ProbeRun run({"-c", "2", "-i", "0.02", "-f", "json", "127.0.0.1", Port(refusing.Port())});
    QVERIFY(run.Finish());
    QCOMPARE(run.ExitCode(), 1);
    QJsonObject summary;
    const QList<QJsonObject> checks = ChecksOf(run.JsonLines(), &summary);
    QCOMPARE(checks.size(), 2);
    for (const QJsonObject &check : checks) {
        QCOMPARE(check["ok"], QJsonValue(false));
        QCOMPARE(check["reason"].toString(), QStringLiteral("refused"));
        QCOMPARE(check["code"].toInteger(), 10061);
        QCOMPARE(check["message"].toString(), QStringLiteral("Connection refused."));
    }
    QCOMPARE(summary["failed"].toInteger(), 2);
    QCOMPARE(summary["loss"].toDouble(), 100.0);
    QVERIFY(summary["min_ms"].isNull());
    QCOMPARE(summary["longest_outage"].toObject()["reasons"].toObject(), (QJsonObject{{"refused", 2}}));
}

void TestProbeProgram::timedOutAfterItsLimit()
{
    SilentPort silent;
    ProbeRun run({"-c", "1", "--timeout", "1", "-f", "json", "127.0.0.1", Port(silent.Port())});
    QVERIFY(run.Finish());
    QCOMPARE(run.ExitCode(), 1);
    QJsonObject summary;
    const QList<QJsonObject> checks = ChecksOf(run.JsonLines(), &summary);
    QCOMPARE(checks.size(), 1);
    QCOMPARE(checks[0]["reason"].toString(), QStringLiteral("timeout"));
    QCOMPARE(checks[0]["code"].toInteger(), 10060);
    const double ms = checks[0]["ms"].toDouble();
    // The limit is the connect's: it ends about 1 s in, long before the
    // kernel's own 130 s.
    QVERIFY2(ms >= 999 && ms < 10000, qPrintable(QString::number(ms)));
    QCOMPARE(summary["longest_outage"].toObject()["reasons"].toObject(), (QJsonObject{{"timeout", 1}}));
}

void TestProbeProgram::textOutput()
{
    LoopbackListener listener;
    RefusingPort refusing;
    ProbeRun ok({"-c", "2", "-i", "0.02", "-D", "127.0.0.1", Port(listener.Port())});
    QVERIFY(ok.Finish());
    QCOMPARE(ok.ExitCode(), 0);
    const QList<QByteArray> lines = ok.OutLines();
    QVERIFY2(lines.size() >= 12, ok.Out().constData());
    QCOMPARE(lines[0], "probing 127.0.0.1 port " + Port(listener.Port()).toLatin1() + " every 0.02 s, time-out 5 s");
    const QRegularExpression check(QStringLiteral(
        R"(^\[\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d\] 127\.0\.0\.1 \(127\.0\.0\.1\) port \d+: seq=(\d) time=\d+\.\d{3} ms$)"));
    for (int i = 1; i <= 2; ++i) {
        const auto match = check.match(QString::fromUtf8(lines[i]));
        QVERIFY2(match.hasMatch(), lines[i].constData());
        QCOMPARE(match.captured(1).toInt(), i);
    }
    QCOMPARE(lines[3], QByteArray());
    QCOMPARE(lines[4], "--- 127.0.0.1 (127.0.0.1) port " + Port(listener.Port()).toLatin1() + " statistics ---");
    QCOMPARE(lines[5], QByteArray("2 checks, 2 ok, 0 failed, 0% loss"));
    QVERIFY(lines[6].startsWith("time min/avg/max/mdev = "));
    QVERIFY(lines[7].startsWith("time p50/p90/p95/p99 = "));

    ProbeRun refused({"-c", "1", "127.0.0.1", Port(refusing.Port())});
    QVERIFY(refused.Finish());
    QCOMPARE(refused.ExitCode(), 1);
    QVERIFY2(refused.Out().contains(": seq=1 failed: connection refused (Connection refused.) after "), refused.Out().constData());
    QVERIFY2(refused.Out().contains("longest outage: "), refused.Out().constData());
}

void TestProbeProgram::csvOutputWithSummaryOnStderr()
{
    LoopbackListener listener;
    RefusingPort refusing;
    for (const std::uint16_t port : {listener.Port(), refusing.Port()}) {
        ProbeRun run({"-c", "2", "-i", "0.02", "-f", "csv", "127.0.0.1", Port(port)});
        QVERIFY(run.Finish());
        QString error;
        const auto records = ReadCsv(run.Out(), &error);
        QVERIFY2(records, qPrintable(error));
        QCOMPARE(records->size(), 3);
        QCOMPARE(records->at(0).join(QLatin1Char(',')), QStringLiteral("time,seq,host,address,port,ok,ms,reason,code,message,family,dns_ms,connect_ms"));
        const bool ok = port == listener.Port();
        for (int i = 1; i <= 2; ++i) {
            const QStringList &row = records->at(i);
            QCOMPARE(row.size(), 13);
            QVERIFY2(QDateTime::fromString(row[0], Qt::ISODateWithMs).isValid(), qPrintable(row[0]));
            QCOMPARE(row[1], QString::number(i));
            QCOMPARE(row[2], QStringLiteral("127.0.0.1"));
            QCOMPARE(row[4], Port(port));
            QCOMPARE(row[5], ok ? QStringLiteral("true") : QStringLiteral("false"));
            QCOMPARE(row[7], ok ? QString() : QStringLiteral("refused"));
            QCOMPARE(row[8], ok ? QString() : QStringLiteral("10061"));
            QCOMPARE(row[10], QStringLiteral("ipv4"));
            // The lookup and the connect are shares of the total.
            bool numbers = false;
            const double dns = row[11].toDouble(&numbers);
            QVERIFY2(numbers, qPrintable(row[11]));
            const double connect = row[12].toDouble(&numbers);
            QVERIFY2(numbers, qPrintable(row[12]));
            QVERIFY2(dns + connect <= row[6].toDouble() + 0.0015, qPrintable(row.join(QLatin1Char(','))));
        }
        QVERIFY2(run.Err().startsWith("--- 127.0.0.1 (127.0.0.1) port "), run.Err().constData());
        QCOMPARE(run.ExitCode(), ok ? 0 : 1);
    }
}

void TestProbeProgram::quietPrintsOnlySummary_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("text") << "text";
    QTest::newRow("json") << "json";
    QTest::newRow("csv") << "csv";
}

void TestProbeProgram::quietPrintsOnlySummary()
{
    QFETCH(QString, format);
    LoopbackListener listener;
    ProbeRun run({"-q", "-c", "2", "-i", "0.02", "-f", format, "127.0.0.1", Port(listener.Port())});
    QVERIFY(run.Finish());
    QCOMPARE(run.ExitCode(), 0);
    if (format == QLatin1String("csv")) {
        QCOMPARE(run.Out(), QByteArray());
        QVERIFY2(run.Err().startsWith("--- 127.0.0.1"), run.Err().constData());
    } else if (format == QLatin1String("json")) {
        const QList<QJsonObject> lines = run.JsonLines();
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines[0]["type"].toString(), QStringLiteral("summary"));
        QCOMPARE(lines[0]["sent"].toInteger(), 2);
    } else {
        QVERIFY2(run.Out().startsWith("--- 127.0.0.1"), run.Out().constData());
        QVERIFY(!run.Out().contains("seq="));
    }
    QTRY_COMPARE(listener.Accepted(), 2);
}

void TestProbeProgram::colourOnlyWhenAsked()
{
    LoopbackListener listener;
    QByteArray out;
    QCOMPARE(ProbeRun::RunToEnd({"-c", "1", "--color", "always", "127.0.0.1", Port(listener.Port())}, &out, nullptr), 0);
    QVERIFY2(out.contains("\x1b[32mtime="), out.constData());
    // auto: standard output is a pipe here.
    QCOMPARE(ProbeRun::RunToEnd({"-c", "1", "127.0.0.1", Port(listener.Port())}, &out, nullptr), 0);
    QVERIFY2(!out.contains('\x1b'), out.constData());
    // Machine formats never.
    QCOMPARE(ProbeRun::RunToEnd({"-c", "1", "--color", "always", "-f", "json", "127.0.0.1", Port(listener.Port())}, &out,
                                nullptr),
             0);
    QVERIFY2(!out.contains('\x1b'), out.constData());
}

void TestProbeProgram::prometheusFileAfterEveryCheck()
{
    LoopbackListener listener;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("probe.prom"));
    ProbeRun run({"-c", "3", "-i", "0.3", "-q", "--prometheus", path, "127.0.0.1", Port(listener.Port())});
    // Written after the first check already, while the run goes on.
    QTRY_VERIFY(QFileInfo::exists(path));
    const auto early = ReadMetrics(path);
    QVERIFY(early);
    QVERIFY(OkChecksIn(*early) >= 1);
    QVERIFY(run.Finish());
    QCOMPARE(run.ExitCode(), 0);
    const auto last = ReadMetrics(path);
    QVERIFY(last);
    QCOMPARE(OkChecksIn(*last), 3.0);
    for (const ExpositionFamily &family : *last) {
        if (family.name == QLatin1String("kelvora_probe_duration_seconds"))
            QCOMPARE(family.samples.last().value, 3.0); // _count
        if (family.name == QLatin1String("kelvora_probe_up"))
            QCOMPARE(family.samples.at(0).value, 1.0);
        if (family.name == QLatin1String("kelvora_internet_up"))
            QCOMPARE(family.samples.at(0).value, 1.0);
        if (!family.name.startsWith(QLatin1String("kelvora_probe_")) || family.name == QLatin1String("kelvora_probe_build_info"))
            continue;
        for (const ExpositionSample &sample : family.samples)
            QCOMPARE(sample.labels.value(QStringLiteral("port")), Port(listener.Port()));
    }
    // Only the file itself is left: the files it was written through are gone.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"probe.prom"});
}

void TestProbeProgram::checksStartOneIntervalApart()
{
    LoopbackListener listener;
    ProbeRun run({"-c", "3", "-i", "0.3", "-f", "json", "127.0.0.1", Port(listener.Port())});
    QVERIFY(run.Finish());
    QJsonObject summary;
    const QList<QJsonObject> checks = ChecksOf(run.JsonLines(), &summary);
    QCOMPARE(checks.size(), 3);
    for (int i = 1; i < 3; ++i) {
        const qint64 apart = TimeOf(checks[i - 1]).msecsTo(TimeOf(checks[i]));
        // Never early (the times are cut to the millisecond).
        QVERIFY2(apart >= 299, qPrintable(QString::number(apart)));
    }
}

void TestProbeProgram::slowCheckFollowedAtOnce()
{
    SilentPort silent;
    // Each check takes its 1 s time-out, longer than the 0.5 s interval: the
    // next starts as soon as one ends, not an interval later.
    ProbeRun run({"-c", "2", "-i", "0.5", "-w", "1", "-f", "json", "127.0.0.1", Port(silent.Port())});
    QVERIFY(run.Finish());
    QJsonObject summary;
    const QList<QJsonObject> checks = ChecksOf(run.JsonLines(), &summary);
    QCOMPARE(checks.size(), 2);
    const qint64 apart = TimeOf(checks[0]).msecsTo(TimeOf(checks[1]));
    QVERIFY2(apart >= 999 && apart < 1400, qPrintable(QString::number(apart)));
}

void TestProbeProgram::stopDuringRun_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGHUP") << SIGHUP;
}

void TestProbeProgram::stopDuringRun()
{
    QFETCH(int, signalNumber);
    LoopbackListener listener;
    ProbeRun run({"-i", "0.05", "-f", "json", "127.0.0.1", Port(listener.Port())});
    QTRY_VERIFY(run.OutLines().size() >= 2);
    run.Signal(signalNumber);
    QVERIFY(run.Finish(5000));
    QVERIFY(!run.Crashed());
    QCOMPARE(run.ExitCode(), 0);
    QJsonObject summary;
    const QList<QJsonObject> checks = ChecksOf(run.JsonLines(), &summary);
    QVERIFY(checks.size() >= 2);
    QCOMPARE(summary["sent"].toInteger(), checks.size());
    QCOMPARE(summary["ok"].toInteger(), checks.size());
    // A check cut short by the signal may have reached the listener without
    // being counted.
    QTRY_VERIFY(listener.Accepted() >= checks.size());
    QVERIFY(listener.Accepted() <= checks.size() + 1);
}

void TestProbeProgram::interruptDuringHungConnect()
{
    SilentPort silent;
    const int before = ConnectsPendingTo(silent.Port());
    // No time-out of its own: the client's 21 s.
    ProbeRun run({"-w", "0", "-f", "json", "127.0.0.1", Port(silent.Port())});
    QTRY_VERIFY(ConnectsPendingTo(silent.Port()) > before);
    QElapsedTimer clock;
    clock.start();
    run.Signal(SIGINT);
    QVERIFY(run.Finish(20000));
    const qint64 took = clock.elapsed();
    QVERIFY2(took < 3000, qPrintable(QString::number(took)));
    QCOMPARE(run.ExitCode(), 1);
    QJsonObject summary;
    const QList<QJsonObject> checks = ChecksOf(run.JsonLines(), &summary);
    // The interrupted check neither succeeded nor failed: not counted.
    QCOMPARE(checks.size(), 0);
    QCOMPARE(summary["type"].toString(), QStringLiteral("summary"));
    QCOMPARE(summary["sent"].toInteger(), 0);
    QVERIFY(summary["loss"].isNull());
}

void TestProbeProgram::statisticsDuringRunGoOn()
{
    LoopbackListener listener;
    ProbeRun run({"-i", "0.05", "-f", "json", "127.0.0.1", Port(listener.Port())});
    QTRY_VERIFY(run.OutLines().size() >= 1);
    run.Signal(SIGQUIT);
    QTRY_VERIFY(run.Err().contains('\n'));
    QString error;
    const QJsonObject statistics = JsonObjectOf(run.Err().split('\n').first(), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(statistics["type"].toString(), QStringLiteral("summary"));
    QVERIFY(statistics["sent"].toInteger() >= 1);
    // The run goes on.
    const qsizetype seen = run.OutLines().size();
    QTRY_VERIFY(run.OutLines().size() >= seen + 2);
    QCOMPARE(run.Process().state(), QProcess::Running);
    run.Signal(SIGTERM);
    QVERIFY(run.Finish(5000));
    QCOMPARE(run.ExitCode(), 0);
    QJsonObject summary;
    const QList<QJsonObject> checks = ChecksOf(run.JsonLines(), &summary);
    QVERIFY(summary["sent"].toInteger() > statistics["sent"].toInteger());
    QCOMPARE(summary["sent"].toInteger(), checks.size());
}

void TestProbeProgram::statisticsDuringHungConnect()
{
    SilentPort silent;
    const int before = ConnectsPendingTo(silent.Port());
    ProbeRun run({"-w", "0", "127.0.0.1", Port(silent.Port())});
    QTRY_VERIFY(ConnectsPendingTo(silent.Port()) > before);
    run.Signal(SIGQUIT);
    QTRY_VERIFY(run.Err().contains("session: "));
    QVERIFY2(run.Err().startsWith("--- 127.0.0.1 (no address) port "), run.Err().constData());
    QVERIFY2(run.Err().contains("\n0 checks, 0 ok, 0 failed"), run.Err().constData());
    // The connect still waits.
    QCOMPARE(run.Process().state(), QProcess::Running);
    QVERIFY(ConnectsPendingTo(silent.Port()) > before);
    run.Signal(SIGINT);
    QVERIFY(run.Finish(5000));
    QCOMPARE(run.ExitCode(), 1);
}

void TestProbeProgram::enterKeyOnTerminal()
{
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        QSKIP("no pseudo-terminal to be had");
    LoopbackListener listener;
    // The terminal becomes the child's controlling terminal and its input,
    // with the child's session in its foreground.
    ProbeRun run({"-i", "0.05", "127.0.0.1", Port(listener.Port())}, [slave] {
        ::setsid();
        ::ioctl(slave, TIOCSCTTY, 0);
        ::dup2(slave, STDIN_FILENO);
    });
    ::close(slave);
    QTRY_VERIFY(run.Out().contains("seq=2 "));
    QCOMPARE(run.Err(), QByteArray());
    QCOMPARE(::write(master, "\n", 1), ssize_t(1));
    QTRY_VERIFY(run.Err().contains("session: "));
    QVERIFY2(run.Err().startsWith("--- 127.0.0.1 (127.0.0.1) port "), run.Err().constData());
    const QByteArray first = run.Err();
    // Each Enter prints them again; the run goes on meanwhile.
    QCOMPARE(::write(master, "again\n", 6), ssize_t(6));
    QTRY_VERIFY(run.Err().size() > first.size() && run.Err().endsWith("\n") && run.Err().count("session: ") == 2);
    QCOMPARE(run.Process().state(), QProcess::Running);
    run.Signal(SIGINT);
    QVERIFY(run.Finish(5000));
    QCOMPARE(run.ExitCode(), 0);
    ::close(master);
}

void TestProbeProgram::closedOutputPipeEndsCleanly()
{
    LoopbackListener listener;
    QProcess shell;
    // head leaves after two lines; the probe's next write fails with EPIPE.
    const QString script = QStringLiteral("'%1' -i 0.01 127.0.0.1 %2 | head -n 2 >/dev/null; echo \"status=${PIPESTATUS[0]}\"")
                               .arg(ProbeProgram(), Port(listener.Port()));
    shell.start(QStringLiteral("bash"), {QStringLiteral("-c"), script});
    QVERIFY(shell.waitForFinished(20000));
    QCOMPARE(shell.readAllStandardOutput().trimmed(), QByteArray("status=0"));
    QCOMPARE(shell.readAllStandardError(), QByteArray());
}

void TestProbeProgram::outputThatCannotBeWrittenIsAnError_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("json lines") << QStringList{"-f", "json"};
    QTest::newRow("text") << QStringList{};
    QTest::newRow("csv") << QStringList{"-f", "csv"};
    QTest::newRow("only the summary") << QStringList{"-q"};
    QTest::newRow("--help") << QStringList{"--help"};
    QTest::newRow("--version") << QStringList{"--version"};
}

// A full disk (or any error but a closed pipe) is said once and ends the
// run with exit status 3, whichever line first meets it.
void TestProbeProgram::outputThatCannotBeWrittenIsAnError()
{
    QFETCH(QStringList, arguments);
    LoopbackListener listener;
    ProbeRun run(arguments + QStringList{"-c", "3", "-i", "0.02", "127.0.0.1", Port(listener.Port())}, [] {
        const int full = ::open("/dev/full", O_WRONLY);
        ::dup2(full, STDOUT_FILENO);
    });
    QVERIFY(run.Finish());
    QVERIFY(!run.Crashed());
    QCOMPARE(run.ExitCode(), 3);
    // After the csv summary, which goes to standard error.
    const QByteArray said("kelvora-probe: cannot write standard output: No space left on device\n");
    QVERIFY2(run.Err().endsWith(said), run.Err().constData());
    QCOMPARE(run.Err().count("kelvora-probe: "), 1);
}

// Standard output into a pipe that its reader does not read: the checks and
// the metrics file go on, and a stop still ends the run at once, counting
// the lines it could not write.
void TestProbeProgram::stopWhileNobodyReadsTheOutput()
{
    int stuck[2] = {-1, -1};
    QVERIFY(::pipe2(stuck, O_CLOEXEC) == 0);
    ::fcntl(stuck[0], F_SETPIPE_SZ, 4096);
    LoopbackListener listener;
    QTemporaryDir dir;
    const QString metrics = dir.filePath(QStringLiteral("probe.prom"));
    const int writeEnd = stuck[1];
    ProbeRun run({"-i", "0.01", "-D", "--prometheus", metrics, "127.0.0.1", Port(listener.Port())},
                 [writeEnd] { ::dup2(writeEnd, STDOUT_FILENO); });
    ::close(stuck[1]);
    const auto pending = [&stuck] {
        int bytes = 0;
        ::ioctl(stuck[0], FIONREAD, &bytes);
        return bytes;
    };
    // Full but for the end of its one page, which the next line does not fit.
    QTRY_VERIFY_WITH_TIMEOUT(pending() > 4096 - 200, 20000);
    const int checksWhenFull = listener.Accepted();
    QTRY_VERIFY(listener.Accepted() >= checksWhenFull + 10);
    QTRY_VERIFY(OkChecksIn(ReadMetrics(metrics).value_or(QList<ExpositionFamily>{})) >= checksWhenFull + 5);

    QElapsedTimer clock;
    clock.start();
    run.Signal(SIGTERM);
    QVERIFY(run.Finish(10000));
    const qint64 took = clock.elapsed();
    qInfo("ended %lld ms after the stop", took);
    // 100 ms in the program; the rest is for a loaded machine.
    QVERIFY2(took < 1000, qPrintable(QString::number(took)));
    QVERIFY(!run.Crashed());
    QCOMPARE(run.ExitCode(), 0);
    const QRegularExpression note(QStringLiteral("^kelvora-probe: (\\d+) lines not written\n$"));
    const QRegularExpressionMatch match = note.match(QString::fromUtf8(run.Err()));
    QVERIFY2(match.hasMatch(), run.Err().constData());
    QVERIFY(match.captured(1).toInt() >= 10);
    ::close(stuck[0]);
}

// Should the run loop's wait itself fail (here: the process may hold fewer
// descriptors than it watches), the run ends as a stop ends it, without
// waiting for a connect that hangs.
void TestProbeProgram::waitingFailureEndsLikeAStop()
{
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers' runtime makes descriptors of its own (a pipe to test
    // whether memory can be read) and fails its checks without them.
    QSKIP("the sanitizers' runtime needs the descriptors this takes away");
#endif
    SilentPort silent;
    const int before = ConnectsPendingTo(silent.Port());
    ProbeRun run({"-w", "0", "-f", "json", "127.0.0.1", Port(silent.Port())});
    QTRY_VERIFY(ConnectsPendingTo(silent.Port()) > before);
    // The connect waits on two descriptors and goes on; the loop's wait, on
    // four, now fails at once.
    const rlimit three{3, 3};
    QVERIFY(::prlimit(static_cast<pid_t>(run.Pid()), RLIMIT_NOFILE, &three, nullptr) == 0);
    QElapsedTimer clock;
    clock.start();
    run.Signal(SIGQUIT); // wakes the wait, which fails on its next call
    QVERIFY(run.Finish(20000));
    const qint64 took = clock.elapsed();
    QVERIFY2(took < 3000, qPrintable(QString::number(took)));
    QVERIFY(!run.Crashed());
    QCOMPARE(run.ExitCode(), 1);
    const QList<QJsonObject> lines = run.JsonLines();
    QVERIFY2(!lines.isEmpty(), run.Err().constData());
    QCOMPARE(lines.last()["type"].toString(), QStringLiteral("summary"));
    QCOMPARE(lines.last()["sent"].toInteger(), 0);
}

// Between two checks a second apart the program sleeps: the worker's
// completion is taken once, not seen again and again.
void TestProbeProgram::noProcessorTimeBetweenChecks()
{
    LoopbackListener listener;
    ProbeRun run({"-i", "1", "127.0.0.1", Port(listener.Port())});
    QTRY_VERIFY(run.Out().contains("seq=1 "));
    const std::chrono::nanoseconds first = ProcessorTime(run.Pid());
    QTRY_VERIFY_WITH_TIMEOUT(run.Out().contains("seq=2 "), 10000);
    const std::chrono::nanoseconds second = ProcessorTime(run.Pid());
    QVERIFY(first.count() >= 0 && second.count() >= 0);
    const auto used = std::chrono::duration_cast<std::chrono::milliseconds>(second - first);
    QVERIFY2(used < std::chrono::milliseconds(50), qPrintable(QString::number(used.count())));
    run.Signal(SIGINT);
    QVERIFY(run.Finish(5000));
}

void TestProbeProgram::metricsPathThatIsNoRegularFileIsRefused_data()
{
    QTest::addColumn<int>("kind"); // a PlantedPath::Kind, or -1 for /dev/null
    QTest::addColumn<QString>("named");
    QTest::newRow("a link to another file") << int(PlantedPath::Kind::LinkToVictim)
                                            << "names a symbolic link, not a regular file";
    QTest::newRow("a fifo") << int(PlantedPath::Kind::Fifo) << "names a fifo, not a regular file";
    QTest::newRow("a device") << -1 << "--prometheus: /dev/null: names a device, not a regular file";
}

void TestProbeProgram::metricsPathThatIsNoRegularFileIsRefused()
{
    QFETCH(int, kind);
    QFETCH(QString, named);
    LoopbackListener listener;
    QTemporaryDir dir;
    std::optional<PlantedPath> planted;
    if (kind >= 0) {
        planted.emplace(dir.path(), PlantedPath::Kind(kind));
        QVERIFY(planted->IsValid());
    }
    const QString path = planted ? planted->Path() : QStringLiteral("/dev/null");
    QByteArray out;
    QByteArray err;
    QCOMPARE(ProbeRun::RunToEnd({"-c", "1", "--prometheus", path, "127.0.0.1", Port(listener.Port())}, &out, &err), 2);
    QCOMPARE(out, QByteArray());
    QCOMPARE(err.count('\n'), 1);
    QVERIFY2(err.contains(named.toUtf8()), err.constData());
    QCOMPARE(listener.Accepted(), 0); // refused before any check
    QVERIFY(!planted || planted->Untouched());
}

void TestProbeProgram::badUsageExitsTwo_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("named");
    QTest::newRow("no host") << QStringList{} << "missing HOST";
    QTest::newRow("unknown option") << QStringList{"--frobnicate", "h"} << "'--frobnicate'";
    QTest::newRow("negative count") << QStringList{"-c", "-3", "h"} << "--count: bad value '-3'";
    QTest::newRow("interval too short") << QStringList{"-i", "0.005", "h"} << "--interval: bad value '0.005'";
    QTest::newRow("garbage time-out") << QStringList{"-w", "x", "h"} << "--timeout: bad value 'x'";
    QTest::newRow("port outside 0..65535") << QStringList{"h", "65536"} << "PORT: bad value '65536'";
    QTest::newRow("negative port") << QStringList{"h", "-80"} << "PORT: bad value '-80'";
    QTest::newRow("host with a control character") << QStringList{"h\x02"} << "HOST: bad value 'h\\x02'";
    QTest::newRow("host over 253 bytes") << QStringList{QString(300, 'a')} << "HOST: bad value";
    QTest::newRow("blank host") << QStringList{" "} << "HOST: bad value ' '";
    QTest::newRow("host with a space") << QStringList{"local host"} << "HOST: bad value 'local host'";
    QTest::newRow("host that would clear the screen") << QStringList{"\x1b[2J\x1b[H"} << "HOST: bad value '\\x1b[2J\\x1b[H'";
    QTest::newRow("option that would turn the line around") << QStringList{QStringLiteral("--\u202ex"), "h"}
                                                            << "unknown option '--\\u202ex'";
    QTest::newRow("interval a hair under the floor") << QStringList{"-i", "0.00999999999999999999", "h"}
                                                     << "--interval: bad value '0.00999999999999999999'";
    QTest::newRow("time-out of half a millisecond") << QStringList{"-w", "0.0005", "h"} << "--timeout: bad value '0.0005'";
    QTest::newRow("metrics folder missing") << QStringList{"--prometheus", "/nonexistent-kelvora/p.prom", "h"}
                                            << "--prometheus: /nonexistent-kelvora: No such file or directory";
}

void TestProbeProgram::badUsageExitsTwo()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, named);
    QByteArray out;
    QByteArray err;
    QCOMPARE(ProbeRun::RunToEnd(arguments, &out, &err), 2);
    QCOMPARE(out, QByteArray());
    QCOMPARE(err.count('\n'), 1);
    QVERIFY(err.endsWith('\n'));
    QVERIFY2(err.startsWith("kelvora-probe: "), err.constData());
    QVERIFY2(QString::fromUtf8(err).contains(named), err.constData());
    QVERIFY2(err.contains("--help"), err.constData());
    // Nothing that does not print reaches the terminal.
    QVERIFY2(!err.contains('\x1b') && !err.contains("\xe2\x80\xae"), err.constData());
}

void TestProbeProgram::helpAndVersion()
{
    QByteArray out;
    QByteArray err;
    QCOMPARE(ProbeRun::RunToEnd({"--help"}, &out, &err), 0);
    QVERIFY2(out.startsWith("Usage: kelvora-probe [options] HOST [PORT]\n"), out.constData());
    QCOMPARE(err, QByteArray());
    QVERIFY2(out.contains("SIGHUP"), out.constData());
    QCOMPARE(ProbeRun::RunToEnd({"-V"}, &out, &err), 0);
    QVERIFY2(out.startsWith("kelvora-probe " KELVORA_VERSION "\nCopyright (C) "), out.constData());
}

QTEST_GUILESS_MAIN(TestProbeProgram)
#include "tst_probeprogram.moc"
