// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The built kelvora-probe with --history: what it records is what it
// printed, the run is closed when it ends, checks reach the file while it
// runs, and a file it cannot use ends it before the first check with the
// file as it was.
#include "HistoryRig.h"
#include "ProbeRun.h"
#include "support/LoopbackListener.h"

#include "history/HistoryFile.h"
#include "history/HistoryReader.h"
#include "history/HistorySchema.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>

#include <filesystem>
#include <limits>

namespace {

QString Port(std::uint16_t port)
{
    return QString::number(port);
}

QString Q(const std::filesystem::path &path)
{
    return QString::fromStdString(path.string());
}

constexpr Span kAllTime{0, std::numeric_limits<std::int64_t>::max() / 2};

std::vector<StoredCheck> ChecksIn(const std::filesystem::path &file)
{
    std::vector<StoredCheck> checks;
    HistoryReader reader(file);
    for (const HistoryTarget &target : reader.Targets()) {
        reader.ForEachCheck(target.id, kAllTime, [&](const StoredCheck &check) {
            checks.push_back(check);
            return true;
        });
    }
    return checks;
}

struct RunLine {
    std::string program;
    std::string ended; // empty while open
    std::int64_t checks = 0;
};

std::vector<RunLine> RunsIn(const std::filesystem::path &file)
{
    SqliteDatabase db(file.string(), SqliteDatabase::Access::ReadOnly);
    SqliteStatement select = db.Prepare("SELECT program, coalesce(ended, ''), checks FROM runs ORDER BY id");
    std::vector<RunLine> runs;
    while (select.Step())
        runs.push_back({select.Text(0), select.Text(1), select.Int(2)});
    return runs;
}

} // namespace

Q_DECLARE_METATYPE(PlantedFile)

class TestProbeHistory : public QObject {
    Q_OBJECT

private slots:
    void recordsWhatItPrinted();
    void eachTargetIsARunOfItsOwn();
    void checksReachTheFileWhileItRuns();
    void aStopDuringAHungConnectClosesTheRun();
    void theDefaultFileIsCreatedPrivately();
    void unusableFileEndsItFirst_data();
    void unusableFileEndsItFirst();
    void fileInAMissingFolderEndsItFirst();

private:
    // Runs the probe on `file`: exit 2 with one line that says `says`, no
    // check, the file as it was.
    void RefusedBeforeAnyCheck(const std::filesystem::path &file, const QString &says);
};

void TestProbeHistory::recordsWhatItPrinted()
{
    QTemporaryDir dir;
    const std::filesystem::path file = PathIn(dir, "h.sqlite");
    LoopbackListener listener;
    RefusingPort refusing;
    for (const std::uint16_t port : {listener.Port(), refusing.Port()}) {
        ProbeRun run({"-c", "4", "-i", "0.02", "-f", "json", "--history=" + Q(file), "127.0.0.1", Port(port)});
        QVERIFY(run.Finish());
        QCOMPARE(run.ExitCode(), port == listener.Port() ? 0 : 1);
        QVERIFY2(run.Err().isEmpty(), run.Err().constData());
    }
    const std::vector<StoredCheck> checks = ChecksIn(file);
    QCOMPARE(checks.size(), std::size_t{8});
    for (std::size_t i = 0; i < checks.size(); ++i) {
        const StoredCheck &check = checks[i];
        const bool first = i < 4;
        QCOMPARE(check.program, std::string("kelvora-probe"));
        QCOMPARE(check.host, std::string("127.0.0.1"));
        QCOMPARE(check.port, first ? listener.Port() : refusing.Port());
        QCOMPARE(check.seq, i % 4 + 1);
        QCOMPARE(check.result.ok, first);
        QCOMPARE(check.result.address, std::string("127.0.0.1"));
        QCOMPARE(check.result.reason, first ? FailureReason::None : FailureReason::Refused);
    }
    // Each run is its own row, closed when the program ended.
    const std::vector<RunLine> runs = RunsIn(file);
    QCOMPARE(runs.size(), std::size_t{2});
    for (const RunLine &run : runs) {
        QCOMPARE(run.program, std::string("kelvora-probe"));
        QCOMPARE(run.ended, std::string("exit"));
        QCOMPARE(run.checks, 4);
    }
}

void TestProbeHistory::eachTargetIsARunOfItsOwn()
{
    QTemporaryDir dir;
    const std::filesystem::path file = PathIn(dir, "h.sqlite");
    LoopbackListener listener;
    RefusingPort refusing;
    ProbeRun run({"-c", "3", "-i", "0.02", "-q", "--history=" + Q(file), "127.0.0.1:" + Port(listener.Port()),
                  "127.0.0.1:" + Port(refusing.Port())});
    QVERIFY(run.Finish());
    QCOMPARE(run.ExitCode(), 0);
    const std::vector<RunLine> runs = RunsIn(file);
    QCOMPARE(runs.size(), std::size_t{2});
    for (const RunLine &line : runs) {
        QCOMPARE(line.ended, std::string("exit"));
        QCOMPARE(line.checks, 3);
    }
    int ok = 0;
    for (const StoredCheck &check : ChecksIn(file)) {
        QCOMPARE(check.result.ok, check.port == listener.Port());
        ok += check.result.ok ? 1 : 0;
    }
    QCOMPARE(ok, 3);
    QCOMPARE(ChecksIn(file).size(), std::size_t{6});
}

// One check a minute: the batched commit must not wait for the next check
// (a kill would lose it), nor must the run stay open after a stop.
void TestProbeHistory::checksReachTheFileWhileItRuns()
{
    QTemporaryDir dir;
    const std::filesystem::path file = PathIn(dir, "h.sqlite");
    LoopbackListener listener;
    ProbeRun run({"-i", "60", "-f", "json", "--history=" + Q(file), "127.0.0.1", Port(listener.Port())});
    QTRY_COMPARE_WITH_TIMEOUT(run.JsonLines().size(), 1, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(ChecksIn(file).size(), std::size_t{1}, 5000);
    QCOMPARE(RunsIn(file).at(0).ended, std::string());
    run.Signal(SIGINT);
    QVERIFY(run.Finish());
    QCOMPARE(run.ExitCode(), 0);
    const std::vector<RunLine> runs = RunsIn(file);
    QCOMPARE(runs.size(), std::size_t{1});
    QCOMPARE(runs[0].ended, std::string("exit"));
    QCOMPARE(runs[0].checks, 1);
}

// The check that a stop cuts short is not counted, in the file as on the
// terminal; the checks before it are, and the run is closed.
void TestProbeHistory::aStopDuringAHungConnectClosesTheRun()
{
    QTemporaryDir dir;
    const std::filesystem::path file = PathIn(dir, "h.sqlite");
    SilentPort silent;
    ProbeRun run({"-w", "0", "-f", "json", "--history=" + Q(file), "127.0.0.1", Port(silent.Port())});
    const int before = ConnectsPendingTo(silent.Port());
    QTRY_VERIFY_WITH_TIMEOUT(ConnectsPendingTo(silent.Port()) > before, 10000);
    run.Signal(SIGINT);
    QVERIFY(run.Finish(5000));
    QCOMPARE(run.ExitCode(), 1);
    const QList<QJsonObject> lines = run.JsonLines();
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0]["sent"].toInteger(), 0);
    QCOMPARE(ChecksIn(file).size(), std::size_t{0});
    const std::vector<RunLine> runs = RunsIn(file);
    QCOMPARE(runs.size(), std::size_t{1});
    QCOMPARE(runs[0].ended, std::string("exit"));
    QCOMPARE(runs[0].checks, 0);
}

void TestProbeHistory::theDefaultFileIsCreatedPrivately()
{
    QTemporaryDir home;
    LoopbackListener listener;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.remove(QStringLiteral("XDG_STATE_HOME"));
    ProbeRun run({"-c", "2", "-i", "0.02", "-q", "--history", "127.0.0.1", Port(listener.Port())}, {}, environment);
    QVERIFY(run.Finish());
    QCOMPARE(run.ExitCode(), 0);
    const std::filesystem::path folder = PathIn(home, ".local/state/kelvora");
    const std::filesystem::path file = folder / "history.sqlite";
    QVERIFY(std::filesystem::is_regular_file(file));
    using std::filesystem::perms;
    QCOMPARE(std::filesystem::status(folder).permissions() & perms::all, perms::owner_all);
    QCOMPARE(std::filesystem::status(file).permissions() & perms::all, perms::owner_read | perms::owner_write);
    QCOMPARE(ChecksIn(file).size(), std::size_t{2});
}

void TestProbeHistory::unusableFileEndsItFirst_data()
{
    QTest::addColumn<PlantedFile>("kind");
    QTest::addColumn<QString>("says");
    QTest::newRow("not SQLite") << PlantedFile::Text << "not an SQLite database";
    QTest::newRow("another program's database") << PlantedFile::Foreign << "another program's";
    QTest::newRow("a newer schema") << PlantedFile::Newer << "newer";
    QTest::newRow("a damaged schema") << PlantedFile::DamagedSchema << "damaged";
    QTest::newRow("truncated") << PlantedFile::Truncated << "damaged";
    QTest::newRow("a folder") << PlantedFile::Directory << "not a regular file";
}

void TestProbeHistory::unusableFileEndsItFirst()
{
    QFETCH(PlantedFile, kind);
    QFETCH(QString, says);
    QTemporaryDir dir;
    const std::filesystem::path file = PathIn(dir, "h.sqlite");
    QVERIFY(PlantFile(kind, file));
    RefusedBeforeAnyCheck(file, says);
}

void TestProbeHistory::fileInAMissingFolderEndsItFirst()
{
    QTemporaryDir dir;
    const std::filesystem::path file = PathIn(dir, "gone/h.sqlite");
    RefusedBeforeAnyCheck(file, QStringLiteral("no such folder"));
    QVERIFY(!std::filesystem::exists(file.parent_path()));
}

void TestProbeHistory::RefusedBeforeAnyCheck(const std::filesystem::path &file, const QString &says)
{
    const QByteArray before = FileBytes(file);
    LoopbackListener listener;
    ProbeRun run({"-c", "3", "-i", "0.02", "--history=" + Q(file), "127.0.0.1", Port(listener.Port())});
    QVERIFY(run.Finish());
    QCOMPARE(run.ExitCode(), 2);
    // One line, naming the option and the file, and no check at all.
    const QByteArray err = run.Err();
    QVERIFY2(err.startsWith("kelvora-probe: --history: " + Q(file).toUtf8() + ": "), err.constData());
    QCOMPARE(err.count('\n'), 1);
    QVERIFY2(err.contains(says.toUtf8()), err.constData());
    QCOMPARE(run.Out(), QByteArray());
    QCOMPARE(listener.Accepted(), 0);
    QCOMPARE(QCryptographicHash::hash(FileBytes(file), QCryptographicHash::Sha256),
             QCryptographicHash::hash(before, QCryptographicHash::Sha256));
}

QTEST_GUILESS_MAIN(TestProbeHistory)
#include "tst_probehistory.moc"
