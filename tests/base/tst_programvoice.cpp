// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "base/ProgramVoice.h"

#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Standard output and standard error replaced for the life of the object:
// output goes to `outPath`, standard error into a pipe that Err() reads.
class RedirectedOutput final {
public:
    explicit RedirectedOutput(const char *outPath)
    {
        savedOut_ = ::dup(STDOUT_FILENO);
        savedErr_ = ::dup(STDERR_FILENO);
        const int out = ::open(outPath, O_WRONLY | O_CLOEXEC);
        ::dup2(out, STDOUT_FILENO);
        ::close(out);
        ::pipe2(errPipe_, O_CLOEXEC | O_NONBLOCK);
        ::dup2(errPipe_[1], STDERR_FILENO);
    }
    ~RedirectedOutput()
    {
        ::dup2(savedOut_, STDOUT_FILENO);
        ::dup2(savedErr_, STDERR_FILENO);
        for (const int fd : {savedOut_, savedErr_, errPipe_[0], errPipe_[1]})
            ::close(fd);
    }
    QByteArray Err() const
    {
        char buffer[4096];
        const ssize_t count = ::read(errPipe_[0], buffer, sizeof buffer);
        return count > 0 ? QByteArray(buffer, count) : QByteArray();
    }

private:
    int savedOut_ = -1;
    int savedErr_ = -1;
    int errPipe_[2] = {-1, -1};
};

} // namespace

// The words both programs share.
class TestProgramVoice : public QObject {
    Q_OBJECT

private slots:
    void usageErrorLine();
    void versionLikeGnuPrograms();
    void printOrFail_data();
    void printOrFail();
};

void TestProgramVoice::usageErrorLine()
{
    QCOMPARE(UsageErrorLine(u"kelvora", u"unknown option '--x'"),
             QStringLiteral("kelvora: unknown option '--x'. Try 'kelvora --help'.\n"));
    QCOMPARE(UsageErrorLine(u"kelvora-probe", u"missing HOST"),
             QStringLiteral("kelvora-probe: missing HOST. Try 'kelvora-probe --help'.\n"));
}

void TestProgramVoice::versionLikeGnuPrograms()
{
    const QStringList lines = VersionText(u"kelvora-probe").split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 6); // five lines and what follows the last break
    QCOMPARE(lines[0], QStringLiteral("kelvora-probe " KELVORA_VERSION));
    QCOMPARE(lines[1], QStringLiteral("Copyright (C) " KELVORA_COPYRIGHT "."));
    QVERIFY2(lines[2].startsWith(QStringLiteral("License MIT: <https://")), qPrintable(lines[2]));
    QVERIFY(lines[4].contains(QStringLiteral("NO WARRANTY")));
    QCOMPARE(lines[5], QString());
}

void TestProgramVoice::printOrFail_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("err");
    QTest::newRow("written") << QByteArray("/dev/null") << 0 << QByteArray();
    QTest::newRow("a full disk") << QByteArray("/dev/full") << kOutputFailedStatus
                                 << QByteArray("prog: cannot write standard output: No space left on device\n");
}

void TestProgramVoice::printOrFail()
{
    QFETCH(QByteArray, path);
    QFETCH(int, status);
    QFETCH(QByteArray, err);
    int returned = -1;
    QByteArray said;
    {
        const RedirectedOutput redirected(path.constData());
        returned = PrintOrFail(u"prog", "Usage: prog\n", 0);
        said = redirected.Err();
    }
    QCOMPARE(returned, status);
    QCOMPARE(said, err);
}

QTEST_APPLESS_MAIN(TestProgramVoice)
#include "tst_programvoice.moc"
