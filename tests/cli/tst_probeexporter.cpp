// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ExpositionReader.h"
#include "HttpClient.h"
#include "ProbeRun.h"
#include "support/LoopbackListener.h"

#include <QtTest>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

namespace {

QString Local(std::uint16_t port)
{
    return QStringLiteral("127.0.0.1:%1").arg(port);
}

// The port the exporter said it serves on, from its first line on stderr.
std::uint16_t ServedPort(ProbeRun &run)
{
    std::uint16_t port = 0;
    const bool served = QTest::qWaitFor([&] {
        const QByteArray err = run.Err();
        const qsizetype at = err.indexOf("/metrics");
        if (at < 0)
            return false;
        const qsizetype colon = err.lastIndexOf(':', at);
        port = static_cast<std::uint16_t>(err.mid(colon + 1, at - colon - 1).toUInt());
        return true;
    }, 10000);
    return served ? port : 0;
}

long ResidentKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

} // namespace

// The exporter of a running kelvora-probe: /metrics and /, refusals of an
// address that cannot be listened on, and clients that misbehave.
class TestProbeExporter : public QObject {
    Q_OBJECT

private slots:
    void servesMetricsAndHomePage();
    void addressThatCannotBeListenedOn();
    void hostileClientsNeitherStopTheChecksNorGrowMemory();
    void stopEndsTheServerWithTheSummary();
};

void TestProbeExporter::servesMetricsAndHomePage()
{
    LoopbackListener live;
    RefusingPort refused;
    ProbeRun run({"-q", "-i", "0.1", "--listen", "127.0.0.1:0", Local(live.Port()), Local(refused.Port())});
    const std::uint16_t port = ServedPort(run);
    QVERIFY(port != 0);
    QVERIFY2(run.Err().contains(QStringLiteral("serving the metrics on http://127.0.0.1:%1/metrics").arg(port).toUtf8()),
             run.Err().constData());
    QTRY_VERIFY(live.Accepted() >= 2);

    const QByteArray answer = HttpExchange(port, "GET /metrics HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    QVERIFY2(HttpStatus(answer) == 200, answer.left(200).constData());
    QString error;
    const auto families = ReadExposition(HttpBody(answer), &error);
    QVERIFY2(families, qPrintable(error));
    QMap<QString, double> up;
    double internet = -1;
    for (const ExpositionFamily &family : *families) {
        for (const ExpositionSample &sample : family.samples) {
            if (sample.name == QLatin1String("kelvora_probe_up"))
                up.insert(sample.labels.value("port"), sample.value);
            if (sample.name == QLatin1String("kelvora_internet_up"))
                internet = sample.value;
        }
    }
    QCOMPARE(up.value(QString::number(live.Port()), -1), 1.0);
    QCOMPARE(up.value(QString::number(refused.Port()), -1), 0.0);
    QCOMPARE(internet, 1.0);

    const QByteArray home = HttpExchange(port, "GET / HTTP/1.0\r\n\r\n");
    QVERIFY2(HttpStatus(home) == 200, home.constData());
    QVERIFY(home.contains("Content-Type: text/html"));
    QVERIFY(HttpBody(home).contains("<a href=\"/metrics\">"));
    QCOMPARE(HttpStatus(HttpExchange(port, "GET /elsewhere HTTP/1.0\r\n\r\n")), 404);
    QCOMPARE(HttpStatus(HttpExchange(port, "DELETE / HTTP/1.0\r\n\r\n")), 405);
    run.Signal(SIGTERM);
    QVERIFY(run.Finish(5000));
    QCOMPARE(run.ExitCode(), 0);
}

void TestProbeExporter::addressThatCannotBeListenedOn()
{
    LoopbackListener taken;
    RefusingPort target;
    struct Case {
        QString listen;
        QByteArray said;
    };
    for (const Case &given : {Case{Local(taken.Port()), "address already in use"},
                              // TEST-NET-1: an address of no interface here.
                              Case{QStringLiteral("192.0.2.1:9374"), "cannot assign requested address"}}) {
        QByteArray out;
        QByteArray err;
        QCOMPARE(ProbeRun::RunToEnd({"-c", "1", "--listen", given.listen, Local(target.Port())}, &out, &err), 2);
        QCOMPARE(err, "kelvora-probe: --listen " + given.listen.toUtf8() + ": " + given.said + "\n");
        QVERIFY(out.isEmpty());
    }
}

void TestProbeExporter::hostileClientsNeitherStopTheChecksNorGrowMemory()
{
    LoopbackListener live;
    ProbeRun run({"-q", "-i", "0.05", "--listen", "127.0.0.1:0", Local(live.Port())});
    const std::uint16_t port = ServedPort(run);
    QVERIFY(port != 0);
    QTRY_VERIFY(live.Accepted() >= 3);
    QCOMPARE(HttpStatus(HttpExchange(port, "GET /metrics HTTP/1.0\r\n\r\n")), 200);
    const long before = ResidentKiB(run.Pid());

    // A thousand connections that never send a thing, garbage, and a
    // request line of a mebibyte.
    std::vector<int> idle;
    for (int i = 0; i < 1000; ++i) {
        const int fd = ConnectLoopback(port, true);
        if (fd >= 0)
            idle.push_back(fd);
    }
    QVERIFY(idle.size() > 900);
    QByteArray garbage = HttpExchange(port, QByteArray("\x00\xff\r\n\r\n\x16\x03\x01", 9), 5000);
    Q_UNUSED(garbage);
    const int huge = ConnectLoopback(port);
    QByteArray line = "GET /" + QByteArray(1 << 20, 'a') + " HTTP/1.1\r\n\r\n";
    [[maybe_unused]] const ssize_t sent = ::send(huge, line.constData(), size_t(line.size()), MSG_NOSIGNAL | MSG_DONTWAIT);

    const int checksBefore = live.Accepted();
    QTRY_VERIFY_WITH_TIMEOUT(live.Accepted() >= checksBefore + 40, 10000);
    const long during = ResidentKiB(run.Pid());
    QVERIFY2(during - before < 32 * 1024, qPrintable(QStringLiteral("%1 KiB, then %2 KiB").arg(before).arg(during)));
    // The huge request was not taken whole: the server answered and closed,
    // or closed, without waiting for the rest.
    const QByteArray hugeAnswer = ReadToEnd(huge, 8000);
    QVERIFY2(HttpStatus(hugeAnswer) != 200, hugeAnswer.left(100).constData());
    ::close(huge);
    for (const int fd : idle)
        ::close(fd);
    // Once they are gone, scrapes are served again.
    QTRY_VERIFY_WITH_TIMEOUT(HttpStatus(HttpExchange(port, "GET /metrics HTTP/1.0\r\n\r\n", 3000)) == 200, 20000);
    run.Signal(SIGINT);
    QVERIFY(run.Finish(5000));
    QCOMPARE(run.ExitCode(), 0);
}

void TestProbeExporter::stopEndsTheServerWithTheSummary()
{
    LoopbackListener live;
    ProbeRun run({"-i", "0.1", "--listen", "127.0.0.1:0", Local(live.Port())});
    const std::uint16_t port = ServedPort(run);
    QVERIFY(port != 0);
    // A scrape client that stays connected does not hold the stop up.
    const int lingering = ConnectLoopback(port);
    QTRY_VERIFY(live.Accepted() >= 1);
    QElapsedTimer clock;
    clock.start();
    run.Signal(SIGTERM);
    QVERIFY(run.Finish(10000));
    // Not held up by joining the server's threads either.
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    ::close(lingering);
    QCOMPARE(run.ExitCode(), 0);
    QVERIFY(run.Out().contains("statistics ---"));
    QCOMPARE(ConnectLoopback(port, false), -1);
}

QTEST_GUILESS_MAIN(TestProbeExporter)
#include "tst_probeexporter.moc"
