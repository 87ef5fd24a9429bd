// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "base/ShownText.h"

#include <QtTest>

// Text echoed to a terminal: nothing that does not print gets through.
class TestShownText : public QObject {
    Q_OBJECT

private slots:
    void escapes_data();
    void escapes();
    void cutShortPastTheLimit();
    void bytesThatAreNoText();
};

void TestShownText::escapes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain ASCII") << "probe.prom" << "probe.prom";
    QTest::newRow("Cyrillic and CJK print") << QStringLiteral("Пинг 名前") << QStringLiteral("Пинг 名前");
    QTest::newRow("an escape sequence") << "a\x1b[2Jb" << "a\\x1b[2Jb";
    QTest::newRow("carriage return and line feed") << "a\rb\nc" << "a\\x0db\\x0ac";
    QTest::newRow("DEL") << "a\x7f" << "a\\x7f";
    QTest::newRow("C1: CSI and NEL") << QStringLiteral("a\u009b2Jb\u0085") << "a\\u009b2Jb\\u0085";
    QTest::newRow("right-to-left override") << QStringLiteral("evil\u202etxt.exe") << "evil\\u202etxt.exe";
    QTest::newRow("isolates and marks") << QStringLiteral("\u2066\u2067\u2068\u2069\u200e\u200f\u061c")
                                        << "\\u2066\\u2067\\u2068\\u2069\\u200e\\u200f\\u061c";
    QTest::newRow("line and paragraph separators") << QStringLiteral("a\u2028b\u2029") << "a\\u2028b\\u2029";
    QTest::newRow("zero-width space and byte order mark") << QStringLiteral("\u200b\ufeff") << "\\u200b\\ufeff";
    QTest::newRow("private use") << QStringLiteral("\ue000") << "\\ue000";
    QTest::newRow("a lone surrogate") << QString(QChar(0xd800)) + QLatin1Char('x') << "\\ud800x";
    QTest::newRow("above the BMP: an emoji prints") << QString::fromUcs4(U"\U0001F600") << QString::fromUcs4(U"\U0001F600");
    QTest::newRow("above the BMP: a tag character does not") << QString::fromUcs4(U"\U000E0041") << "\\U000e0041";
    QTest::newRow("a backslash, so escapes stay unambiguous") << "a\\x1b" << "a\\\\x1b";
}

void TestShownText::escapes()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(ShownText(text, -1), shown);
}

void TestShownText::cutShortPastTheLimit()
{
    QCOMPARE(ShownText(QString(40, 'x')), QString(40, 'x'));
    QCOMPARE(ShownText(QString(41, 'x')), QString(40, 'x') + QStringLiteral("..."));
    // An escape counts with its length; what it escapes is never cut apart.
    QCOMPARE(ShownText(QStringLiteral("ab\x1b\x1b"), 3), QStringLiteral("ab\\x1b..."));
    QCOMPARE(ShownText(QString(1 << 20, 'y')).size(), 43);
}

void TestShownText::bytesThatAreNoText()
{
    QCOMPARE(ShownBytes(QByteArray("\xff\xfe" "ab\\")), QStringLiteral("\\xff\\xfeab\\\\"));
    QCOMPARE(ShownBytes(QByteArray("\x1b\x7f")), QStringLiteral("\\x1b\\x7f"));
    QCOMPARE(ShownBytes(QByteArray(50, 'z')), QString(40, 'z') + QStringLiteral("..."));
}

QTEST_APPLESS_MAIN(TestShownText)
#include "tst_showntext.moc"
