// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/IdException.h"
#include "net/SocketErrors.h"
#include "net/TIdStackPosix.h"

#include "support/LoopbackListener.h"

#include <QtTest>

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <thread>

// Error numbers, their texts and the messages built from them.
class TestSocketErrors : public QObject {
    Q_OBJECT
private slots:
    void socketErrorText_data();
    void socketErrorText();
    void failedCallRaisesFormattedMessage_data();
    void failedCallRaisesFormattedMessage();
    void ignoredCodesAreReportedNotRaised();
    void errnoMapping_data();
    void errnoMapping();
    void everyTableCodeHasAnErrno();
    void resolverMapping_data();
    void resolverMapping();
    void posixCallsRecordTheirFailure();
    void lastErrorIsPerThread();
};

void TestSocketErrors::socketErrorText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("first entry") << 10004 << QByteArray("Interrupted system call.");
    QTest::newRow("would block keeps its trailing blank") << 10035 << QByteArray("Operation would block. ");
    QTest::newRow("refused") << 10061 << QByteArray("Connection refused.");
    QTest::newRow("not empty has no full stop") << 10066 << QByteArray("Directory not empty");
    QTest::newRow("host not found from the platform stack") << 11001 << QByteArray("Host not found.");
    QTest::newRow("gap in the table") << 10005 << QByteArray("");
    QTest::newRow("plain errno value") << 5 << QByteArray("");
}

void TestSocketErrors::socketErrorText()
{
    QFETCH(int, code);
    QFETCH(QByteArray, text);
    TIdStackPosix stack;
    QCOMPARE(QByteArray::fromStdString(stack.SocketErrorText(code)), text);
}

void TestSocketErrors::failedCallRaisesFormattedMessage_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("refused") << 10061 << QByteArray("Socket Error # 10061\r\nConnection refused.");
    QTest::newRow("host not found") << 11001 << QByteArray("Socket Error # 11001\r\nHost not found.");
    QTest::newRow("unknown code ends after the line break") << 12345 << QByteArray("Socket Error # 12345\r\n");
}

void TestSocketErrors::failedCallRaisesFormattedMessage()
{
    QFETCH(int, code);
    QFETCH(QByteArray, message);
    TIdStackPosix stack;
    try {
        stack.RaiseSocketError(code);
        QFAIL("no error raised");
    } catch (const EIdException &error) {
        QCOMPARE(QByteArray::fromStdString(error.Message()), message);
        QCOMPARE(error.ClassName(), "EIdSocketError");
        const auto *socketError = dynamic_cast<const EIdSocketError *>(&error);
        QVERIFY(socketError != nullptr);
        QCOMPARE(socketError->LastError(), code);
    }
    QCOMPARE(stack.LastSocketError(), code);
}

void TestSocketErrors::ignoredCodesAreReportedNotRaised()
{
    TIdStackPosix stack;
    QVERIFY(!stack.CheckSocketResult(0));
    QVERIFY(!stack.CheckSocketResult(7, {WSAEBADF}));

    QCOMPARE(stack.SysClose(-1), -1); // leaves "bad descriptor" as the last error
    QVERIFY(stack.CheckSocketResult(-1, {WSAEADDRINUSE, WSAEBADF}));
    QCOMPARE(stack.LastSocketError(), WSAEBADF);
    QVERIFY_THROWS_EXCEPTION(EIdSocketError, stack.CheckSocketResult(-1, {WSAEADDRINUSE}));
}

void TestSocketErrors::errnoMapping_data()
{
    QTest::addColumn<int>("errnoValue");
    QTest::addColumn<int>("code");
    QTest::newRow("refused") << ECONNREFUSED << 10061;
    QTest::newRow("network unreachable") << ENETUNREACH << 10051;
    QTest::newRow("address in use") << EADDRINUSE << 10048;
    QTest::newRow("firewall refusal") << EPERM << 10013;
    QTest::newRow("system-wide descriptor limit") << ENFILE << 10024;
    QTest::newRow("out of memory") << ENOMEM << 10055;
    QTest::newRow("no socket meaning stays itself") << EIO << EIO;
    QTest::newRow("zero") << 0 << 0;
}

void TestSocketErrors::errnoMapping()
{
    QFETCH(int, errnoValue);
    QFETCH(int, code);
    QCOMPARE(WsaCodeFromErrno(errnoValue), code);
}

void TestSocketErrors::everyTableCodeHasAnErrno()
{
    TIdStackPosix stack;
    std::set<int> reached;
    for (int value = 0; value < 256; ++value)
        reached.insert(WsaCodeFromErrno(value));
    for (int code = 10004; code <= 10066; ++code) {
        if (!stack.SocketErrorText(code).empty())
            QVERIFY2(reached.count(code) == 1, qPrintable(QString::number(code)));
    }
}

void TestSocketErrors::resolverMapping_data()
{
    QTest::addColumn<int>("eai");
    QTest::addColumn<int>("savedErrno");
    QTest::addColumn<int>("code");
    QTest::newRow("unknown name") << EAI_NONAME << 0 << 11001;
    QTest::newRow("cannot be answered now (offline)") << EAI_AGAIN << 0 << 11001;
    QTest::newRow("no address") << EAI_NODATA << 0 << 11001;
    QTest::newRow("non-recoverable") << EAI_FAIL << 0 << 11003;
    QTest::newRow("system error takes errno") << EAI_SYSTEM << EMFILE << 10024;
    QTest::newRow("system error without errno") << EAI_SYSTEM << 0 << 11003;
    QTest::newRow("bad flags") << EAI_BADFLAGS << 0 << 10022;
}

void TestSocketErrors::resolverMapping()
{
    QFETCH(int, eai);
    QFETCH(int, savedErrno);
    QFETCH(int, code);
    QCOMPARE(WsaCodeFromResolver(eai, savedErrno), code);
}

void TestSocketErrors::posixCallsRecordTheirFailure()
{
    TIdStackPosix stack;
    QCOMPARE(stack.SysSocket(12345, SOCK_STREAM, 0), -1);
    QCOMPARE(stack.SysLastError(), WSAEAFNOSUPPORT);

    RefusingPort refusing;
    const int s = stack.SysSocket(AF_INET, SOCK_STREAM, 0);
    QVERIFY(s >= 0);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(refusing.Port());
    peer.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QCOMPARE(stack.SysConnect(s, peer, 1000, CancelToken()), -1);
    QCOMPARE(stack.SysLastError(), WSAECONNREFUSED);
    QCOMPARE(stack.SysClose(s), 0);

    const int other = stack.SysSocket(AF_INET, SOCK_STREAM, 0);
    QCOMPARE(stack.SysBind(other, peer), -1); // the refusing socket still holds the port
    QCOMPARE(stack.SysLastError(), WSAEADDRINUSE);
    QCOMPARE(stack.SysClose(other), 0);
}

void TestSocketErrors::lastErrorIsPerThread()
{
    TIdStackPosix stack;
    QCOMPARE(stack.SysClose(-1), -1);
    std::thread([&stack] { stack.SysSocket(12345, SOCK_STREAM, 0); }).join();
    QCOMPARE(stack.SysLastError(), WSAEBADF);
}

QTEST_GUILESS_MAIN(TestSocketErrors)
#include "tst_socketerrors.moc"
