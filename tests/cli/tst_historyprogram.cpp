// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The built kelvora-history on a history written by the recorder: each
// command in each format, read back by strict readers.
#include "CsvReader.h"
#include "HistoryRig.h"

#include "history/HistoryRecorder.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <unistd.h>

using namespace std::chrono;

#ifndef KELVORA_HISTORY_PATH
#error "KELVORA_HISTORY_PATH must name the built kelvora-history"
#endif

namespace {

constexpr std::int64_t kHour = 3'600'000;

struct Output {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Output Run(const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(KELVORA_HISTORY_PATH), arguments);
    process.closeWriteChannel();
    Output output;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
        output.status = process.exitCode();
    output.out = process.readAllStandardOutput();
    output.err = process.readAllStandardError();
    return output;
}

QList<QJsonObject> JsonLines(const QByteArray &text)
{
    QList<QJsonObject> objects;
    for (const QByteArray &line : text.split('\n')) {
        if (line.isEmpty())
            continue;
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        if (error.error != QJsonParseError::NoError || !document.isObject()) {
            qWarning("not a JSON object: %s", line.constData());
            return {};
        }
        objects << document.object();
    }
    return objects;
}

QByteArray Hash(const std::filesystem::path &file)
{
    QFile in(QString::fromStdString(file.string()));
    in.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(in.readAll(), QCryptographicHash::Sha256);
}

} // namespace

class TestHistoryProgram : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void checksCarryTheProbesFieldsAndTheRun_data();
    void checksCarryTheProbesFieldsAndTheRun();
    void reportJsonHasItsShape();
    void textReportNamesTheOutage();
    void outagesDaysAndTargetsReadBack();
    void badUsageIsStatusTwo_data();
    void badUsageIsStatusTwo();
    void unusableFilesAreStatusOne();
    void outputThatCannotBeWrittenIsStatusThree_data();
    void outputThatCannotBeWrittenIsStatusThree();
    void aClosedPipeEndsQuietly();
    void readingLeavesTheFileAsItWas();
    void pruneAndVacuum();

private:
    QTemporaryDir dir_;
    std::filesystem::path file_;
    QStringList range_;
};

void TestHistoryProgram::initTestCase()
{
    file_ = PathIn(dir_, "history.sqlite");
    FakeTime time(kRigEpochMs + 8 * kHour);
    FakeProcesses processes;
    HistoryRecorder recorder(RigSettings(file_, time, processes.As(processes.Spawn())));
    recorder.Watch("example.org", 80, seconds(30));
    // Two hours every 30 s, down from 09:00 to 09:02.
    for (int i = 0; i < 240; ++i) {
        const bool down = i >= 120 && i < 124;
        CheckResult result = time.Check(!down, milliseconds(25));
        if (down)
            result.errorMessage = "Connection refused, \"really\".";
        recorder.Record(result);
        time.Advance(seconds(30));
    }
    recorder.Watch("other.example", 8080, seconds(60));
    recorder.Record(time.Check(true));
    time.Advance(seconds(60));
    range_ = QStringList{QStringLiteral("--file"), QString::fromStdString(file_.string()), QStringLiteral("--since"),
                         QStringLiteral("2026-03-02"), QStringLiteral("--until"), QStringLiteral("2026-03-02")};
}

void TestHistoryProgram::checksCarryTheProbesFieldsAndTheRun_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("json") << "json";
    QTest::newRow("csv") << "csv";
}

void TestHistoryProgram::checksCarryTheProbesFieldsAndTheRun()
{
    QFETCH(QString, format);
    const Output output = Run(range_ + QStringList{QStringLiteral("checks"), QStringLiteral("--target"),
                                                   QStringLiteral("example.org:80"), QStringLiteral("-f"), format});
    QCOMPARE(output.status, 0);
    if (format == QLatin1String("json")) {
        const QList<QJsonObject> checks = JsonLines(output.out);
        QCOMPARE(checks.size(), 240);
        const QStringList keys{"type", "time", "seq", "host", "address", "port", "ok", "ms", "reason", "code", "message", "run"};
        for (int i = 0; i < checks.size(); ++i) {
            const QJsonObject &check = checks[i];
            QCOMPARE(check.keys().size(), keys.size());
            for (const QString &key : keys)
                QVERIFY2(check.contains(key), qPrintable(key));
            QCOMPARE(check[QStringLiteral("seq")].toInt(), i + 1);
            QCOMPARE(check[QStringLiteral("run")].toInt(), 1);
        }
        const QJsonObject failed = checks[120];
        QCOMPARE(failed[QStringLiteral("ok")].toBool(true), false);
        QCOMPARE(failed[QStringLiteral("reason")].toString(), QStringLiteral("refused"));
        QCOMPARE(failed[QStringLiteral("message")].toString(), QStringLiteral("Connection refused, \"really\"."));
        QCOMPARE(checks[0][QStringLiteral("time")].toString(), QStringLiteral("2026-03-02T08:00:00.000+00:00"));
        QCOMPARE(checks[0][QStringLiteral("ms")].toDouble(), 25.0);
        return;
    }
    QString error;
    const auto rows = ReadCsv(output.out, &error);
    QVERIFY2(rows.has_value(), qPrintable(error));
    QCOMPARE(rows->size(), 241);
    QCOMPARE(rows->first(), QString("time,seq,host,address,port,ok,ms,reason,code,message,run").split(','));
    QCOMPARE(rows->at(121).at(9), QStringLiteral("Connection refused, \"really\"."));
    QCOMPARE(rows->at(121).at(5), QStringLiteral("false"));
    QCOMPARE(rows->at(240).at(10), QStringLiteral("1"));
}

void TestHistoryProgram::reportJsonHasItsShape()
{
    const Output output = Run(range_ + QStringList{QStringLiteral("report"), QStringLiteral("-f"), QStringLiteral("json")});
    QCOMPARE(output.status, 0);
    const QList<QJsonObject> reports = JsonLines(output.out);
    QCOMPARE(reports.size(), 2); // one for each target
    const QJsonObject &report = reports[0];
    QCOMPARE(report[QStringLiteral("host")].toString(), QStringLiteral("example.org"));
    QCOMPARE(report[QStringLiteral("start")].toString(), QStringLiteral("2026-03-02T00:00:00.000+00:00"));
    QCOMPARE(report[QStringLiteral("end")].toString(), QStringLiteral("2026-03-03T00:00:00.000+00:00"));
    QCOMPARE(report[QStringLiteral("monitored_s")].toDouble(), 7200.0);
    QCOMPARE(report[QStringLiteral("not_monitored_s")].toDouble(), 86400.0 - 7200.0);
    QCOMPARE(report[QStringLiteral("up_s")].toDouble(), 7080.0);
    QCOMPARE(report[QStringLiteral("down_s")].toDouble(), 120.0);
    QCOMPARE(report[QStringLiteral("availability")].toDouble(), 98.333);
    QCOMPARE(report[QStringLiteral("longest_outage_s")].toDouble(), 120.0);
    const QJsonArray outages = report[QStringLiteral("outages")].toArray();
    QCOMPARE(outages.size(), 1);
    QCOMPARE(outages[0].toObject()[QStringLiteral("failed")].toInt(), 4);
    QCOMPARE(outages[0].toObject()[QStringLiteral("reasons")].toObject()[QStringLiteral("refused")].toInt(), 4);
    const QJsonArray days = report[QStringLiteral("days")].toArray();
    QCOMPARE(days.size(), 1);
    QCOMPARE(days[0].toObject()[QStringLiteral("date")].toString(), QStringLiteral("2026-03-02"));
    QCOMPARE(days[0].toObject()[QStringLiteral("outages")].toInt(), 1);
    // Nothing monitored: availability is null.
    const Output empty = Run(QStringList{QStringLiteral("--file"), QString::fromStdString(file_.string()),
                                         QStringLiteral("--since"), QStringLiteral("2026-03-05"), QStringLiteral("report"),
                                         QStringLiteral("-f"), QStringLiteral("json"), QStringLiteral("--until"),
                                         QStringLiteral("2026-03-06"), QStringLiteral("--target"), QStringLiteral("example.org")});
    QCOMPARE(empty.status, 0);
    QVERIFY(JsonLines(empty.out).value(0)[QStringLiteral("availability")].isNull());
}

void TestHistoryProgram::textReportNamesTheOutage()
{
    const Output output = Run(range_ + QStringList{QStringLiteral("report"), QStringLiteral("--target"),
                                                   QStringLiteral("example.org")});
    QCOMPARE(output.status, 0);
    const QString text = QString::fromUtf8(output.out);
    QVERIFY2(text.contains(QLatin1String("availability: 98.333% of the monitored time")), output.out.constData());
    QVERIFY(text.contains(QLatin1String("2026-03-02T09:00:00.000+00:00 to 2026-03-02T09:02:00.000+00:00")));
    QVERIFY(text.contains(QLatin1String("4 failed checks: connection refused 4")));
    QVERIFY(text.contains(QLatin1String("2026-03-02  98.333%")));
}

void TestHistoryProgram::outagesDaysAndTargetsReadBack()
{
    const Output outages = Run(range_ + QStringList{QStringLiteral("outages"), QStringLiteral("-f"), QStringLiteral("csv")});
    QCOMPARE(outages.status, 0);
    QString error;
    const auto rows = ReadCsv(outages.out, &error);
    QVERIFY2(rows.has_value(), qPrintable(error));
    QCOMPARE(rows->size(), 2);
    QCOMPARE(rows->at(1), QString("example.org,80,2026-03-02T09:00:00.000+00:00,2026-03-02T09:02:00.000+00:00,120.000,4,refused=4").split(','));

    const Output days = Run(range_ + QStringList{QStringLiteral("days"), QStringLiteral("-f"), QStringLiteral("json"),
                                                 QStringLiteral("--target"), QStringLiteral("other.example:8080")});
    QCOMPARE(days.status, 0);
    const QList<QJsonObject> lines = JsonLines(days.out);
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0][QStringLiteral("monitored_s")].toDouble(), 60.0);
    QCOMPARE(lines[0][QStringLiteral("checks")].toInt(), 1);

    const Output targets = Run({QStringLiteral("--file"), QString::fromStdString(file_.string()), QStringLiteral("targets"),
                                QStringLiteral("--format"), QStringLiteral("json")});
    QCOMPARE(targets.status, 0);
    const QList<QJsonObject> list = JsonLines(targets.out);
    QCOMPARE(list.size(), 2);
    QCOMPARE(list[0][QStringLiteral("checks")].toInt(), 240);
    QCOMPARE(list[1][QStringLiteral("port")].toInt(), 8080);
    QCOMPARE(list[0][QStringLiteral("first")].toString(), QStringLiteral("2026-03-02T08:00:00.000+00:00"));
}

void TestHistoryProgram::badUsageIsStatusTwo_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("unknown option") << QStringList{"--x"}
                                    << QByteArray("kelvora-history: unknown option '--x'. Try 'kelvora-history --help'.\n");
    QTest::newRow("no command") << QStringList{} << QByteArray("kelvora-history: missing command (report, outages, "
                                                               "checks, days, targets, prune or vacuum). Try 'kelvora-history --help'.\n");
}

void TestHistoryProgram::badUsageIsStatusTwo()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, line);
    const Output output = Run(arguments);
    QCOMPARE(output.status, 2);
    QCOMPARE(output.err, line);
    QVERIFY(output.out.isEmpty());
}

void TestHistoryProgram::outputThatCannotBeWrittenIsStatusThree_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("report") << range_ + QStringList{"report"};
    QTest::newRow("checks as json") << range_ + QStringList{"checks", "-f", "json"};
    QTest::newRow("--help") << QStringList{"--help"};
    QTest::newRow("--version") << QStringList{"--version"};
}

// A full disk is said once, in the probe's words, and is exit status 3.
void TestHistoryProgram::outputThatCannotBeWrittenIsStatusThree()
{
    QFETCH(QStringList, arguments);
    QProcess process;
    process.setStandardOutputFile(QStringLiteral("/dev/full"));
    process.start(QStringLiteral(KELVORA_HISTORY_PATH), arguments);
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 3);
    QCOMPARE(process.readAllStandardError(),
             QByteArray("kelvora-history: cannot write standard output: No space left on device\n"));
}

// A reader that went away (| head) is no error: nothing said, the status
// of the command. The reading end is closed before the program starts, so
// its first write meets EPIPE.
void TestHistoryProgram::aClosedPipeEndsQuietly()
{
    QProcess history;
    history.setChildProcessModifier([] {
        int ends[2] = {-1, -1};
        if (::pipe(ends) == 0) {
            ::close(ends[0]);
            ::dup2(ends[1], STDOUT_FILENO);
        }
    });
    history.start(QStringLiteral(KELVORA_HISTORY_PATH), range_ + QStringList{"checks", "-f", "json"});
    QVERIFY(history.waitForFinished(60000));
    QCOMPARE(history.exitStatus(), QProcess::NormalExit);
    QCOMPARE(history.exitCode(), 0);
    QCOMPARE(history.readAllStandardError(), QByteArray());
}

void TestHistoryProgram::unusableFilesAreStatusOne()
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("notes.txt"));
    QFile notes(text);
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.write("not a history\n");
    notes.close();
    for (const QString &file : {text, dir.filePath(QStringLiteral("missing.sqlite"))}) {
        for (const char *command : {"report", "prune"}) {
            const Output output = Run({QStringLiteral("--file"), file, QLatin1String(command)});
            QCOMPARE(output.status, 1);
            QVERIFY2(output.err.startsWith("kelvora-history: " + file.toUtf8() + ": "), output.err.constData());
            QCOMPARE(output.err.count('\n'), 1);
        }
    }
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("missing.sqlite"))));
    const Output unknown = Run(range_ + QStringList{QStringLiteral("report"), QStringLiteral("--target"),
                                                    QStringLiteral("nowhere.example")});
    QCOMPARE(unknown.status, 1);
    QVERIFY(unknown.err.contains("holds no target nowhere.example"));
}

void TestHistoryProgram::readingLeavesTheFileAsItWas()
{
    const QByteArray before = Hash(file_);
    for (const char *command : {"report", "checks", "outages", "days", "targets"})
        QCOMPARE(Run(range_ + QStringList{QLatin1String(command)}).status, 0);
    QCOMPARE(Hash(file_), before);
}

void TestHistoryProgram::pruneAndVacuum()
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("copy.sqlite"));
    QVERIFY(QFile::copy(QString::fromStdString(file_.string()), copy));
    const Output prune = Run({QStringLiteral("--file"), copy, QStringLiteral("prune"), QStringLiteral("-f"),
                              QStringLiteral("json")});
    QCOMPARE(prune.status, 0);
    QCOMPARE(JsonLines(prune.out).value(0)[QStringLiteral("type")].toString(), QStringLiteral("prune"));
    const Output vacuum = Run({QStringLiteral("--file"), copy, QStringLiteral("vacuum")});
    QCOMPARE(vacuum.status, 0);
    QVERIFY2(vacuum.out.startsWith(copy.toUtf8() + ": vacuumed, "), vacuum.out.constData());
    // The checks are still all there.
    const Output checks = Run({QStringLiteral("--file"), copy, QStringLiteral("checks"), QStringLiteral("-f"),
                               QStringLiteral("json")});
    QCOMPARE(JsonLines(checks.out).size(), 241);
}

QTEST_GUILESS_MAIN(TestHistoryProgram)
#include "tst_historyprogram.moc"
