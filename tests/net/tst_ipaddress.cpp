// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/IPAddress.h"
#include "net/TIdStack.h"

#include <QtTest>

#include <net/if.h>

class TestIPAddress : public QObject {
    Q_OBJECT

private slots:
    void rfc5952Text_data();
    void rfc5952Text();
    void notIPv6Literals_data();
    void notIPv6Literals();
    void zones();
    void ipv4Text();
    void equality();
};

void TestIPAddress::rfc5952Text_data()
{
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("leading zeros dropped") << QByteArray("2001:0db8:0000:0000:0000:0000:0000:0001")
                                           << QByteArray("2001:db8::1");
    QTest::newRow("lower case") << QByteArray("2001:DB8:AC10:FE01::") << QByteArray("2001:db8:ac10:fe01::");
    QTest::newRow("one zero group is no run") << QByteArray("2001:db8:0:1:1:1:1:1")
                                              << QByteArray("2001:db8:0:1:1:1:1:1");
    QTest::newRow("the longest run") << QByteArray("2001:0:0:1:0:0:0:1") << QByteArray("2001:0:0:1::1");
    QTest::newRow("the first of equal runs") << QByteArray("2001:db8:0:0:1:0:0:1") << QByteArray("2001:db8::1:0:0:1");
    QTest::newRow("loopback") << QByteArray("0:0:0:0:0:0:0:1") << QByteArray("::1");
    QTest::newRow("unspecified") << QByteArray("0::0") << QByteArray("::");
    QTest::newRow("IPv4-mapped stays dotted") << QByteArray("::FFFF:c000:0280") << QByteArray("::ffff:192.0.2.128");
    // The deprecated IPv4-compatible form is written in hexadecimal.
    QTest::newRow("IPv4-compatible in hexadecimal") << QByteArray("::192.0.2.1") << QByteArray("::c000:201");
    QTest::newRow("typed dotted tail of a global address") << QByteArray("2001:db8::192.0.2.1")
                                                           << QByteArray("2001:db8::c000:201");
}

void TestIPAddress::rfc5952Text()
{
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, text);
    const auto address = IPAddress::ParseIPv6(typed.toStdString());
    QVERIFY(address);
    QCOMPARE(address->Version(), IPVersion::IPv6);
    QCOMPARE(QByteArray::fromStdString(address->Text()), text);
    // The text reads back as the same address.
    QVERIFY(IPAddress::ParseIPv6(address->Text()) == address);
}

void TestIPAddress::notIPv6Literals_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("dotted IPv4") << QByteArray("127.0.0.1");
    QTest::newRow("a name") << QByteArray("example.test");
    QTest::newRow("in brackets") << QByteArray("[::1]");
    QTest::newRow("with a port") << QByteArray("[::1]:80");
    QTest::newRow("two runs") << QByteArray("2001::db8::1");
    QTest::newRow("nine groups") << QByteArray("1:2:3:4:5:6:7:8:9");
    QTest::newRow("empty zone") << QByteArray("fe80::1%");
    QTest::newRow("zone of no interface") << QByteArray("fe80::1%no-such-if");
    QTest::newRow("zone number 0") << QByteArray("fe80::1%0");
    QTest::newRow("NUL inside") << QByteArray("::1\0:2", 6);
    QTest::newRow("spaces") << QByteArray(" ::1");
    QTest::newRow("empty") << QByteArray();
}

void TestIPAddress::notIPv6Literals()
{
    QFETCH(QByteArray, text);
    QVERIFY(!IPAddress::ParseIPv6(text.toStdString()));
}

void TestIPAddress::zones()
{
    const unsigned loopback = ::if_nametoindex("lo");
    if (loopback == 0)
        QSKIP("no loopback interface named lo");
    const auto byName = IPAddress::ParseIPv6("fe80::1%lo");
    QVERIFY(byName);
    QCOMPARE(byName->ScopeId(), loopback);
    QCOMPARE(byName->Text(), std::string("fe80::1%lo"));
    const auto byNumber = IPAddress::ParseIPv6("FE80::1%" + std::to_string(loopback));
    QVERIFY(byNumber);
    QVERIFY(byNumber == byName);
    QCOMPARE(byNumber->Text(), std::string("fe80::1%lo"));
    QCOMPARE(byName->SocketAddress6(80).sin6_scope_id, loopback);
    QCOMPARE(ntohs(byName->SocketAddress6(8080).sin6_port), 8080);
    // No zone, no scope.
    QCOMPARE(IPAddress::ParseIPv6("fe80::1")->ScopeId(), 0u);
    QVERIFY(!(IPAddress::ParseIPv6("fe80::1") == byName));
}

void TestIPAddress::ipv4Text()
{
    const IPAddress address = IPAddress::FromIPv4(TIdStack::TranslateStringToInAddr("10.0.200.7"));
    QCOMPARE(address.Version(), IPVersion::IPv4);
    QCOMPARE(address.Text(), std::string("10.0.200.7"));
}

void TestIPAddress::equality()
{
    const IPAddress v4 = IPAddress::FromIPv4(TIdStack::TranslateStringToInAddr("0.0.0.1"));
    const IPAddress v6 = *IPAddress::ParseIPv6("::1");
    QVERIFY(!(v4 == v6)); // the same bits at the end, another family
    QVERIFY(v6 == *IPAddress::ParseIPv6("0:0::0:1"));
    QVERIFY(!(v6 == *IPAddress::ParseIPv6("::2")));
}

QTEST_GUILESS_MAIN(TestIPAddress)
#include "tst_ipaddress.moc"
