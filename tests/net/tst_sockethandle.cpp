// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/IdException.h"
#include "net/SocketErrors.h"
#include "net/TIdSocketHandle.h"
#include "net/TIdSocksInfo.h"

#include "support/LoopbackListener.h"
#include "ScriptedStack.h"

#include <QtTest>

#include <fcntl.h>
#include <netinet/in.h>

#include <memory>

using Call = ScriptedStack::Call;

namespace {

bool DescriptorIsOpen(int descriptor)
{
    return ::fcntl(descriptor, F_GETFD) != -1;
}

// The scripted stack, held by one network component for the test's duration.
struct Fixture {
    ScopedScriptedStack scripted;
    TIdSocksInfo component;
    ScriptedStack &stack = *ScriptedStack::Current();
};

} // namespace

// The socket object: ownership of the descriptor, binding, connecting.
class TestSocketHandle : public QObject {
    Q_OBJECT
private slots:
    void moveTransfersTheDescriptor();
    void releaseShutsDownSendingThenClosesOnce();
    void resetStateReleasesAnOpenSocket();
    void bindLocal_data();
    void bindLocal();
    void portsOutsideSixteenBitsAreRefused_data();
    void portsOutsideSixteenBitsAreRefused();
    void noStackNoSocket();
};

void TestSocketHandle::moveTransfersTheDescriptor()
{
    Fixture f;
    auto first = std::make_unique<TIdSocketHandle>();
    first->AllocateHandle();
    const int descriptor = first->OsSocket();
    TIdSocketHandle second(std::move(*first));
    QVERIFY(!first->SocketOpen());
    first.reset();
    QVERIFY(DescriptorIsOpen(descriptor));
    QCOMPARE(second.OsSocket(), descriptor);

    TIdSocketHandle target;
    target.AllocateHandle();
    const int replaced = target.OsSocket();
    target = std::move(second);
    QVERIFY(!DescriptorIsOpen(replaced));
    QCOMPARE(target.OsSocket(), descriptor);
}

void TestSocketHandle::releaseShutsDownSendingThenClosesOnce()
{
    Fixture f;
    {
        TIdSocketHandle handle;
        handle.AllocateHandle();
        handle.ReleaseHandle();
        handle.ReleaseHandle();
    } // and the destructor
    QCOMPARE(f.stack.Details(Call::Shutdown), std::vector<std::string>{"1"}); // SHUT_WR
    QCOMPARE(f.stack.Count(Call::Close), 1);
    QCOMPARE(f.stack.Records().back().call, Call::Close);
}

void TestSocketHandle::resetStateReleasesAnOpenSocket()
{
    Fixture f;
    TIdSocketHandle handle;
    handle.AllocateHandle();
    const int descriptor = handle.OsSocket();
    handle.SetRemoteIP("127.0.0.1");
    handle.SetClientPortMax(5010);
    handle.ResetState();
    QVERIFY(!DescriptorIsOpen(descriptor));
    QCOMPARE(handle.OsSocket(), -1);
    QCOMPARE(handle.RemoteIP(), std::string());
    QCOMPARE(handle.ClientPortMax(), 5010);
}

void TestSocketHandle::bindLocal_data()
{
    QTest::addColumn<bool>("fixedPort");
    QTest::addColumn<int>("rangeLength"); // 0: no range
    QTest::addColumn<int>("failingBinds");
    QTest::addColumn<int>("failureCode");
    QTest::addColumn<QByteArray>("error"); // class name; empty: bound
    QTest::addColumn<int>("bindCalls");
    QTest::newRow("any port") << false << 0 << 0 << 0 << QByteArray() << 1;
    QTest::newRow("fixed port") << true << 0 << 0 << 0 << QByteArray() << 1;
    QTest::newRow("range: third port free") << false << 3 << 2 << WSAEADDRINUSE << QByteArray() << 3;
    QTest::newRow("range: every port in use") << false << 3 << 3 << WSAEADDRINUSE << QByteArray("EIdCouldNotBindSocket") << 3;
    QTest::newRow("range: other failure stops") << false << 3 << 1 << WSAEACCES << QByteArray("EIdSocketError") << 1;
}

void TestSocketHandle::bindLocal()
{
    QFETCH(bool, fixedPort);
    QFETCH(int, rangeLength);
    QFETCH(int, failingBinds);
    QFETCH(int, failureCode);
    QFETCH(QByteArray, error);
    QFETCH(int, bindCalls);
    Fixture f;
    std::uint16_t freePort = 0;
    {
        LoopbackListener probe; // a port that is free once the listener is gone
        freePort = probe.Port();
    }
    TIdSocketHandle handle;
    handle.AllocateHandle();
    handle.SetIP("127.0.0.1");
    handle.SetPort(fixedPort ? freePort : 0);
    if (rangeLength > 0) {
        handle.SetClientPortMin(freePort - rangeLength + 1);
        handle.SetClientPortMax(freePort);
    }
    if (failingBinds > 0)
        f.stack.FailNext(Call::Bind, failureCode, failingBinds);

    QByteArray raised;
    try {
        handle.BindLocal();
    } catch (const EIdException &e) {
        raised = e.ClassName();
        if (raised == "EIdCouldNotBindSocket")
            QCOMPARE(e.Message(), std::string("Could not bind socket. Address and port are already in use."));
    }
    QCOMPARE(raised, error);
    QCOMPARE(f.stack.Count(Call::Bind), bindCalls);
    if (error.isEmpty()) {
        QCOMPARE(handle.IP(), std::string("127.0.0.1"));
        if (fixedPort || rangeLength > 0)
            QCOMPARE(handle.Port(), int(freePort));
    }
    // Any-port binds ask the kernel to choose the port at connect time, and
    // ask before binding.
    const auto records = f.stack.Records();
    const auto hint = std::find_if(records.begin(), records.end(),
                                   [](const auto &r) { return r.call == Call::SetSockOpt; });
    const auto bind = std::find_if(records.begin(), records.end(),
                                   [](const auto &r) { return r.call == Call::Bind; });
    QCOMPARE(hint != records.end(), !fixedPort && rangeLength == 0);
    if (hint != records.end()) {
        QVERIFY(hint < bind);
        QCOMPARE(hint->detail, std::to_string(IPPROTO_IP) + "/" + std::to_string(IP_BIND_ADDRESS_NO_PORT) + "=1");
    }
}

void TestSocketHandle::portsOutsideSixteenBitsAreRefused_data()
{
    QTest::addColumn<bool>("remote");
    QTest::addColumn<int>("port");
    QTest::newRow("remote wrapping onto port 80") << true << 65536 + 80;
    QTest::newRow("local 70000") << false << 70000;
}

void TestSocketHandle::portsOutsideSixteenBitsAreRefused()
{
    QFETCH(bool, remote);
    QFETCH(int, port);
    Fixture f;
    TIdSocketHandle handle;
    handle.AllocateHandle();
    handle.SetRemoteIP("127.0.0.1");
    try {
        if (remote) {
            handle.SetRemotePort(port);
            handle.ConnectPeer(AF_INET, 1000);
        } else {
            handle.SetPort(port);
            handle.BindLocal();
        }
        QFAIL("the port was accepted");
    } catch (const EIdSocketError &error) {
        QCOMPARE(error.LastError(), WSAEINVAL);
    }
    QCOMPARE(f.stack.Count(Call::Connect) + f.stack.Count(Call::Bind), 0);
}

void TestSocketHandle::noStackNoSocket()
{
    QVERIFY(GStack() == nullptr);
    TIdSocketHandle handle;
    QVERIFY_THROWS_EXCEPTION(EIdStackError, handle.AllocateHandle());
    QVERIFY(!handle.SocketOpen());
}

QTEST_GUILESS_MAIN(TestSocketHandle)
#include "tst_sockethandle.moc"
