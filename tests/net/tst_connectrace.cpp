// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// Racing the addresses of a host with several (RFC 8305), on addresses of
// both families inside the test's own network namespace.
#include "net/ConnectInterrupt.h"
#include "net/ConnectRace.h"
#include "net/IdException.h"
#include "net/SocketErrors.h"
#include "net/TIdTCPClient.h"

#include "support/DualStackPeers.h"
#include "support/LoopbackListener.h"
#include "support/PrivateNetwork.h"
#include "ScriptedStack.h"

#include <QtTest>

#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <thread>

using namespace std::chrono;
using Call = ScriptedStack::Call;
using Kind = PeerSocket::Kind;

namespace {

constexpr const char *kDualName = "dual.test";

struct Outcome {
    int code = 0;
    std::string message;
    std::string peer;
    ConnectReport report;
    milliseconds took{0};
};

// One open (closed again at once); its outcome and how long the open took.
Outcome Open(TIdTCPClient &client, int timeout = -1)
{
    Outcome outcome;
    const auto start = steady_clock::now();
    try {
        client.OpenConnection(timeout);
    } catch (const EIdSocketError &error) {
        outcome.code = error.LastError();
        outcome.message = error.Message();
    }
    outcome.took = duration_cast<milliseconds>(steady_clock::now() - start);
    outcome.peer = client.PeerIP();
    outcome.report = client.LastConnectReport();
    client.CloseConnection();
    return outcome;
}

// A client of the scripted stack for the dual name, whose addresses are
// the IPv6 one and then the IPv4 one, as the resolver puts them.
void PrepareDual(TIdTCPClient &client, std::uint16_t port,
                 std::vector<std::string> addresses = {kTestIPv6, kTestIPv4})
{
    ScriptedStack::Current()->AnswerLookup(kDualName, addresses);
    client.SetHost(kDualName);
    client.SetPort(port);
}

// Both peers on one port number, the IPv6 one first.
struct PeerPair {
    PeerPair(Kind v6, Kind v4) : ipv6(kTestIPv6, 0, v6), ipv4(kTestIPv4, ipv6.Port(), v4) {}
    bool IsValid() const { return ipv6.IsValid() && ipv4.IsValid(); }
    QString Error() const { return ipv6.Error() + ipv4.Error(); }
    PeerSocket ipv6;
    PeerSocket ipv4;
};

std::string Bracketed(const char *ipv6, std::uint16_t port)
{
    return "[" + std::string(ipv6) + "]:" + std::to_string(port);
}

std::string Dotted(const char *ipv4, std::uint16_t port)
{
    return std::string(ipv4) + ":" + std::to_string(port);
}

extern "C" void InterruptOnSignal(int)
{
    InterruptConnects();
}

} // namespace

class TestConnectRace : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void interleavingTakesTheFamiliesInTurn_data();
    void interleavingTakesTheFamiliesInTurn();
    void silentIPv6FallsBackToIPv4AfterTheDelay();
    void refusedIPv6FallsBackAtOnce();
    void aConnectingIPv6WinsAlone();
    void bothDeadEndAtTheLimitWithTheFirstReason_data();
    void bothDeadEndAtTheLimitWithTheFirstReason();
    void aFailureStartsTheNextAddressAtOnce();
    void interruptStopsEveryAttempt();
    void aSignalStopsTheRace();
    void cancellingTheCheckStopsTheRace();
    void aBoundAddressKeepsToItsFamily();
    void oneFamilyChosenMeansOneAttempt();
    void resolveOnceKeepsEveryAddress();

private:
    PeerPair *NewPeers(Kind v6, Kind v4);
    std::unique_ptr<PeerPair> peers_;
};

void TestConnectRace::initTestCase()
{
    QString reason;
    if (!AddTestAddresses(&reason))
        QSKIP(qPrintable(reason));
}

void TestConnectRace::init()
{
    QCOMPARE(NetComponentCount(), 0);
}

void TestConnectRace::cleanup()
{
    peers_.reset();
    EndConnectInterrupt();
    SetStackClass({});
}

PeerPair *TestConnectRace::NewPeers(Kind v6, Kind v4)
{
    peers_ = std::make_unique<PeerPair>(v6, v4);
    return peers_.get();
}

void TestConnectRace::interleavingTakesTheFamiliesInTurn_data()
{
    QTest::addColumn<QStringList>("resolved");
    QTest::addColumn<QStringList>("tried");
    QTest::newRow("IPv6 first") << QStringList{"2001:db8::1", "2001:db8::2", "192.0.2.1", "192.0.2.2"}
                                << QStringList{"2001:db8::1", "192.0.2.1", "2001:db8::2", "192.0.2.2"};
    QTest::newRow("IPv4 first, more IPv6")
        << QStringList{"192.0.2.1", "2001:db8::1", "2001:db8::2", "2001:db8::3"}
        << QStringList{"192.0.2.1", "2001:db8::1", "2001:db8::2", "2001:db8::3"};
    QTest::newRow("the other family late in the list")
        << QStringList{"2001:db8::1", "2001:db8::2", "2001:db8::3", "192.0.2.1"}
        << QStringList{"2001:db8::1", "192.0.2.1", "2001:db8::2", "2001:db8::3"};
    QTest::newRow("one family") << QStringList{"192.0.2.2", "192.0.2.1"} << QStringList{"192.0.2.2", "192.0.2.1"};
}

void TestConnectRace::interleavingTakesTheFamiliesInTurn()
{
    QFETCH(QStringList, resolved);
    QFETCH(QStringList, tried);
    std::vector<std::string> addresses;
    for (const QString &address : resolved)
        addresses.push_back(address.toStdString());
    QStringList ordered;
    for (const std::string &address : InterleaveFamilies(addresses))
        ordered << QString::fromStdString(address);
    QCOMPARE(ordered, tried);
}

void TestConnectRace::silentIPv6FallsBackToIPv4AfterTheDelay()
{
    PeerPair *peers = NewPeers(Kind::Silent, Kind::Accepting);
    QVERIFY2(peers->IsValid(), qPrintable(peers->Error()));
    ScopedScriptedStack scripted;
    TIdTCPClient client;
    PrepareDual(client, peers->ipv6.Port());
    const int descriptors = OpenDescriptorCount();

    const Outcome outcome = Open(client);
    QCOMPARE(outcome.code, 0);
    QCOMPARE(outcome.peer, std::string(kTestIPv4));
    QCOMPARE(outcome.report.version, std::optional(IPVersion::IPv4));
    // The IPv4 attempt waited for the delay, and no more.
    QVERIFY2(outcome.took >= ConnectRace::kAttemptDelay, std::to_string(outcome.took.count()).c_str());
    QVERIFY2(outcome.took < milliseconds(400), std::to_string(outcome.took.count()).c_str());
    QCOMPARE(outcome.report.attempts.size(), std::size_t(2));
    const ConnectAttemptReport &v6 = outcome.report.attempts[0];
    const ConnectAttemptReport &v4 = outcome.report.attempts[1];
    QCOMPARE(v6.address, std::string(kTestIPv6));
    QCOMPARE(v6.version, IPVersion::IPv6);
    QVERIFY(!v6.connected);
    QCOMPARE(v6.errorCode, 0); // still going when IPv4 won: no failure of its own
    QVERIFY(v6.elapsed >= ConnectRace::kAttemptDelay);
    QCOMPARE(v4.address, std::string(kTestIPv4));
    QVERIFY(v4.connected);
    QVERIFY(outcome.report.connectElapsed >= v6.elapsed);
    QCOMPARE(ScriptedStack::Current()->Details(Call::Connect),
             (std::vector<std::string>{Bracketed(kTestIPv6, peers->ipv6.Port()), Dotted(kTestIPv4, peers->ipv4.Port())}));
    QCOMPARE(peers->ipv4.AcceptPending(), 1);
    // The IPv6 attempt's socket went with the race; the winner's with the close.
    QCOMPARE(OpenDescriptorCount(), descriptors);
}

void TestConnectRace::refusedIPv6FallsBackAtOnce()
{
    PeerPair *peers = NewPeers(Kind::Refusing, Kind::Accepting);
    QVERIFY2(peers->IsValid(), qPrintable(peers->Error()));
    ScopedScriptedStack scripted;
    TIdTCPClient client;
    PrepareDual(client, peers->ipv6.Port());

    const Outcome outcome = Open(client);
    QCOMPARE(outcome.code, 0);
    QCOMPARE(outcome.peer, std::string(kTestIPv4));
    QVERIFY2(outcome.took < ConnectRace::kAttemptDelay, std::to_string(outcome.took.count()).c_str());
    QCOMPARE(outcome.report.attempts.size(), std::size_t(2));
    QCOMPARE(outcome.report.attempts[0].errorCode, WSAECONNREFUSED);
    QCOMPARE(outcome.report.attempts[0].errorText, std::string("Connection refused."));
    QVERIFY(outcome.report.attempts[1].connected);
    QCOMPARE(peers->ipv4.AcceptPending(), 1);
}

void TestConnectRace::aConnectingIPv6WinsAlone()
{
    PeerPair *peers = NewPeers(Kind::Accepting, Kind::Accepting);
    QVERIFY2(peers->IsValid(), qPrintable(peers->Error()));
    ScopedScriptedStack scripted;
    TIdTCPClient client;
    PrepareDual(client, peers->ipv6.Port());
    const Outcome outcome = Open(client);
    QCOMPARE(outcome.code, 0);
    QCOMPARE(outcome.peer, std::string(kTestIPv6));
    QCOMPARE(outcome.report.version, std::optional(IPVersion::IPv6));
    // The IPv4 attempt never started: the IPv6 one connected within the delay.
    QCOMPARE(outcome.report.attempts.size(), std::size_t(1));
    QCOMPARE(ScriptedStack::Current()->Count(Call::Connect), 1);
    QCOMPARE(peers->ipv6.AcceptPending(), 1);
    QCOMPARE(peers->ipv4.AcceptPending(), 0);
}

void TestConnectRace::bothDeadEndAtTheLimitWithTheFirstReason_data()
{
    QTest::addColumn<Kind>("v4");
    QTest::addColumn<QByteArray>("v4Reason");
    QTest::newRow("both silent") << Kind::Silent << QByteArray("Connection timed out.");
    // The address tried first names the failure, though IPv4 said more.
    QTest::newRow("IPv6 silent, IPv4 refused") << Kind::Refusing << QByteArray("Connection refused.");
}

void TestConnectRace::bothDeadEndAtTheLimitWithTheFirstReason()
{
    QFETCH(Kind, v4);
    QFETCH(QByteArray, v4Reason);
    PeerPair *peers = NewPeers(Kind::Silent, v4);
    QVERIFY2(peers->IsValid(), qPrintable(peers->Error()));
    ScopedScriptedStack scripted;
    TIdTCPClient client;
    PrepareDual(client, peers->ipv6.Port());
    const int descriptors = OpenDescriptorCount();

    constexpr int kLimit = 700;
    const Outcome outcome = Open(client, kLimit);
    QCOMPARE(outcome.code, WSAETIMEDOUT);
    QVERIFY2(outcome.took >= milliseconds(kLimit), std::to_string(outcome.took.count()).c_str());
    QVERIFY2(outcome.took < milliseconds(kLimit + 300), std::to_string(outcome.took.count()).c_str());
    QCOMPARE(QByteArray::fromStdString(outcome.message),
             "Socket Error # 10060\r\nConnection timed out. Tried [" + QByteArray(kTestIPv6)
                 + "]: Connection timed out.; " + QByteArray(kTestIPv4) + ": " + v4Reason);
    QCOMPARE(outcome.peer, std::string(kTestIPv6)); // the address tried first
    QCOMPARE(outcome.report.version, std::optional(IPVersion::IPv6));
    QCOMPARE(outcome.report.attempts.size(), std::size_t(2));
    QCOMPARE(outcome.report.attempts[0].errorCode, WSAETIMEDOUT);
    QVERIFY(outcome.report.attempts[1].errorCode != 0);
    QVERIFY(outcome.report.connectElapsed >= milliseconds(kLimit));
    QCOMPARE(OpenDescriptorCount(), descriptors);
}

void TestConnectRace::aFailureStartsTheNextAddressAtOnce()
{
    // Refused, refused, connecting: no delay anywhere.
    PeerSocket first(kTestIPv6, 0, Kind::Refusing);
    PeerSocket second(kTestIPv4, first.Port(), Kind::Refusing);
    PeerSocket third(kSecondTestIPv6, first.Port(), Kind::Accepting);
    QVERIFY2(first.IsValid() && second.IsValid() && third.IsValid(),
             qPrintable(first.Error() + second.Error() + third.Error()));
    ScopedScriptedStack scripted;
    TIdTCPClient client;
    PrepareDual(client, first.Port(), {kTestIPv6, kSecondTestIPv6, kTestIPv4});
    const Outcome outcome = Open(client);
    QCOMPARE(outcome.code, 0);
    QCOMPARE(outcome.peer, std::string(kSecondTestIPv6));
    QVERIFY2(outcome.took < ConnectRace::kAttemptDelay, std::to_string(outcome.took.count()).c_str());
    QCOMPARE(ScriptedStack::Current()->Details(Call::Connect),
             (std::vector<std::string>{Bracketed(kTestIPv6, first.Port()), Dotted(kTestIPv4, first.Port()),
                                       Bracketed(kSecondTestIPv6, first.Port())}));
    QCOMPARE(third.AcceptPending(), 1);
}

void TestConnectRace::interruptStopsEveryAttempt()
{
    PeerPair *peers = NewPeers(Kind::Silent, Kind::Silent);
    QVERIFY2(peers->IsValid(), qPrintable(peers->Error()));
    ScopedScriptedStack scripted;
    TIdTCPClient client;
    PrepareDual(client, peers->ipv6.Port());
    const int descriptors = OpenDescriptorCount();
    steady_clock::time_point interruptedAt;
    // Both attempts are going by then.
    std::thread interrupter([&interruptedAt] {
        std::this_thread::sleep_for(milliseconds(400));
        interruptedAt = steady_clock::now();
        InterruptConnects();
    });
    const Outcome outcome = Open(client);
    const auto ended = steady_clock::now();
    interrupter.join();
    QCOMPARE(outcome.code, WSAEINTR);
    QVERIFY2(ended - interruptedAt < milliseconds(100), "the race outlasted the interrupt");
    QCOMPARE(outcome.report.attempts.size(), std::size_t(2));
    for (const ConnectAttemptReport &attempt : outcome.report.attempts)
        QCOMPARE(attempt.errorCode, WSAEINTR);
    QCOMPARE(OpenDescriptorCount(), descriptors);
}

void TestConnectRace::aSignalStopsTheRace()
{
    PeerPair *peers = NewPeers(Kind::Silent, Kind::Silent);
    QVERIFY2(peers->IsValid(), qPrintable(peers->Error()));
    PrepareConnectInterrupt();
    struct sigaction action{};
    action.sa_handler = InterruptOnSignal;
    sigemptyset(&action.sa_mask);
    struct sigaction previous{};
    QCOMPARE(::sigaction(SIGUSR2, &action, &previous), 0);
    ScopedScriptedStack scripted;
    TIdTCPClient client;
    PrepareDual(client, peers->ipv6.Port());
    const pthread_t waiting = ::pthread_self();
    std::thread sender([waiting] {
        std::this_thread::sleep_for(milliseconds(350));
        ::pthread_kill(waiting, SIGUSR2);
    });
    const Outcome outcome = Open(client);
    sender.join();
    ::sigaction(SIGUSR2, &previous, nullptr);
    QCOMPARE(outcome.code, WSAEINTR);
    QVERIFY2(outcome.took < milliseconds(1000), "the signal did not end the race");
}

void TestConnectRace::cancellingTheCheckStopsTheRace()
{
    PeerPair *peers = NewPeers(Kind::Silent, Kind::Silent);
    QVERIFY2(peers->IsValid(), qPrintable(peers->Error()));
    ScopedScriptedStack scripted;
    TIdTCPClient client;
    PrepareDual(client, peers->ipv6.Port());
    CancelSource source;
    client.SetCancellation(source.Token());
    std::thread canceller([&source] {
        std::this_thread::sleep_for(milliseconds(300));
        source.Cancel();
    });
    const Outcome outcome = Open(client);
    canceller.join();
    QCOMPARE(outcome.code, WSAEINTR);
    QVERIFY2(outcome.took < milliseconds(1000), "the cancel did not end the race");
    // Cancelled before it starts: the first attempt is refused, and none
    // comes after it.
    const int connects = ScriptedStack::Current()->Count(Call::Connect);
    QCOMPARE(Open(client).code, WSAEINTR);
    QCOMPARE(ScriptedStack::Current()->Count(Call::Connect), connects + 1);
    QCOMPARE(Open(client).report.attempts.size(), std::size_t(1));
}

void TestConnectRace::aBoundAddressKeepsToItsFamily()
{
    PeerPair *peers = NewPeers(Kind::Accepting, Kind::Accepting);
    QVERIFY2(peers->IsValid(), qPrintable(peers->Error()));
    ScopedScriptedStack scripted;
    TIdTCPClient client;
    PrepareDual(client, peers->ipv6.Port());
    client.SetBoundIP(kTestIPv4);
    Outcome outcome = Open(client);
    QCOMPARE(outcome.code, 0);
    QCOMPARE(outcome.peer, std::string(kTestIPv4));
    QVERIFY(outcome.report.attempts.empty()); // one address left: no race

    client.SetBoundIP(kTestIPv6);
    outcome = Open(client);
    QCOMPARE(outcome.code, 0);
    QCOMPARE(outcome.peer, std::string(kTestIPv6));
    QCOMPARE(peers->ipv4.AcceptPending(), 1);
    QCOMPARE(peers->ipv6.AcceptPending(), 1);
}

void TestConnectRace::oneFamilyChosenMeansOneAttempt()
{
    PeerPair *peers = NewPeers(Kind::Silent, Kind::Accepting);
    QVERIFY2(peers->IsValid(), qPrintable(peers->Error()));
    ScopedScriptedStack scripted;
    TIdTCPClient client;
    PrepareDual(client, peers->ipv6.Port());
    client.SetFamilies(IPFamilies::IPv4Only);
    Outcome outcome = Open(client);
    QCOMPARE(outcome.code, 0);
    QCOMPARE(outcome.peer, std::string(kTestIPv4));
    QVERIFY(outcome.report.attempts.empty());

    // IPv6 alone waits for the silent peer up to the limit, never trying IPv4.
    client.SetFamilies(IPFamilies::IPv6Only);
    outcome = Open(client, 300);
    QCOMPARE(outcome.code, WSAETIMEDOUT);
    QCOMPARE(outcome.message, std::string("Socket Error # 10060\r\nConnection timed out."));
    QCOMPARE(outcome.peer, std::string(kTestIPv6));
    QCOMPARE(outcome.report.version, std::optional(IPVersion::IPv6));
    QCOMPARE(ScriptedStack::Current()->Count(Call::Connect), 2);
    QCOMPARE(peers->ipv4.AcceptPending(), 1);
}

void TestConnectRace::resolveOnceKeepsEveryAddress()
{
    PeerPair *peers = NewPeers(Kind::Refusing, Kind::Accepting);
    QVERIFY2(peers->IsValid(), qPrintable(peers->Error()));
    ScopedScriptedStack scripted;
    TIdTCPClient client;
    PrepareDual(client, peers->ipv6.Port());
    client.SetResolveOnce(true);
    QCOMPARE(Open(client).peer, std::string(kTestIPv4));
    const Outcome again = Open(client);
    QCOMPARE(again.peer, std::string(kTestIPv4));
    QCOMPARE(again.report.attempts.size(), std::size_t(2));
    QCOMPARE(again.report.lookupElapsed, nanoseconds(0));
    QCOMPARE(ScriptedStack::Current()->Count(Call::Lookup), 1);
}

KELVORA_PRIVATE_NETWORK_TEST_MAIN(TestConnectRace)
#include "tst_connectrace.moc"
