// SPDX-License-Identifier: MIT
// kelvora-probe inside a network namespace of the test's own (entered
// first thing in main; the probe, a child, inherits it): roads that do not
// exist, no resolver, a resolver of the test's own, and port 80. Nothing can
// leave the namespace. Every case skips where the platform allows none.

#include "support/FakeResolver.h"
#include "support/LoopbackListener.h"
#include "support/PrivateNetwork.h"
#include "ProbeRun.h"
#include "SilentResolver.h"

#include <QtTest>

#include <algorithm>
#include <csignal>

namespace {

// Runs `ip` with the arguments in this namespace; an empty text when it
// worked, else what went wrong.
QString Ip(const QStringList &arguments)
{
    QProcess ip;
    ip.start(QStringLiteral("ip"), arguments);
    if (!ip.waitForFinished(10000) || ip.exitStatus() != QProcess::NormalExit || ip.exitCode() != 0)
        return QStringLiteral("ip %1: %2%3")
            .arg(arguments.join(QLatin1Char(' ')), ip.errorString(), QString::fromLocal8Bit(ip.readAllStandardError()));
    return {};
}

// The one check of a json run with -c 1, or an empty object.
QJsonObject OnlyCheck(ProbeRun &run)
{
    const QList<QJsonObject> lines = run.JsonLines();
    if (lines.size() != 2 || lines[0][QStringLiteral("type")].toString() != QLatin1String("check")) {
        QTest::qFail(run.Out().constData(), __FILE__, __LINE__);
        return {};
    }
    return lines[0];
}

} // namespace

class TestProbeNetwork : public QObject {
    Q_OBJECT

private slots:
    void init();

    void unreachableRoads_data();
    void unreachableRoads();
    void noResolverFailsAtOnce();
    void portEightyByDefault();
    void internationalNameInItsAsciiForm();
    void eachCheckResolvesAnewAndNotesAChange();
    void interruptDuringHungLookup();
};

void TestProbeNetwork::init()
{
    if (!InPrivateNetwork())
        QSKIP("the platform allows no private network namespace here");
}

void TestProbeNetwork::unreachableRoads_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("code");
    QTest::newRow("route marked unreachable") << "10.2.0.1" << "host-unreachable" << 10065;
    QTest::newRow("no route at all") << "10.3.0.1" << "network-unreachable" << 10051;
}

void TestProbeNetwork::unreachableRoads()
{
    QFETCH(QString, address);
    QFETCH(QString, reason);
    QFETCH(int, code);
    static const QString routeError = Ip({"route", "replace", "unreachable", "10.2.0.0/16"});
    if (!routeError.isEmpty())
        QSKIP(qPrintable(routeError));
    ProbeRun run({"-c", "1", "-f", "json", address, "80"});
    QVERIFY(run.Finish());
    QCOMPARE(run.ExitCode(), 1);
    const QJsonObject check = OnlyCheck(run);
    QCOMPARE(check["ok"], QJsonValue(false));
    QCOMPARE(check["address"].toString(), address);
    QCOMPARE(check["reason"].toString(), reason);
    QCOMPARE(check["code"].toInteger(), code);
    QVERIFY(!check["message"].toString().isEmpty());
}

void TestProbeNetwork::noResolverFailsAtOnce()
{
    // No resolver can be reached from here: any name fails at once.
    ProbeRun run({"-c", "2", "-i", "0.05", "-f", "json", "kelvora-nowhere.test"});
    QVERIFY(run.Finish());
    QCOMPARE(run.ExitCode(), 1);
    const QList<QJsonObject> lines = run.JsonLines();
    QCOMPARE(lines.size(), 3);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(lines[i]["reason"].toString(), QStringLiteral("dns"));
        QCOMPARE(lines[i]["code"].toInteger(), 11001);
        QVERIFY(lines[i]["address"].isNull());
        QCOMPARE(lines[i]["host"].toString(), QStringLiteral("kelvora-nowhere.test"));
    }
    QVERIFY(lines[2]["address"].isNull());
    QCOMPARE(lines[2]["longest_outage"].toObject()["reasons"].toObject(), (QJsonObject{{"dns", 2}}));
}

void TestProbeNetwork::portEightyByDefault()
{
    NamespaceListener listener(80, true);
    QVERIFY2(listener.IsValid(), qPrintable(listener.Error()));
    ProbeRun run({"-c", "2", "-i", "0.05", "-f", "json", "127.0.0.1"});
    QTRY_VERIFY(run.Process().state() == QProcess::NotRunning);
    QVERIFY(run.Finish());
    QCOMPARE(run.ExitCode(), 0);
    const QList<QJsonObject> lines = run.JsonLines();
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0]["port"].toInteger(), 80);
    QCOMPARE(lines[2]["ok"].toInteger(), 2);
    QTRY_COMPARE(listener.Accepted(), 2);
}

void TestProbeNetwork::internationalNameInItsAsciiForm()
{
    FakeResolver resolver;
    if (!resolver.IsValid())
        QSKIP(qPrintable(resolver.Error()));
    LoopbackListener listener;
    resolver.Answer("xn--e1afmkfd.xn--p1ai", "127.0.0.1");
    ProbeRun run({"-c", "1", "-f", "json", QStringLiteral("пример.рф"), QString::number(listener.Port())});
    QVERIFY(run.Finish());
    QCOMPARE(run.ExitCode(), 0);
    const QJsonObject check = OnlyCheck(run);
    QCOMPARE(check["ok"], QJsonValue(true));
    QCOMPARE(check["host"].toString(), QStringLiteral("пример.рф")); // shown as given
    QCOMPARE(check["address"].toString(), QStringLiteral("127.0.0.1"));
    const std::vector<std::string> asked = resolver.Asked();
    QVERIFY(!asked.empty());
    QVERIFY(std::all_of(asked.begin(), asked.end(), [](const std::string &name) { return name == "xn--e1afmkfd.xn--p1ai"; }));
    QTRY_COMPARE(listener.Accepted(), 1);
}

void TestProbeNetwork::eachCheckResolvesAnewAndNotesAChange()
{
    FakeResolver resolver;
    if (!resolver.IsValid())
        QSKIP(qPrintable(resolver.Error()));
    LoopbackListener listener;
    resolver.Answer("moving.test", "127.0.0.1");
    ProbeRun run({"-i", "0.05", "moving.test", QString::number(listener.Port())});
    QTRY_VERIFY(run.Out().contains("seq=2 time="));
    QVERIFY2(run.Out().contains("moving.test (127.0.0.1) port "), run.Out().constData());
    QVERIFY(!run.Out().contains("address changed"));
    // Nothing listens on 127.0.0.2: the new address is refused, and the line
    // says that it changed.
    resolver.Answer("moving.test", "127.0.0.2");
    QTRY_VERIFY(run.Out().contains("address changed from 127.0.0.1"));
    QVERIFY2(run.Out().contains("moving.test (127.0.0.2) port "), run.Out().constData());
    QVERIFY2(run.Out().contains("failed: connection refused"), run.Out().constData());
    run.Signal(SIGINT);
    QVERIFY(run.Finish(5000));
    QCOMPARE(run.ExitCode(), 0);
    // One question for each check, none answered from a cache.
    const QByteArray out = run.Out();
    const qsizetype checks = out.count("seq=");
    QVERIFY(qsizetype(resolver.Asked().size()) >= checks);
    QVERIFY2(out.contains("--- moving.test (127.0.0.2) port "), out.constData());
}

// A lookup cannot be cut short as a connect can: the program gives the
// check up, prints the summary and ends all the same.
void TestProbeNetwork::interruptDuringHungLookup()
{
    SilentResolver resolver;
    if (!resolver.IsValid())
        QSKIP(qPrintable(resolver.Error()));
    ProbeRun run({"-f", "json", "slow.test"});
    QTRY_VERIFY(resolver.QueryWaiting());
    QElapsedTimer clock;
    clock.start();
    run.Signal(SIGTERM);
    QVERIFY(run.Finish(20000));
    const qint64 took = clock.elapsed();
    // Well before the resolver's own five seconds.
    QVERIFY2(took < 2000, qPrintable(QString::number(took)));
    QVERIFY(!run.Crashed());
    QCOMPARE(run.ExitCode(), 1);
    const QList<QJsonObject> lines = run.JsonLines();
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0]["type"].toString(), QStringLiteral("summary"));
    QCOMPARE(lines[0]["sent"].toInteger(), 0);
}

KELVORA_PRIVATE_NETWORK_TEST_MAIN(TestProbeNetwork)
#include "tst_probenetwork.moc"
