// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "controls/SpinEditText.h"

#include <QKeyEvent>
#include <QtTest>

#include <limits>

using namespace SpinEditText;

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

QString Codes(std::initializer_list<char16_t> codes)
{
    QString text;
    for (const char16_t code : codes)
        text += QChar(code);
    return text;
}

} // namespace

class TestSpinEditText : public QObject {
    Q_OBJECT
private slots:
    void keyPressTypes_data();
    void keyPressTypes();
    void acceptsCharacters_data();
    void acceptsCharacters();
    void filterKeepsTheAcceptedInOrder();
    void readsTheTextAsANumber_data();
    void readsTheTextAsANumber();
    void rangeRule_data();
    void rangeRule();
    void stepStopsAtTheLimits_data();
    void stepStopsAtTheLimits();
};

void TestSpinEditText::keyPressTypes_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("typed");
    const Qt::KeyboardModifiers none;
    QTest::newRow("digit") << int(Qt::Key_5) << none << "5" << "5";
    QTest::newRow("letter") << int(Qt::Key_Q) << none << "q" << "q";
    QTest::newRow("Return: carriage return") << int(Qt::Key_Return) << none << "\r" << Codes({13});
    QTest::newRow("Enter on the keypad") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier)
                                         << "\r" << Codes({13});
    QTest::newRow("Ctrl+Return: line feed") << int(Qt::Key_Return)
                                            << Qt::KeyboardModifiers(Qt::ControlModifier) << "\r"
                                            << Codes({10});
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << none << "\b" << Codes({8});
    QTest::newRow("Tab") << int(Qt::Key_Tab) << none << "\t" << Codes({9});
    QTest::newRow("Escape") << int(Qt::Key_Escape) << none << QString() << Codes({27});
    QTest::newRow("Delete types nothing") << int(Qt::Key_Delete) << none << Codes({127}) << QString();
    QTest::newRow("arrow types nothing") << int(Qt::Key_Left) << none << QString() << QString();
    QTest::newRow("Ctrl+A: code 1") << int(Qt::Key_A) << Qt::KeyboardModifiers(Qt::ControlModifier) << "a"
                                    << Codes({1});
    QTest::newRow("Ctrl+Shift+Z: code 26")
        << int(Qt::Key_Z) << (Qt::ControlModifier | Qt::ShiftModifier) << "Z" << Codes({26});
    QTest::newRow("Ctrl+V as the platform sends it") << int(Qt::Key_V)
                                                     << Qt::KeyboardModifiers(Qt::ControlModifier)
                                                     << Codes({22}) << Codes({22});
    QTest::newRow("Ctrl+digit types nothing") << int(Qt::Key_1) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                              << "1" << QString();
    QTest::newRow("Ctrl+Alt+letter is not a control code")
        << int(Qt::Key_A) << (Qt::ControlModifier | Qt::AltModifier) << "a" << "a";
    QTest::newRow("a delete character inside text is dropped") << int(Qt::Key_unknown) << none
                                                               << QString("4") + QChar(127) + "2" << "42";
}

void TestSpinEditText::keyPressTypes()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, text);
    QFETCH(QString, typed);
    const QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QCOMPARE(TypedCharacters(event), typed);
}

void TestSpinEditText::acceptsCharacters_data()
{
    QTest::addColumn<QChar>("character");
    QTest::addColumn<bool>("editorEnabled");
    QTest::addColumn<QString>("decimalPoint");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("digit") << QChar(u'7') << true << "." << true;
    QTest::newRow("plus") << QChar(u'+') << true << "." << true;
    QTest::newRow("minus") << QChar(u'-') << true << "." << true;
    QTest::newRow("the locale's decimal point") << QChar(u',') << true << "," << true;
    QTest::newRow("another locale's decimal point") << QChar(u'.') << true << "," << false;
    QTest::newRow("letter") << QChar(u'x') << true << "." << false;
    QTest::newRow("space") << QChar(u' ') << true << "." << false;
    QTest::newRow("Cyrillic digit-like letter") << QChar(u'з') << true << "." << false;
    QTest::newRow("Arabic-Indic digit") << QChar(u'\u0663') << true << "." << false;
    QTest::newRow("backspace") << QChar(u'\b') << true << "." << true;
    QTest::newRow("carriage return") << QChar(u'\r') << true << "." << false;
    QTest::newRow("line feed") << QChar(u'\n') << true << "." << true;
    QTest::newRow("editor off: digit") << QChar(u'3') << false << "." << false;
    QTest::newRow("editor off: backspace") << QChar(u'\b') << false << "." << false;
    QTest::newRow("editor off: Ctrl+C's code") << QChar(3) << false << "." << true;
    QTest::newRow("editor off: carriage return") << QChar(u'\r') << false << "." << false;
}

void TestSpinEditText::acceptsCharacters()
{
    QFETCH(QChar, character);
    QFETCH(bool, editorEnabled);
    QFETCH(QString, decimalPoint);
    QFETCH(bool, accepted);
    QCOMPARE(IsAcceptable(character, editorEnabled, decimalPoint), accepted);
}

void TestSpinEditText::filterKeepsTheAcceptedInOrder()
{
    const Filtered typed = FilterTyped(QStringLiteral("1a2-b\r3"), true, QStringLiteral("."));
    QCOMPARE(typed.accepted, QStringLiteral("12-3"));
    QCOMPARE(typed.refused, 3);

    const Filtered off = FilterTyped(QStringLiteral("12") + QChar(8) + QChar(1), false, QStringLiteral("."));
    QCOMPARE(off.accepted, QString(QChar(1)));
    QCOMPARE(off.refused, 3);

    const Filtered empty = FilterTyped({}, true, QStringLiteral("."));
    QVERIFY(empty.accepted.isEmpty());
    QCOMPARE(empty.refused, 0);
}

void TestSpinEditText::readsTheTextAsANumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("decimal") << "42" << 42;
    QTest::newRow("negative") << "-17" << -17;
    QTest::newRow("the lowest 32-bit value") << "-2147483648" << kMin;
    QTest::newRow("hexadecimal") << "$1F" << 31;
    QTest::newRow("empty: the fallback") << "" << -99;
    QTest::newRow("letters: the fallback") << "abc" << -99;
    QTest::newRow("one past the highest: the fallback") << "2147483648" << -99;
    QTest::newRow("trailing space: the fallback") << "5 " << -99;
    QTest::newRow("non-ASCII: the fallback") << "٣" << -99;
}

void TestSpinEditText::readsTheTextAsANumber()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(ReadValue(text, -99), value);
}

void TestSpinEditText::rangeRule_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("minValue");
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<int>("kept");
    QTest::newRow("inside") << 30 << 1 << 86400 << 30;
    QTest::newRow("below") << 0 << 1 << 86400 << 1;
    QTest::newRow("above") << 90000 << 1 << 86400 << 86400;
    QTest::newRow("equal bounds: no range") << 90000 << 5 << 5 << 90000;
    QTest::newRow("both zero: no range") << kMin << 0 << 0 << kMin;
    QTest::newRow("on the lower bound") << 1 << 1 << 86400 << 1;
}

void TestSpinEditText::rangeRule()
{
    QFETCH(int, value);
    QFETCH(int, minValue);
    QFETCH(int, maxValue);
    QFETCH(int, kept);
    QCOMPARE(ApplyRange(value, minValue, maxValue), kept);
}

void TestSpinEditText::stepStopsAtTheLimits_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<qint64>("delta");
    QTest::addColumn<int>("stepped");
    QTest::newRow("up") << 30 << qint64(1) << 31;
    QTest::newRow("down through zero") << 2 << qint64(-5) << -3;
    QTest::newRow("up at the highest") << kMax << qint64(1) << kMax;
    QTest::newRow("down at the lowest") << kMin << qint64(-1) << kMin;
    QTest::newRow("by the lowest increment, negated") << 0 << -qint64(kMin) << kMax;
    QTest::newRow("a big step down from the highest") << kMax << qint64(kMin) << -1;
}

void TestSpinEditText::stepStopsAtTheLimits()
{
    QFETCH(int, value);
    QFETCH(qint64, delta);
    QFETCH(int, stepped);
    QCOMPARE(Stepped(value, delta), stepped);
}

QTEST_GUILESS_MAIN(TestSpinEditText)
#include "tst_spinedittext.moc"
