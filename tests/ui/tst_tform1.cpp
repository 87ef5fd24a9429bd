// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "support/ApplicationTestMain.h"
#include "support/ImageBudget.h"
#include "support/PixelCount.h"

#include "app/Program.h"
#include "base/Exception.h"
#include "base/TTimer.h"
#include "controls/TGauge.h"
#include "net/IdException.h"
#include "net/TIdStack.h"
#include "ui/TButton.h"
#include "ui/TImage.h"
#include "ui/TLabel.h"
#include "ui/TProgressBar.h"
#include "ui/TForm1.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPointer>
#include <QProgressBar>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QWindow>
#include <QtTest>

#include <map>

namespace {

TApplication &App()
{
    return *TApplication::Instance();
}

// While set, the window's timers cannot be armed, as if the platform had
// run out of them.
bool g_timersFail = false;

// The gauge's off-screen images, which a test may make run out.
ImageBudget g_gaugeImages;

std::unique_ptr<QWidget> CreateForm1()
{
    Form1Services services;
    services.timerArming = [](QTimer &timer, int milliseconds) {
        return !g_timersFail && TTimer::ArmToolkitTimer(timer, milliseconds);
    };
    services.gaugeImages = g_gaugeImages.Allocator();
    return std::make_unique<TForm1>(std::move(services));
}

// What the window shows now: its backing store as painted so far, not a
// fresh rendering of its widgets.
QImage OnScreen(QWidget &window)
{
    return window.windowHandle()->screen()->grabWindow(window.winId()).toImage().convertToFormat(
        QImage::Format_RGB32);
}

// Keeps the region of the last paint event of the widget it watches.
class PaintRegions final : public QObject {
public:
    QRegion last;
    void Watch(QWidget *widget) { widget->installEventFilter(this); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            last = static_cast<QPaintEvent *>(event)->region();
        return false;
    }
};

// Counts the paint events its watched widgets receive.
class PaintWatcher final : public QObject {
public:
    std::map<QObject *, int> paints;
    void Watch(QWidget *widget) { widget->installEventFilter(this); paints[widget] = 0; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints[watched];
        return false;
    }
};

} // namespace

class TestTForm1 : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startState();
    void startPicture();
    void geometryFollowsTheAnchorTable_data();
    void geometryFollowsTheAnchorTable();
    void maximizingStretchesGaugeAndMovesTheEdges();
    void scrollBarsBelowTheExtents_data();
    void scrollBarsBelowTheExtents();
    void drawnControlsStackInCreationOrderBelowNativeOnes();
    void gaugeRepaintAtOnceRepaintsWhatLiesOnIt();
    void needleRepaintKeepsALongReadoutOnTop();
    void everyTickOfACountdownShowsWhatAWholeRepaintShows();
    void aFailedGaugePaintIsMadeGoodByTheNextStep();
    void presetButtonsSetTheHost_data();
    void presetButtonsSetTheHost();
    void homePageOpensFromLinkAndWholeLogo_data();
    void homePageOpensFromLinkAndWholeLogo();
    void tabOrder();
    void enterClicksAFocusedButtonButNotFromATextField();
    void windowColourReachesEveryFollowerAndAssistiveTechnology();
    void readoutGrowsToTheRight();
    void hostTextIsReadUntrimmed();
    void formCreateErrorIsShownAndTheWindowStillComesUp();
    void stackFailureEndsTheProgramWithApplicationError();
    void exitButtonEndsTheProgramAndReleasesTheStack();
    void quitRequestTakenDuringFormCreateEndsBeforeTheLoop();
    void checksAgainstALoopbackListenerTurnTheWindowLimeThenRed();

private:
    TForm1 &Shown();
};

void TestTForm1::init()
{
    RecordBoxes(App());
    OpenedUrls().clear();
    LookedUpNames()->names.clear();
}

void TestTForm1::cleanup()
{
    App().Shutdown();
    g_gaugeImages.left = -1;
    g_timersFail = false;
    UseSafeNetworkAndLinks();
    // No test may have asked a resolver for anything.
    const auto &names = LookedUpNames()->names;
    QVERIFY2(names.empty(), names.empty() ? "" : names.front().c_str());
}

TForm1 &TestTForm1::Shown()
{
    auto *window = static_cast<TForm1 *>(App().CreateForm(CreateForm1));
    window->show();
    [&] { QVERIFY(QTest::qWaitForWindowExposed(window)); }();
    return *window;
}

void TestTForm1::startState()
{
    TForm1 &w = Shown();
    QCOMPARE(Form1, &w);
    QCOMPARE(w.windowTitle(), QStringLiteral("Kelvora 1.1"));
    QCOMPARE(w.ClientSize(), QSize(863, 606));
    QVERIFY(!w.windowIcon().isNull());
    QCOMPARE(w.Color(), clYellow);
    QCOMPARE(w.Edit1->text(), Addresses::kPresetHosts[0]);
    QCOMPARE(w.SpinEdit1->text(), QStringLiteral("30"));
    QCOMPARE(w.focusWidget(), w.SpinEdit1);
    // FormCreate ran: timers armed, ranges from the interval field.
    QVERIFY(w.Timer1->Armed());
    QCOMPARE(w.Timer1->Interval(), 30000u);
    QVERIFY(w.Timer2->Armed());
    QCOMPARE(w.Timer2->Interval(), 1000u);
    QCOMPARE(w.ProgressBar1->Max(), 30);
    QCOMPARE(w.ProgressBar1->Position(), 0);
    QCOMPARE(w.Gauge1->MaxValue(), 30);
    QCOMPARE(w.Gauge1->BackColor(), clYellow);
    QCOMPARE(w.Gauge1->Kind(), gkNeedle);
    for (TLabel *label : {w.Label7, w.Label8, w.Label9, w.Label10, w.Label11})
        QCOMPARE(label->Caption(), QStringLiteral("Пинг:"));
    QCOMPARE(w.Label5->Caption(), Addresses::kHomePage);
    QVERIFY(RecordedBoxes().empty());
    QCOMPARE(App().MainForm(), &w);
}

void TestTForm1::startPicture()
{
    TForm1 &w = Shown();
    const QImage image = w.grab().toImage();
    const QColor yellow(255, 255, 0);
    // The window background beside the gauge and the gauge's dial.
    QCOMPARE(image.pixelColor(1, 300), yellow);
    QCOMPARE(image.pixelColor(862, 300), yellow);
    QCOMPARE(image.pixelColor(200, 400), yellow);
    // The readout: white text, blue outline, over the gauge.
    const QRect readout = w.Label11->geometry().adjusted(-1, -1, 1, 1);
    QVERIFY(CountPixels(image, readout, IsNearWhite) > 40);
    QVERIFY(CountPixels(image, readout, IsNearBlue) > 40);
    QCOMPARE(image.pixelColor(readout.topLeft()), yellow);
    // The credits at the top right: the link in blue, the logo without its
    // silver background.
    QVERIFY(CountPixels(image, w.Label5->geometry(), IsNearBlue) > 10);
    const QImage logo(QStringLiteral(":/ui/logo.bmp"));
    QVERIFY(!logo.isNull());
    const QPoint origin = w.Image1->geometry().topLeft();
    const QColor silver(192, 192, 192);
    for (int y = 0; y < logo.height(); y += 3)
        for (int x = 0; x < logo.width(); x += 3) {
            const QColor shown = image.pixelColor(origin + QPoint(x, y));
            if (logo.pixelColor(x, y) == silver)
                QVERIFY2(shown != silver, qPrintable(QStringLiteral("silver at %1,%2").arg(x).arg(y)));
            else
                QCOMPARE(shown, logo.pixelColor(x, y));
        }
    // The bar is empty: no fill colour inside it.
    const QColor fill = w.ProgressBar1->NativeBar()->palette().color(QPalette::Highlight);
    QCOMPARE(CountPixels(image, w.ProgressBar1->geometry(), [&](QColor c) { return c == fill; }), 0);
    // Its one-pixel ring shows the window colour.
    QCOMPARE(image.pixelColor(w.ProgressBar1->geometry().topLeft()), yellow);
}

namespace {

void VerifyAnchorTable(TForm1 &w)
{
    const int W = w.ClientSize().width();
    const int H = w.ClientSize().height();
    QCOMPARE(w.Label1->pos(), QPoint(8, H - 62));
    QCOMPARE(w.Label2->pos(), QPoint(336, H - 62));
    QCOMPARE(w.Gauge1->geometry(), QRect(2, 0, W - 5, H - 85));
    // The credits keep their right edges (the layout's 858 and 859 of 863).
    QCOMPARE(w.Label3->geometry().right() + 1, W - 5);
    QCOMPARE(w.Label3->y(), 8);
    QCOMPARE(w.Label4->geometry().right() + 1, W - 4);
    QCOMPARE(w.Label4->y(), 24);
    QCOMPARE(w.Label5->geometry().right() + 1, W - 4);
    QCOMPARE(w.Label5->y(), 40);
    QCOMPARE(w.Image1->geometry(), QRect(W - 102, 56, 100, 60));
    QCOMPARE(w.SpinEdit1->pos(), QPoint(248, H - 64));
    QCOMPARE(w.SpinEdit1->width(), 73);
    QCOMPARE(w.Button1->geometry(), QRect(W - 62, H - 78, 57, 33));
    QCOMPARE(w.ProgressBar1->geometry(), QRect(8, H - 38, W - 13, 33));
    // The host row and the readout stay at the top left.
    QCOMPARE(w.Label6->pos(), QPoint(8, 8));
    QCOMPARE(w.Edit1->geometry(), QRect(40, 5, 113, 21));
    QCOMPARE(w.Button2->geometry(), QRect(40, 32, 33, 25));
    QCOMPARE(w.Button3->geometry(), QRect(80, 32, 33, 25));
    QCOMPARE(w.Button4->geometry(), QRect(120, 32, 33, 25));
    QCOMPARE(w.Label7->pos(), QPoint(7, 64));
    QCOMPARE(w.Label8->pos(), QPoint(8, 63));
    QCOMPARE(w.Label9->pos(), QPoint(8, 65));
    QCOMPARE(w.Label10->pos(), QPoint(9, 64));
    QCOMPARE(w.Label11->pos(), QPoint(8, 64));
}

} // namespace

void TestTForm1::geometryFollowsTheAnchorTable_data()
{
    QTest::addColumn<QSize>("client");
    QTest::newRow("layout size") << QSize(863, 606);
    QTest::newRow("larger") << QSize(1280, 960);
    QTest::newRow("wider only") << QSize(1500, 606);
    QTest::newRow("smaller") << QSize(600, 400);
    QTest::newRow("at the extents") << QSize(400, 200);
}

void TestTForm1::geometryFollowsTheAnchorTable()
{
    QFETCH(QSize, client);
    TForm1 &w = Shown();
    w.resize(client);
    QTRY_COMPARE(w.ClientSize(), client);
    VerifyAnchorTable(w);
    // And back: nothing drifts.
    w.resize(863, 606);
    QTRY_COMPARE(w.ClientSize(), QSize(863, 606));
    VerifyAnchorTable(w);
}

void TestTForm1::maximizingStretchesGaugeAndMovesTheEdges()
{
    TForm1 &w = Shown();
    w.resize(500, 300);
    w.showMaximized();
    QTRY_VERIFY(w.windowState() & Qt::WindowMaximized);
    QTRY_VERIFY(w.size() != QSize(500, 300));
    VerifyAnchorTable(w);
}

void TestTForm1::scrollBarsBelowTheExtents_data()
{
    QTest::addColumn<int>("widthBelowExtent");
    QTest::addColumn<int>("heightBelowExtent");
    QTest::addColumn<bool>("horizontal");
    QTest::addColumn<bool>("vertical");
    QTest::newRow("at both extents") << 0 << 0 << false << false;
    QTest::newRow("one pixel narrower") << 1 << -300 << true << false;
    QTest::newRow("one pixel lower") << -300 << 1 << false << true;
    QTest::newRow("much smaller") << 200 << 60 << true << true;
}

void TestTForm1::scrollBarsBelowTheExtents()
{
    QFETCH(int, widthBelowExtent);
    QFETCH(int, heightBelowExtent);
    QFETCH(bool, horizontal);
    QFETCH(bool, vertical);
    TForm1 &w = Shown();
    // The horizontal extent is Label2's right edge, the vertical one the
    // logo's bottom edge.
    const QSize extent(w.Label2->geometry().right() + 1, w.Image1->geometry().bottom() + 1);
    QCOMPARE(w.ScrollExtent(), extent);
    QCOMPARE(extent.height(), 116);
    const QSize size(extent.width() - widthBelowExtent, extent.height() - heightBelowExtent);
    w.resize(size);
    QTRY_COMPARE(w.size(), size);
    QCOMPARE(w.HorizontalScrollBar()->isVisible(), horizontal);
    QCOMPARE(w.VerticalScrollBar()->isVisible(), vertical);
    if (horizontal) {
        // Scrolling moves every control by the same amount.
        const QPoint label6 = w.Label6->pos();
        const QPoint gauge = w.Gauge1->pos();
        const QPoint exit = w.Button1->pos();
        w.HorizontalScrollBar()->setValue(w.HorizontalScrollBar()->maximum());
        const int shift = w.HorizontalScrollBar()->maximum();
        QVERIFY(shift > 0);
        QCOMPARE(w.Label6->pos(), label6 - QPoint(shift, 0));
        QCOMPARE(w.Gauge1->pos(), gauge - QPoint(shift, 0));
        QCOMPARE(w.Button1->pos(), exit - QPoint(shift, 0));
    }
}

void TestTForm1::drawnControlsStackInCreationOrderBelowNativeOnes()
{
    TForm1 &w = Shown();
    const QObjectList order = w.Client()->children();
    const auto at = [&](QObject *control) { return order.indexOf(control); };
    const std::vector<QWidget *> creation{w.Label1, w.Label2, w.Gauge1, w.Label3, w.Label4, w.Label5,
                                          w.Image1, w.Label6, w.Label7, w.Label8, w.Label9, w.Label10,
                                          w.Label11, w.SpinEdit1, w.Button1, w.ProgressBar1, w.Edit1,
                                          w.Button2, w.Button3, w.Button4};
    for (std::size_t i = 1; i < creation.size(); ++i)
        QVERIFY2(at(creation[i - 1]) < at(creation[i]), qPrintable(QString::number(i)));
    // What the pointer finds where the readout lies over the gauge.
    const QPoint onReadout = w.Label11->geometry().center();
    QCOMPARE(w.Client()->childAt(onReadout), w.Label11);
    QCOMPARE(w.Client()->childAt(w.Image1->geometry().topLeft()), w.Image1);
}

void TestTForm1::gaugeRepaintAtOnceRepaintsWhatLiesOnIt()
{
    TForm1 &w = Shown();
    App().ProcessPendingEvents();
    PaintWatcher watcher;
    for (QWidget *widget : std::initializer_list<QWidget *>{w.Gauge1, w.Label11, w.Label7, w.Label3,
                                                            w.Image1, w.Label1})
        watcher.Watch(widget);
    // A colour repaints the whole gauge at once, without the event loop, and
    // with it all that lies on it.
    w.Gauge1->SetBackColor(clLime);
    QCOMPARE(watcher.paints[w.Gauge1], 1);
    QVERIFY(watcher.paints[w.Label11] > 0);
    QVERIFY(watcher.paints[w.Label7] > 0);
    QVERIFY(watcher.paints[w.Label3] > 0);
    QVERIFY(watcher.paints[w.Image1] > 0);
    // The caption below the gauge lies outside the repainted rectangle.
    QCOMPARE(watcher.paints[w.Label1], 0);
    // And the picture has the readout on top of the gauge.
    QVERIFY(CountPixels(OnScreen(w), w.Label11->geometry(), IsNearWhite) > 40);

    // From 0 % to 50 % only the needles and texts are repainted, again at
    // once; the readout and the credits lie elsewhere and stay as they are.
    for (auto &[widget, paints] : watcher.paints)
        paints = 0;
    w.Gauge1->SetProgress(15);
    QCOMPARE(watcher.paints[w.Gauge1], 1);
    for (QWidget *away : std::initializer_list<QWidget *>{w.Label11, w.Label7, w.Label3, w.Image1, w.Label1})
        QCOMPARE(watcher.paints[away], 0);
    QVERIFY(CountPixels(OnScreen(w), w.Label11->geometry(), IsNearWhite) > 40);
}

void TestTForm1::needleRepaintKeepsALongReadoutOnTop()
{
    TForm1 &w = Shown();
    // A readout long enough to reach where the needle passes at a third.
    const QString text = QStringLiteral("Пинг: 1234567890 мс");
    for (const auto name : {ProbeView::ReadoutLabel::Label7, ProbeView::ReadoutLabel::Label8,
                            ProbeView::ReadoutLabel::Label9, ProbeView::ReadoutLabel::Label10,
                            ProbeView::ReadoutLabel::Label11})
        w.SetReadoutCaption(name, text);
    w.Gauge1->SetProgress(9);  // 30 %
    App().ProcessPendingEvents();
    QVERIFY(w.Label11->geometry().right() > 260);
    PaintWatcher watcher;
    watcher.Watch(w.Label11);
    w.Gauge1->SetProgress(10);  // 33 %: the needle's tip runs under the readout
    QVERIFY(watcher.paints[w.Label11] > 0);
    const QImage partial = OnScreen(w);
    w.Gauge1->repaint();  // the whole gauge with all that lies on it
    QVERIFY(partial == OnScreen(w));
}

void TestTForm1::everyTickOfACountdownShowsWhatAWholeRepaintShows()
{
    TForm1 &w = Shown();
    // The test gives the ticks itself, one after another.
    w.Timer1->SetEnabled(false);
    w.Timer2->SetEnabled(false);
    App().ProcessPendingEvents();
    for (int tick = 1; tick <= 31; ++tick) {  // 30 seconds, then the count starts over
        w.Timer2Timer();
        const QImage afterTick = OnScreen(w);
        // The whole gauge with all that lies on it, and the whole bar.
        w.Gauge1->repaint();
        w.ProgressBar1->repaint();
        const QImage whole = OnScreen(w);
        QVERIFY2(afterTick == whole, qPrintable(QStringLiteral("tick %1").arg(tick)));
        const QImage fresh = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QVERIFY2(whole == fresh, qPrintable(QStringLiteral("tick %1").arg(tick)));
        QCOMPARE(w.Gauge1->Progress(), tick % 31);
        QCOMPARE(w.ProgressBar1->Position(), tick % 31);
    }
}

void TestTForm1::aFailedGaugePaintIsMadeGoodByTheNextStep()
{
    TForm1 &w = Shown();
    App().ProcessPendingEvents();
    PaintWatcher watcher;
    watcher.Watch(w.Gauge1);
    g_gaugeImages.left = 0;
    w.Gauge1->SetProgress(3);
    g_gaugeImages.left = -1;
    QCOMPARE(RecordedBoxes().size(), 1u);
    QCOMPARE(RecordedBoxes().front().text, QStringLiteral("Out of memory for an off-screen image."));
    // The next step repaints the whole gauge, as the screen still shows 0 %.
    w.Gauge1->SetProgress(4);
    QCOMPARE(watcher.paints[w.Gauge1], 2);
    const QImage afterWhole = OnScreen(w);
    w.Gauge1->repaint();
    QVERIFY(afterWhole == OnScreen(w));
    // Then steps are repainted in part again.
    PaintRegions regions;
    regions.Watch(w.Gauge1);
    w.Gauge1->SetProgress(5);
    std::int64_t repainted = 0;
    for (const QRect &rect : regions.last)
        repainted += std::int64_t(rect.width()) * rect.height();
    QVERIFY(repainted > 0);
    QVERIFY(repainted < std::int64_t(w.Gauge1->width()) * w.Gauge1->height() / 4);
    const QImage afterPart = OnScreen(w);
    w.Gauge1->repaint();
    QVERIFY(afterPart == OnScreen(w));
}

void TestTForm1::presetButtonsSetTheHost_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("MS") << 0;
    QTest::newRow("Goo") << 1;
    QTest::newRow("VH") << 2;
}

void TestTForm1::presetButtonsSetTheHost()
{
    QFETCH(int, index);
    TForm1 &w = Shown();
    TButton *button = std::array{w.Button2, w.Button3, w.Button4}[std::size_t(index)];
    QCOMPARE(button->text(), (QStringList{"MS", "Goo", "VH"}[index]));
    w.Edit1->setText(QStringLiteral("127.0.0.1"));
    const std::uint32_t interval = w.Timer1->Interval();
    QSignalSpy edits(w.Edit1, &QLineEdit::textChanged);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(w.Edit1->text(), Addresses::kPresetHosts[std::size_t(index)]);
    QCOMPARE(edits.count(), 1);
    // The same preset again changes nothing.
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(edits.count(), 1);
    // The countdown is not touched.
    QVERIFY(w.Timer1->Armed());
    QCOMPARE(w.Timer1->Interval(), interval);
}

void TestTForm1::homePageOpensFromLinkAndWholeLogo_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("opens");
    QTest::newRow("link label") << "Label5" << QPoint(20, 6) << true;
    QTest::newRow("logo picture") << "Image1" << QPoint(20, 20) << true;
    QTest::newRow("logo's silver top-left corner") << "Image1" << QPoint(0, 0) << true;
    QTest::newRow("logo's silver bottom-right corner") << "Image1" << QPoint(99, 59) << true;
    QTest::newRow("maker's name") << "Label3" << QPoint(10, 5) << false;
    QTest::newRow("readout") << "Label11" << QPoint(10, 10) << false;
}

void TestTForm1::homePageOpensFromLinkAndWholeLogo()
{
    QFETCH(QString, control);
    QFETCH(QPoint, point);
    QFETCH(bool, opens);
    TForm1 &w = Shown();
    const std::map<QString, QWidget *> controls{
        {"Label5", w.Label5}, {"Image1", w.Image1}, {"Label3", w.Label3}, {"Label11", w.Label11}};
    QWidget *target = controls.at(control);
    QCOMPARE(target->cursor().shape(), opens ? Qt::PointingHandCursor : Qt::ArrowCursor);
    // Through the window, as the pointer goes: the topmost control there takes it.
    const QPoint inWindow = target->mapTo(&w, point);
    QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, inWindow);
    if (!opens) {
        QVERIFY(OpenedUrls().empty());
        return;
    }
    QCOMPARE(OpenedUrls().size(), 1u);
    QCOMPARE(OpenedUrls().front(), QUrl(QStringLiteral("https://www.varnholt.example/")));
    // The caption and the address opened are the same string.
    QCOMPARE(OpenedUrls().front().host(), w.Label5->Caption());
}

void TestTForm1::tabOrder()
{
    TForm1 &w = Shown();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTRY_COMPARE(QApplication::focusWidget(), w.SpinEdit1);
    const std::vector<QWidget *> forward{w.Button1, w.Edit1, w.Button2, w.Button3, w.Button4, w.SpinEdit1};
    for (QWidget *next : forward) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    for (auto next = forward.rbegin() + 1; next != forward.rend(); ++next) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), *next);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), w.SpinEdit1);
}

void TestTForm1::enterClicksAFocusedButtonButNotFromATextField()
{
    TForm1 &w = Shown();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.Edit1->setText(QStringLiteral("127.0.0.1"));
    w.Edit1->setFocus();
    QTest::keyClick(w.Edit1, Qt::Key_Return);
    QTest::keyClick(w.Edit1, Qt::Key_Escape);
    QCOMPARE(w.Edit1->text(), QStringLiteral("127.0.0.1"));
    App().ProcessPendingEvents();
    QVERIFY(!App().Terminated());
    w.Button3->setFocus();
    QTest::keyClick(w.Button3, Qt::Key_Return);
    QCOMPARE(w.Edit1->text(), Addresses::kPresetHosts[1]);
    w.Button4->setFocus();
    QTest::keyClick(w.Button4, Qt::Key_Space);
    QCOMPARE(w.Edit1->text(), Addresses::kPresetHosts[2]);
}

void TestTForm1::windowColourReachesEveryFollowerAndAssistiveTechnology()
{
    TForm1 &w = Shown();
    const std::vector<std::pair<TColor, QString>> statuses{
        {clStatusChecking, QStringLiteral("Идёт проверка подключения")},
        {clStatusOnline, QStringLiteral("Интернет доступен")},
        {clStatusOffline, QStringLiteral("Интернет недоступен")},
        {clStatusWaiting, QStringLiteral("Ожидание первой проверки")},
    };
    for (const auto &[color, status] : statuses) {
        w.SetWindowColor(color);
        QCOMPARE(w.Color(), color);
        QCOMPARE(w.Label1->Color(), color);
        QCOMPARE(w.Label6->Color(), color);
        QCOMPARE(w.Gauge1->Color(), color);
        QCOMPARE(w.ProgressBar1->Color(), color);
        // What assistive technology reads from the window.
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(&w);
        QVERIFY(accessible != nullptr);
        QCOMPARE(accessible->text(QAccessible::Description), status);
        const QImage image = w.grab().toImage();
        const TColor rgb = ColorToRGB(color);
        QCOMPARE(image.pixelColor(1, 300), QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)));
    }
    // The transparent credits do not take the colour as a background.
    QVERIFY(w.Label3->Transparent());
}

void TestTForm1::readoutGrowsToTheRight()
{
    TForm1 &w = Shown();
    std::map<TLabel *, QRect> before;
    const std::vector<TLabel *> readout{w.Label7, w.Label8, w.Label9, w.Label10, w.Label11};
    for (TLabel *label : readout)
        before[label] = label->geometry();
    const QString text = QStringLiteral("Пинг: 1234567 мс");
    const ProbeView::ReadoutLabel names[] = {ProbeView::ReadoutLabel::Label7, ProbeView::ReadoutLabel::Label8,
                                            ProbeView::ReadoutLabel::Label9, ProbeView::ReadoutLabel::Label10,
                                            ProbeView::ReadoutLabel::Label11};
    for (const auto name : names)
        w.SetReadoutCaption(name, text);
    for (TLabel *label : readout) {
        QCOMPARE(label->Caption(), text);
        QCOMPARE(label->pos(), before[label].topLeft());
        QVERIFY(label->width() > before[label].width());
        QCOMPARE(label->width(), label->TextExtent().width());
    }
    // Nothing else moved.
    QCOMPARE(w.Edit1->geometry(), QRect(40, 5, 113, 21));
    // The wider readout keeps its place when the window is resized.
    w.resize(1000, 700);
    QTRY_COMPARE(w.ClientSize(), QSize(1000, 700));
    QCOMPARE(w.Label11->geometry(), QRect(before[w.Label11].topLeft(), w.Label11->TextExtent()));
}

void TestTForm1::hostTextIsReadUntrimmed()
{
    TForm1 &w = Shown();
    w.Edit1->setText(QStringLiteral("  127.0.0.1 \t"));
    QCOMPARE(w.HostText(), QStringLiteral("  127.0.0.1 \t"));
}

void TestTForm1::formCreateErrorIsShownAndTheWindowStillComesUp()
{
    g_timersFail = true;
    TForm1 &w = Shown();
    g_timersFail = false;
    QCOMPARE(RecordedBoxes().size(), 1u);
    QCOMPARE(RecordedBoxes().front().kind, MessageBoxRequest::Kind::Error);
    QCOMPARE(RecordedBoxes().front().caption, QStringLiteral("Kelvora"));
    QCOMPARE(RecordedBoxes().front().text, QStringLiteral("Not enough timers available."));
    QVERIFY(w.isVisible());
    QCOMPARE(w.Color(), clYellow);
    // The creation handler stopped at the failed step: the check timer is
    // flagged enabled but delivers nothing, the tick timer was not reached.
    QVERIFY(w.Timer1->Enabled());
    QVERIFY(!w.Timer1->Armed());
    QVERIFY(!w.Timer2->Enabled());
}

void TestTForm1::stackFailureEndsTheProgramWithApplicationError()
{
    SetStackClass([]() -> std::unique_ptr<TIdStack> {
        throw EIdStackInitializationFailed("Winsock Initialization Error.");
    });
    QCOMPARE(RunProgram(App(), CreateForm1), 1);
    QCOMPARE(Form1, nullptr);
    QCOMPARE(App().MainForm(), nullptr);
    QCOMPARE(GStack(), nullptr);
    QCOMPARE(NetComponentCount(), 0);
    for (QWidget *window : QApplication::topLevelWidgets())
        QVERIFY(!window->isVisible());
    QCOMPARE(RecordedBoxes().size(), 1u);
    const MessageBoxRequest &box = RecordedBoxes().front();
    QCOMPARE(box.kind, MessageBoxRequest::Kind::ApplicationError);
    QCOMPARE(box.caption, QStringLiteral("Application Error"));
    QVERIFY2(QRegularExpression(QStringLiteral("^Exception EIdStackInitializationFailed in module tst_tform1 "
                                               "at [0-9A-F]{8}\\.\r\nWinsock Initialization Error\\.\r\n$"))
                 .match(box.text)
                 .hasMatch(),
             qPrintable(box.text));
}

void TestTForm1::exitButtonEndsTheProgramAndReleasesTheStack()
{
    QTimer::singleShot(100, this, [] {
        if (Form1 != nullptr)
            QTest::mouseClick(Form1->Button1, Qt::LeftButton);
    });
    QCOMPARE(RunProgram(App(), CreateForm1), 0);
    QCOMPARE(Form1, nullptr);
    QCOMPARE(GStack(), nullptr);
    QCOMPARE(NetComponentCount(), 0);
    QVERIFY(RecordedBoxes().empty());
}

void TestTForm1::quitRequestTakenDuringFormCreateEndsBeforeTheLoop()
{
    // A stop request that is waiting when the window is built (a signal in
    // the first moments after launch) is taken by the creation handler's
    // pending-events step; the program then ends without running its loop.
    // Should the loop run after all, the guard ends it, so that the test
    // fails instead of hanging.
    bool loopRan = false;
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, this, [&] {
        loopRan = true;
        App().Terminate();
    });
    guard.start(3000);
    App().Terminate();
    QCOMPARE(RunProgram(App(), CreateForm1), 0);
    QVERIFY(!loopRan);
    QCOMPARE(Form1, nullptr);
    QCOMPARE(App().MainForm(), nullptr);
    QCOMPARE(GStack(), nullptr);
    QVERIFY(!App().Terminated()); // the next run starts afresh
    QVERIFY(RecordedBoxes().empty());
}

void TestTForm1::checksAgainstALoopbackListenerTurnTheWindowLimeThenRed()
{
    if (!InPrivateNetwork())
        QSKIP("needs a private network namespace to listen on port 80");
    NamespaceListener listener(80, true);
    QVERIFY2(listener.IsValid(), qPrintable(listener.Error()));
    TForm1 &w = Shown();
    w.Edit1->setText(QStringLiteral("127.0.0.1"));
    w.SpinEdit1->SetValue(1);
    QCOMPARE(w.Timer1->Interval(), 1000u);
    QTRY_COMPARE_WITH_TIMEOUT(w.Color(), clLime, 10000);
    QVERIFY(listener.AcceptPending() >= 1);
    QVERIFY(w.Label11->Caption().startsWith(QStringLiteral("Пинг: ")));
    QVERIFY(w.Label11->Caption().endsWith(QStringLiteral(" мс")));
    QCOMPARE(w.accessibleDescription(), QStringLiteral("Интернет доступен"));
    listener.Close();
    QTRY_COMPARE_WITH_TIMEOUT(w.Color(), clRed, 10000);
    QCOMPARE(w.Gauge1->BackColor(), clRed);
    QVERIFY(RecordedBoxes().empty());
}

KELVORA_UI_TEST_MAIN(TestTForm1)
#include "tst_tform1.moc"
