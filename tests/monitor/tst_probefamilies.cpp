// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// What a check says of the address family, the lookup and a race of
// addresses, against peers of both families in the test's own network.
#include "support/DualStackPeers.h"
#include "support/PrivateNetwork.h"
#include "RecordingView.h"

#include "monitor/ConnectivityProbe.h"
#include "net/TIdHTTP.h"

#include "ScriptedStack.h"

#include <QtTest>

using namespace std::chrono;
using Kind = PeerSocket::Kind;

class TestProbeFamilies : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void bracketsAroundAnIPv6Literal_data();
    void bracketsAroundAnIPv6Literal();
    void anIPv6CheckSaysSo_data();
    void anIPv6CheckSaysSo();
    void aWonRaceListsItsAttempts();
    void aLostRaceGivesTheFirstReasonAndEveryAddress();
    void theLookupIsTimedApart();
};

void TestProbeFamilies::initTestCase()
{
    QString reason;
    if (!AddTestAddresses(&reason))
        QSKIP(qPrintable(reason));
}

void TestProbeFamilies::cleanup()
{
    SetStackClass({});
}

void TestProbeFamilies::bracketsAroundAnIPv6Literal_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("forClient");
    QTest::newRow("loopback") << QStringLiteral("[::1]") << QByteArray("::1");
    QTest::newRow("global") << QStringLiteral("[2001:db8::1]") << QByteArray("2001:db8::1");
    QTest::newRow("with a zone") << QStringLiteral("[fe80::1%lo]") << QByteArray("fe80::1%lo");
    QTest::newRow("bare literal unchanged") << QStringLiteral("::1") << QByteArray("::1");
    // Not an IPv6 literal in brackets: as typed, as before.
    QTest::newRow("a name in brackets") << QStringLiteral("[example.test]") << QByteArray("[example.test]");
    QTest::newRow("empty brackets") << QStringLiteral("[]") << QByteArray("[]");
    QTest::newRow("a colon alone") << QStringLiteral("[:]") << QByteArray(":");
    QTest::newRow("with a port after") << QStringLiteral("[::1]:80") << QByteArray("[::1]:80");
    QTest::newRow("a blank outside") << QStringLiteral(" [::1]") << QByteArray(" [::1]");
}

void TestProbeFamilies::bracketsAroundAnIPv6Literal()
{
    QFETCH(QString, typed);
    QFETCH(QByteArray, forClient);
    QCOMPARE(QByteArray::fromStdString(ConnectivityProbe::HostForClient(typed)), forClient);
}

void TestProbeFamilies::anIPv6CheckSaysSo_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<FamilyChoice>("choice");
    QTest::newRow("::1") << QStringLiteral("::1") << FamilyChoice::Auto;
    QTest::newRow("[::1]") << QStringLiteral("[::1]") << FamilyChoice::Auto;
    QTest::newRow("[::1], IPv6 only") << QStringLiteral("[::1]") << FamilyChoice::IPv6Only;
}

void TestProbeFamilies::anIPv6CheckSaysSo()
{
    QFETCH(QString, host);
    QFETCH(FamilyChoice, choice);
    PeerSocket listener("::1", 0, Kind::Accepting);
    QVERIFY2(listener.IsValid(), qPrintable(listener.Error()));
    TIdHTTP client;
    RecordingView view;
    view.hostText = host;
    ConnectivityProbe probe(view, client);
    probe.SetPort(listener.Port());
    probe.SetFamilyChoice(choice);
    QVERIFY(probe.CheckConnection());
    const CheckResult &result = probe.LastResult();
    QCOMPARE(result.address, std::string("::1"));
    QCOMPARE(result.family, AddressFamily::IPv6);
    QCOMPARE(result.lookupElapsed, nanoseconds(0));
    QVERIFY(result.connectElapsed > nanoseconds(0));
    QVERIFY(result.connectElapsed <= result.elapsed);
    QVERIFY(result.attempts.empty());
    QCOMPARE(listener.AcceptPending(), 1);
}

void TestProbeFamilies::aWonRaceListsItsAttempts()
{
    PeerSocket v6(kTestIPv6, 0, Kind::Refusing);
    PeerSocket v4(kTestIPv4, v6.Port(), Kind::Accepting);
    QVERIFY2(v6.IsValid() && v4.IsValid(), qPrintable(v6.Error() + v4.Error()));
    ScopedScriptedStack scripted;
    TIdHTTP client;
    ScriptedStack::Current()->AnswerLookup("dual.test", std::vector<std::string>{kTestIPv6, kTestIPv4});
    RecordingView view;
    view.hostText = QStringLiteral("dual.test");
    ConnectivityProbe probe(view, client);
    probe.SetPort(v6.Port());
    QVERIFY(probe.CheckConnection());
    const CheckResult &result = probe.LastResult();
    QCOMPARE(result.address, std::string(kTestIPv4));
    QCOMPARE(result.family, AddressFamily::IPv4);
    QCOMPARE(result.reason, FailureReason::None);
    QCOMPARE(result.attempts.size(), std::size_t(2));
    QCOMPARE(result.attempts[0].address, std::string(kTestIPv6));
    QCOMPARE(result.attempts[0].family, AddressFamily::IPv6);
    QCOMPARE(result.attempts[0].reason, FailureReason::Refused);
    QCOMPARE(result.attempts[0].errorCode, 10061);
    QCOMPARE(result.attempts[0].errorMessage, std::string("Connection refused."));
    QCOMPARE(result.attempts[1].address, std::string(kTestIPv4));
    QCOMPARE(result.attempts[1].family, AddressFamily::IPv4);
    QCOMPARE(result.attempts[1].reason, FailureReason::None);
    QVERIFY(result.attempts[1].elapsed <= result.connectElapsed);
    QCOMPARE(v4.AcceptPending(), 1);
}

void TestProbeFamilies::aLostRaceGivesTheFirstReasonAndEveryAddress()
{
    PeerSocket v6(kTestIPv6, 0, Kind::Refusing);
    PeerSocket v4(kTestIPv4, v6.Port(), Kind::Silent);
    QVERIFY2(v6.IsValid() && v4.IsValid(), qPrintable(v6.Error() + v4.Error()));
    ScopedScriptedStack scripted;
    TIdHTTP client;
    ScriptedStack::Current()->AnswerLookup("dual.test", std::vector<std::string>{kTestIPv6, kTestIPv4});
    RecordingView view;
    view.hostText = QStringLiteral("dual.test");
    ConnectivityProbe probe(view, client);
    probe.SetPort(v6.Port());
    probe.SetTimeout(400);
    QVERIFY(!probe.CheckConnection());
    const CheckResult &result = probe.LastResult();
    QCOMPARE(result.reason, FailureReason::Refused);
    QCOMPARE(result.errorCode, 10061);
    QCOMPARE(result.errorMessage, "Connection refused. Tried [" + std::string(kTestIPv6)
                                      + "]: Connection refused.; " + kTestIPv4 + ": Connection timed out.");
    QCOMPARE(result.address, std::string(kTestIPv6));
    QCOMPARE(result.family, AddressFamily::IPv6);
    QCOMPARE(result.attempts.size(), std::size_t(2));
    QCOMPARE(result.attempts[1].reason, FailureReason::Timeout);
    QVERIFY(result.connectElapsed >= milliseconds(400));
    QCOMPARE(client.State(), csIdle);
}

void TestProbeFamilies::theLookupIsTimedApart()
{
    PeerSocket listener(kTestIPv4, 0, Kind::Accepting);
    QVERIFY2(listener.IsValid(), qPrintable(listener.Error()));
    ScopedScriptedStack scripted;
    TIdHTTP client;
    ScriptedStack::Current()->AnswerLookup("v4only.test", kTestIPv4);
    RecordingView view;
    view.hostText = QStringLiteral("v4only.test");
    ConnectivityProbe probe(view, client);
    probe.SetPort(listener.Port());
    probe.SetResolveOnce(true);
    QVERIFY(probe.CheckConnection());
    const CheckResult first = probe.LastResult();
    QCOMPARE(first.family, AddressFamily::IPv4);
    QVERIFY(first.lookupElapsed > nanoseconds(0));
    QVERIFY(first.connectElapsed > nanoseconds(0));
    QVERIFY(first.lookupElapsed + first.connectElapsed <= first.elapsed);
    QVERIFY(first.attempts.empty());
    // Resolved once: the second check makes no lookup.
    QVERIFY(probe.CheckConnection());
    QCOMPARE(probe.LastResult().lookupElapsed, nanoseconds(0));
    QCOMPARE(ScriptedStack::Current()->Count(ScriptedStack::Call::Lookup), 1);
    QCOMPARE(listener.AcceptPending(), 2);
}

KELVORA_PRIVATE_NETWORK_TEST_MAIN(TestProbeFamilies)
#include "tst_probefamilies.moc"
