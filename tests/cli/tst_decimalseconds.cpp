// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/DecimalSeconds.h"

#include <QtTest>

// Seconds read exactly from their decimal text, and compared with bounds as
// the text says, however many digits it has.
class TestDecimalSeconds : public QObject {
    Q_OBJECT

private slots:
    void readAndRounded_data();
    void readAndRounded();
    void boundsMetExactly_data();
    void boundsMetExactly();
    void notADecimal_data();
    void notADecimal();
};

void TestDecimalSeconds::readAndRounded_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint64>("ceilNs");
    QTest::addColumn<quint64>("ceilMs");
    QTest::newRow("whole") << "2" << quint64(2'000'000'000) << quint64(2000);
    QTest::newRow("leading point") << ".25" << quint64(250'000'000) << quint64(250);
    QTest::newRow("trailing point") << "3." << quint64(3'000'000'000) << quint64(3000);
    QTest::newRow("a nanosecond") << "0.000000001" << quint64(1) << quint64(1);
    QTest::newRow("less than a nanosecond rounds up") << "0.0000000001" << quint64(1) << quint64(1);
    QTest::newRow("zeros past the nanoseconds change nothing") << "1.5000000000000" << quint64(1'500'000'000)
                                                              << quint64(1500);
    QTest::newRow("a part of a millisecond rounds up") << "0.0015" << quint64(1'500'000) << quint64(2);
    QTest::newRow("zero") << "0.0" << quint64(0) << quint64(0);
    QTest::newRow("many leading zeros") << "0000000000000000000000001" << quint64(1'000'000'000) << quint64(1000);
}

void TestDecimalSeconds::readAndRounded()
{
    QFETCH(QString, text);
    QFETCH(quint64, ceilNs);
    QFETCH(quint64, ceilMs);
    const auto seconds = DecimalSeconds::Read(text);
    QVERIFY(seconds);
    QCOMPARE(seconds->CeilNanoseconds(), ceilNs);
    QCOMPARE(seconds->CeilMilliseconds(), ceilMs);
}

void TestDecimalSeconds::boundsMetExactly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint64>("boundNs");
    QTest::addColumn<bool>("below");
    QTest::addColumn<bool>("above");
    QTest::newRow("on the bound") << "0.01" << quint64(10'000'000) << false << false;
    QTest::newRow("a hair below, past a double's digits") << "0.00999999999999999999" << quint64(10'000'000) << true
                                                          << false;
    QTest::newRow("a hair above, past the nanoseconds") << "0.01000000000000000001" << quint64(10'000'000) << false
                                                        << true;
    QTest::newRow("a day on the bound") << "86400.000" << quint64(86'400'000'000'000) << false << false;
    QTest::newRow("a day and a bit") << "86400.0000000000001" << quint64(86'400'000'000'000) << false << true;
    QTest::newRow("far beyond any bound") << "123456789012345678901234567890" << quint64(86'400'000'000'000) << false
                                          << true;
}

void TestDecimalSeconds::boundsMetExactly()
{
    QFETCH(QString, text);
    QFETCH(quint64, boundNs);
    QFETCH(bool, below);
    QFETCH(bool, above);
    const auto seconds = DecimalSeconds::Read(text);
    QVERIFY(seconds);
    QCOMPARE(seconds->Below(boundNs), below);
    QCOMPARE(seconds->Above(boundNs), above);
}

void TestDecimalSeconds::notADecimal_data()
{
    QTest::addColumn<QString>("text");
    for (const char *text : {"", ".", "-1", "+1", "1e3", "0x10", "inf", "nan", "1.2.3", "0,5", " 1", "1 ", "1s"})
        QTest::newRow(text[0] == '\0' ? "empty" : text) << QString::fromLatin1(text);
    QTest::newRow("Arabic-Indic digits") << QStringLiteral("\u0663");
    QTest::newRow("fullwidth digits") << QStringLiteral("\uff11");
}

void TestDecimalSeconds::notADecimal()
{
    QFETCH(QString, text);
    QVERIFY(!DecimalSeconds::Read(text));
}

QTEST_APPLESS_MAIN(TestDecimalSeconds)
#include "tst_decimalseconds.moc"
