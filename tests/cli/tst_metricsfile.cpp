// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/MetricsFile.h"
#include "PlantedPath.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

QStringList FolderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System);
}

struct stat StatOf(const QString &path)
{
    struct stat info{};
    ::lstat(path.toLocal8Bit().constData(), &info);
    return info;
}

// The system's file system, with every call noted by name, the temporary
// names that were made, and one call that can be made to fail.
class RecordingFileSystem final : public MetricsFile::FileSystem {
public:
    QStringList calls;
    QStringList temporaries;
    QString failing;     // the name of the call to fail
    int failure = EIO;   // with this errno
    mode_t umask = 022;

    int MakeTemporary(std::string &pathTemplate) override
    {
        if (Fails("MakeTemporary"))
            return -1;
        const int fd = real_.MakeTemporary(pathTemplate);
        temporaries << QString::fromStdString(pathTemplate);
        return fd;
    }
    bool WriteAll(int fd, std::string_view text) override { return !Fails("WriteAll") && real_.WriteAll(fd, text); }
    int StatPath(const std::string &path, struct stat &info) override
    {
        return Fails("StatPath") ? -1 : real_.StatPath(path, info);
    }
    int SetMode(int fd, mode_t mode) override { return Fails("SetMode") ? -1 : real_.SetMode(fd, mode); }
    int SetOwner(int fd, uid_t owner, gid_t group) override
    {
        return Fails("SetOwner") ? -1 : real_.SetOwner(fd, owner, group);
    }
    int Sync(int fd) override { return Fails("Sync") ? -1 : real_.Sync(fd); }
    int Close(int fd) override
    {
        const int closed = real_.Close(fd); // closed whatever is reported
        return Fails("Close") ? -1 : closed;
    }
    int Rename(const std::string &from, const std::string &to) override
    {
        return Fails("Rename") ? -1 : real_.Rename(from, to);
    }
    int Unlink(const std::string &path) override { return Fails("Unlink") ? -1 : real_.Unlink(path); }
    int SyncFolder(const std::string &folder) override { return Fails("SyncFolder") ? -1 : real_.SyncFolder(folder); }
    mode_t Umask() override { return umask; }

private:
    bool Fails(const char *call)
    {
        calls << QString::fromLatin1(call);
        if (failing != QLatin1String(call))
            return false;
        errno = failure;
        return true;
    }
    MetricsFile::FileSystem &real_ = MetricsFile::FileSystem::Real();
};

} // namespace

// The metrics file is replaced whole through a file beside it that nobody
// could plant, keeps its mode, reaches the disk, and is never written
// through a link.
class TestMetricsFile : public QObject {
    Q_OBJECT

private slots:
    void replacesWholeThroughFileBeside();
    void temporaryNameIsHiddenNotPromAndUnpredictable();
    void flushedBeforeTheRenameAndTheFolderAfter();
    void failureKeepsOldFileAndLeavesNothing_data();
    void failureKeepsOldFileAndLeavesNothing();
    void folderNotFlushedIsReported();
    void keepsTheModeOfTheFileItReplaces_data();
    void keepsTheModeOfTheFileItReplaces();
    void newFileGetsTheUmasksMode_data();
    void newFileGetsTheUmasksMode();
    void linkOrFifoAtThePathIsNeverWrittenThrough_data();
    void linkOrFifoAtThePathIsNeverWrittenThrough();
    void unwritablePaths_data();
    void unwritablePaths();
};

void TestMetricsFile::replacesWholeThroughFileBeside()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("probe.prom"));
    MetricsFile file(path.toStdString());
    std::string error;
    QVERIFY2(file.Replace("first\n", &error), error.c_str());
    QCOMPARE(FileContents(path), QByteArray("first\n"));
    const ino_t first = StatOf(path).st_ino;
    QVERIFY2(file.Replace("second, longer text\n", &error), error.c_str());
    QCOMPARE(FileContents(path), QByteArray("second, longer text\n"));
    // A new file renamed into place, not the old one rewritten: a reader
    // holding the old one open still reads it whole.
    QVERIFY(StatOf(path).st_ino != first);
    QCOMPARE(FolderEntries(dir.path()), QStringList{"probe.prom"});
}

void TestMetricsFile::temporaryNameIsHiddenNotPromAndUnpredictable()
{
    QTemporaryDir dir;
    RecordingFileSystem fileSystem;
    MetricsFile file(dir.filePath(QStringLiteral("probe.prom")).toStdString(), fileSystem);
    std::string error;
    QVERIFY(file.Replace("one\n", &error));
    QVERIFY(file.Replace("two\n", &error));
    QCOMPARE(fileSystem.temporaries.size(), 2);
    for (const QString &temporary : fileSystem.temporaries) {
        QVERIFY2(temporary.startsWith(dir.filePath(QStringLiteral(".probe.prom."))), qPrintable(temporary));
        QVERIFY2(!temporary.endsWith(QStringLiteral(".prom")), qPrintable(temporary));
        QVERIFY2(!temporary.contains(QString::number(::getpid())), qPrintable(temporary));
    }
    QVERIFY(fileSystem.temporaries[0] != fileSystem.temporaries[1]);
}

void TestMetricsFile::flushedBeforeTheRenameAndTheFolderAfter()
{
    QTemporaryDir dir;
    RecordingFileSystem fileSystem;
    MetricsFile file(dir.filePath(QStringLiteral("probe.prom")).toStdString(), fileSystem);
    std::string error;
    QVERIFY(file.Replace("new\n", &error));
    QCOMPARE(fileSystem.calls, (QStringList{"StatPath", "MakeTemporary", "WriteAll", "SetMode", "Sync", "Close",
                                            "Rename", "SyncFolder"}));
    fileSystem.calls.clear();
    QVERIFY(file.Replace("again\n", &error));
    // Replacing a file, it is given its owner and group first.
    QCOMPARE(fileSystem.calls.mid(0, 3), (QStringList{"StatPath", "MakeTemporary", "SetOwner"}));
}

void TestMetricsFile::failureKeepsOldFileAndLeavesNothing_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<int>("failure");
    QTest::addColumn<QString>("reason");
    QTest::newRow("the file cannot be made") << "MakeTemporary" << EACCES << "Permission denied";
    QTest::newRow("a full disk") << "WriteAll" << ENOSPC << "No space left on device";
    QTest::newRow("the mode cannot be set") << "SetMode" << EPERM << "Operation not permitted";
    QTest::newRow("the file cannot be flushed") << "Sync" << EIO << "Input/output error";
    QTest::newRow("the close reports an error") << "Close" << EIO << "Input/output error";
    QTest::newRow("the rename fails") << "Rename" << EXDEV << "Invalid cross-device link";
    QTest::newRow("the path cannot be looked at") << "StatPath" << EACCES << "Permission denied";
}

void TestMetricsFile::failureKeepsOldFileAndLeavesNothing()
{
    QFETCH(QString, failing);
    QFETCH(int, failure);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("probe.prom"));
    RecordingFileSystem fileSystem;
    MetricsFile file(path.toStdString(), fileSystem);
    std::string error;
    QVERIFY(file.Replace("old\n", &error));
    fileSystem.calls.clear();
    fileSystem.failing = failing;
    fileSystem.failure = failure;
    QVERIFY(!file.Replace("new\n", &error));
    QVERIFY2(QString::fromStdString(error).endsWith(QStringLiteral(": ") + reason), error.c_str());
    QCOMPARE(FileContents(path), QByteArray("old\n"));
    QCOMPARE(FolderEntries(dir.path()), QStringList{"probe.prom"});
    QVERIFY(!fileSystem.calls.contains(QStringLiteral("SyncFolder")));
}

void TestMetricsFile::folderNotFlushedIsReported()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("probe.prom"));
    RecordingFileSystem fileSystem;
    fileSystem.failing = QStringLiteral("SyncFolder");
    MetricsFile file(path.toStdString(), fileSystem);
    std::string error;
    QVERIFY(!file.Replace("in place\n", &error));
    QCOMPARE(QString::fromStdString(error), dir.path() + QStringLiteral(": Input/output error"));
    QCOMPARE(FileContents(path), QByteArray("in place\n"));
}

void TestMetricsFile::keepsTheModeOfTheFileItReplaces_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("0640 stays 0640") << 0640;
    QTest::newRow("0600 stays 0600") << 0600;
    QTest::newRow("0664 stays 0664") << 0664;
}

void TestMetricsFile::keepsTheModeOfTheFileItReplaces()
{
    QFETCH(int, mode);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("probe.prom"));
    MetricsFile file(path.toStdString());
    std::string error;
    QVERIFY(file.Replace("old\n", &error));
    QVERIFY(::chmod(path.toLocal8Bit().constData(), mode_t(mode)) == 0);
    QVERIFY(file.Replace("new\n", &error));
    QCOMPARE(int(StatOf(path).st_mode & 07777), mode);
    QCOMPARE(StatOf(path).st_uid, ::geteuid());
}

void TestMetricsFile::newFileGetsTheUmasksMode_data()
{
    QTest::addColumn<int>("umask");
    QTest::addColumn<int>("mode");
    QTest::newRow("umask 022") << 022 << 0644;
    QTest::newRow("umask 027") << 027 << 0640;
    QTest::newRow("umask 077") << 077 << 0600;
    QTest::newRow("umask 002") << 002 << 0644;
}

void TestMetricsFile::newFileGetsTheUmasksMode()
{
    QFETCH(int, umask);
    QFETCH(int, mode);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("probe.prom"));
    RecordingFileSystem fileSystem;
    fileSystem.umask = mode_t(umask);
    MetricsFile file(path.toStdString(), fileSystem);
    std::string error;
    QVERIFY(file.Replace("new\n", &error));
    QCOMPARE(int(StatOf(path).st_mode & 07777), mode);
}

void TestMetricsFile::linkOrFifoAtThePathIsNeverWrittenThrough_data()
{
    QTest::addColumn<PlantedPath::Kind>("kind");
    QTest::addColumn<QString>("named");
    QTest::newRow("a link to a file") << PlantedPath::Kind::LinkToVictim << "names a symbolic link, not a regular file";
    QTest::newRow("a link to nowhere") << PlantedPath::Kind::DanglingLink << "names a symbolic link, not a regular file";
    QTest::newRow("a fifo") << PlantedPath::Kind::Fifo << "names a fifo, not a regular file";
}

// What an attacker with the folder's write access could leave at the path:
// the victim's file behind a link stays as it was, the link stays a link.
void TestMetricsFile::linkOrFifoAtThePathIsNeverWrittenThrough()
{
    QFETCH(PlantedPath::Kind, kind);
    QFETCH(QString, named);
    QTemporaryDir dir;
    const PlantedPath planted(dir.path(), kind);
    QVERIFY(planted.IsValid());
    const std::string path = planted.Path().toStdString();

    const auto problem = MetricsFile::Unwritable(path);
    QVERIFY2(problem, "the program would start");
    QVERIFY2(problem->find(named.toStdString()) != std::string::npos, problem->c_str());
    // Should it come there after the start, each replace refuses it too.
    MetricsFile file(path);
    std::string error;
    QVERIFY(!file.Replace("metrics\n", &error));
    QCOMPARE(QString::fromStdString(error), planted.Path() + QStringLiteral(": ") + named);
    QVERIFY(planted.Untouched());
    QCOMPARE(FolderEntries(dir.path()).size(), 2);
}

void TestMetricsFile::unwritablePaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("problem");
    QTest::newRow("missing folder") << "/nonexistent-kelvora/probe.prom" << "No such file or directory";
    QTest::newRow("a folder") << "/tmp" << "names a folder";
    QTest::newRow("ends in a slash") << "/tmp/probe/" << "names a folder";
    QTest::newRow("empty") << "" << "empty";
    // Only looked at: a replace as root would put a file in its place.
    QTest::newRow("a device") << "/dev/null" << "/dev/null: names a device, not a regular file";
}

void TestMetricsFile::unwritablePaths()
{
    QFETCH(QString, path);
    QFETCH(QString, problem);
    const auto found = MetricsFile::Unwritable(path.toStdString());
    QVERIFY(found);
    QVERIFY2(QString::fromStdString(*found).contains(problem), found->c_str());

    QTemporaryDir dir;
    QVERIFY(!MetricsFile::Unwritable(dir.filePath(QStringLiteral("probe.prom")).toStdString()));
}

QTEST_GUILESS_MAIN(TestMetricsFile)
#include "tst_metricsfile.moc"
