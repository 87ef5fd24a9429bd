// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/OutputQueue.h"

#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <atomic>
#include <csignal>
#include <mutex>

namespace {

// A pipe; Stuff fills it so that the next write blocks.
class Pipe final {
public:
    Pipe() { QVERIFY(::pipe2(fds_, O_CLOEXEC) == 0); }
    ~Pipe()
    {
        CloseReadEnd();
        ::close(fds_[1]);
    }
    int ReadEnd() const { return fds_[0]; }
    int WriteEnd() const { return fds_[1]; }
    void CloseReadEnd()
    {
        if (fds_[0] >= 0)
            ::close(fds_[0]);
        fds_[0] = -1;
    }
    void Stuff()
    {
        ::fcntl(fds_[1], F_SETFL, O_NONBLOCK);
        const QByteArray filler(4096, 'f');
        while (::write(fds_[1], filler.constData(), filler.size()) > 0) {
        }
        ::fcntl(fds_[1], F_SETFL, 0);
    }
    // Everything waiting in the pipe now.
    QByteArray ReadAll()
    {
        QByteArray all;
        char buffer[65536];
        pollfd ready{fds_[0], POLLIN, 0};
        while (::poll(&ready, 1, 0) > 0 && (ready.revents & POLLIN) != 0) {
            const ssize_t count = ::read(fds_[0], buffer, sizeof buffer);
            if (count <= 0)
                break;
            all.append(buffer, count);
        }
        return all;
    }

private:
    int fds_[2] = {-1, -1};
};

// Bytes waiting in a pipe.
int Pending(int fd)
{
    int pending = 0;
    return ::ioctl(fd, FIONREAD, &pending) == 0 ? pending : -1;
}

bool Readable(int fd)
{
    pollfd ready{fd, POLLIN, 0};
    return ::poll(&ready, 1, 0) == 1;
}

QByteArray Lines(int count)
{
    QByteArray lines;
    for (int i = 0; i < count; ++i)
        lines += QByteArray::number(i).rightJustified(99, '.') + '\n';
    return lines;
}

} // namespace

// Output written by a thread of its own: in order, never making the writer
// wait, failing once for good, and abandoned at once with an exact count.
class TestOutputQueue : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { std::signal(SIGPIPE, SIG_IGN); }
    void writesInOrderThroughShortWrites();
    void fullWhileNobodyReads();
    void abandonInterruptsABlockedWriteAndCounts();
    void firstFailureEndsTheWriting_data();
    void firstFailureEndsTheWriting();
    void closedPipeIsEpipe();
    void dropsBeyondTwiceTheCapacity();
};

void TestOutputQueue::writesInOrderThroughShortWrites()
{
    std::mutex mutex;
    QByteArray written;
    int calls = 0;
    OutputQueue queue(-1, OutputQueue::kDefaultCapacity, [&](int, const char *data, std::size_t size) {
        const std::lock_guard lock(mutex);
        ++calls;
        const std::size_t taken = std::min<std::size_t>(size, 3);
        written.append(data, qsizetype(taken));
        return ssize_t(taken);
    });
    const QByteArray lines = Lines(50);
    for (const QByteArray &line : lines.split('\n'))
        if (!line.isEmpty())
            queue.Write((line + '\n').toStdString());
    QTRY_VERIFY(queue.Idle());
    QTRY_VERIFY(Readable(queue.ProgressDescriptor()));
    queue.Acknowledge();
    QVERIFY(!Readable(queue.ProgressDescriptor()));
    {
        const std::lock_guard lock(mutex);
        QCOMPARE(written, lines);
        QVERIFY(calls >= lines.size() / 3);
    }
    QCOMPARE(queue.Error(), 0);
    QCOMPARE(queue.Abandon(), std::uint64_t(0));
}

void TestOutputQueue::fullWhileNobodyReads()
{
    Pipe pipe;
    pipe.Stuff();
    OutputQueue queue(pipe.WriteEnd(), 10'000);
    const QByteArray lines = Lines(99); // 9900 bytes
    queue.Write(lines.toStdString());
    QVERIFY(!queue.Full());
    QVERIFY(!queue.Idle());
    queue.Write(lines.left(100).toStdString());
    QVERIFY(queue.Full());
    // Reading makes room again.
    QByteArray read = pipe.ReadAll();
    QTRY_VERIFY((read += pipe.ReadAll(), queue.Idle()));
    QVERIFY(!queue.Full());
    read += pipe.ReadAll();
    QVERIFY(read.endsWith(lines + lines.left(100)));
}

void TestOutputQueue::abandonInterruptsABlockedWriteAndCounts()
{
    Pipe pipe;
    OutputQueue queue(pipe.WriteEnd());
    constexpr int kLines = 10'000; // about 1 MB, far more than the pipe holds
    queue.Write(Lines(kLines).toStdString());
    // Written as far as the pipe takes it, then blocked in the write.
    QTRY_VERIFY(Pending(pipe.ReadEnd()) >= 65536);
    QVERIFY(!queue.Idle());
    QElapsedTimer clock;
    clock.start();
    const std::uint64_t notWritten = queue.Abandon();
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    const QByteArray arrived = pipe.ReadAll();
    QVERIFY(arrived.size() > 0);
    // Each line either arrived whole or is counted, a cut one with those
    // that did not come.
    QCOMPARE(std::uint64_t(arrived.count('\n')) + notWritten, std::uint64_t(kLines));
    QVERIFY(notWritten > 0);
    QVERIFY(queue.Idle());
    QCOMPARE(queue.Abandon(), notWritten);
}

void TestOutputQueue::firstFailureEndsTheWriting_data()
{
    QTest::addColumn<int>("error");
    QTest::newRow("a full disk") << ENOSPC;
    QTest::newRow("an I/O error") << EIO;
    QTest::newRow("a bad descriptor") << EBADF;
}

void TestOutputQueue::firstFailureEndsTheWriting()
{
    QFETCH(int, error);
    std::atomic<int> calls = 0;
    OutputQueue queue(-1, OutputQueue::kDefaultCapacity, [&](int, const char *, std::size_t) {
        ++calls;
        errno = error;
        return ssize_t(-1);
    });
    queue.Write("one\ntwo\n");
    QTRY_COMPARE(queue.Error(), error);
    QVERIFY(Readable(queue.ProgressDescriptor()));
    QVERIFY(queue.Idle());
    queue.Write("three\n");
    QCOMPARE(calls.load(), 1);
    QCOMPARE(queue.Abandon(), std::uint64_t(3));
}

void TestOutputQueue::closedPipeIsEpipe()
{
    Pipe pipe;
    pipe.CloseReadEnd();
    OutputQueue queue(pipe.WriteEnd());
    queue.Write("gone\n");
    QTRY_COMPARE(queue.Error(), EPIPE);
}

void TestOutputQueue::dropsBeyondTwiceTheCapacity()
{
    Pipe pipe;
    pipe.Stuff();
    OutputQueue queue(pipe.WriteEnd(), 100);
    for (int i = 0; i < 10; ++i)
        queue.Write(QByteArray(49, 'x').append('\n').toStdString()); // 50 bytes a line
    // Four lines fill twice the capacity; the other six are dropped.
    QVERIFY(queue.Full());
    QCOMPARE(queue.Abandon(), std::uint64_t(10));
}

QTEST_APPLESS_MAIN(TestOutputQueue)
#include "tst_outputqueue.moc"
