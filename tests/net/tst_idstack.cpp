// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/IdException.h"
#include "net/SocketErrors.h"
#include "net/TIdHTTP.h"
#include "net/TIdSocksInfo.h"
#include "net/TIdStackPosix.h"

#include "ScriptedStack.h"

#include <QtTest>

#include <memory>
#include <optional>
#include <thread>
#include <vector>

using Call = ScriptedStack::Call;

// The process-wide stack: its lifetime, the dotted-address rules and name
// resolution.
class TestIdStack : public QObject {
    Q_OBJECT
private slots:
    void init();
    void isDottedAddress_data();
    void isDottedAddress();
    void addressConversion_data();
    void addressConversion();
    void resolveName_data();
    void resolveName();
    void nothingIsCached();
    void stackLivesWhileComponentsLive();
    void failedStackCreation_data();
    void failedStackCreation();
    void concurrentComponentsShareOneStack();
};

void TestIdStack::init()
{
    QCOMPARE(NetComponentCount(), 0);
    QVERIFY(GStack() == nullptr);
}

void TestIdStack::isDottedAddress_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("dotted");
    QTest::newRow("four numbers") << QByteArray("127.168.0.1") << true;
    QTest::newRow("leading blanks before numbers") << QByteArray(" 127. 0.  0.1") << true;
    QTest::newRow("hexadecimal part") << QByteArray("0x7f.0.0.1") << true;
    QTest::newRow("dollar hexadecimal") << QByteArray("$7F.0.0.$1") << true;
    QTest::newRow("three numbers") << QByteArray("127.0.1") << false;
    QTest::newRow("five numbers") << QByteArray("1.2.3.4.5") << false;
    QTest::newRow("number above 255") << QByteArray("127.0.0.256") << false;
    QTest::newRow("negative number") << QByteArray("127.0.-0.1") << true;
    QTest::newRow("negative one") << QByteArray("127.0.-1.1") << false;
    QTest::newRow("trailing blank") << QByteArray("127.0.0.1 ") << false;
    QTest::newRow("empty part") << QByteArray("127..0.1") << false;
    QTest::newRow("empty text") << QByteArray("") << false;
    QTest::newRow("NUL inside a number") << QByteArray("127.0.0.1\0002", 11) << false;
}

void TestIdStack::isDottedAddress()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, dotted);
    QCOMPARE(TIdStack::IsDottedAddress(text.toStdString()), dotted);
}

void TestIdStack::addressConversion_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("canonical");
    QTest::newRow("plain") << QByteArray("127.20.0.1") << QByteArray("127.20.0.1");
    QTest::newRow("hexadecimal and blanks") << QByteArray(" 0x7f.0.0.$1") << QByteArray("127.0.0.1");
    QTest::newRow("leading zeros dropped") << QByteArray("0127.001.000.009") << QByteArray("127.1.0.9");
    QTest::newRow("low 8 bits kept") << QByteArray("256.257.-1.0") << QByteArray("0.1.255.0");
}

void TestIdStack::addressConversion()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, canonical);
    const in_addr address = TIdStack::TranslateStringToInAddr(text.toStdString());
    QCOMPARE(QByteArray::fromStdString(TIdStack::TranslateInAddrToString(address)), canonical);
}

void TestIdStack::resolveName_data()
{
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<QByteArray>("address"); // empty: host not found
    QTest::addColumn<bool>("asksResolver");
    const QByteArray notFound;
    QTest::newRow("LOCALHOST") << QByteArray("LOCALHOST") << QByteArray("127.0.0.1") << false;
    QTest::newRow("localhost in mixed case") << QByteArray("LocalHost") << QByteArray("127.0.0.1") << false;
    QTest::newRow("dotted address unchanged") << QByteArray("0x7f.0.0.1") << QByteArray("0x7f.0.0.1") << false;
    QTest::newRow("scripted name") << QByteArray("probe.test") << QByteArray("127.0.0.9") << true;
    QTest::newRow("unknown name") << QByteArray("nowhere.test") << notFound << true;
    QTest::newRow("empty name goes to the resolver") << QByteArray("") << notFound << true;
    QTest::newRow("trailing blank goes to the resolver") << QByteArray("127.0.0.1 ") << notFound << true;
    QTest::newRow("non-ASCII goes as bytes") << QByteArray("хост.test") << notFound << true;
    QTest::newRow("control characters go as bytes") << QByteArray("a\tb\x7f") << notFound << true;
    QTest::newRow("NUL would cut the name") << QByteArray("probe.test\0evil", 15) << notFound << false;
    QTest::newRow("253 bytes is a name") << (QByteArray(63, 'a') + '.' + QByteArray(63, 'b') + '.'
                                             + QByteArray(63, 'c') + '.' + QByteArray(61, 'd'))
                                         << notFound << true;
    QTest::newRow("254 bytes is too long") << (QByteArray(63, 'a') + '.' + QByteArray(63, 'b') + '.'
                                               + QByteArray(63, 'c') + '.' + QByteArray(62, 'd'))
                                           << notFound << false;
    QTest::newRow("label of 64 bytes") << (QByteArray(64, 'a') + ".test") << notFound << false;
    QTest::newRow("huge text") << QByteArray(1 << 20, 'x') << notFound << false;
}

void TestIdStack::resolveName()
{
    QFETCH(QByteArray, host);
    QFETCH(QByteArray, address);
    QFETCH(bool, asksResolver);
    ScopedScriptedStack scripted;
    TIdSocksInfo component; // brings the stack into being
    ScriptedStack &stack = *ScriptedStack::Current();
    stack.AnswerLookup("probe.test", "127.0.0.9");

    std::optional<int> raised;
    std::string resolved;
    try {
        resolved = stack.ResolveName(host.toStdString());
    } catch (const EIdSocketError &error) {
        raised = error.LastError();
        QCOMPARE(QByteArray::fromStdString(error.Message()), QByteArray("Socket Error # 11001\r\nHost not found."));
    }
    QCOMPARE(raised.has_value(), address.isEmpty());
    QCOMPARE(QByteArray::fromStdString(resolved), address);
    const std::vector<std::string> asked = stack.Details(Call::Lookup);
    QCOMPARE(asked.size(), std::size_t(asksResolver ? 1 : 0));
    if (asksResolver)
        QCOMPARE(QByteArray::fromStdString(asked.front()), host); // byte for byte, not trimmed
}

void TestIdStack::nothingIsCached()
{
    ScopedScriptedStack scripted;
    TIdSocksInfo component;
    ScriptedStack &stack = *ScriptedStack::Current();
    stack.AnswerLookup("probe.test", "127.0.0.2");
    QCOMPARE(stack.ResolveName("probe.test"), std::string("127.0.0.2"));
    stack.AnswerLookup("probe.test", "127.0.0.3");
    QCOMPARE(stack.ResolveName("probe.test"), std::string("127.0.0.3"));
    QCOMPARE(stack.Count(Call::Lookup), 2);
}

void TestIdStack::stackLivesWhileComponentsLive()
{
    auto client = std::make_unique<TIdHTTP>();
    TIdStack *stack = GStack();
    QVERIFY(dynamic_cast<TIdStackPosix *>(stack) != nullptr); // the default stack class
    QVERIFY(SocketLayerStarted());
    auto settings = std::make_unique<TIdSocksInfo>();
    QCOMPARE(NetComponentCount(), 2);
    QCOMPARE(GStack(), stack);
    client.reset();
    QCOMPARE(GStack(), stack);
    settings.reset();
    QCOMPARE(NetComponentCount(), 0);
    QVERIFY(GStack() == nullptr);
}

void TestIdStack::failedStackCreation_data()
{
    QTest::addColumn<bool>("returnsNothing");
    QTest::addColumn<QByteArray>("className");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("socket layer does not start") << false << QByteArray("EIdStackInitializationFailed")
                                                 << QByteArray("Winsock Initialization Error.");
    QTest::newRow("factory gives no stack") << true << QByteArray("EIdStackError")
                                            << QByteArray("The socket stack class created no stack.");
}

void TestIdStack::failedStackCreation()
{
    QFETCH(bool, returnsNothing);
    QFETCH(QByteArray, className);
    QFETCH(QByteArray, message);
    int attempts = 0;
    SetStackClass([&]() -> std::unique_ptr<TIdStack> {
        ++attempts;
        if (returnsNothing)
            return nullptr;
        throw EIdStackInitializationFailed(MsgStackInitializationFailed);
    });
    for (int round = 1; round <= 2; ++round) { // a failure leaves nothing behind to trip the next try
        try {
            TIdHTTP client;
            QFAIL("the client was built without a stack");
        } catch (const EIdStackError &error) {
            QCOMPARE(QByteArray(error.ClassName()), className);
            QCOMPARE(QByteArray::fromStdString(error.Message()), message);
        }
        QCOMPARE(attempts, round);
        QCOMPARE(NetComponentCount(), 0);
        QVERIFY(GStack() == nullptr);
    }
    SetStackClass({});
    TIdHTTP client;
    QVERIFY(dynamic_cast<TIdStackPosix *>(GStack()) != nullptr);
}

void TestIdStack::concurrentComponentsShareOneStack()
{
    std::atomic<int> created{0};
    SetStackClass([&] {
        ++created;
        return std::make_unique<TIdStackPosix>();
    });
    std::vector<std::thread> threads;
    std::atomic<bool> sawNoStack{false};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                TIdSocksInfo component;
                if (GStack() == nullptr)
                    sawNoStack = true;
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    SetStackClass({});
    QVERIFY(!sawNoStack);
    QVERIFY(created >= 1);
    QCOMPARE(NetComponentCount(), 0);
    QVERIFY(GStack() == nullptr);
}

QTEST_GUILESS_MAIN(TestIdStack)
#include "tst_idstack.moc"
