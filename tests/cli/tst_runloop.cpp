// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/CheckPool.h"
#include "cli/OutputQueue.h"
#include "cli/ProbeOptions.h"
#include "cli/ProbeFleet.h"
#include "cli/RunLoop.h"
#include "cli/SignalPipe.h"
#include "support/LoopbackListener.h"

#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <utility>

using namespace std::chrono_literals;

namespace {

// A pipe whose reader reads only when told to.
class LazyReader final {
public:
    LazyReader()
    {
        QVERIFY(::pipe2(fds_, O_CLOEXEC) == 0);
        ::fcntl(fds_[0], F_SETFL, O_NONBLOCK);
        ::fcntl(fds_[0], F_SETPIPE_SZ, 4096);
    }
    ~LazyReader()
    {
        ::close(fds_[0]);
        ::close(fds_[1]);
    }
    int WriteEnd() const { return fds_[1]; }
    // What the pipe holds now.
    std::string ReadAll()
    {
        std::string text;
        char buffer[65536];
        ssize_t count = 0;
        while ((count = ::read(fds_[0], buffer, sizeof buffer)) > 0)
            text.append(buffer, static_cast<std::size_t>(count));
        return text;
    }

private:
    int fds_[2] = {-1, -1};
};

// Waits on this thread (the run loop has the other) for `condition`, up to
// `limit`.
template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds limit = 10s)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

} // namespace

// The run loop against a listener on loopback, with a standard output that
// holds little and is read only when the test says so.
class TestRunLoop : public QObject {
    Q_OBJECT

private slots:
    void fullOutputHoldsTheChecksBackAndAStopStillEnds();
    void outputAfterAStop_data();
    void outputAfterAStop();
};

namespace {

// A run of one check a second, stopped at once by SIGTERM.
struct StoppedRun {
    LoopbackListener listener;
    ParsedCommandLine parsed = ParseProbeOptions({"127.0.0.1", QByteArray::number(listener.Port())});
    SignalPipe signalPipe;
    OutputQueue sink{-1};

    RunLoop::End RunUntilStopped(OutputQueue &out)
    {
        ProbeFleet fleet(parsed.options, SessionOutput{sink, sink, false, false});
        CheckPool pool(1, [&fleet](std::size_t target, const CancelToken &cancel) { return fleet.Probe(target, cancel); });
        RunLoop loop(fleet, pool, signalPipe, out, RunLoop::Settings{});
        ::kill(::getpid(), SIGTERM);
        fleet.Begin();
        const RunLoop::End end = loop.Run();
        waited = loop.WaitForOutput({&out}, 75ms);
        return end;
    }
    bool waited = false;
};

} // namespace

void TestRunLoop::fullOutputHoldsTheChecksBackAndAStopStillEnds()
{
    LoopbackListener listener;
    const ParsedCommandLine parsed =
        ParseProbeOptions({"-i", "0.01", "127.0.0.1", QByteArray::number(listener.Port())});
    QCOMPARE(parsed.action, ParsedCommandLine::Action::Run);
    SignalPipe signalPipe;
    LazyReader reader;
    // The pipe takes a page, the queue some 2 KB: a hundred checks fill both.
    OutputQueue out(reader.WriteEnd(), 2000);
    OutputQueue err(-1); // no statistics are asked for
    ProbeFleet fleet(parsed.options, SessionOutput{out, err, false, false});
    CheckPool pool(1, [&fleet](std::size_t target, const CancelToken &cancel) { return fleet.Probe(target, cancel); });
    RunLoop::Settings settings;
    settings.interval = parsed.options.interval;
    RunLoop loop(fleet, pool, signalPipe, out, settings);

    int checksWhenFull = -1;
    int checksAfterWaiting = -1;
    bool resumed = false;
    std::thread test([&] {
        if (WaitFor([&] { return out.Full(); })) {
            checksWhenFull = listener.Accepted();
            // Room for thirty checks at 10 ms apart, were they not held back.
            std::this_thread::sleep_for(300ms);
            checksAfterWaiting = listener.Accepted();
            reader.ReadAll();
            resumed = WaitFor([&] { return listener.Accepted() >= checksAfterWaiting + 5; });
        }
        ::kill(::getpid(), SIGTERM);
    });
    fleet.Begin();
    const RunLoop::End end = loop.Run();
    test.join();

    QCOMPARE(end, RunLoop::End::Stopped);
    QVERIFY2(checksWhenFull > 0, "the output never filled");
    // A check already under way when the queue filled may still end.
    QVERIFY2(checksAfterWaiting <= checksWhenFull + 1,
             qPrintable(QStringLiteral("%1 then %2").arg(checksWhenFull).arg(checksAfterWaiting)));
    QVERIFY2(resumed, "the checks did not go on once the reader read");
}

void TestRunLoop::outputAfterAStop_data()
{
    QTest::addColumn<bool>("readerReads");
    QTest::newRow("a reader that reads, a writer slow to run") << true;
    QTest::newRow("a reader that does not read") << false;
}

// Past the stop's time for the output, a reader that does not read is
// given up; text the pipe would take at once is still written, however
// late its thread runs (as on a loaded machine).
void TestRunLoop::outputAfterAStop()
{
    QFETCH(bool, readerReads);
    LazyReader reader;
    const std::string summary = "summary\n";
    // The first write comes 300 ms late, four times the time left.
    const auto slowStart = [](int fd, const char *data, std::size_t size) {
        static thread_local bool first = true;
        if (std::exchange(first, false))
            std::this_thread::sleep_for(300ms);
        return ::write(fd, data, size);
    };
    OutputQueue out(reader.WriteEnd(), OutputQueue::kDefaultCapacity, slowStart);
    if (!readerReads)
        out.Write(std::string(8192, 'x') + "\n"); // twice what the pipe holds
    StoppedRun run;
    const auto begin = std::chrono::steady_clock::now();
    out.Write(summary);
    QCOMPARE(run.RunUntilStopped(out), RunLoop::End::Stopped);
    const auto took = std::chrono::steady_clock::now() - begin;
    QCOMPARE(run.waited, readerReads);
    // Given up: reading now must not let the writing go on.
    const std::uint64_t notWritten = out.Abandon();
    const std::string written = reader.ReadAll();
    if (readerReads) {
        QCOMPARE(written, summary);
        QCOMPARE(notWritten, std::uint64_t(0));
    } else {
        QVERIFY(written.find(summary) == std::string::npos);
        QVERIFY2(took < RunLoop::kFlowingAfterStop, qPrintable(QString::number(took.count())));
        QCOMPARE(notWritten, std::uint64_t(2));
    }
}

QTEST_GUILESS_MAIN(TestRunLoop)
#include "tst_runloop.moc"
