// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The client's choice of address families and its reuse of resolved
// addresses.
#include "net/IdException.h"
#include "net/SocketErrors.h"
#include "net/TIdTCPClient.h"

#include "support/DualStackPeers.h"
#include "support/FakeResolver.h"
#include "support/LoopbackListener.h"
#include "support/PrivateNetwork.h"
#include "ScriptedStack.h"

#include <QtTest>

using Call = ScriptedStack::Call;

namespace {

// The calls one open made, as "call detail" lines, without the socket
// numbers (they differ from run to run).
QStringList CallsOf(const ScriptedStack &stack)
{
    QStringList calls;
    for (const ScriptedStack::Record &record : stack.Records())
        calls << QStringLiteral("%1 %2").arg(int(record.call)).arg(QString::fromStdString(record.detail));
    return calls;
}

// Opens and closes once; the error number of a failed open, else 0. The
// address connected to or tried and the report go to `peer` and `report`.
int OpenOnce(TIdTCPClient &client, std::string *peer = nullptr, ConnectReport *report = nullptr)
{
    int code = 0;
    try {
        client.OpenConnection(-1);
    } catch (const EIdSocketError &error) {
        code = error.LastError();
    }
    if (peer != nullptr)
        *peer = client.PeerIP();
    if (report != nullptr)
        *report = client.LastConnectReport();
    client.CloseConnection();
    return code;
}

bool NeedTestAddresses()
{
    QString reason;
    if (AddTestAddresses(&reason))
        return true;
    qWarning("%s", qPrintable(reason));
    return false;
}

} // namespace

class TestAddressFamilies : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void ipv4OnlyMakesTheCallsOfAnyForAnIPv4Host_data();
    void ipv4OnlyMakesTheCallsOfAnyForAnIPv4Host();
    void ipv6OnlyRefusesADottedAddress();
    void resolveOnceLooksUpAgainOnlyAfterAFailure();
    void resolveOnceKeepsToOneHostAndFamily();
    void ipv6Literals_data();
    void ipv6Literals();
    void localhostOverIPv6IsTheIPv6Loopback();
    void aNameWithOnlyAnIPv6Address();
    void aNameOfBothFamiliesTriesIPv6First();
    void aNameWithOnlyAnIPv4AddressAsBefore();
};

void TestAddressFamilies::init()
{
    QCOMPARE(NetComponentCount(), 0);
}

void TestAddressFamilies::cleanup()
{
    SetStackClass({});
}

void TestAddressFamilies::ipv4OnlyMakesTheCallsOfAnyForAnIPv4Host_data()
{
    QTest::addColumn<QByteArray>("host");
    QTest::newRow("a dotted address") << QByteArray("127.0.0.1");
    QTest::newRow("a name with an IPv4 address") << QByteArray("probe.test");
}

void TestAddressFamilies::ipv4OnlyMakesTheCallsOfAnyForAnIPv4Host()
{
    QFETCH(QByteArray, host);
    LoopbackListener listener;
    QStringList callsByChoice[2];
    const IPFamilies choices[2] = {IPFamilies::Any, IPFamilies::IPv4Only};
    for (int i = 0; i < 2; ++i) {
        ScopedScriptedStack scripted;
        TIdTCPClient client;
        ScriptedStack &stack = *ScriptedStack::Current();
        stack.AnswerLookup("probe.test", "127.0.0.1");
        client.SetHost(host.toStdString());
        client.SetPort(listener.Port());
        client.SetFamilies(choices[i]);
        QCOMPARE(OpenOnce(client), 0);
        callsByChoice[i] = CallsOf(stack);
    }
    QVERIFY(!callsByChoice[0].isEmpty());
    QCOMPARE(callsByChoice[1], callsByChoice[0]);
    QTRY_COMPARE(listener.Accepted(), 2);
}

void TestAddressFamilies::ipv6OnlyRefusesADottedAddress()
{
    ScopedScriptedStack scripted;
    LoopbackListener listener;
    TIdTCPClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(listener.Port());
    client.SetFamilies(IPFamilies::IPv6Only);
    QCOMPARE(OpenOnce(client), WSAEAFNOSUPPORT);
    QCOMPARE(ScriptedStack::Current()->Count(Call::Connect), 0);
    QCOMPARE(listener.Accepted(), 0);
}

void TestAddressFamilies::resolveOnceLooksUpAgainOnlyAfterAFailure()
{
    ScopedScriptedStack scripted;
    LoopbackListener listener;
    TIdTCPClient client;
    ScriptedStack &stack = *ScriptedStack::Current();
    stack.AnswerLookup("probe.test", "127.0.0.1");
    client.SetHost("probe.test");
    client.SetPort(listener.Port());
    client.SetResolveOnce(true);
    QVERIFY(client.ResolveOnce());

    QCOMPARE(OpenOnce(client), 0);
    QCOMPARE(OpenOnce(client), 0);
    QCOMPARE(stack.Count(Call::Lookup), 1);

    // A failed open (refused) forgets the address; the next one asks again,
    // then reuses the new answer.
    stack.FailNext(Call::Connect, WSAECONNREFUSED);
    QCOMPARE(OpenOnce(client), WSAECONNREFUSED);
    QCOMPARE(stack.Count(Call::Lookup), 1);
    QCOMPARE(OpenOnce(client), 0);
    QCOMPARE(OpenOnce(client), 0);
    QCOMPARE(stack.Count(Call::Lookup), 2);
    QCOMPARE(stack.Count(Call::Connect), 5);
    QTRY_COMPARE(listener.Accepted(), 4);

    // Turned off, it forgets: the next open asks.
    client.SetResolveOnce(false);
    client.SetResolveOnce(true);
    QCOMPARE(OpenOnce(client), 0);
    QCOMPARE(stack.Count(Call::Lookup), 3);
}

void TestAddressFamilies::resolveOnceKeepsToOneHostAndFamily()
{
    ScopedScriptedStack scripted;
    LoopbackListener listener;
    TIdTCPClient client;
    ScriptedStack &stack = *ScriptedStack::Current();
    stack.AnswerLookup("one.test", "127.0.0.1");
    stack.AnswerLookup("two.test", "127.0.0.1");
    client.SetPort(listener.Port());
    client.SetResolveOnce(true);

    client.SetHost("one.test");
    QCOMPARE(OpenOnce(client), 0);
    client.SetHost("two.test");
    QCOMPARE(OpenOnce(client), 0);
    QCOMPARE(stack.Count(Call::Lookup), 2);
    QCOMPARE(stack.Details(Call::Lookup), (std::vector<std::string>{"one.test", "two.test"}));
    client.SetFamilies(IPFamilies::IPv4Only);
    QCOMPARE(OpenOnce(client), 0);
    QCOMPARE(stack.Count(Call::Lookup), 3);
    QCOMPARE(OpenOnce(client), 0);
    QCOMPARE(stack.Count(Call::Lookup), 3);
}

void TestAddressFamilies::ipv6Literals_data()
{
    QTest::addColumn<QByteArray>("listenOn");
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<QByteArray>("peer");
    QTest::newRow("loopback") << QByteArray("::1") << QByteArray("::1") << QByteArray("::1");
    QTest::newRow("written out in full") << QByteArray("::1") << QByteArray("0:0:0:0:0:0:0:1") << QByteArray("::1");
    QTest::newRow("another of the machine's") << QByteArray(kTestIPv6) << QByteArray("FD00:6B:0::1")
                                              << QByteArray(kTestIPv6);
    QTest::newRow("link-local with a zone") << QByteArray(kLinkLocalTestIPv6) + "%lo"
                                            << QByteArray(kLinkLocalTestIPv6) + "%lo"
                                            << QByteArray(kLinkLocalTestIPv6) + "%lo";
}

void TestAddressFamilies::ipv6Literals()
{
    QFETCH(QByteArray, listenOn);
    QFETCH(QByteArray, host);
    QFETCH(QByteArray, peer);
    if (!NeedTestAddresses())
        QSKIP("needs the test addresses in a private network");
    PeerSocket listener(listenOn.toStdString(), 0, PeerSocket::Kind::Accepting);
    QVERIFY2(listener.IsValid(), qPrintable(listener.Error()));
    ScopedScriptedStack scripted;
    TIdTCPClient client;
    client.SetHost(host.toStdString());
    client.SetPort(listener.Port());
    for (const IPFamilies families : {IPFamilies::Any, IPFamilies::IPv6Only}) {
        client.SetFamilies(families);
        std::string connectedTo;
        ConnectReport report;
        QCOMPARE(OpenOnce(client, &connectedTo, &report), 0);
        QCOMPARE(QByteArray::fromStdString(connectedTo), peer);
        QCOMPARE(report.version, std::optional(IPVersion::IPv6));
        QCOMPARE(report.lookupElapsed, std::chrono::nanoseconds(0)); // a literal is no lookup
        QVERIFY(report.attempts.empty());
    }
    QCOMPARE(listener.AcceptPending(), 2);
    ScriptedStack &stack = *ScriptedStack::Current();
    QCOMPARE(stack.Count(Call::Lookup), 0);
    // An IPv6 socket, no IPv4 one opened first.
    QCOMPARE(stack.Details(Call::Socket).front().substr(0, 3), std::to_string(AF_INET6) + "/");

    client.SetFamilies(IPFamilies::IPv4Only);
    QCOMPARE(OpenOnce(client), WSAEAFNOSUPPORT);
    QCOMPARE(stack.Count(Call::Connect), 2);
}

void TestAddressFamilies::localhostOverIPv6IsTheIPv6Loopback()
{
    PeerSocket listener("::1", 0, PeerSocket::Kind::Accepting);
    if (!listener.IsValid())
        QSKIP(qPrintable(listener.Error()));
    ScopedScriptedStack scripted;
    TIdTCPClient client;
    client.SetHost("LocalHost");
    client.SetPort(listener.Port());
    client.SetFamilies(IPFamilies::IPv6Only);
    std::string peer;
    QCOMPARE(OpenOnce(client, &peer), 0);
    QCOMPARE(peer, std::string("::1"));
    QCOMPARE(ScriptedStack::Current()->Count(Call::Lookup), 0);
}

void TestAddressFamilies::aNameWithOnlyAnIPv6Address()
{
    if (!NeedTestAddresses())
        QSKIP("needs the test addresses in a private network");
    FakeResolver resolver;
    if (!resolver.IsValid())
        QSKIP(qPrintable(resolver.Error()));
    resolver.Answer("v6only.test", kTestIPv6);
    PeerSocket listener(kTestIPv6, 0, PeerSocket::Kind::Accepting);
    QVERIFY2(listener.IsValid(), qPrintable(listener.Error()));
    TIdTCPClient client;
    client.SetHost("v6only.test");
    client.SetPort(listener.Port());
    std::string peer;
    ConnectReport report;
    QCOMPARE(OpenOnce(client, &peer, &report), 0);
    QCOMPARE(peer, std::string(kTestIPv6));
    QCOMPARE(report.version, std::optional(IPVersion::IPv6));
    QVERIFY(report.lookupElapsed > std::chrono::nanoseconds(0));
    QVERIFY(report.attempts.empty());
    QCOMPARE(listener.AcceptPending(), 1);
    // IPv4 alone finds no address.
    client.SetFamilies(IPFamilies::IPv4Only);
    QCOMPARE(OpenOnce(client, &peer), WSAHOST_NOT_FOUND);
    QVERIFY(peer.empty());
}

void TestAddressFamilies::aNameOfBothFamiliesTriesIPv6First()
{
    if (!NeedTestAddresses())
        QSKIP("needs the test addresses in a private network");
    FakeResolver resolver;
    if (!resolver.IsValid())
        QSKIP(qPrintable(resolver.Error()));
    resolver.Answer("dual.test", kTestIPv4);
    resolver.Answer("dual.test", kTestIPv6);
    PeerSocket v6(kTestIPv6, 0, PeerSocket::Kind::Refusing);
    PeerSocket v4(kTestIPv4, v6.Port(), PeerSocket::Kind::Accepting);
    QVERIFY2(v6.IsValid() && v4.IsValid(), qPrintable(v6.Error() + v4.Error()));
    TIdTCPClient client;
    client.SetHost("dual.test");
    client.SetPort(v6.Port());
    std::string peer;
    ConnectReport report;
    QCOMPARE(OpenOnce(client, &peer, &report), 0);
    QCOMPARE(peer, std::string(kTestIPv4));
    QCOMPARE(report.attempts.size(), std::size_t(2));
    QCOMPARE(report.attempts[0].address, std::string(kTestIPv6));
    QCOMPARE(report.attempts[0].errorCode, WSAECONNREFUSED);
    QCOMPARE(report.attempts[1].address, std::string(kTestIPv4));
    QVERIFY(report.attempts[1].connected);
    QCOMPARE(resolver.Asked().size(), std::size_t(2)); // an A and an AAAA question
    QCOMPARE(v4.AcceptPending(), 1);
}

void TestAddressFamilies::aNameWithOnlyAnIPv4AddressAsBefore()
{
    if (!NeedTestAddresses())
        QSKIP("needs the test addresses in a private network");
    FakeResolver resolver;
    if (!resolver.IsValid())
        QSKIP(qPrintable(resolver.Error()));
    resolver.Answer("v4only.test", kTestIPv4);
    PeerSocket listener(kTestIPv4, 0, PeerSocket::Kind::Accepting);
    QVERIFY2(listener.IsValid(), qPrintable(listener.Error()));
    TIdTCPClient client;
    client.SetHost("v4only.test");
    client.SetPort(listener.Port());
    std::string peer;
    ConnectReport report;
    QCOMPARE(OpenOnce(client, &peer, &report), 0);
    QCOMPARE(peer, std::string(kTestIPv4));
    QCOMPARE(report.version, std::optional(IPVersion::IPv4));
    QVERIFY(report.attempts.empty());
    QCOMPARE(listener.AcceptPending(), 1);
}

KELVORA_PRIVATE_NETWORK_TEST_MAIN(TestAddressFamilies)
#include "tst_addressfamilies.moc"
