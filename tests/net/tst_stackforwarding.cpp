// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/SocketErrors.h"
#include "net/TIdStackForwarding.h"

#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

namespace {

// Answers lookups itself: "known" with 127.0.0.1, anything else not found.
class TableStack final : public TIdStackForwarding {
public:
    int SysLookup(const std::string &name, IPFamilies, std::vector<IPAddress> &found) override
    {
        found.clear();
        if (name != "known")
            return Fail(WSAHOST_NOT_FOUND);
        found.push_back(IPAddress::FromIPv4(in_addr{htonl(INADDR_LOOPBACK)}));
        return Succeed();
    }
};

} // namespace

// A stack that makes a few calls its own and passes the rest on: the last
// error is that of the thread's last call, whoever made it.
class TestStackForwarding : public QObject {
    Q_OBJECT

private slots:
    void lastErrorIsThatOfTheLastCall();
    void ownFailureStaysOnItsThread();
};

void TestStackForwarding::lastErrorIsThatOfTheLastCall()
{
    TableStack stack;
    std::vector<IPAddress> found;
    QCOMPARE(stack.SysLookup("unknown", IPFamilies::Any, found), -1);
    QCOMPARE(stack.SysLastError(), WSAHOST_NOT_FOUND);

    // A platform call that fails gives the platform's code, not the lookup's.
    QCOMPARE(stack.SysSocket(AF_INET, SOCK_STREAM, IPPROTO_UDP), -1);
    const int platform = stack.SysLastError();
    QVERIFY2(platform != WSAHOST_NOT_FOUND && platform >= 10000, qPrintable(QString::number(platform)));

    QCOMPARE(stack.SysLookup("known", IPFamilies::Any, found), 0);
    QCOMPARE(found.size(), std::size_t(1));
    QCOMPARE(stack.SysLastError(), platform); // a success leaves the last failure's code

    // Real sockets pass through.
    const int socket = stack.SysSocket(AF_INET, SOCK_STREAM, 0);
    QVERIFY(socket >= 0);
    QCOMPARE(stack.SysClose(socket), 0);
}

void TestStackForwarding::ownFailureStaysOnItsThread()
{
    TableStack stack;
    QCOMPARE(stack.SysSocket(AF_INET, SOCK_STREAM, IPPROTO_UDP), -1);
    const int platform = stack.SysLastError();
    int elsewhere = 0;
    std::thread([&] {
        std::vector<IPAddress> found;
        stack.SysLookup("unknown", IPFamilies::Any, found);
        elsewhere = stack.SysLastError();
    }).join();
    QCOMPARE(elsewhere, WSAHOST_NOT_FOUND);
    QCOMPARE(stack.SysLastError(), platform);
}

QTEST_GUILESS_MAIN(TestStackForwarding)
#include "tst_stackforwarding.moc"
