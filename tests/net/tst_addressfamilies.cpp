// SPDX-License-Identifier: MIT
// The client's choice of address families and its reuse of resolved
// addresses.
#include "net/IdException.h"
#include "net/SocketErrors.h"
#include "net/TIdTCPClient.h"

#include "support/LoopbackListener.h"
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

// Opens and closes once; the error number of a failed open, else 0.
int OpenOnce(TIdTCPClient &client)
{
    try {
        client.OpenConnection(-1);
    } catch (const EIdSocketError &error) {
        client.CloseConnection();
        return error.LastError();
    }
    client.CloseConnection();
    return 0;
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
    void withoutResolveOnceEveryOpenLooksUp();
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

void TestAddressFamilies::withoutResolveOnceEveryOpenLooksUp()
{
    ScopedScriptedStack scripted;
    LoopbackListener listener;
    TIdTCPClient client;
    ScriptedStack &stack = *ScriptedStack::Current();
    stack.AnswerLookup("probe.test", "127.0.0.1");
    client.SetHost("probe.test");
    client.SetPort(listener.Port());
    QVERIFY(!client.ResolveOnce());
    for (int i = 0; i < 3; ++i)
        QCOMPARE(OpenOnce(client), 0);
    QCOMPARE(stack.Count(Call::Lookup), 3);
}

QTEST_GUILESS_MAIN(TestAddressFamilies)
#include "tst_addressfamilies.moc"
