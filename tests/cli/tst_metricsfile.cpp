// SPDX-License-Identifier: MIT
#include "cli/MetricsFile.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList FolderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

QByteArray Contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

ino_t Inode(const QString &path)
{
    struct stat info{};
    return ::stat(path.toLocal8Bit().constData(), &info) == 0 ? info.st_ino : 0;
}

} // namespace

// The metrics file is replaced whole through a hidden file beside it.
class TestMetricsFile : public QObject {
    Q_OBJECT

private slots:
    void replacesWholeThroughFileBeside();
    void temporaryNameIsHiddenAndNotProm();
    void failureKeepsOldFileAndLeavesNothing();
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
    QCOMPARE(Contents(path), QByteArray("first\n"));
    const ino_t first = Inode(path);
    QVERIFY2(file.Replace("second, longer text\n", &error), error.c_str());
    QCOMPARE(Contents(path), QByteArray("second, longer text\n"));
    // A new file renamed into place, not the old one rewritten: a reader
    // holding the old one open still reads it whole.
    QVERIFY(Inode(path) != first);
    QCOMPARE(FolderEntries(dir.path()), QStringList{"probe.prom"});
}

void TestMetricsFile::temporaryNameIsHiddenAndNotProm()
{
    const MetricsFile file("/var/lib/node/textfile/probe.prom");
    const QString temporary = QString::fromStdString(file.TemporaryPath());
    QVERIFY2(temporary.startsWith(QStringLiteral("/var/lib/node/textfile/.probe.prom.")), qPrintable(temporary));
    QVERIFY2(!temporary.endsWith(QStringLiteral(".prom")), qPrintable(temporary));
    const MetricsFile bare("probe.prom");
    QVERIFY(QString::fromStdString(bare.TemporaryPath()).startsWith(QStringLiteral(".probe.prom.")));
}

void TestMetricsFile::failureKeepsOldFileAndLeavesNothing()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("probe.prom"));
    MetricsFile file(path.toStdString());
    std::string error;
    QVERIFY(file.Replace("old\n", &error));
    // A folder where the temporary file would go: its creation fails.
    QVERIFY(QDir(dir.path()).mkdir(QString::fromStdString(file.TemporaryPath()).section(QLatin1Char('/'), -1)));
    QVERIFY(!file.Replace("new\n", &error));
    QVERIFY2(QString::fromStdString(error).contains(QStringLiteral(".tmp: ")), error.c_str());
    QCOMPARE(Contents(path), QByteArray("old\n"));

    // The target turned into a folder: the rename fails and the temporary
    // file is removed again.
    QVERIFY(QDir(dir.path()).rmdir(QString::fromStdString(file.TemporaryPath()).section(QLatin1Char('/'), -1)));
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("probe.prom")));
    QVERIFY(QDir(path).mkdir(QStringLiteral("inside"))); // a folder that is not empty cannot be replaced
    QVERIFY(!file.Replace("new\n", &error));
    QCOMPARE(FolderEntries(dir.path()), QStringList{"probe.prom"});
}

void TestMetricsFile::unwritablePaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("problem");
    QTest::newRow("missing folder") << "/nonexistent-kelvora/probe.prom" << "No such file or directory";
    QTest::newRow("a folder") << "/tmp" << "names a folder";
    QTest::newRow("ends in a slash") << "/tmp/probe/" << "names a folder";
    QTest::newRow("empty") << "" << "empty";
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
