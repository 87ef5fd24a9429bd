// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "SpinTestSupport.h"

#include "base/Exception.h"
#include "base/TTimer.h"
#include "controls/SpinGlyphs.h"
#include "controls/TSpinButton.h"
#include "controls/TSpinEdit.h"
#include "controls/TTimerSpeedButton.h"

#include <QElapsedTimer>
#include <QSet>
#include <QtTest>

#include <array>

namespace {

const QRgb kOlive = qRgb(128, 128, 0);
const QRgb kBlack = qRgb(0, 0, 0);

// The arrow rows, X black, dot transparent.
const std::array<const char *, 6> kUpRows = {
    ".........", "....X....", "...XXX...", "..XXXXX..", ".XXXXXXX.", ".........",
};
const std::array<const char *, 6> kDownRows = {
    ".........", ".XXXXXXX.", "..XXXXX..", "...XXX...", "....X....", ".........",
};

// Arms the repeat timers as the toolkit does and counts their events, so
// that a test waits for the timer that would step the field, not for time.
class RepeatTicks {
public:
    int count = 0;

    TTimer::Arming Arming()
    {
        return [this](QTimer &timer, int milliseconds) {
            if (!watched_.contains(&timer)) {
                watched_.insert(&timer);
                QObject::connect(&timer, &QTimer::timeout, [this] { ++count; });
            }
            return TTimer::ArmToolkitTimer(timer, milliseconds);
        };
    }

private:
    QSet<QTimer *> watched_;
};

// Steps of a field, each with the time it came after the press.
class StepLog {
public:
    explicit StepLog(TSpinEdit *field) : field_(field)
    {
        field->SetOnChange([this] { times << clock_.elapsed(); });
    }
    void Start() { clock_.start(); }
    qint64 Elapsed() const { return clock_.elapsed(); }

    QList<qint64> times;

private:
    TSpinEdit *field_;
    QElapsedTimer clock_;
};

} // namespace

class TestSpinButton : public QObject {
    Q_OBJECT
private slots:

    void glyphBitmaps_data();
    void glyphBitmaps();
    void glyphDrawnTransparentAndCentred_data();
    void glyphDrawnTransparentAndCentred();
    void pairLayout_data();
    void pairLayout();

    void releaseClicksOnlyInsideTheButton_data();
    void releaseClicksOnlyInsideTheButton();
    void shortClickStepsOnceAtTheRelease();
    void heldPressRepeatsAfter400ThenEvery100Ms();
    void dragOffBeforeTheFirstRepeatGivesNoStep();
    void stepsPauseOffTheButtonAndResumeOnIt();
    void otherMouseButtonsDoNothing_data();
    void otherMouseButtonsDoNothing();
    void otherMouseButtonsLeaveAHeldLeftPressAlone();
    void leftPressThroughTheWindowSystemFocusesTheFieldAndSteps();
    void doubleClickStepsTwice();
    void repeatErrorStopsTheTimerAndIsReportedOnce();
    void releaseErrorIsReportedAndTheTimerStops();
    void timerArmingFailureIsReported();
    void losingTheWindowEndsThePress();

    void pressGivesTheFocusToTheField();
    void pairWithTabStopTakesTheFocusAndKeys();
};

void TestSpinButton::glyphBitmaps_data()
{
    QTest::addColumn<QImage>("glyph");
    QTest::addColumn<bool>("up");
    QTest::newRow("SpinUp") << SpinUpGlyph() << true;
    QTest::newRow("SpinDown") << SpinDownGlyph() << false;
}

void TestSpinButton::glyphBitmaps()
{
    QFETCH(QImage, glyph);
    QFETCH(bool, up);

    QCOMPARE(glyph.size(), QSize(9, 6));
    const auto &rows = up ? kUpRows : kDownRows;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 9; ++x)
            QCOMPARE(glyph.pixel(x, y) & 0xffffff, (rows[y][x] == 'X' ? kBlack : kOlive) & 0xffffff);
}

void TestSpinButton::glyphDrawnTransparentAndCentred_data()
{
    QTest::addColumn<bool>("up");
    QTest::addColumn<bool>("pressed");
    QTest::addColumn<QPoint>("origin");

    // 9 x 6 glyph centred in the 15 x 8 up and the 15 x 10 down button,
    // one pixel right and down while pressed.
    QTest::newRow("up released") << true << false << QPoint(3, 1);
    QTest::newRow("up pressed") << true << true << QPoint(4, 2);
    QTest::newRow("down released") << false << false << QPoint(3, 2);
    QTest::newRow("down pressed") << false << true << QPoint(4, 3);
}

void TestSpinButton::glyphDrawnTransparentAndCentred()
{
    QFETCH(bool, up);
    QFETCH(bool, pressed);
    QFETCH(QPoint, origin);

    SpinWindow w;
    QVERIFY(w.Show());
    TTimerSpeedButton *button = up ? w.field->Button()->UpButton() : w.field->Button()->DownButton();
    if (pressed)
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(1, 3));
    QCOMPARE(button->Down(), pressed);
    const QImage image = button->grab().toImage();
    if (pressed)
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(1, 3));

    const QRgb face = button->palette().color(QPalette::Button).rgb();
    const auto &rows = up ? kUpRows : kDownRows;
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 9; ++x) {
            const QRgb pixel = image.pixel(origin + QPoint(x, y));
            if (rows[y][x] == 'X')
                QCOMPARE(pixel, kBlack);
            else
                QVERIFY2(pixel != kOlive, "the olive background must be transparent");
        }
    }
    // The face between bevel and arrow is the button colour.
    QCOMPARE(image.pixel(origin + QPoint(0, 3)), face);
    // Raised: highlight at the top left; pressed: dark edge there.
    const QRgb corner = image.pixel(0, 0);
    QCOMPARE(corner, button->palette().color(pressed ? QPalette::Shadow : QPalette::Light).rgb());
}

void TestSpinButton::pairLayout_data()
{
    QTest::addColumn<QSize>("requested");
    QTest::addColumn<QRect>("up");
    QTest::addColumn<QRect>("down");

    QTest::newRow("the field's 15 x 17") << QSize(15, 17) << QRect(0, 0, 15, 8) << QRect(0, 7, 15, 10);
    QTest::newRow("default 20 x 25") << QSize(20, 25) << QRect(0, 0, 20, 12) << QRect(0, 11, 20, 14);
    QTest::newRow("even height") << QSize(15, 16) << QRect(0, 0, 15, 8) << QRect(0, 7, 15, 9);
    QTest::newRow("narrow width raised to 15") << QSize(9, 17) << QRect(0, 0, 15, 8) << QRect(0, 7, 15, 10);
}

void TestSpinButton::pairLayout()
{
    QFETCH(QSize, requested);
    QFETCH(QRect, up);
    QFETCH(QRect, down);

    QWidget window;
    auto *pair = new TSpinButton(&window);
    QCOMPARE(pair->size(), QSize(20, 25));
    window.resize(100, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    pair->resize(requested);
    QCOMPARE(pair->UpButton()->geometry(), up);
    QCOMPARE(pair->DownButton()->geometry(), down);
}

void TestSpinButton::releaseClicksOnlyInsideTheButton_data()
{
    QTest::addColumn<QPoint>("release");
    QTest::addColumn<QString>("text");

    // The up button is 15 x 8; its bottom edge row (y = 8) still counts.
    QTest::newRow("top left corner") << QPoint(0, 0) << "31";
    QTest::newRow("right column") << QPoint(14, 4) << "31";
    QTest::newRow("bottom edge row") << QPoint(7, 8) << "31";
    QTest::newRow("past the right edge") << QPoint(15, 4) << "30";
    QTest::newRow("left of the button") << QPoint(-1, 4) << "30";
    QTest::newRow("above the button") << QPoint(7, -1) << "30";
    QTest::newRow("below the bottom edge") << QPoint(7, 9) << "30";
}

void TestSpinButton::releaseClicksOnlyInsideTheButton()
{
    QFETCH(QPoint, release);
    QFETCH(QString, text);

    SpinWindow w;
    QVERIFY(w.Show());
    TTimerSpeedButton *up = w.field->Button()->UpButton();
    QTest::mousePress(up, Qt::LeftButton, {}, QPoint(7, 4));
    QTest::mouseMove(up, release);
    QCOMPARE(up->Down(), text == "31");
    QTest::mouseRelease(up, Qt::LeftButton, {}, release);
    QCOMPARE(w.field->text(), text);
    QVERIFY(!up->Down());
    QVERIFY(!up->Tracking());
}

void TestSpinButton::shortClickStepsOnceAtTheRelease()
{
    SpinWindow w;
    QVERIFY(w.Show());
    TTimerSpeedButton *up = w.field->Button()->UpButton();
    QCOMPARE(up->RepeatTimer(), nullptr); // created at the first press
    QTest::mousePress(up, Qt::LeftButton, {}, QPoint(7, 4));
    QVERIFY(up->Down());
    QVERIFY(up->RepeatTimer() && up->RepeatTimer()->Armed());
    QCOMPARE(up->RepeatTimer()->Interval(), 400u);
    QVERIFY(w.changes.isEmpty());
    QTest::mouseRelease(up, Qt::LeftButton, {}, QPoint(7, 4));
    QCOMPARE(w.changes, QStringList{"31"});
    QVERIFY(!up->RepeatTimer()->Enabled());
}

void TestSpinButton::heldPressRepeatsAfter400ThenEvery100Ms()
{
    SpinWindow w;
    QVERIFY(w.Show());
    StepLog log(w.field);
    TTimerSpeedButton *up = w.field->Button()->UpButton();
    log.Start();
    QTest::mousePress(up, Qt::LeftButton, {}, QPoint(7, 4));
    // Six steps while held (about 400, 500, ... 900 ms after the press).
    QTRY_VERIFY_WITH_TIMEOUT(log.times.size() >= 6, 10000);
    const int held = int(log.times.size());
    QTest::mouseRelease(up, Qt::LeftButton, {}, QPoint(7, 4));
    QCOMPARE(int(log.times.size()), held + 1); // one more at the release
    QCOMPARE(w.field->Value(), 30 + held + 1);

    // Never early: the first after 400 ms, then on a 100 ms beat counted
    // from the first (one late event does not shift the later ones).
    QVERIFY2(log.times[0] >= 395, qPrintable(QString::number(log.times[0])));
    for (int i = 1; i < held; ++i)
        QVERIFY2(log.times[i] - log.times[0] >= 100 * i - 5,
                 qPrintable(QString("step %1 at %2 ms").arg(i).arg(log.times[i])));
    QVERIFY(!up->RepeatTimer()->Enabled());
    // The released button stays quiet: its timer is disarmed.
    const int total = int(log.times.size());
    QVERIFY(!up->RepeatTimer()->Armed());
    QCoreApplication::processEvents();
    QCOMPARE(int(log.times.size()), total);
}

void TestSpinButton::dragOffBeforeTheFirstRepeatGivesNoStep()
{
    RepeatTicks ticks;
    SpinWindow w(ticks.Arming());
    QVERIFY(w.Show());
    TTimerSpeedButton *up = w.field->Button()->UpButton();
    QTest::mousePress(up, Qt::LeftButton, {}, QPoint(7, 4));
    QTest::mouseMove(up, QPoint(7, 30));
    QVERIFY(!up->Down());
    QVERIFY(up->Tracking());
    // The timer runs on: wait for its first and a later event.
    QTRY_VERIFY_WITH_TIMEOUT(ticks.count >= 2, 5000);
    QCOMPARE(up->RepeatTimer()->Interval(), 100u);
    QTest::mouseRelease(up, Qt::LeftButton, {}, QPoint(7, 30));
    QVERIFY(w.changes.isEmpty());
    QCOMPARE(w.field->text(), QStringLiteral("30"));
    QVERIFY(!up->RepeatTimer()->Enabled());
}

void TestSpinButton::stepsPauseOffTheButtonAndResumeOnIt()
{
    RepeatTicks ticks;
    SpinWindow w(ticks.Arming());
    QVERIFY(w.Show());
    TTimerSpeedButton *down = w.field->Button()->DownButton();
    QTest::mousePress(down, Qt::LeftButton, {}, QPoint(7, 5));
    QTRY_VERIFY_WITH_TIMEOUT(!w.changes.isEmpty(), 5000);
    QTest::mouseMove(down, QPoint(40, 5));
    const int whileOn = int(w.changes.size());
    // Three events of the repeat timer off the button: no step.
    const int ticksOn = ticks.count;
    QTRY_VERIFY_WITH_TIMEOUT(ticks.count >= ticksOn + 3, 5000);
    QCOMPARE(int(w.changes.size()), whileOn);
    QVERIFY(down->RepeatTimer()->Enabled());
    QTest::mouseMove(down, QPoint(7, 5));
    QVERIFY(down->Down());
    QTRY_VERIFY_WITH_TIMEOUT(w.changes.size() > whileOn, 5000);
    QTest::mouseRelease(down, Qt::LeftButton, {}, QPoint(7, 5));
    QCOMPARE(w.field->Value(), 30 - int(w.changes.size()));
}

// Presses delivered the way the window system delivers them, so that the
// toolkit's own focus on click and context menu take part.
void TestSpinButton::otherMouseButtonsDoNothing_data()
{
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("doubleClick");

    QTest::newRow("right press on the up button") << true << int(Qt::RightButton) << false;
    QTest::newRow("right press on the down button") << false << int(Qt::RightButton) << false;
    QTest::newRow("middle press on the up button") << true << int(Qt::MiddleButton) << false;
    QTest::newRow("right double click on the down button") << false << int(Qt::RightButton) << true;
    QTest::newRow("back button press on the up button") << true << int(Qt::BackButton) << false;
}

void TestSpinButton::otherMouseButtonsDoNothing()
{
    QFETCH(bool, up);
    QFETCH(int, button);
    QFETCH(bool, doubleClick);

    SpinWindow w;
    QVERIFY(w.Show());
    w.partner->setText(QStringLiteral("host"));
    w.partner->setFocus();
    w.partner->selectAll();
    QTRY_VERIFY(w.partner->hasFocus());
    TTimerSpeedButton *target = up ? w.field->Button()->UpButton() : w.field->Button()->DownButton();
    QWindow *window = w.window.windowHandle();
    const QPoint at = window->mapFromGlobal(target->mapToGlobal(target->rect().center()));
    const auto mouseButton = Qt::MouseButton(button);
    if (doubleClick)
        QTest::mouseDClick(window, mouseButton, {}, at);
    else
        QTest::mousePress(window, mouseButton, {}, at);
    QVERIFY(!target->Down());
    // No repeat timer was made, so none can step the field later.
    QCOMPARE(target->RepeatTimer(), nullptr);
    QCoreApplication::processEvents();
    QCOMPARE(target->RepeatTimer(), nullptr);
    QTest::mouseRelease(window, mouseButton, {}, at);

    QCOMPARE(QApplication::activePopupWidget(), nullptr); // no context menu
    QVERIFY(w.partner->hasFocus());
    QCOMPARE(w.partner->selectedText(), QStringLiteral("host"));
    QVERIFY(!w.field->hasSelectedText());
    QVERIFY(w.changes.isEmpty());
    QCOMPARE(w.field->text(), QStringLiteral("30"));
}

void TestSpinButton::otherMouseButtonsLeaveAHeldLeftPressAlone()
{
    SpinWindow w;
    QVERIFY(w.Show());
    TTimerSpeedButton *up = w.field->Button()->UpButton();
    QWindow *window = w.window.windowHandle();
    const QPoint at = window->mapFromGlobal(up->mapToGlobal(up->rect().center()));
    QTest::mousePress(window, Qt::LeftButton, {}, at);
    QVERIFY(up->Down());
    QTest::mousePress(window, Qt::RightButton, {}, at);
    QTest::mouseRelease(window, Qt::RightButton, {}, at);
    QCOMPARE(QApplication::activePopupWidget(), nullptr);
    // The left press goes on: still pressed, no step from the right release.
    QVERIFY(up->Down());
    QVERIFY(up->Tracking());
    QVERIFY(up->RepeatTimer()->Enabled());
    QVERIFY(w.changes.isEmpty());
    QTest::mouseRelease(window, Qt::LeftButton, {}, at);
    QCOMPARE(w.changes, QStringList{"31"});
}

void TestSpinButton::leftPressThroughTheWindowSystemFocusesTheFieldAndSteps()
{
    SpinWindow w;
    QVERIFY(w.Show());
    w.partner->setFocus();
    QTRY_VERIFY(w.partner->hasFocus());
    TTimerSpeedButton *down = w.field->Button()->DownButton();
    QWindow *window = w.window.windowHandle();
    const QPoint at = window->mapFromGlobal(down->mapToGlobal(down->rect().center()));
    QTest::mousePress(window, Qt::LeftButton, {}, at);
    QVERIFY(w.field->hasFocus());
    QVERIFY(down->Down());
    QTest::mouseRelease(window, Qt::LeftButton, {}, at);
    QCOMPARE(w.changes, QStringList{"29"});
}

void TestSpinButton::doubleClickStepsTwice()
{
    SpinWindow w;
    QVERIFY(w.Show());
    TTimerSpeedButton *up = w.field->Button()->UpButton();
    QTest::mouseClick(up, Qt::LeftButton, {}, QPoint(7, 4));
    QTest::mouseDClick(up, Qt::LeftButton, {}, QPoint(7, 4));
    QTest::mouseRelease(up, Qt::LeftButton, {}, QPoint(7, 4));
    QCOMPARE(w.changes, (QStringList{"31", "32"}));
}

void TestSpinButton::repeatErrorStopsTheTimerAndIsReportedOnce()
{
    SpinRecorders recorders;
    SpinWindow w(recorders);
    QVERIFY(w.Show());
    w.FailBelowZero();
    w.changes.clear();
    TTimerSpeedButton *down = w.field->Button()->DownButton();
    QTest::mousePress(down, Qt::LeftButton, {}, QPoint(7, 5));
    QTRY_COMPARE_WITH_TIMEOUT(recorders.errors.size(), 1, 5000);
    QVERIFY(!down->RepeatTimer()->Enabled());
    QCOMPARE(w.field->text(), QStringLiteral("-1"));
    // Held on: the timer is disarmed, so no more steps and no more errors.
    QVERIFY(!down->RepeatTimer()->Armed());
    QCoreApplication::processEvents();
    QCOMPARE(recorders.errors, QStringList{"TProgressBar property out of range"});
    QCOMPARE(w.changes, QStringList{"-1"});
    QTest::mouseMove(down, QPoint(7, 40));
    QTest::mouseRelease(down, Qt::LeftButton, {}, QPoint(7, 40));
    QCOMPARE(recorders.errors.size(), 1);
}

void TestSpinButton::releaseErrorIsReportedAndTheTimerStops()
{
    SpinRecorders recorders;
    SpinWindow w(recorders);
    QVERIFY(w.Show());
    w.field->SetOnChange([] { throw EInvalidOperation("failed"); });
    TTimerSpeedButton *up = w.field->Button()->UpButton();
    QTest::mouseClick(up, Qt::LeftButton, {}, QPoint(7, 4));
    QCOMPARE(recorders.errors, QStringList{"failed"});
    QCOMPARE(w.field->text(), QStringLiteral("31"));
    QVERIFY(!up->RepeatTimer()->Enabled());
    QVERIFY(!up->Down());
}

void TestSpinButton::timerArmingFailureIsReported()
{
    SpinRecorders recorders;
    bool armingFails = false;
    SpinWindow w(recorders, [&](QTimer &timer, int milliseconds) {
        return !armingFails && TTimer::ArmToolkitTimer(timer, milliseconds);
    });
    QVERIFY(w.Show());
    armingFails = true;
    TTimerSpeedButton *up = w.field->Button()->UpButton();
    QTest::mousePress(up, Qt::LeftButton, {}, QPoint(7, 4));
    QCOMPARE(recorders.errors, QStringList{"Not enough timers available"});
    QVERIFY(up->Down());
    QTest::mouseRelease(up, Qt::LeftButton, {}, QPoint(7, 4));
    QCOMPARE(w.changes, QStringList{"31"});
}

void TestSpinButton::losingTheWindowEndsThePress()
{
    SpinWindow w;
    QVERIFY(w.Show());
    TTimerSpeedButton *up = w.field->Button()->UpButton();
    QTest::mousePress(up, Qt::LeftButton, {}, QPoint(7, 4));
    QVERIFY(up->Down());
    // Another window (an error box, say) takes over before the release.
    QWidget other;
    other.show();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QTRY_VERIFY(!up->Down());
    QVERIFY(!up->Tracking());
    QVERIFY(!up->RepeatTimer()->Enabled());
    QVERIFY(!up->RepeatTimer()->Armed());
    QCoreApplication::processEvents();
    QVERIFY(w.changes.isEmpty());
    QTest::mouseRelease(up, Qt::LeftButton, {}, QPoint(7, 4));
    QVERIFY(w.changes.isEmpty());
}

void TestSpinButton::pressGivesTheFocusToTheField()
{
    SpinWindow w;
    QVERIFY(w.Show());
    w.partner->setFocus();
    QTRY_VERIFY(w.partner->hasFocus());
    TTimerSpeedButton *up = w.field->Button()->UpButton();
    QTest::mousePress(up, Qt::LeftButton, {}, QPoint(7, 4));
    QVERIFY(w.field->hasFocus());
    QVERIFY(!w.field->Button()->hasFocus());
    QCOMPARE(w.field->Button()->FocusedButton(), w.field->Button()->UpButton());
    QTest::mouseRelease(up, Qt::LeftButton, {}, QPoint(7, 4));
    QCOMPARE(w.field->text(), QStringLiteral("31"));
}

void TestSpinButton::pairWithTabStopTakesTheFocusAndKeys()
{
    QWidget window;
    window.resize(100, 60);
    auto *pair = new TSpinButton(&window);
    auto *other = new QLineEdit(&window);
    other->move(40, 0);
    pair->SetTabStop(true);
    QStringList clicks;
    pair->SetOnUpClick([&] { clicks << "up"; });
    pair->SetOnDownClick([&] { clicks << "down"; });
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());

    TTimerSpeedButton *down = pair->DownButton();
    QTest::mouseClick(down, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(pair->hasFocus());
    QCOMPARE(pair->FocusedButton(), down);
    QVERIFY(down->DrawFocus());
    QVERIFY(!pair->UpButton()->DrawFocus());

    QTest::keyClick(pair, Qt::Key_Space);
    QTest::keyClick(pair, Qt::Key_Up);
    QCOMPARE(pair->FocusedButton(), pair->UpButton());
    QTest::keyClick(pair, Qt::Key_Space);
    QTest::keyClick(pair, Qt::Key_Down);
    QCOMPARE(clicks, (QStringList{"down", "down", "up", "up", "down"}));

    other->setFocus();
    QTRY_VERIFY(!pair->hasFocus());
    QVERIFY(!down->DrawFocus());
}

QTEST_MAIN(TestSpinButton)
#include "tst_spinbutton.moc"
