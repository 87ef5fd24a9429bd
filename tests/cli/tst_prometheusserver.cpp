// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "HttpClient.h"
#include "ProbeRun.h"
#include "support/LoopbackListener.h"

#include <QtTest>

#include <signal.h>

namespace {

// The port the exporter said it serves on, from its line on stderr.
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

// The instant vector of a query through Prometheus' HTTP API: each
// series' labels with its value.
QList<QPair<QJsonObject, double>> Query(std::uint16_t port, const QByteArray &query)
{
    const QByteArray answer = HttpGet(port, "/api/v1/query?query=" + QUrl::toPercentEncoding(QString::fromUtf8(query)), 5000);
    const QJsonObject object = QJsonDocument::fromJson(HttpBody(answer)).object();
    QList<QPair<QJsonObject, double>> series;
    for (const QJsonValue &one : object["data"].toObject()["result"].toArray()) {
        const QJsonObject entry = one.toObject();
        series.append({entry["metric"].toObject(), entry["value"].toArray().at(1).toString().toDouble()});
    }
    return series;
}

double ValueFor(const QList<QPair<QJsonObject, double>> &series, const QString &port)
{
    for (const auto &[labels, value] : series) {
        if (labels["port"].toString() == port)
            return value;
    }
    return -1;
}

} // namespace

// Debian's Prometheus server on loopback scrapes a running kelvora-probe
// --listen, and its query API gives back what the probe found.
class TestPrometheusServer : public QObject {
    Q_OBJECT

private slots:
    void scrapedByARealServer();
};

void TestPrometheusServer::scrapedByARealServer()
{
    const QString server = QStandardPaths::findExecutable(QStringLiteral("prometheus"));
    if (server.isEmpty())
        QSKIP("the Prometheus server (Debian package prometheus, scripts/install-deps.sh --test) is not installed");

    LoopbackListener live;
    RefusingPort refused;
    ProbeRun probe({"-q", "-i", "0.2", "--listen", "127.0.0.1:0", QStringLiteral("127.0.0.1:%1").arg(live.Port()),
                    QStringLiteral("127.0.0.1:%1").arg(refused.Port())});
    const std::uint16_t exporter = ServedPort(probe);
    QVERIFY(exporter != 0);

    QTemporaryDir folder;
    QFile config(folder.filePath(QStringLiteral("prometheus.yml")));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("global:\n  scrape_interval: 1s\n  evaluation_interval: 1s\n"
                                "scrape_configs:\n  - job_name: kelvora\n    static_configs:\n"
                                "      - targets: ['127.0.0.1:%1']\n")
                     .arg(exporter)
                     .toUtf8());
    config.close();
    const std::uint16_t apiPort = FreeLoopbackPort();
    QProcess prometheus;
    prometheus.setProcessChannelMode(QProcess::MergedChannels);
    prometheus.start(server, {QStringLiteral("--config.file=") + config.fileName(),
                              QStringLiteral("--storage.tsdb.path=") + folder.filePath(QStringLiteral("data")),
                              QStringLiteral("--web.listen-address=127.0.0.1:%1").arg(apiPort)});
    QVERIFY(prometheus.waitForStarted());
    const auto stopServer = qScopeGuard([&prometheus] {
        prometheus.terminate();
        if (!prometheus.waitForFinished(10000))
            prometheus.kill();
    });

    // Two scrapes at least, then the figures of the latest.
    const bool scraped = QTest::qWaitFor([&] {
        const auto counts = Query(apiPort, "count_over_time(kelvora_internet_up[1m])");
        return !counts.isEmpty() && counts.front().second >= 2;
    }, 20000);
    QVERIFY2(scraped, prometheus.readAll().right(2000).constData());
    const auto up = Query(apiPort, "kelvora_probe_up");
    QCOMPARE(up.size(), 2);
    QCOMPARE(ValueFor(up, QString::number(live.Port())), 1.0);
    QCOMPARE(ValueFor(up, QString::number(refused.Port())), 0.0);
    const auto internet = Query(apiPort, "kelvora_internet_up");
    QCOMPARE(internet.size(), 1);
    QCOMPARE(internet.front().second, 1.0);
    QCOMPARE(internet.front().first["rule"].toString(), QStringLiteral("any"));
    // Prometheus' own view of the scrape: the target is up.
    const auto target = Query(apiPort, "up{job=\"kelvora\"}");
    QCOMPARE(target.size(), 1);
    QCOMPARE(target.front().second, 1.0);

    // promtool finds nothing to say about what the exporter serves.
    const QString promtool = QStandardPaths::findExecutable(QStringLiteral("promtool"));
    if (!promtool.isEmpty()) {
        const QByteArray served = HttpBody(HttpGet(exporter, "/metrics"));
        QVERIFY(served.contains("kelvora_probe_build_info"));
        QProcess lint;
        lint.setProcessChannelMode(QProcess::MergedChannels);
        lint.start(promtool, {QStringLiteral("check"), QStringLiteral("metrics")});
        QVERIFY(lint.waitForStarted());
        lint.write(served);
        lint.closeWriteChannel();
        QVERIFY(lint.waitForFinished(20000));
        const QByteArray said = lint.readAll();
        QVERIFY2(said.isEmpty() && lint.exitCode() == 0, said.constData());
    }

    probe.Signal(SIGTERM);
    QVERIFY(probe.Finish(5000));
    QCOMPARE(probe.ExitCode(), 0);
}

QTEST_GUILESS_MAIN(TestPrometheusServer)
#include "tst_prometheusserver.moc"
