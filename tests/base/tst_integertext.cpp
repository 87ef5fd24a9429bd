// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "base/Exception.h"
#include "base/IntegerText.h"

#include <QtTest>

#include <cstdint>

class TestIntegerText : public QObject {
    Q_OBJECT
private slots:
    void accepts_data();
    void accepts();
    void rejects_data();
    void rejects();
    void strictFormRaisesConvertErrorNamingTheText();
};

void TestIntegerText::accepts_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qint64>("value");
    QTest::newRow("plain decimal") << QByteArray("30") << qint64(30);
    QTest::newRow("leading zero") << QByteArray("030") << qint64(30);
    QTest::newRow("leading blanks") << QByteArray("   30") << qint64(30);
    QTest::newRow("plus sign") << QByteArray("+7") << qint64(7);
    QTest::newRow("minus zero") << QByteArray("-0") << qint64(0);
    QTest::newRow("blanks before sign") << QByteArray("  -12") << qint64(-12);
    QTest::newRow("largest") << QByteArray("2147483647") << qint64(2147483647);
    QTest::newRow("smallest") << QByteArray("-2147483648") << qint64(-2147483648LL);
    QTest::newRow("dollar hex") << QByteArray("$1E") << qint64(30);
    QTest::newRow("x hex lower digits") << QByteArray("xff") << qint64(255);
    QTest::newRow("X hex") << QByteArray("X10") << qint64(16);
    QTest::newRow("0x hex") << QByteArray("0x7f") << qint64(127);
    QTest::newRow("0X hex") << QByteArray("0X7F") << qint64(127);
    QTest::newRow("hex is a 32-bit pattern") << QByteArray("$FFFFFFFF") << qint64(-1);
    QTest::newRow("hex high bit") << QByteArray("$80000000") << qint64(-2147483648LL);
    QTest::newRow("negated hex") << QByteArray("-$10") << qint64(-16);
    QTest::newRow("negated hex pattern wraps") << QByteArray("-$FFFFFFFF") << qint64(1);
    QTest::newRow("hex with leading zeros") << QByteArray("$000000001") << qint64(1);
}

void TestIntegerText::accepts()
{
    QFETCH(QByteArray, text);
    QFETCH(qint64, value);
    const auto parsed = TryStrToInt(text.toStdString());
    QVERIFY(parsed.has_value());
    QCOMPARE(qint64(*parsed), value);
    QCOMPARE(qint64(StrToInt(text.toStdString())), value);
}

void TestIntegerText::rejects_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("blanks only") << QByteArray("   ");
    QTest::newRow("sign alone") << QByteArray("-");
    QTest::newRow("dollar alone") << QByteArray("$");
    QTest::newRow("0x alone") << QByteArray("0x");
    QTest::newRow("two signs") << QByteArray("--1");
    QTest::newRow("trailing blank") << QByteArray("30 ");
    QTest::newRow("decimal separator") << QByteArray("3.5");
    QTest::newRow("letter after digits") << QByteArray("12a");
    QTest::newRow("tab is no blank") << QByteArray("\t5");
    QTest::newRow("above largest") << QByteArray("2147483648");
    QTest::newRow("below smallest") << QByteArray("-2147483649");
    QTest::newRow("far too long") << QByteArray("3000000000000000000000");
    QTest::newRow("hex beyond 32 bits") << QByteArray("$100000000");
    QTest::newRow("bad hex digit") << QByteArray("$1G");
    QTest::newRow("sign after prefix") << QByteArray("$-1");
    QTest::newRow("00x is not a prefix") << QByteArray("00x1");
    QTest::newRow("embedded NUL") << QByteArray("1\0002", 3);
}

void TestIntegerText::rejects()
{
    QFETCH(QByteArray, text);
    QVERIFY(!TryStrToInt(text.toStdString()).has_value());
    QVERIFY_THROWS_EXCEPTION(EConvertError, StrToInt(text.toStdString()));
}

void TestIntegerText::strictFormRaisesConvertErrorNamingTheText()
{
    try {
        StrToInt("12a");
        QFAIL("no error raised");
    } catch (const EConvertError &error) {
        QCOMPARE(QString::fromStdString(error.Message()), QString("'12a' is not a valid integer value"));
        QCOMPARE(QString(error.ClassName()), QString("EConvertError"));
    }
}

QTEST_GUILESS_MAIN(TestIntegerText)
#include "tst_integertext.moc"
