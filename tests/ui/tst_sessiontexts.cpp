// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The address family and the lookup's and connect's shares in the texts of
// a check: the tool tip and the session window's figures.

#include "ui/SessionTexts.h"

#include <QtTest>

using namespace std::chrono;

namespace {

CheckResult Check(bool ok, const char *address, AddressFamily family, nanoseconds lookup, nanoseconds connect)
{
    CheckResult result;
    result.ok = ok;
    result.address = address;
    result.family = family;
    result.lookupElapsed = lookup;
    result.connectElapsed = connect;
    result.elapsed = lookup + connect + microseconds(50);
    result.reason = ok ? FailureReason::None : FailureReason::Refused;
    result.startedAt = system_clock::now();
    return result;
}

} // namespace

class TestSessionTexts : public QObject {
    Q_OBJECT
private slots:
    void familyAndAddress_data();
    void familyAndAddress();
    void lookupAndConnectApart_data();
    void lookupAndConnectApart();
    void toolTips_data();
    void toolTips();
};

void TestSessionTexts::familyAndAddress_data()
{
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<AddressFamily>("family");
    QTest::addColumn<QString>("text");
    QTest::newRow("IPv6") << QByteArray("2001:db8::1") << AddressFamily::IPv6 << QStringLiteral("IPv6 2001:db8::1");
    QTest::newRow("IPv6 with a zone") << QByteArray("fe80::1%eth0") << AddressFamily::IPv6
                                      << QStringLiteral("IPv6 fe80::1%eth0");
    QTest::newRow("IPv4") << QByteArray("127.0.0.1") << AddressFamily::IPv4 << QStringLiteral("IPv4 127.0.0.1");
    QTest::newRow("family not known") << QByteArray("127.0.0.1") << AddressFamily::Unknown
                                      << QStringLiteral("адрес 127.0.0.1");
    QTest::newRow("no address") << QByteArray() << AddressFamily::Unknown << QStringLiteral("адрес не найден");
}

void TestSessionTexts::familyAndAddress()
{
    QFETCH(QByteArray, address);
    QFETCH(AddressFamily, family);
    QFETCH(QString, text);
    QCOMPARE(SessionTexts::FamilyAddress(Check(true, address.constData(), family, {}, {})), text);
}

void TestSessionTexts::lookupAndConnectApart_data()
{
    QTest::addColumn<qint64>("lookupNs");
    QTest::addColumn<qint64>("connectNs");
    QTest::addColumn<QString>("text");
    // The example: a slow resolver, a fast connect.
    QTest::newRow("both") << qint64(25'000'000) << qint64(250'000)
                          << QStringLiteral("поиск адреса 25,000 мс, соединение 0,250 мс");
    QTest::newRow("no lookup (a literal, or addresses reused)")
        << qint64(0) << qint64(148'000) << QStringLiteral("соединение 0,148 мс");
    QTest::newRow("the lookup failed") << qint64(1'500'000) << qint64(0) << QStringLiteral("поиск адреса 1,500 мс");
    QTest::newRow("neither") << qint64(0) << qint64(0) << QString();
}

void TestSessionTexts::lookupAndConnectApart()
{
    QFETCH(qint64, lookupNs);
    QFETCH(qint64, connectNs);
    QFETCH(QString, text);
    const CheckResult result = Check(true, "::1", AddressFamily::IPv6, nanoseconds(lookupNs), nanoseconds(connectNs));
    QCOMPARE(SessionTexts::LookupAndConnect(result), text);
}

void TestSessionTexts::toolTips_data()
{
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<AddressFamily>("family");
    QTest::addColumn<qint64>("lookupNs");
    QTest::addColumn<QString>("pattern"); // %1: the time of day
    QTest::newRow("success over IPv6")
        << true << QByteArray("::1") << AddressFamily::IPv6 << qint64(25'000'000)
        << QStringLiteral("Связь есть: %1, IPv6 ::1\nПоиск адреса 25,000 мс, соединение 0,250 мс");
    QTest::newRow("success over IPv4 without a lookup")
        << true << QByteArray("127.0.0.1") << AddressFamily::IPv4 << qint64(0)
        << QStringLiteral("Связь есть: %1, IPv4 127.0.0.1\nСоединение 0,250 мс");
    QTest::newRow("refused over IPv4")
        << false << QByteArray("10.0.0.1") << AddressFamily::IPv4 << qint64(1'000'000)
        << QStringLiteral("Соединение отклонено\nПроверка в %1, IPv4 10.0.0.1\nПоиск адреса 1,000 мс, соединение 0,250 мс");
}

void TestSessionTexts::toolTips()
{
    QFETCH(bool, ok);
    QFETCH(QByteArray, address);
    QFETCH(AddressFamily, family);
    QFETCH(qint64, lookupNs);
    QFETCH(QString, pattern);
    const CheckResult result = Check(ok, address.constData(), family, nanoseconds(lookupNs), microseconds(250));
    QCOMPARE(SessionTexts::CheckToolTip(result), pattern.arg(SessionTexts::TimeOfDay(result.startedAt)));
}

QTEST_GUILESS_MAIN(TestSessionTexts)
#include "tst_sessiontexts.moc"
