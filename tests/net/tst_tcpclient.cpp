// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/CancelToken.h"
#include "net/ConnectInterrupt.h"
#include "net/IdException.h"
#include "net/SocketErrors.h"
#include "net/TIdHTTP.h"
#include "net/TIdIOHandlerSocket.h"
#include "net/TIdStackPosix.h"

#include "support/LoopbackListener.h"
#include "support/PrivateNetwork.h"
#include "ScriptedStack.h"

#include <QtTest>

#include <fcntl.h>
#include <netinet/tcp.h>
#include <sched.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <limits>
#include <stdexcept>
#include <thread>

using Call = ScriptedStack::Call;

namespace {

// Collects status reports as "<sender>/<status>/<text>", the sender being
// "client" or "handler".
struct StatusLog {
    const TIdComponent *client = nullptr;
    QStringList entries;

    TIdStatusEvent Handler()
    {
        return [this](TIdComponent *sender, TIdStatus status, const std::string &text) {
            entries << QStringLiteral("%1/%2/%3")
                           .arg(sender == client ? "client" : "handler")
                           .arg(int(status))
                           .arg(QString::fromStdString(text));
        };
    }
};

TIdSocketHandle *EndpointOf(const TIdTCPConnection &client)
{
    auto *handler = dynamic_cast<TIdIOHandlerSocket *>(client.IOHandler());
    return handler ? handler->Endpoint() : nullptr;
}

bool PeerIsConnected(int descriptor)
{
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    return ::getpeername(descriptor, reinterpret_cast<sockaddr *>(&peer), &length) == 0;
}

} // namespace

// The client's open and close over real loopback sockets.
class TestTcpClient : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void hostAndPortAreStoredAndMirrored();
    void openAndCloseSendNothing();
    void aConnectionThatMetItselfIsRefused();
    void openFailures_data();
    void openFailures();
    void alreadyConnectedLeavesTheConnectionAlone();
    void failedOpenCanBeRetriedWithoutClose();
    void statusReports_data();
    void statusReports();
    void closeOnANeverOpenedClient();
    void eventHandlerErrors();
    void connectTimeouts_data();
    void connectTimeouts();
    void connectWaitsAtMostItsTimeLimit_data();
    void connectWaitsAtMostItsTimeLimit();
    void aConnectThatASignalInterruptedGoesOn();
    void harmlessSignalsDuringAConnect_data();
    void harmlessSignalsDuringAConnect();
    void cancellingOneCheckLeavesTheOthers();
    void interruptEndsEveryWaitUntilItEnds();
    void interruptFromASignalHandlerOnTheWaitingThread();
    void aBlockingSocketStaysBlocking();
    void componentsLiveForOneConnection();
    void callerOwnedHandler();
    void boundAddress();
    void noDescriptorLeaks_data();
    void noDescriptorLeaks();
    void hostNotFoundInAPrivateNetwork();
    void concurrentClientsKeepTheirOwnOutcomes();
};

void TestTcpClient::init()
{
    QCOMPARE(NetComponentCount(), 0);
}

void TestTcpClient::cleanup()
{
    SetStackClass({});
}

void TestTcpClient::hostAndPortAreStoredAndMirrored()
{
    TIdHTTP client;
    QCOMPARE(client.Port(), 80);
    QCOMPARE(client.URL().Port(), std::string("80"));
    QCOMPARE(client.State(), csIdle);
    const std::string untouched = "  http://Host Name\t";
    client.SetHost(untouched);
    client.SetPort(-8080);
    QCOMPARE(client.Host(), untouched);
    QCOMPARE(client.URL().Host(), untouched);
    QCOMPARE(client.URL().Port(), std::string("-8080"));
}

void TestTcpClient::openAndCloseSendNothing()
{
    LoopbackListener listener;
    TIdHTTP client;
    client.SetHost("127.0.0.1");
    client.SetPort(listener.Port());
    client.OpenConnection(-1);
    QCOMPARE(client.State(), csConnected);
    QVERIFY(client.OwnsIOHandler());
    QCOMPARE(client.IOHandler()->Owner(), &client);
    QCOMPARE(EndpointOf(client)->RemoteIP(), std::string("127.0.0.1"));
    QCOMPARE(EndpointOf(client)->RemotePort(), int(listener.Port()));
    QTRY_COMPARE(listener.Accepted(), 1);

    client.CloseConnection();
    QCOMPARE(client.State(), csIdle);
    QVERIFY(client.IOHandler() == nullptr);
    QTRY_COMPARE(listener.Ended(), 1);
    QCOMPARE(listener.BytesReceived(), std::size_t(0));
}

void TestTcpClient::aConnectionThatMetItselfIsRefused()
{
    // With one local port to choose from and nothing listening on it, a
    // connect to that port from the same address meets itself.
    constexpr std::uint16_t kPort = 47002;
    ScopedLocalPortRange onePort(kPort, kPort);
    if (!onePort.IsValid())
        QSKIP("needs a private network namespace to narrow the local port range");
    TIdHTTP client;
    client.SetHost("127.0.0.1");
    client.SetPort(kPort);
    const int descriptors = OpenDescriptorCount();
    try {
        client.OpenConnection(-1);
        QFAIL("a connection to a port where nothing listens succeeded");
    } catch (const EIdSocketError &error) {
        QCOMPARE(error.LastError(), WSAECONNREFUSED);
        QCOMPARE(error.Message(), std::string("Socket Error # 10061\r\nConnection refused."));
    }
    QCOMPARE(client.State(), csFailed);
    QCOMPARE(OpenDescriptorCount(), descriptors);
    client.CloseConnection();
}

void TestTcpClient::openFailures_data()
{
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<bool>("refusingPort");
    QTest::addColumn<int>("failingCall"); // a ScriptedStack::Call, or -1
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("className");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<int>("lookups");
    const QByteArray local("127.0.0.1");
    const int none = -1;
    QTest::newRow("refused") << local << true << none << 0 << QByteArray("EIdSocketError")
                             << QByteArray("Socket Error # 10061\r\nConnection refused.") << 0;
    QTest::newRow("host not found") << QByteArray("nowhere.test") << false << none << 0 << QByteArray("EIdSocketError")
                                    << QByteArray("Socket Error # 11001\r\nHost not found.") << 1;
    QTest::newRow("NUL in host") << QByteArray("127.0.0.1\0.evil", 15) << false << none << 0
                                 << QByteArray("EIdSocketError") << QByteArray("Socket Error # 11001\r\nHost not found.") << 0;
    QTest::newRow("no socket") << local << false << int(Call::Socket) << WSAEMFILE << QByteArray("EIdInvalidSocket")
                               << QByteArray("Cannot allocate socket.") << 0;
    QTest::newRow("bind: address in use") << local << false << int(Call::Bind) << WSAEADDRINUSE
                                          << QByteArray("EIdCouldNotBindSocket")
                                          << QByteArray("Could not bind socket. Address and port are already in use.") << 0;
    QTest::newRow("bind: access denied") << local << false << int(Call::Bind) << WSAEACCES << QByteArray("EIdSocketError")
                                         << QByteArray("Socket Error # 10013\r\nAccess denied.") << 0;
    QTest::newRow("peer address unreadable") << local << false << int(Call::GetPeerName) << WSAENOTCONN
                                             << QByteArray("EIdSocketError")
                                             << QByteArray("Socket Error # 10057\r\nSocket is not connected.") << 0;
}

void TestTcpClient::openFailures()
{
    QFETCH(QByteArray, host);
    QFETCH(bool, refusingPort);
    QFETCH(int, failingCall);
    QFETCH(int, code);
    QFETCH(QByteArray, className);
    QFETCH(QByteArray, message);
    QFETCH(int, lookups);
    ScopedScriptedStack scripted;
    LoopbackListener listener;
    RefusingPort refusing;
    TIdHTTP client;
    ScriptedStack &stack = *ScriptedStack::Current();
    client.SetHost(host.toStdString());
    client.SetPort(refusingPort ? refusing.Port() : listener.Port());
    if (failingCall >= 0)
        stack.FailNext(Call(failingCall), code);
    const int descriptors = OpenDescriptorCount();

    try {
        client.OpenConnection(-1);
        QFAIL("the open succeeded");
    } catch (const EIdException &error) {
        QCOMPARE(QByteArray(error.ClassName()), className);
        QCOMPARE(QByteArray::fromStdString(error.Message()), message);
    }
    QCOMPARE(client.State(), csFailed);
    // The socket made before the failure is closed. The listener's thread
    // may still hold its end of an accepted connection for a moment.
    QTRY_COMPARE(OpenDescriptorCount(), descriptors);
    QCOMPARE(stack.Count(Call::Lookup), lookups);
    client.CloseConnection();
    QCOMPARE(client.State(), csIdle);
}

void TestTcpClient::alreadyConnectedLeavesTheConnectionAlone()
{
    LoopbackListener listener;
    TIdHTTP client;
    client.SetHost("127.0.0.1");
    client.SetPort(listener.Port());
    client.OpenConnection();
    const int descriptor = EndpointOf(client)->OsSocket();
    try {
        client.OpenConnection();
        QFAIL("a second open was accepted");
    } catch (const EIdAlreadyConnected &error) {
        QCOMPARE(error.Message(), std::string("Already connected."));
    }
    QCOMPARE(client.State(), csConnected);
    QCOMPARE(EndpointOf(client)->OsSocket(), descriptor);
    QVERIFY(PeerIsConnected(descriptor));
    client.CloseConnection();
    QTRY_COMPARE(listener.Ended(), 1);
    QCOMPARE(listener.Accepted(), 1);
}

void TestTcpClient::failedOpenCanBeRetriedWithoutClose()
{
    LoopbackListener listener;
    RefusingPort refusing;
    TIdHTTP client;
    client.SetHost("127.0.0.1");
    client.SetPort(refusing.Port());
    QVERIFY_THROWS_EXCEPTION(EIdSocketError, client.OpenConnection());
    TIdIOHandler *kept = client.IOHandler();
    QVERIFY(kept != nullptr);

    client.SetPort(listener.Port());
    client.OpenConnection();
    QCOMPARE(client.IOHandler(), kept);
    QCOMPARE(client.State(), csConnected);
    QCOMPARE(EndpointOf(client)->RemotePort(), int(listener.Port()));
    client.CloseConnection();
}

void TestTcpClient::statusReports_data()
{
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QStringList>("reports");
    QTest::addColumn<int>("lookups");
    const QString connecting = "handler/1/Connecting to 127.0.0.1.";
    const QStringList connectedAndClosed = {"client/2/Connected.", "client/3/Disconnecting.",
                                            "client/4/Disconnected."};
    const QStringList closed = {"client/3/Disconnecting.", "client/4/Disconnected."};
    QTest::newRow("named host") << QByteArray("probe.test") << false
                                << QStringList{"handler/0/Resolving hostname probe.test.", connecting} + connectedAndClosed << 1;
    QTest::newRow("LOCALHOST in mixed case") << QByteArray("LocalHost") << false
                                             << QStringList{"handler/0/Resolving hostname LocalHost.", connecting} + connectedAndClosed << 0;
    QTest::newRow("dotted address") << QByteArray("127.0.0.1") << false << QStringList{connecting} + connectedAndClosed << 0;
    QTest::newRow("hexadecimal dotted address") << QByteArray("0x7f.0.0.1") << false
                                                << QStringList{"handler/1/Connecting to 0x7f.0.0.1."} + connectedAndClosed << 0;
    QTest::newRow("refused") << QByteArray("127.0.0.1") << true << QStringList{connecting} + closed << 0;
    QTest::newRow("empty host") << QByteArray("") << false << QStringList{"handler/0/Resolving hostname ."} + closed << 1;
}

void TestTcpClient::statusReports()
{
    QFETCH(QByteArray, host);
    QFETCH(bool, refused);
    QFETCH(QStringList, reports);
    QFETCH(int, lookups);
    ScopedScriptedStack scripted;
    LoopbackListener listener;
    RefusingPort refusing;
    TIdHTTP client;
    ScriptedStack &stack = *ScriptedStack::Current();
    stack.AnswerLookup("probe.test", "127.0.0.1");
    StatusLog log{&client, {}};
    client.SetOnStatus(log.Handler());
    client.SetHost(host.toStdString());
    const int port = refused ? refusing.Port() : listener.Port();
    client.SetPort(port);
    try {
        client.OpenConnection(-1);
    } catch (const EIdSocketError &) {
        QVERIFY(refused || host.isEmpty());
    }
    client.CloseConnection();
    QCOMPARE(log.entries, reports);
    QCOMPARE(stack.Count(Call::Lookup), lookups);
    const std::vector<std::string> connects = stack.Details(Call::Connect);
    if (host.isEmpty())
        QVERIFY(connects.empty());
    else
        QCOMPARE(connects, std::vector<std::string>{"127.0.0.1:" + std::to_string(port)});
}

void TestTcpClient::closeOnANeverOpenedClient()
{
    TIdHTTP client;
    StatusLog log{&client, {}};
    client.SetOnStatus(log.Handler());
    client.CloseConnection();
    client.CloseConnection();
    QCOMPARE(log.entries, QStringList({"client/3/Disconnecting.", "client/4/Disconnected.",
                                       "client/3/Disconnecting.", "client/4/Disconnected."}));
    QCOMPARE(client.State(), csIdle);
}

void TestTcpClient::eventHandlerErrors()
{
    LoopbackListener listener;
    TIdHTTP client;
    client.SetHost("127.0.0.1");
    client.SetPort(listener.Port());
    QStringList events;
    client.SetOnConnected([&](TIdComponent *sender) {
        events << (sender == &client ? "connected" : "connected by another");
        throw std::runtime_error("handler failed");
    });
    client.SetOnDisconnected([&](TIdComponent *sender) {
        events << (sender == &client ? "disconnected" : "disconnected by another");
    });
    // An error of the connected handler fails the open: the socket is closed.
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, client.OpenConnection());
    QCOMPARE(client.State(), csFailed);
    QTRY_COMPARE(listener.Ended(), 1);

    // An error of a status handler during the close still closes and frees.
    client.SetOnConnected({});
    client.OpenConnection();
    client.SetOnStatus([](TIdComponent *, TIdStatus, const std::string &) { throw std::runtime_error("status"); });
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, client.CloseConnection());
    QVERIFY(client.IOHandler() == nullptr);
    QTRY_COMPARE(listener.Ended(), 2);
    QCOMPARE(events, QStringList({"connected"}));

    client.SetOnStatus({});
    client.CloseConnection();
    QCOMPARE(events, QStringList({"connected", "disconnected"}));
}

void TestTcpClient::connectTimeouts_data()
{
    QTest::addColumn<int>("timeout");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("-1: the platform's limit") << -1 << true;
    QTest::newRow("0: the platform's limit") << 0 << true;
    QTest::newRow("a limit of its own") << 1000 << true;
    QTest::newRow("-2") << -2 << false;
    QTest::newRow("the most negative") << std::numeric_limits<int>::min() << false;
}

void TestTcpClient::connectTimeouts()
{
    QFETCH(int, timeout);
    QFETCH(bool, accepted);
    LoopbackListener listener;
    TIdHTTP client;
    client.SetHost("127.0.0.1");
    client.SetPort(listener.Port());
    try {
        client.OpenConnection(timeout);
        QVERIFY(accepted);
        QCOMPARE(client.State(), csConnected);
    } catch (const EIdTimeoutNotSupported &error) {
        QVERIFY(!accepted);
        QCOMPARE(error.Message(), TimeoutNotSupportedMessage(timeout));
        QVERIFY(client.IOHandler() == nullptr); // refused before anything changed
    }
    client.CloseConnection();
    QTRY_COMPARE(listener.Accepted(), accepted ? 1 : 0);
}

void TestTcpClient::connectWaitsAtMostItsTimeLimit_data()
{
    QTest::addColumn<int>("timeout");
    QTest::addColumn<int>("expectedLimit");
    QTest::newRow("-1 waits as long as the platform the client was written for")
        << -1 << kPlatformConnectTimeoutMs;
    QTest::newRow("0 the same") << 0 << kPlatformConnectTimeoutMs;
    QTest::newRow("a limit of its own") << 300 << 300;
}

void TestTcpClient::connectWaitsAtMostItsTimeLimit()
{
    QFETCH(int, timeout);
    QFETCH(int, expectedLimit);
    ScopedScriptedStack scripted;
    SilentPort silent;
    TIdHTTP client;
    client.SetHost("127.0.0.1");
    client.SetPort(silent.Port());
    if (expectedLimit > 1000) {
        // The stack is asked for the limit; waiting it out takes too long
        // for a test, so the connect itself is scripted to give up.
        ScriptedStack::Current()->FailNext(Call::Connect, WSAETIMEDOUT);
    }
    const auto start = std::chrono::steady_clock::now();
    try {
        client.OpenConnection(timeout);
        QFAIL("a silent peer was reached");
    } catch (const EIdSocketError &error) {
        QCOMPARE(error.LastError(), WSAETIMEDOUT);
        QVERIFY(QString::fromStdString(error.Message()).endsWith(QStringLiteral("Connection timed out.")));
    }
    const auto waited = std::chrono::steady_clock::now() - start;
    QCOMPARE(ScriptedStack::Current()->ConnectTimeouts(), std::vector<int>{expectedLimit});
    if (expectedLimit <= 1000) {
        QVERIFY(waited >= std::chrono::milliseconds(expectedLimit));
        QVERIFY2(waited < std::chrono::milliseconds(expectedLimit + 2000), "waited far past the limit");
    }
    QCOMPARE(client.State(), csFailed);
    client.CloseConnection();
}

namespace {

std::atomic<int> signalsHandled{0};

extern "C" void CountSignal(int)
{
    ++signalsHandled;
}

// The POSIX stack over a connect(2) that counts its calls and, when told,
// reports EINTR once the handshake has begun, as an interrupted connect does.
TIdStackFactory CountingConnectStack(std::atomic<int> &calls, bool reportInterrupted)
{
    return [&calls, reportInterrupted] {
        return std::make_unique<TIdStackPosix>([&calls, reportInterrupted](int s, const sockaddr *peer, socklen_t length) {
            ++calls;
            const int result = ::connect(s, peer, length);
            if (!reportInterrupted || (result == -1 && errno != EINPROGRESS))
                return result;
            errno = EINTR;
            return -1;
        });
    };
}

} // namespace

void TestTcpClient::aConnectThatASignalInterruptedGoesOn()
{
    LoopbackListener listener;
    std::atomic<int> connects{0};
    SetStackClass(CountingConnectStack(connects, true));
    TIdHTTP client;
    client.SetHost("127.0.0.1");
    client.SetPort(listener.Port());
    try {
        client.OpenConnection(-1);
    } catch (const EIdException &error) {
        QFAIL(error.what());
    }
    QCOMPARE(client.State(), csConnected);
    QCOMPARE(connects.load(), 1);
    QTRY_COMPARE(listener.Accepted(), 1);
    client.CloseConnection();
}

void TestTcpClient::harmlessSignalsDuringAConnect_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<int>("flags");
    QTest::newRow("SIGUSR1 without SA_RESTART") << SIGUSR1 << 0;
    QTest::newRow("SIGCHLD with SA_RESTART") << SIGCHLD << int(SA_RESTART);
}

// Signals keep coming while a connect waits for a peer that answers only
// its second SYN: the connect is made once and succeeds.
void TestTcpClient::harmlessSignalsDuringAConnect()
{
    QFETCH(int, signalNumber);
    QFETCH(int, flags);
    struct sigaction action{};
    action.sa_handler = CountSignal;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    struct sigaction previous{};
    QCOMPARE(::sigaction(signalNumber, &action, &previous), 0);
    signalsHandled = 0;

    SilentPort silent;
    std::atomic<int> connects{0};
    SetStackClass(CountingConnectStack(connects, false));
    TIdHTTP client;
    client.SetHost("127.0.0.1");
    client.SetPort(silent.Port());
    const pthread_t connecting = ::pthread_self();
    std::atomic<bool> done{false};
    std::thread sender([&] {
        for (int i = 0; !done; ++i) {
            if (i == 5)
                silent.MakeRoom();
            ::pthread_kill(connecting, signalNumber);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    QString failure;
    try {
        client.OpenConnection(5000);
    } catch (const EIdException &error) {
        failure = QString::fromStdString(error.Message());
    }
    done = true;
    sender.join();
    ::sigaction(signalNumber, &previous, nullptr);
    QCOMPARE(failure, QString());
    QCOMPARE(connects.load(), 1);
    QVERIFY2(signalsHandled >= 10, qPrintable(QString::number(signalsHandled)));
    client.CloseConnection();
}

namespace {

using SteadyClock = std::chrono::steady_clock;

// One connect on a thread of its own: when it ended and with which code
// (0 for a connection).
struct BackgroundConnect {
    BackgroundConnect(std::uint16_t port, const CancelToken &token, int timeoutMs)
        : thread([this, port, token, timeoutMs] {
              TIdHTTP client;
              client.SetHost("127.0.0.1");
              client.SetPort(port);
              client.SetCancellation(token);
              try {
                  client.OpenConnection(timeoutMs);
              } catch (const EIdSocketError &error) {
                  code = error.LastError();
              }
              endedAt = SteadyClock::now();
              ended = true;
              client.CloseConnection();
          })
    {
    }
    ~BackgroundConnect() { thread.join(); }

    std::atomic<bool> ended{false};
    int code = 0;
    SteadyClock::time_point endedAt;
    std::thread thread;
};

// A connect of the calling thread; the code it failed with, 0 when it
// connected.
int ConnectCode(std::uint16_t port, const CancelToken &token = CancelToken())
{
    TIdHTTP client;
    client.SetHost("127.0.0.1");
    client.SetPort(port);
    client.SetCancellation(token);
    int code = 0;
    try {
        client.OpenConnection(-1);
    } catch (const EIdSocketError &error) {
        code = error.LastError();
    }
    client.CloseConnection();
    return code;
}

extern "C" void InterruptFromHandler(int)
{
    InterruptConnects();
}

} // namespace

void TestTcpClient::cancellingOneCheckLeavesTheOthers()
{
    LoopbackListener listener;
    SilentPort silent;
    CancelSource first;
    CancelSource second;
    TIdHTTP keepsTheStack;
    BackgroundConnect cancelled(silent.Port(), first.Token(), 5000);
    BackgroundConnect goesOn(silent.Port(), second.Token(), 800);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    const auto cancelledAt = SteadyClock::now();
    first.Cancel();
    QTRY_VERIFY(cancelled.ended);
    QCOMPARE(cancelled.code, WSAEINTR);
    QVERIFY2(cancelled.endedAt - cancelledAt < std::chrono::milliseconds(100), "the wait outlasted the cancel");
    QVERIFY(!goesOn.ended);
    QTRY_VERIFY_WITH_TIMEOUT(goesOn.ended, 3000);
    QCOMPARE(goesOn.code, WSAETIMEDOUT); // its own limit ended it, not the other's cancel

    // A cancelled source refuses before anything is sent, until it is reset;
    // other tokens connect meanwhile.
    QCOMPARE(ConnectCode(listener.Port(), first.Token()), WSAEINTR);
    QCOMPARE(ConnectCode(listener.Port(), second.Token()), 0);
    QCOMPARE(ConnectCode(listener.Port()), 0);
    QTRY_COMPARE(listener.Accepted(), 2);
    first.Reset();
    QCOMPARE(ConnectCode(listener.Port(), first.Token()), 0);
    QTRY_COMPARE(listener.Accepted(), 3);
}

void TestTcpClient::interruptEndsEveryWaitUntilItEnds()
{
    LoopbackListener listener;
    SilentPort silent;
    CancelSource own;
    TIdHTTP keepsTheStack;
    {
        BackgroundConnect withOwnToken(silent.Port(), own.Token(), -1);
        BackgroundConnect withoutToken(silent.Port(), CancelToken(), -1);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        const auto interruptedAt = SteadyClock::now();
        InterruptConnects();
        QTRY_VERIFY(withOwnToken.ended && withoutToken.ended);
        for (const BackgroundConnect *connect : {&withOwnToken, &withoutToken}) {
            QCOMPARE(connect->code, WSAEINTR);
            QVERIFY2(connect->endedAt - interruptedAt < std::chrono::milliseconds(100), "a wait outlasted the interrupt");
        }
    }
    // While it lasts, connects fail before sending anything.
    QCOMPARE(ConnectCode(listener.Port()), WSAEINTR);
    QCOMPARE(ConnectCode(listener.Port(), own.Token()), WSAEINTR);
    EndConnectInterrupt();
    QVERIFY(!own.Cancelled());
    QCOMPARE(listener.Accepted(), 0);
    QCOMPARE(ConnectCode(listener.Port()), 0);
    QCOMPARE(ConnectCode(listener.Port(), own.Token()), 0);
    QTRY_COMPARE(listener.Accepted(), 2);
}

// The window's check waits on the thread that takes the signal.
void TestTcpClient::interruptFromASignalHandlerOnTheWaitingThread()
{
    PrepareConnectInterrupt();
    struct sigaction action{};
    action.sa_handler = InterruptFromHandler;
    sigemptyset(&action.sa_mask);
    struct sigaction previous{};
    QCOMPARE(::sigaction(SIGUSR2, &action, &previous), 0);
    SilentPort silent;
    const pthread_t waiting = ::pthread_self();
    std::thread sender([waiting] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        ::pthread_kill(waiting, SIGUSR2);
    });
    const auto start = SteadyClock::now();
    const int code = ConnectCode(silent.Port());
    const auto waited = SteadyClock::now() - start;
    sender.join();
    ::sigaction(SIGUSR2, &previous, nullptr);
    EndConnectInterrupt();
    QCOMPARE(code, WSAEINTR);
    QVERIFY2(waited < std::chrono::milliseconds(1000), "the signal did not end the wait");
}

void TestTcpClient::aBlockingSocketStaysBlocking()
{
    LoopbackListener listener;
    TIdStackPosix stack;
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    QVERIFY(s >= 0);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(listener.Port());
    peer.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QCOMPARE(stack.SysConnect(s, peer, 1000, CancelToken()), 0);
    QCOMPARE(::fcntl(s, F_GETFL) & O_NONBLOCK, 0);
    ::close(s);
}

void TestTcpClient::componentsLiveForOneConnection()
{
    LoopbackListener listener;
    TIdHTTP client;
    client.SetHost("127.0.0.1");
    client.SetPort(listener.Port());
    int duringConnect = 0;
    client.SetOnStatus([&](TIdComponent *, TIdStatus status, const std::string &) {
        if (status == hsConnected)
            duringConnect = NetComponentCount();
    });
    client.OpenConnection();
    QCOMPARE(duringConnect, 3); // the client, its handler and the handler's proxy settings
    client.CloseConnection();
    QCOMPARE(NetComponentCount(), 1);
}

void TestTcpClient::callerOwnedHandler()
{
    ScopedScriptedStack scripted;
    LoopbackListener listener;
    TIdHTTP client;
    TIdIOHandlerSocket handler;
    handler.SetUseNagle(false);
    client.SetIOHandler(&handler);
    client.SetHost("127.0.0.1");
    client.SetPort(listener.Port());
    client.OpenConnection();
    QCOMPARE(client.State(), csConnected);
    client.CloseConnection();
    QCOMPARE(client.IOHandler(), &handler);
    QVERIFY(!client.OwnsIOHandler());
    QVERIFY(!handler.HasOpenSocket());
    QCOMPARE(client.State(), csIdle);
    // No-delay is set before the connect when coalescing is off.
    const auto records = ScriptedStack::Current()->Records();
    const std::string noDelay = std::to_string(IPPROTO_TCP) + "/" + std::to_string(TCP_NODELAY) + "=1";
    const auto option = std::find_if(records.begin(), records.end(), [&](const auto &r) { return r.detail == noDelay; });
    const auto connect = std::find_if(records.begin(), records.end(), [](const auto &r) { return r.call == Call::Connect; });
    QVERIFY(option < connect);
}

void TestTcpClient::boundAddress()
{
    ScopedScriptedStack scripted;
    LoopbackListener listener;
    TIdHTTP client;
    client.SetHost("127.0.0.1");
    client.SetPort(listener.Port());
    client.SetBoundIP("0x7f.0.0.1");
    client.OpenConnection();
    QCOMPARE(ScriptedStack::Current()->Details(Call::Bind), std::vector<std::string>{"127.0.0.1:0"});
    client.CloseConnection();

    client.SetBoundIP("not an address");
    QVERIFY_THROWS_EXCEPTION(EConvertError, client.OpenConnection());
    QCOMPARE(client.State(), csFailed);
    client.CloseConnection();
}

void TestTcpClient::noDescriptorLeaks_data()
{
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<int>("cycles");
    QTest::newRow("connect and close") << QByteArray("127.0.0.1") << false << 2000;
    QTest::newRow("refused") << QByteArray("127.0.0.1") << true << 2000;
    QTest::newRow("host not found") << QByteArray("nowhere.test") << false << 500;
}

void TestTcpClient::noDescriptorLeaks()
{
    QFETCH(QByteArray, host);
    QFETCH(bool, refused);
    QFETCH(int, cycles);
    ScopedScriptedStack scripted; // answers names without a resolver
    LoopbackListener listener;
    RefusingPort refusing;
    TIdHTTP client;
    client.SetHost(host.toStdString());
    client.SetPort(refused ? refusing.Port() : listener.Port());
    const int before = OpenDescriptorCount();
    int failures = 0;
    for (int i = 0; i < cycles; ++i) {
        try {
            client.OpenConnection(-1);
        } catch (const EIdSocketError &) {
            ++failures;
        }
        client.CloseConnection();
    }
    QCOMPARE(failures, host == "127.0.0.1" && !refused ? 0 : cycles);
    QTRY_COMPARE(listener.Open(), 0); // the listener's own descriptors are gone too
    QCOMPARE(OpenDescriptorCount(), before);
}

void TestTcpClient::hostNotFoundInAPrivateNetwork()
{
    // The resolver really runs here, but only inside a network namespace of a
    // child process's own, where no packet can leave the machine.
    QFile nsswitch("/etc/nsswitch.conf");
    if (!nsswitch.open(QIODevice::ReadOnly)
        || QFile::exists("/var/run/nscd/socket") || QFile::exists("/run/nscd/socket"))
        QSKIP("the host lookup could reach a resolver daemon outside the namespace");
    for (const QByteArray &line : nsswitch.readAll().split('\n')) {
        if (line.startsWith("hosts:")) {
            for (const QByteArray &source : line.mid(6).simplified().split(' ')) {
                if (source != "files" && source != "dns")
                    QSKIP("a host lookup source that may leave the namespace is configured");
            }
        }
    }
    int pipeEnds[2];
    QCOMPARE(::pipe(pipeEnds), 0);
    const pid_t child = ::fork();
    QVERIFY(child != -1);
    if (child == 0) {
        ::close(pipeEnds[0]);
        std::string outcome = "no namespace";
        if (::unshare(CLONE_NEWNET) == 0) {
            try {
                ScopedScriptedStack scripted;
                TIdHTTP client;
                ScriptedStack::Current()->AllowRealLookups(true);
                client.SetHost("kelvora-no-such-host-label");
                client.OpenConnection(-1);
                outcome = "connected";
            } catch (const Exception &error) {
                outcome = error.Message();
            }
        }
        [[maybe_unused]] const auto written = ::write(pipeEnds[1], outcome.data(), outcome.size());
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    QByteArray outcome;
    char buffer[256];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        outcome.append(buffer, got);
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (outcome == "no namespace")
        QSKIP("no permission to create a network namespace");
    QCOMPARE(outcome, QByteArray("Socket Error # 11001\r\nHost not found."));
}

// Many clients at once, one per thread, over the one process-wide stack:
// each sees its own outcome and its own last error.
void TestTcpClient::concurrentClientsKeepTheirOwnOutcomes()
{
    constexpr int kThreads = 16;
    constexpr int kChecks = 150;
    LoopbackListener listener;
    RefusingPort refusing;
    const int descriptors = OpenDescriptorCount();
    // Thread t connects, is refused, or names a host no resolver is asked
    // for (a label over 63 bytes), by t % 3.
    const int expectedCodes[3] = {0, WSAECONNREFUSED, WSAHOST_NOT_FOUND};
    std::atomic<int> mismatches{0};
    std::atomic<int> connected{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            const int expected = expectedCodes[t % 3];
            TIdHTTP client;
            client.SetHost(expected == WSAHOST_NOT_FOUND ? std::string(64, 'x') + ".test" : "127.0.0.1");
            client.SetPort(expected == WSAECONNREFUSED ? refusing.Port() : listener.Port());
            for (int i = 0; i < kChecks; ++i) {
                int code = 0;
                try {
                    client.OpenConnection(-1);
                    ++connected;
                } catch (const EIdSocketError &error) {
                    code = error.LastError();
                    if (GStack()->LastSocketError() != code)
                        ++mismatches;
                }
                client.CloseConnection();
                if (code != expected)
                    ++mismatches;
                if (expected == 0 && GStack()->LastSocketError() != 0)
                    ++mismatches; // another thread's failure showed through
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    QCOMPARE(mismatches.load(), 0);
    QCOMPARE(connected.load(), (kThreads + 2) / 3 * kChecks);
    QTRY_COMPARE(listener.Ended(), connected.load());
    QTRY_COMPARE(OpenDescriptorCount(), descriptors);
    QCOMPARE(NetComponentCount(), 0);
}

KELVORA_PRIVATE_NETWORK_TEST_MAIN(TestTcpClient)
#include "tst_tcpclient.moc"
