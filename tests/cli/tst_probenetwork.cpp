// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// kelvora-probe inside a network namespace of the test's own (entered
// first thing in main; the probe, a child, inherits it): roads that do not
// exist, no resolver, a resolver of the test's own, and port 80. Nothing can
// leave the namespace. Every case skips where the platform allows none.

#include "support/DualStackPeers.h"
#include "support/FakeResolver.h"
#include "support/LoopbackListener.h"
#include "support/PrivateNetwork.h"
#include "ProbeRun.h"
#include "SilentResolver.h"

#include <QJsonArray>
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

bool NeedTestAddresses()
{
    QString reason;
    if (AddTestAddresses(&reason))
        return true;
    qWarning("%s", qPrintable(reason));
    return false;
}

// The check lines of a json run.
QList<QJsonObject> Checks(ProbeRun &run)
{
    QList<QJsonObject> checks = run.JsonLines();
    checks.removeIf([](const QJsonObject &line) { return line[QStringLiteral("type")] != QLatin1String("check"); });
    return checks;
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

    void loopbackOfEachFamily_data();
    void loopbackOfEachFamily();
    void aNameWithBothFamilies_data();
    void aNameWithBothFamilies();
    void resolveOnceAsksOnceUntilAFailure();
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

void TestProbeNetwork::loopbackOfEachFamily_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("family");
    QTest::newRow("127.0.0.1") << QStringList{} << "127.0.0.1" << true << "ipv4";
    QTest::newRow("::1") << QStringList{} << "::1" << true << "ipv6";
    QTest::newRow("::1 with -6") << QStringList{"-6"} << "::1" << true << "ipv6";
    QTest::newRow("127.0.0.1 with -4") << QStringList{"-4"} << "127.0.0.1" << true << "ipv4";
    QTest::newRow("::1 with -4: no address of that family") << QStringList{"-4"} << "::1" << false << "";
    QTest::newRow("127.0.0.1 with -6: no address of that family") << QStringList{"-6"} << "127.0.0.1" << false << "";
}

// Listeners on 127.0.0.1 and ::1 with one port number: each format says
// the family the check went over, and IPv6 addresses stand in brackets in
// text.
void TestProbeNetwork::loopbackOfEachFamily()
{
    QFETCH(QStringList, options);
    QFETCH(QString, host);
    QFETCH(bool, ok);
    QFETCH(QString, family);
    PeerSocket v6("::1", 0, PeerSocket::Kind::Accepting);
    PeerSocket v4("127.0.0.1", v6.Port(), PeerSocket::Kind::Accepting);
    QVERIFY2(v6.IsValid() && v4.IsValid(), qPrintable(v6.Error() + v4.Error()));
    const QString port = QString::number(v6.Port());
    const QString address = family == QLatin1String("ipv6") ? QStringLiteral("::1") : QStringLiteral("127.0.0.1");

    ProbeRun json(options + QStringList{"-c", "1", "-f", "json", host, port});
    QVERIFY(json.Finish());
    QCOMPARE(json.ExitCode(), ok ? 0 : 1);
    const QJsonObject check = OnlyCheck(json);
    QCOMPARE(check["ok"], QJsonValue(ok));
    if (ok) {
        QCOMPARE(check["family"].toString(), family);
        QCOMPARE(check["address"].toString(), address);
        QVERIFY(check["connect_ms"].toDouble() + check["dns_ms"].toDouble() <= check["ms"].toDouble() + 0.0015);
    }
    QCOMPARE((family == QLatin1String("ipv6") ? v6 : v4).AcceptPending(), ok ? 1 : 0);

    ProbeRun text(options + QStringList{"-c", "1", host, port});
    QVERIFY(text.Finish());
    if (ok) {
        const QString shown = family == QLatin1String("ipv6") ? QStringLiteral("[::1]") : address;
        const QString line = QStringLiteral("%1 (%2) port %3: seq=1 time=").arg(host, shown, port);
        QVERIFY2(text.Out().contains(line.toUtf8()), text.Out().constData());
    }

    if (family == QLatin1String("ipv6") && ok) {
        // The same address with its port, in brackets: the host is as given.
        ProbeRun bracketed(options + QStringList{"-c", "1", QStringLiteral("[%1]:%2").arg(host, port)});
        QVERIFY(bracketed.Finish());
        QCOMPARE(bracketed.ExitCode(), 0);
        QVERIFY2(bracketed.Out().contains(QStringLiteral("%1 ([::1]) port %2: seq=1 time=").arg(host, port).toUtf8()),
                 bracketed.Out().constData());
    }

    ProbeRun csv(options + QStringList{"-c", "1", "-f", "csv", host, port});
    QVERIFY(csv.Finish());
    const QList<QByteArray> rows = csv.Out().split('\n');
    QVERIFY2(rows.size() >= 2, csv.Out().constData());
    QCOMPARE(rows[1].trimmed().split(',').value(10), family.toUtf8());
}

void TestProbeNetwork::aNameWithBothFamilies_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("refusing"); // both peers refuse, else both accept
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("family");
    QTest::newRow("either: IPv6 first") << QStringList{} << false << kTestIPv6 << "ipv6";
    QTest::newRow("-4") << QStringList{"-4"} << false << kTestIPv4 << "ipv4";
    QTest::newRow("--ipv4") << QStringList{"--ipv4"} << false << kTestIPv4 << "ipv4";
    QTest::newRow("-6") << QStringList{"-6"} << false << kTestIPv6 << "ipv6";
    // The check's reason and address are the first one's; each is listed.
    QTest::newRow("both refuse: a failed race") << QStringList{} << true << kTestIPv6 << "ipv6";
}

// dual.test has an address of each family, with a peer on each under one
// port number.
void TestProbeNetwork::aNameWithBothFamilies()
{
    QFETCH(QStringList, options);
    QFETCH(bool, refusing);
    QFETCH(QString, address);
    QFETCH(QString, family);
    if (!NeedTestAddresses())
        QSKIP("needs the test addresses in a private network");
    FakeResolver resolver;
    if (!resolver.IsValid())
        QSKIP(qPrintable(resolver.Error()));
    resolver.Answer("dual.test", kTestIPv4);
    resolver.Answer("dual.test", kTestIPv6);
    const PeerSocket::Kind kind = refusing ? PeerSocket::Kind::Refusing : PeerSocket::Kind::Accepting;
    PeerSocket v6(kTestIPv6, 0, kind);
    PeerSocket v4(kTestIPv4, v6.Port(), kind);
    QVERIFY2(v6.IsValid() && v4.IsValid(), qPrintable(v6.Error() + v4.Error()));
    ProbeRun run(options + QStringList{"-c", "1", "-f", "json", "dual.test", QString::number(v6.Port())});
    QVERIFY(run.Finish());
    QCOMPARE(run.ExitCode(), refusing ? 1 : 0);
    const QJsonObject check = OnlyCheck(run);
    QCOMPARE(check["address"].toString(), address);
    QCOMPARE(check["family"].toString(), family);
    if (!refusing) {
        // The address that lost a race, if any, is not counted.
        QVERIFY(!check.contains(QStringLiteral("attempts")));
        QCOMPARE(v6.AcceptPending(), family == QLatin1String("ipv6") ? 1 : 0);
        QCOMPARE(v4.AcceptPending(), family == QLatin1String("ipv4") ? 1 : 0);
        return;
    }
    QCOMPARE(check["reason"].toString(), QStringLiteral("refused"));
    const QJsonArray attempts = check["attempts"].toArray();
    QCOMPARE(attempts.size(), 2);
    const QStringList order{kTestIPv6, kTestIPv4};
    const QStringList families{"ipv6", "ipv4"};
    for (qsizetype i = 0; i < attempts.size(); ++i) {
        const QJsonObject attempt = attempts[i].toObject();
        QCOMPARE(attempt["address"].toString(), order[i]);
        QCOMPARE(attempt["family"].toString(), families[i]);
        QCOMPARE(attempt["reason"].toString(), QStringLiteral("refused"));
        QVERIFY(attempt["ms"].toDouble() <= check["ms"].toDouble());
    }
}

// -r: the addresses are looked up for the first check and kept; a failed
// check has them looked up again for the next.
void TestProbeNetwork::resolveOnceAsksOnceUntilAFailure()
{
    FakeResolver resolver;
    if (!resolver.IsValid())
        QSKIP(qPrintable(resolver.Error()));
    resolver.Answer("kept.test", "127.0.0.1");
    LoopbackListener listener;
    const QString port = QString::number(listener.Port());
    ProbeRun once({"-c", "1", "-f", "json", "kept.test", port});
    QVERIFY(once.Finish());
    const std::size_t oneLookup = resolver.Asked().size();
    QVERIFY(oneLookup > 0);

    ProbeRun kept({"-r", "-c", "4", "-i", "0.02", "-f", "json", "kept.test", port});
    QVERIFY(kept.Finish());
    QCOMPARE(kept.ExitCode(), 0);
    QCOMPARE(resolver.Asked().size(), 2 * oneLookup);
    const QList<QJsonObject> checks = Checks(kept);
    QCOMPARE(checks.size(), 4);
    for (qsizetype i = 1; i < checks.size(); ++i)
        QCOMPARE(checks[i]["dns_ms"].toDouble(), 0.0);

    // Without -r, each check asks.
    ProbeRun anew({"-c", "3", "-i", "0.02", "-f", "json", "kept.test", port});
    QVERIFY(anew.Finish());
    QCOMPARE(resolver.Asked().size(), 5 * oneLookup);

    // A refused check: the next one asks again.
    RefusingPort refusing;
    ProbeRun failing({"-r", "-c", "3", "-i", "0.02", "-f", "json", "kept.test", QString::number(refusing.Port())});
    QVERIFY(failing.Finish());
    QCOMPARE(failing.ExitCode(), 1);
    QCOMPARE(resolver.Asked().size(), 8 * oneLookup);
}

KELVORA_PRIVATE_NETWORK_TEST_MAIN(TestProbeNetwork)
#include "tst_probenetwork.moc"
