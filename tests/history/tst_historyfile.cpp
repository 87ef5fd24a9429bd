// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "HistoryRig.h"
#include "PrivateMounts.h"

#include "history/HistoryFile.h"
#include "history/HistorySchema.h"

#include <QFile>
#include <QTest>

#include <optional>

#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(HistoryProblem)

namespace {

mode_t ModeOf(const std::filesystem::path &path)
{
    struct stat status {};
    ::stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

} // namespace

class TestHistoryFile : public QObject {
    Q_OBJECT

private slots:
    void createsFolderAndFileWithPrivateModes();
    void writeWithoutFolderCreatesNothing();
    void refusalsLeaveTheFileAsItWas_data();
    void refusalsLeaveTheFileAsItWas();
    void anEmptyFileBecomesAHistory();
    void readingNeedsAHistory_data();
    void readingNeedsAHistory();
    void readOnlyFolderIsRefused();
    void fullDiskAtCreationLeavesNothing();
    void fullDiskWhileRecordingFailsOnceAndKeepsTheFile();
};

void TestHistoryFile::createsFolderAndFileWithPrivateModes()
{
    QTemporaryDir dir;
    const auto file = PathIn(dir, "state/kelvora/history.sqlite");
    const mode_t old = ::umask(0);
    {
        SqliteDatabase db = OpenHistoryFile(file, HistoryOpenMode::WriteCreatingFolder);
        QCOMPARE(db.QueryInt("PRAGMA user_version"), std::int64_t{kHistorySchemaVersion});
        QCOMPARE(db.QueryInt("PRAGMA application_id"), std::int64_t{kHistoryApplicationId});
        QCOMPARE(db.QueryInt("PRAGMA auto_vacuum"), std::int64_t{2}); // incremental
    }
    ::umask(old);
    QCOMPARE(ModeOf(file), mode_t{0600});
    QCOMPARE(ModeOf(file.parent_path()), mode_t{0700});
    QCOMPARE(ModeOf(file.parent_path().parent_path()), mode_t{0700});
}

void TestHistoryFile::writeWithoutFolderCreatesNothing()
{
    QTemporaryDir dir;
    const auto file = PathIn(dir, "missing/history.sqlite");
    try {
        OpenHistoryFile(file, HistoryOpenMode::Write);
        QFAIL("a file in a missing folder was opened");
    } catch (const HistoryFileError &error) {
        QCOMPARE(error.Problem(), HistoryProblem::MissingFolder);
        QVERIFY(QString::fromUtf8(error.what()).startsWith(QString::fromStdString(file.string()) + ": "));
    }
    QVERIFY(!std::filesystem::exists(file.parent_path()));
}

void TestHistoryFile::refusalsLeaveTheFileAsItWas_data()
{
    QTest::addColumn<int>("make");
    QTest::addColumn<HistoryProblem>("problem");
    QTest::newRow("a text file") << int(PlantedFile::Text) << HistoryProblem::NotSqlite;
    QTest::newRow("another program's database") << int(PlantedFile::Foreign) << HistoryProblem::Foreign;
    QTest::newRow("a newer schema") << int(PlantedFile::Newer) << HistoryProblem::Newer;
    QTest::newRow("a damaged schema page") << int(PlantedFile::DamagedSchema) << HistoryProblem::Damaged;
    QTest::newRow("a truncated history") << int(PlantedFile::Truncated) << HistoryProblem::Damaged;
    QTest::newRow("a directory") << int(PlantedFile::Directory) << HistoryProblem::NotRegular;
}

void TestHistoryFile::refusalsLeaveTheFileAsItWas()
{
    QFETCH(int, make);
    QFETCH(HistoryProblem, problem);
    QTemporaryDir dir;
    const auto file = PathIn(dir, "history.sqlite");
    QVERIFY(PlantFile(static_cast<PlantedFile>(make), file));
    const QByteArray before = FileBytes(file);
    for (const HistoryOpenMode mode : {HistoryOpenMode::Write, HistoryOpenMode::Read}) {
        try {
            OpenHistoryFile(file, mode);
            QFAIL("the file was accepted");
        } catch (const HistoryFileError &error) {
            QCOMPARE(error.Problem(), problem);
            QVERIFY2(!QString::fromUtf8(error.what()).contains(QLatin1Char('\n')), error.what());
        }
        QVERIFY(std::filesystem::exists(file));
        QCOMPARE(FileBytes(file), before);
    }
}

void TestHistoryFile::anEmptyFileBecomesAHistory()
{
    QTemporaryDir dir;
    const auto file = PathIn(dir, "history.sqlite");
    QVERIFY(PlantFile(PlantedFile::Empty, file));
    SqliteDatabase db = OpenHistoryFile(file, HistoryOpenMode::Write);
    QCOMPARE(db.QueryInt("PRAGMA user_version"), std::int64_t{kHistorySchemaVersion});
}

void TestHistoryFile::readingNeedsAHistory_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<HistoryProblem>("problem");
    QTest::newRow("no file") << false << HistoryProblem::Missing;
    QTest::newRow("an empty file") << true << HistoryProblem::Empty;
}

void TestHistoryFile::readingNeedsAHistory()
{
    QFETCH(bool, exists);
    QFETCH(HistoryProblem, problem);
    QTemporaryDir dir;
    const auto file = PathIn(dir, "history.sqlite");
    if (exists)
        QVERIFY(PlantFile(PlantedFile::Empty, file));
    try {
        OpenHistoryFile(file, HistoryOpenMode::Read);
        QFAIL("reading succeeded");
    } catch (const HistoryFileError &error) {
        QCOMPARE(error.Problem(), problem);
    }
    QCOMPARE(std::filesystem::exists(file), exists);
}

void TestHistoryFile::readOnlyFolderIsRefused()
{
    QTemporaryDir dir;
    const auto file = PathIn(dir, "ro/history.sqlite");
    std::filesystem::create_directory(file.parent_path());
    MakeHistory(file);
    const QByteArray before = FileBytes(file);
    QString reason;
    const QString folder = QString::fromStdString(file.parent_path().string());
    std::optional<MountedFolder> mounted;
    if (::geteuid() == 0) {
        if (!MountReadOnly(folder, &reason))
            QSKIP(qPrintable(reason));
        mounted.emplace(folder);
    } else {
        ::chmod(file.c_str(), 0400);
        ::chmod(file.parent_path().c_str(), 0500);
    }
    try {
        OpenHistoryFile(file, HistoryOpenMode::Write);
        QFAIL("a read-only history was opened for writing");
    } catch (const HistoryFileError &error) {
        QCOMPARE(error.Problem(), HistoryProblem::ReadOnly);
    }
    QCOMPARE(FileBytes(file), before);
    ::chmod(file.parent_path().c_str(), 0700);
}

void TestHistoryFile::fullDiskAtCreationLeavesNothing()
{
    QTemporaryDir dir;
    const auto folder = PathIn(dir, "tiny");
    std::filesystem::create_directory(folder);
    QString reason;
    if (!MountSmallTmpfs(QString::fromStdString(folder.string()), 4096, &reason))
        QSKIP(qPrintable(reason));
    const MountedFolder mounted(QString::fromStdString(folder.string()));
    const auto file = folder / "history.sqlite";
    try {
        OpenHistoryFile(file, HistoryOpenMode::Write);
        QFAIL("a history was made on a full disk");
    } catch (const HistoryFileError &error) {
        QCOMPARE(error.Problem(), HistoryProblem::Full);
    }
    QVERIFY(!std::filesystem::exists(file));
}

void TestHistoryFile::fullDiskWhileRecordingFailsOnceAndKeepsTheFile()
{
    QTemporaryDir dir;
    const auto folder = PathIn(dir, "small");
    std::filesystem::create_directory(folder);
    QString reason;
    if (!MountSmallTmpfs(QString::fromStdString(folder.string()), 8 << 20, &reason))
        QSKIP(qPrintable(reason));
    const MountedFolder mounted(QString::fromStdString(folder.string()));
    const auto file = folder / "history.sqlite";
    FakeTime time(kRigEpochMs);
    FakeProcesses processes;
    QStringList failures;
    int recorded = 0;
    {
        RecorderSettings settings = RigSettings(file, time, processes.As(processes.Spawn()));
        settings.onFailure = [&](const std::string &line) { failures << QString::fromStdString(line); };
        HistoryRecorder recorder(std::move(settings));
        recorder.Watch("example.org", 80, std::chrono::seconds(1));
        // Distinct messages, each kept once, fill the disk soon.
        for (; recorded < 200000 && !recorder.Failed(); ++recorded) {
            CheckResult result = time.Check(recorded % 2 == 0);
            result.errorMessage = std::string(2000, 'x') + std::to_string(recorded);
            recorder.Record(result);
            time.Advance(std::chrono::seconds(1));
        }
        QVERIFY(recorder.Failed());
        recorder.Record(time.Check(true)); // nothing more happens
    }
    QCOMPARE(failures.size(), 1);
    QVERIFY2(failures.first().contains(QLatin1String("full")), qPrintable(failures.first()));
    QVERIFY(std::filesystem::exists(file));
    SqliteDatabase db(file.string(), SqliteDatabase::Access::ReadOnly);
    SqliteStatement check = db.Prepare("PRAGMA integrity_check");
    QVERIFY(check.Step());
    QCOMPARE(QString::fromStdString(check.Text(0)), QStringLiteral("ok"));
    QVERIFY(db.QueryInt("SELECT count(*) FROM checks") > 100);
}

QTEST_GUILESS_MAIN(TestHistoryFile)
#include "tst_historyfile.moc"
