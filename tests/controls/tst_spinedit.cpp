// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "SpinTestSupport.h"

#include "base/Exception.h"
#include "controls/TSpinEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QLocale>
#include <QTestEventList>
#include <QtTest>

#include <cstdint>
#include <limits>

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
// The most the field holds, as for any single-line field.
constexpr int kLimit = 32767;
constexpr int kMiB = 1 << 20;

QTestEventList keys(const QString &text)
{
    QTestEventList list;
    list.addKeyClicks(text);
    return list;
}

QTestEventList key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTestEventList list;
    list.addKeyClick(k, modifiers);
    return list;
}

// QTestEventList owns its events: the second list's events are cloned.
QTestEventList operator+(QTestEventList first, const QTestEventList &second)
{
    for (const QTestEvent *event : second)
        first.append(event->clone());
    return first;
}

} // namespace

class TestSpinEdit : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void newFieldDefaults();
    void valueReadsText_data();
    void valueReadsText();
    void valueWriteAppliesRangeAndChangesTextOnce_data();
    void valueWriteAppliesRangeAndChangesTextOnce();
    void textChangesByAnyoneRaiseOneChange_data();
    void textChangesByAnyoneRaiseOneChange();

    void typing_data();
    void typing();
    void refusalFlashesTheFrame_data();
    void refusalFlashesTheFrame();
    void nonAsciiCharactersBeep_data();
    void nonAsciiCharactersBeep();
    void decimalSeparatorFollowsLocale_data();
    void decimalSeparatorFollowsLocale();
    void restrictedEditing_data();
    void restrictedEditing();
    void pasteAndCut_data();
    void pasteAndCut();
    void longPasteIsCutAtTheFieldLimit_data();
    void longPasteIsCutAtTheFieldLimit();
    void fullFieldKeepsItsFilterAndEditing();

    void steps_data();
    void steps();
    void arrowKeysStepAndGoOnToTheEditControl();
    void otherKeysAndWheelNeverStep_data();
    void otherKeysAndWheelNeverStep();
    void stepErrorIsReportedWithTextReplaced_data();
    void stepErrorIsReportedWithTextReplaced();

    void focusSelection_data();
    void focusSelection();
    void leavingAppliesRangeRule_data();
    void leavingAppliesRangeRule();

    void buttonPairLayout_data();
    void buttonPairLayout();
    void minimumHeight_data();
    void minimumHeight();
    void sunkenFrameAroundPair();
};

void TestSpinEdit::init()
{
    QLocale::setDefault(QLocale::c());
    QGuiApplication::clipboard()->clear();
}

void TestSpinEdit::cleanup()
{
    QLocale::setDefault(QLocale::c());
}

void TestSpinEdit::newFieldDefaults()
{
    TSpinEdit field;
    QCOMPARE(field.text(), QStringLiteral("0"));
    QCOMPARE(field.Button()->FocusControl(), &field);

    // The layout writes Value before it attaches the handler: the handler's
    // first call is for the user's first change.
    field.SetValue(30);
    int changes = 0;
    field.SetOnChange([&] { ++changes; });
    QCOMPARE(changes, 0);
    field.SetValue(31);
    QCOMPARE(changes, 1);
}

void TestSpinEdit::valueReadsText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("minValue");
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<int>("value");

    QTest::newRow("plain number") << "30" << 0 << 0 << 30;
    QTest::newRow("leading blank") << " 30" << 0 << 0 << 30;
    QTest::newRow("leading zero") << "030" << 0 << 0 << 30;
    QTest::newRow("hexadecimal with dollar") << "$1E" << 0 << 0 << 30;
    QTest::newRow("largest") << "2147483647" << 0 << 0 << kMax;
    QTest::newRow("one past the largest reads MinValue") << "2147483648" << 0 << 0 << 0;
    QTest::newRow("empty reads MinValue") << "" << 0 << 0 << 0;
    QTest::newRow("sign alone reads MinValue") << "-" << 0 << 0 << 0;
    QTest::newRow("decimal separator reads MinValue") << "3.5" << 0 << 0 << 0;
    QTest::newRow("trailing letter reads MinValue") << "12a" << 0 << 0 << 0;
    QTest::newRow("trailing blank reads MinValue") << "30 " << 0 << 0 << 0;
    QTest::newRow("full-width digits read MinValue") << QString::fromUtf8("\xef\xbc\x93\xef\xbc\x90") << 0 << 0 << 0;
    QTest::newRow("unreadable text with range reads its MinValue") << "abc" << 5 << 10 << 5;
    QTest::newRow("readable text outside the range is not clamped") << "50" << 5 << 10 << 50;
}

void TestSpinEdit::valueReadsText()
{
    QFETCH(QString, text);
    QFETCH(int, minValue);
    QFETCH(int, maxValue);
    QFETCH(int, value);

    TSpinEdit field;
    field.SetMinValue(minValue);
    field.SetMaxValue(maxValue);
    field.setText(text);
    QCOMPARE(field.Value(), value);
    QCOMPARE(field.text(), text);
}

void TestSpinEdit::valueWriteAppliesRangeAndChangesTextOnce_data()
{
    QTest::addColumn<int>("minValue");
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<int>("written");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("changes");

    QTest::newRow("same value keeps the text") << 0 << 0 << 30 << "30" << 0;
    QTest::newRow("new value") << 0 << 0 << 45 << "45" << 1;
    QTest::newRow("no range lets negatives through") << 0 << 0 << -5 << "-5" << 1;
    QTest::newRow("smallest value in plain decimal") << 0 << 0 << kMin << "-2147483648" << 1;
    QTest::newRow("above the range becomes MaxValue") << 0 << 10 << 50 << "10" << 1;
    QTest::newRow("below the range becomes MinValue") << 5 << 10 << -3 << "5" << 1;
    QTest::newRow("clamped to the current text changes nothing") << 5 << 30 << 99 << "30" << 0;
}

void TestSpinEdit::valueWriteAppliesRangeAndChangesTextOnce()
{
    QFETCH(int, minValue);
    QFETCH(int, maxValue);
    QFETCH(int, written);
    QFETCH(QString, text);
    QFETCH(int, changes);

    SpinWindow w;
    w.field->SetMinValue(minValue);
    w.field->SetMaxValue(maxValue);
    QStringList seen;
    w.field->SetOnChange([&] { seen << w.field->text(); });
    w.field->SetValue(written);
    QCOMPARE(w.field->text(), text);
    QCOMPARE(seen.size(), changes);
    if (changes > 0)
        QCOMPARE(seen.last(), text); // the text is replaced before OnChange runs
}

void TestSpinEdit::textChangesByAnyoneRaiseOneChange_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("changes");

    QTest::newRow("setText with the same text") << "same text" << QStringList{};
    QTest::newRow("setText with a new text") << "new text" << QStringList{"abc"};
    QTest::newRow("clear") << "clear" << QStringList{""};
    QTest::newRow("undo of a typed digit") << "type and undo" << QStringList{"305", "30"};
    QTest::newRow("MaxLength stops typing without a change") << "max length" << QStringList{"1", "12"};
}

void TestSpinEdit::textChangesByAnyoneRaiseOneChange()
{
    QFETCH(QString, action);
    QFETCH(QStringList, changes);

    SpinWindow w;
    if (action == "max length")
        w.field->SetMaxLength(2);
    QVERIFY(w.Show());
    if (action == "same text") {
        w.field->setText("30");
    } else if (action == "new text") {
        w.field->setText("abc");
    } else if (action == "clear") {
        w.field->clear();
    } else if (action == "type and undo") {
        QTest::keyClick(w.field, Qt::Key_End);
        QTest::keyClicks(w.field, "5");
        QTest::keyClick(w.field, Qt::Key_Z, Qt::ControlModifier);
    } else if (action == "max length") {
        QTest::keyClicks(w.field, "123");
    }
    QCOMPARE(w.changes, changes);
}

void TestSpinEdit::typing_data()
{
    QTest::addColumn<QTestEventList>("events");
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("beeps");

    // The field starts focused with its whole text "30" selected.
    QTest::newRow("6 then 0 over the selection") << keys("60") << QStringList{"6", "60"} << "60" << 0;
    QTest::newRow("letter beeps and is dropped") << keys("a") << QStringList{} << "30" << 1;
    QTest::newRow("blank beeps") << keys(" ") << QStringList{} << "30" << 1;
    QTest::newRow("Enter beeps") << key(Qt::Key_Return) << QStringList{} << "30" << 1;
    QTest::newRow("keypad Enter beeps") << key(Qt::Key_Enter, Qt::KeypadModifier) << QStringList{} << "30" << 1;
    QTest::newRow("refused letters between digits") << keys("1x2") << QStringList{"1", "12"} << "12" << 1;
    QTest::newRow("minus accepted after digits") << key(Qt::Key_End) + keys("-") << QStringList{"30-"} << "30-" << 0;
    QTest::newRow("plus accepted") << keys("+") << QStringList{"+"} << "+" << 0;
    QTest::newRow("decimal separator accepted") << key(Qt::Key_End) + keys(".5") << QStringList{"30.", "30.5"} << "30.5" << 0;
    QTest::newRow("backspace empties the selection") << key(Qt::Key_Backspace) << QStringList{""} << "" << 0;
    QTest::newRow("deleting both digits one by one")
        << key(Qt::Key_End) + key(Qt::Key_Backspace) + key(Qt::Key_Backspace) << QStringList{"3", ""} << "" << 0;
    QTest::newRow("Delete key is no typed character") << key(Qt::Key_Home) + key(Qt::Key_Delete) << QStringList{"0"} << "0" << 0;
    QTest::newRow("Escape passes silently") << key(Qt::Key_Escape) << QStringList{} << "30" << 0;
    QTest::newRow("Ctrl+A passes as a control character") << key(Qt::Key_End) + key(Qt::Key_A, Qt::ControlModifier) + keys("7")
                                                           << QStringList{"7"} << "7" << 0;
}

void TestSpinEdit::typing()
{
    QFETCH(QTestEventList, events);
    QFETCH(QStringList, changes);
    QFETCH(QString, text);
    QFETCH(int, beeps);

    SpinRecorders recorders;
    SpinWindow w(recorders);
    QVERIFY(w.Show());
    QCOMPARE(w.field->selectedText(), QStringLiteral("30"));
    events.simulate(w.field);
    QCOMPARE(w.changes, changes);
    QCOMPARE(w.field->text(), text);
    QCOMPARE(recorders.beeps, beeps);
    QVERIFY(recorders.errors.isEmpty());
}

void TestSpinEdit::refusalFlashesTheFrame_data()
{
    QTest::addColumn<QTestEventList>("events");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<int>("beeps");

    QTest::newRow("letter") << keys("a") << false << 1;
    QTest::newRow("Enter") << key(Qt::Key_Return) << false << 1;
    QTest::newRow("two letters in a row: one beep each") << keys("ab") << false << 2;
    QTest::newRow("up step on a read-only field") << key(Qt::Key_Up) << true << 1;
    QTest::newRow("accepted digit: no flash") << keys("5") << false << 0;
}

// The beep may not be heard: every refusal also lights up the frame for a
// moment, without touching text, selection or focus.
void TestSpinEdit::refusalFlashesTheFrame()
{
    QFETCH(QTestEventList, events);
    QFETCH(bool, readOnly);
    QFETCH(int, beeps);

    SpinRecorders recorders;
    SpinWindow w(recorders);
    const QRgb flash = qRgb(250, 0, 250);
    QPalette colors = w.field->palette();
    colors.setColor(QPalette::Highlight, flash);
    w.field->setPalette(colors);
    w.field->SetReadOnly(readOnly);
    QVERIFY(w.Show());
    const QPoint edges[] = {{0, 11}, {36, 0}, {72, 11}, {36, 21}};
    const QImage before = w.field->grab().toImage();
    for (const QPoint &edge : edges)
        QVERIFY(before.pixel(edge) != flash);

    events.simulate(w.field);
    QCOMPARE(recorders.beeps, beeps);
    const bool refused = beeps > 0;
    QCOMPARE(w.field->RefusalShown(), refused);
    const QImage during = w.field->grab().toImage();
    for (const QPoint &edge : edges)
        QCOMPARE(during.pixel(edge) == flash, refused);
    if (!refused)
        return;
    QCOMPARE(w.field->text(), QStringLiteral("30"));
    QCOMPARE(w.field->selectedText(), QStringLiteral("30"));
    QVERIFY(w.field->hasFocus());
    QVERIFY(w.changes.isEmpty());

    QTRY_VERIFY(!w.field->RefusalShown());
    const QImage after = w.field->grab().toImage();
    for (const QPoint &edge : edges)
        QCOMPARE(after.pixel(edge), before.pixel(edge));
    QCOMPARE(w.field->selectedText(), QStringLiteral("30"));
    QVERIFY(w.field->hasFocus());
}

void TestSpinEdit::nonAsciiCharactersBeep_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("accented letter") << QString::fromUtf8("\xc3\xa9");
    QTest::newRow("Cyrillic letter") << QString::fromUtf8("\xd1\x84");
    QTest::newRow("full-width digit") << QString::fromUtf8("\xef\xbc\x93");
    QTest::newRow("Arabic-Indic digit") << QString::fromUtf8("\xd9\xa3");
}

void TestSpinEdit::nonAsciiCharactersBeep()
{
    QFETCH(QString, typed);

    SpinRecorders recorders;
    SpinWindow w(recorders);
    QVERIFY(w.Show());
    QTest::sendKeyEvent(QTest::Click, w.field, Qt::Key_unknown, typed, Qt::NoModifier);
    QCOMPARE(w.field->text(), QStringLiteral("30"));
    QVERIFY(w.changes.isEmpty());
    QCOMPARE(recorders.beeps, 1);

    // The same through an input method: the refused character is dropped.
    QInputMethodEvent commit;
    commit.setCommitString("4" + typed);
    QApplication::sendEvent(w.field, &commit);
    QCOMPARE(w.field->text(), QStringLiteral("4"));
    QCOMPARE(recorders.beeps, 2);
}

void TestSpinEdit::decimalSeparatorFollowsLocale_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("point in C locale") << QLocale::c() << "." << true;
    QTest::newRow("comma refused in C locale") << QLocale::c() << "," << false;
    QTest::newRow("comma in German") << QLocale(QLocale::German, QLocale::Germany) << "," << true;
    QTest::newRow("point refused in German") << QLocale(QLocale::German, QLocale::Germany) << "." << false;
}

void TestSpinEdit::decimalSeparatorFollowsLocale()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);

    QLocale::setDefault(locale);
    SpinRecorders recorders;
    SpinWindow w(recorders);
    QVERIFY(w.Show());
    QTest::keyClick(w.field, Qt::Key_End);
    QTest::keyClicks(w.field, typed);
    QCOMPARE(w.field->text(), accepted ? "30" + typed : QStringLiteral("30"));
    QCOMPARE(recorders.beeps, accepted ? 0 : 1);
    QCOMPARE(w.field->Value(), accepted ? 0 : 30);
}

void TestSpinEdit::restrictedEditing_data()
{
    QTest::addColumn<bool>("editorEnabled");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QTestEventList>("events");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("beeps");

    const QTestEventList paste = key(Qt::Key_V, Qt::ControlModifier);
    const QTestEventList shiftInsert = key(Qt::Key_Insert, Qt::ShiftModifier);
    const QTestEventList cut = key(Qt::Key_X, Qt::ControlModifier);

    QTest::newRow("editor off: digit beeps") << false << false << keys("5") << "30" << 1;
    QTest::newRow("editor off: minus beeps") << false << false << keys("-") << "30" << 1;
    QTest::newRow("editor off: backspace beeps") << false << false << key(Qt::Key_Backspace) << "30" << 1;
    QTest::newRow("editor off: Delete does nothing") << false << false << key(Qt::Key_Home) + key(Qt::Key_Delete) << "30" << 0;
    QTest::newRow("editor off: Enter beeps") << false << false << key(Qt::Key_Return) << "30" << 1;
    QTest::newRow("editor off: paste ignored silently") << false << false << paste << "30" << 0;
    QTest::newRow("editor off: Shift+Insert ignored") << false << false << shiftInsert << "30" << 0;
    QTest::newRow("editor off: cut ignored silently") << false << false << cut << "30" << 0;
    QTest::newRow("editor off: arrow still steps") << false << false << key(Qt::Key_Up) << "31" << 0;
    QTest::newRow("read-only: digit does not edit") << true << true << keys("5") << "30" << 0;
    QTest::newRow("read-only: paste ignored silently") << true << true << paste << "30" << 0;
    QTest::newRow("read-only: cut ignored silently") << true << true << cut << "30" << 0;
    QTest::newRow("read-only: up step beeps") << true << true << key(Qt::Key_Up) << "30" << 1;
    QTest::newRow("read-only: down step beeps") << true << true << key(Qt::Key_Down) << "30" << 1;
}

void TestSpinEdit::restrictedEditing()
{
    QFETCH(bool, editorEnabled);
    QFETCH(bool, readOnly);
    QFETCH(QTestEventList, events);
    QFETCH(QString, text);
    QFETCH(int, beeps);

    SpinRecorders recorders;
    SpinWindow w(recorders);
    w.field->SetEditorEnabled(editorEnabled);
    w.field->SetReadOnly(readOnly);
    QVERIFY(w.Show());
    QGuiApplication::clipboard()->setText("77");
    events.simulate(w.field);
    QCOMPARE(w.field->text(), text);
    QCOMPARE(recorders.beeps, beeps);
    QCOMPARE(w.changes.size(), text == "30" ? 0 : 1);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("77")); // nothing was cut

    // A Value write still replaces the text.
    w.field->SetValue(12);
    QCOMPARE(w.field->text(), QStringLiteral("12"));
}

void TestSpinEdit::pasteAndCut_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QTestEventList>("events");
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("clipboardAfter");

    const QTestEventList paste = key(Qt::Key_V, Qt::ControlModifier);
    QTest::newRow("pasted $1E reads 30") << "$1E" << paste << QStringList{"$1E"} << 30 << "$1E";
    QTest::newRow("pasted 30 and a blank reads 0") << "30 " << paste << QStringList{"30 "} << 0 << "30 ";
    QTest::newRow("pasted letters are not filtered") << "abc" << paste << QStringList{"abc"} << 0 << "abc";
    QTest::newRow("Shift+Insert pastes") << "42" << key(Qt::Key_Insert, Qt::ShiftModifier) << QStringList{"42"} << 42 << "42";
    QTest::newRow("cut empties and fills the clipboard") << "x" << key(Qt::Key_X, Qt::ControlModifier) << QStringList{""} << 0 << "30";
    QTest::newRow("undo after cut") << "x" << key(Qt::Key_X, Qt::ControlModifier) + key(Qt::Key_Z, Qt::ControlModifier)
                                    << QStringList{"", "30"} << 30 << "30";
}

void TestSpinEdit::pasteAndCut()
{
    QFETCH(QString, clipboard);
    QFETCH(QTestEventList, events);
    QFETCH(QStringList, changes);
    QFETCH(int, value);
    QFETCH(QString, clipboardAfter);

    SpinRecorders recorders;
    SpinWindow w(recorders);
    QVERIFY(w.Show());
    QGuiApplication::clipboard()->setText(clipboard);
    if (QGuiApplication::clipboard()->text() != clipboard)
        QSKIP("No clipboard on this platform");
    events.simulate(w.field);
    QCOMPARE(w.changes, changes);
    QCOMPARE(w.field->Value(), value);
    QCOMPARE(QGuiApplication::clipboard()->text(), clipboardAfter);
    QCOMPARE(recorders.beeps, 0);
}

void TestSpinEdit::longPasteIsCutAtTheFieldLimit_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");

    const QString digits(kMiB, QLatin1Char('7'));
    const QString blanksThen42 = QString(kLimit - 2, QLatin1Char(' ')) + QStringLiteral("42");
    QTest::newRow("1 MiB of digits") << digits << 0 << digits.left(kLimit) << 0;
    QTest::newRow("cut right after a number behind blanks: it still reads")
        << blanksThen42 + QString(kMiB, QLatin1Char('9')) << 0 << blanksThen42 << 42;
    QTest::newRow("a number and then 1 MiB of blanks reads MinValue")
        << QStringLiteral("42") + QString(kMiB, QLatin1Char(' ')) << 0
        << QStringLiteral("42") + QString(kLimit - 2, QLatin1Char(' ')) << 0;
    QTest::newRow("MaxLength above the limit: still cut at the limit") << digits << 100000 << digits.left(kLimit) << 0;
    QTest::newRow("MaxLength below the limit cuts sooner") << digits << 5 << QStringLiteral("77777") << 77777;
    QTest::newRow("exactly the limit is kept whole") << digits.left(kLimit) << 0 << digits.left(kLimit) << 0;
}

void TestSpinEdit::longPasteIsCutAtTheFieldLimit()
{
    QFETCH(QString, clipboard);
    QFETCH(int, maxLength);
    QFETCH(QString, text);
    QFETCH(int, value);

    SpinRecorders recorders;
    SpinWindow w(recorders);
    w.field->SetMaxLength(maxLength);
    QVERIFY(w.Show());
    QGuiApplication::clipboard()->setText(clipboard);
    if (QGuiApplication::clipboard()->text() != clipboard)
        QSKIP("No clipboard on this platform");
    QTest::keyClick(w.field, Qt::Key_V, Qt::ControlModifier); // over the selected "30"
    QCOMPARE(w.field->text().size(), text.size());
    QVERIFY(w.field->text() == text); // not QCOMPARE: no need to print 32767 characters
    QCOMPARE(w.field->Value(), value);
    QCOMPARE(w.field->MaxLength(), maxLength);
    QCOMPARE(w.changes.size(), 1);
    QCOMPARE(recorders.beeps, 0);

    // Text the program writes is held to the same limit.
    w.field->setText(clipboard);
    QCOMPARE(w.field->text().size(), text.size());
}

// A field filled to the limit: digits no longer fit and are dropped quietly,
// refused characters still beep, deleting still works.
void TestSpinEdit::fullFieldKeepsItsFilterAndEditing()
{
    SpinRecorders recorders;
    SpinWindow w(recorders);
    QVERIFY(w.Show());
    w.field->setText(QString(kMiB, QLatin1Char('1')));
    QCOMPARE(w.field->text().size(), kLimit);
    w.changes.clear();
    QTest::keyClick(w.field, Qt::Key_End);
    QTest::keyClicks(w.field, QStringLiteral("5"));
    QCOMPARE(w.field->text().size(), kLimit);
    QCOMPARE(recorders.beeps, 0);
    QTest::keyClicks(w.field, QStringLiteral("a"));
    QCOMPARE(recorders.beeps, 1);
    QVERIFY(w.changes.isEmpty());
    QTest::keyClick(w.field, Qt::Key_Backspace);
    QCOMPARE(w.field->text().size(), kLimit - 1);
    QCOMPARE(w.changes.size(), 1);
    QTest::keyClicks(w.field, QStringLiteral("5"));
    QVERIFY(w.field->text().endsWith(QStringLiteral("15")));
    QCOMPARE(w.field->Value(), 0);

    // A step replaces the whole text as ever.
    QTest::keyClick(w.field, Qt::Key_Up);
    QCOMPARE(w.field->text(), QStringLiteral("1"));
}

void TestSpinEdit::steps_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("minValue");
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<int>("increment");
    QTest::addColumn<int>("arrow");
    QTest::addColumn<QString>("result");

    const int up = Qt::Key_Up;
    const int down = Qt::Key_Down;
    QTest::newRow("up from 30") << "30" << 0 << 0 << 1 << up << "31";
    QTest::newRow("up on an empty field gives 1") << "" << 0 << 0 << 1 << up << "1";
    QTest::newRow("down on 0 gives -1 without a range") << "0" << 0 << 0 << 1 << down << "-1";
    QTest::newRow("up on unreadable text steps from MinValue") << "abc" << 5 << 10 << 1 << up << "6";
    QTest::newRow("increment of 5") << "30" << 0 << 0 << 5 << down << "25";
    QTest::newRow("negative increment turns the direction") << "30" << 0 << 0 << -2 << up << "28";
    QTest::newRow("range stops the step at MaxValue") << "10" << 0 << 10 << 1 << up << "10";
    QTest::newRow("range lifts a low text to MinValue") << "-7" << 0 << 10 << 1 << up << "0";
    QTest::newRow("hexadecimal text steps as its value") << "$1E" << 0 << 0 << 1 << up << "31";
    QTest::newRow("up at the largest value stays") << "2147483647" << 0 << 0 << 1 << up << "2147483647";
    QTest::newRow("down at the smallest value stays") << "-2147483648" << 0 << 0 << 1 << down << "-2147483648";
    QTest::newRow("a large increment stops at the largest value")
        << "2147483000" << 0 << 0 << 1000 << up << "2147483647";
    QTest::newRow("the smallest increment stops at the largest value")
        << "5" << 0 << 0 << kMin << down << "2147483647";
}

void TestSpinEdit::steps()
{
    QFETCH(QString, text);
    QFETCH(int, minValue);
    QFETCH(int, maxValue);
    QFETCH(int, increment);
    QFETCH(int, arrow);
    QFETCH(QString, result);

    SpinRecorders recorders;
    SpinWindow w(recorders);
    QVERIFY(w.Show());
    w.field->setText(text);
    w.field->SetMinValue(minValue);
    w.field->SetMaxValue(maxValue);
    w.field->SetIncrement(increment);
    w.changes.clear();
    QTest::keyClick(w.field, Qt::Key(arrow));
    QCOMPARE(w.field->text(), result);
    QCOMPARE(w.changes, result == text ? QStringList{} : QStringList{result});
    QCOMPARE(recorders.beeps, 0);
}

void TestSpinEdit::arrowKeysStepAndGoOnToTheEditControl()
{
    SpinWindow w;
    QVERIFY(w.Show());
    QCOMPARE(w.field->selectedText(), QStringLiteral("30"));
    QTest::keyClick(w.field, Qt::Key_Up);
    QTest::keyClick(w.field, Qt::Key_Up);
    QTest::keyClick(w.field, Qt::Key_Down);
    QCOMPARE(w.changes, (QStringList{"31", "32", "31"}));
    // The edit control does not use the arrows and lets them on to the
    // window; swallowing them in the field would stop them there.
    QCOMPARE(w.window.keys, (QList<int>{Qt::Key_Up, Qt::Key_Up, Qt::Key_Down}));

    // Held arrow: every auto-repeated press steps.
    for (int i = 0; i < 3; ++i)
        QTest::sendKeyEvent(QTest::Press, w.field, Qt::Key_Up, QString(), Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Release, w.field, Qt::Key_Up, QString(), Qt::NoModifier);
    QCOMPARE(w.field->text(), QStringLiteral("34"));
}

void TestSpinEdit::otherKeysAndWheelNeverStep_data()
{
    QTest::addColumn<QString>("input");
    QTest::newRow("Page Up") << "pgup";
    QTest::newRow("Page Down") << "pgdown";
    QTest::newRow("wheel up over the text") << "wheel text";
    QTest::newRow("wheel up over the buttons") << "wheel buttons";
}

void TestSpinEdit::otherKeysAndWheelNeverStep()
{
    QFETCH(QString, input);

    SpinWindow w;
    QVERIFY(w.Show());
    if (input == "pgup") {
        QTest::keyClick(w.field, Qt::Key_PageUp);
    } else if (input == "pgdown") {
        QTest::keyClick(w.field, Qt::Key_PageDown);
    } else {
        QWidget *target = input == "wheel text" ? static_cast<QWidget *>(w.field)
                                                 : w.field->Button()->UpButton();
        const QPointF at(target->rect().center());
        QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &wheel);
    }
    QCOMPARE(w.field->text(), QStringLiteral("30"));
    QVERIFY(w.changes.isEmpty());
}

void TestSpinEdit::stepErrorIsReportedWithTextReplaced_data()
{
    QTest::addColumn<QString>("source");
    QTest::newRow("Down key") << "key";
    QTest::newRow("click on the down button") << "click";
    QTest::newRow("typed minus and digit") << "typing";
}

void TestSpinEdit::stepErrorIsReportedWithTextReplaced()
{
    QFETCH(QString, source);

    SpinRecorders recorders;
    SpinWindow w(recorders);
    QVERIFY(w.Show());
    w.FailBelowZero();
    if (source == "key") {
        QTest::keyClick(w.field, Qt::Key_Down);
    } else if (source == "click") {
        TTimerSpeedButton *down = w.field->Button()->DownButton();
        QTest::mouseClick(down, Qt::LeftButton, {}, down->rect().center());
    } else {
        w.field->selectAll();
        QTest::keyClicks(w.field, "-1");
    }
    QCOMPARE(w.field->text(), QStringLiteral("-1"));
    QCOMPARE(w.changes.last(), QStringLiteral("-1"));
    QCOMPARE(recorders.errors, QStringList{"TProgressBar property out of range"});
}

void TestSpinEdit::focusSelection_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("autoSelect");
    QTest::addColumn<QString>("selected");

    QTest::newRow("Tab selects all") << "tab" << true << "30";
    QTest::newRow("Backtab selects all") << "backtab" << true << "30";
    QTest::newRow("window activation selects all") << "activation" << true << "30";
    QTest::newRow("left click on the text selects nothing") << "left click" << true << "";
    QTest::newRow("right click selects all") << "right click" << true << "30";
    QTest::newRow("AutoSelect off: Tab selects nothing") << "tab" << false << "";
    QTest::newRow("AutoSelect off: activation selects nothing") << "activation" << false << "";
}

void TestSpinEdit::focusSelection()
{
    QFETCH(QString, how);
    QFETCH(bool, autoSelect);
    QFETCH(QString, selected);

    SpinWindow w;
    w.field->SetAutoSelect(autoSelect);
    QVERIFY(w.Show());
    w.partner->setFocus();
    QTRY_VERIFY(w.partner->hasFocus());
    QVERIFY(!w.field->hasSelectedText());

    if (how == "tab") {
        QTest::keyClick(w.partner, Qt::Key_Tab);
    } else if (how == "backtab") {
        QTest::keyClick(w.partner, Qt::Key_Backtab, Qt::ShiftModifier);
    } else if (how == "activation") {
        w.field->setFocus();
        QWidget other;
        other.show();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        w.field->deselect();
        w.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
    } else {
        const Qt::MouseButton button = how == "left click" ? Qt::LeftButton : Qt::RightButton;
        const QPoint at(8, w.field->height() / 2);
        QTest::mousePress(w.field, button, {}, at);
        QTest::mouseRelease(w.field, button, {}, at);
    }
    QTRY_VERIFY(w.field->hasFocus());
    QCOMPARE(w.field->selectedText(), selected);
    QCOMPARE(w.field->text(), QStringLiteral("30"));
}

void TestSpinEdit::leavingAppliesRangeRule_data()
{
    QTest::addColumn<int>("minValue");
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("after");

    QTest::newRow("no range: empty text stays empty") << 0 << 0 << "" << "";
    QTest::newRow("no range: negative stays") << 0 << 0 << "-5" << "-5";
    QTest::newRow("no range: unreadable stays") << 0 << 0 << "3-" << "3-";
    QTest::newRow("range: too large becomes MaxValue") << 1 << 10 << "50" << "10";
    QTest::newRow("range: too small becomes MinValue") << 1 << 10 << "0" << "1";
    QTest::newRow("range: unreadable text reads MinValue and stays") << 1 << 10 << "-" << "-";
    QTest::newRow("range: value inside stays as typed") << 1 << 10 << "07" << "07";
}

void TestSpinEdit::leavingAppliesRangeRule()
{
    QFETCH(int, minValue);
    QFETCH(int, maxValue);
    QFETCH(QString, typed);
    QFETCH(QString, after);

    SpinWindow w;
    w.field->SetMinValue(minValue);
    w.field->SetMaxValue(maxValue);
    QVERIFY(w.Show());
    QTest::keyClick(w.field, Qt::Key_Backspace);
    QTest::keyClicks(w.field, typed);
    QCOMPARE(w.field->text(), typed); // typed text is never clamped
    const int changesBefore = int(w.changes.size());
    QTest::keyClick(w.field, Qt::Key_Tab);
    QTRY_VERIFY(w.partner->hasFocus());
    QCOMPARE(w.field->text(), after);
    QCOMPARE(int(w.changes.size()), changesBefore + (after == typed ? 0 : 1));
}

void TestSpinEdit::buttonPairLayout_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("frame");
    QTest::addColumn<QRect>("pair");

    // With the 3D border the client area starts 2 pixels in: the pair of the
    // 73 x 22 field is 15 x 17 at client (53, 0).
    QTest::newRow("window's field") << QSize(73, 22) << true << QRect(2 + 53, 2 + 0, 15, 17);
    QTest::newRow("wider and taller") << QSize(120, 30) << true << QRect(2 + 100, 2, 15, 25);
    QTest::newRow("without border") << QSize(73, 22) << false << QRect(58, 1, 15, 19);
}

void TestSpinEdit::buttonPairLayout()
{
    QFETCH(QSize, size);
    QFETCH(bool, frame);
    QFETCH(QRect, pair);

    SpinWindow w;
    w.field->setFrame(frame);
    w.field->resize(size);
    QVERIFY(w.Show());
    TSpinButton *button = w.field->Button();
    QCOMPARE(button->geometry(), pair);
    QCOMPARE(button->UpButton()->geometry(), QRect(0, 0, 15, pair.height() / 2));
    QCOMPARE(button->DownButton()->geometry(),
             QRect(0, pair.height() / 2 - 1, 15, pair.height() - pair.height() / 2 + 1));

    // A long text scrolls inside the text area and never runs under the pair.
    w.field->setText(QString(40, QLatin1Char('8')));
    w.field->end(false);
    w.field->repaint(); // the line edit scrolls to its cursor when it paints
    QVERIFY(w.field->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x() < button->x() - 1);
}

void TestSpinEdit::minimumHeight_data()
{
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<int>("requested");

    QTest::newRow("11 px font, far too low") << 11 << 5;
    QTest::newRow("11 px font, taller than needed") << 11 << 40;
    QTest::newRow("30 px font, the window's 22") << 30 << 22;
}

void TestSpinEdit::minimumHeight()
{
    QFETCH(int, pixelSize);
    QFETCH(int, requested);

    SpinWindow w;
    QFont font = w.field->font();
    font.setPixelSize(pixelSize);
    w.field->setFont(font);
    const int h = QFontMetrics(font).height();
    const int s = QFontMetrics(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).height();
    const int minimum = h + std::min(h, s) / 4 + 4 + 2;
    QCOMPARE(w.field->MinimumFieldHeight(), minimum);

    w.field->resize(73, requested);
    QVERIFY(w.Show());
    QCOMPARE(w.field->height(), std::max(requested, minimum));
    QCOMPARE(w.field->Button()->height(), w.field->height() - 5);
}

void TestSpinEdit::sunkenFrameAroundPair()
{
    SpinWindow w;
    // Colours that no other part of the field uses.
    const QRgb shadow = qRgb(10, 20, 200);
    const QRgb highlight = qRgb(200, 100, 50);
    QPalette colors = w.field->palette();
    colors.setColor(QPalette::Dark, shadow);
    colors.setColor(QPalette::Light, highlight);
    w.field->setPalette(colors);
    QVERIFY(w.Show());
    const QImage image = w.field->grab().toImage();
    const QRect pair = w.field->Button()->geometry();
    const int midX = pair.center().x();
    const int midY = pair.center().y();
    QCOMPARE(image.pixel(pair.left() - 1, midY), shadow);
    // Above the pair lies the field's own border, which stays unbroken.
    QCOMPARE(image.pixel(midX, pair.top() - 1), image.pixel(20, pair.top() - 1));
    QCOMPARE(image.pixel(pair.right() + 1, midY), highlight);
    QCOMPARE(image.pixel(midX, pair.bottom() + 1), highlight);
}

QTEST_MAIN(TestSpinEdit)
#include "tst_spinedit.moc"
