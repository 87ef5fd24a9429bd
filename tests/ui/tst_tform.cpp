// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "support/ApplicationTestMain.h"

#include "app/Program.h"
#include "base/ErrorReport.h"
#include "ui/TForm.h"

#include <QCloseEvent>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QtTest>

namespace {

QStringList &Log()
{
    static QStringList log;
    return log;
}

TApplication &App()
{
    return *TApplication::Instance();
}

// A window with two controls and a scripted event handler; it logs its close
// queries. Client 300 x 200; extents 150 x 120 from its two near-anchored
// controls.
class ScriptedForm final : public TForm {
public:
    explicit ScriptedForm(std::function<void(ScriptedForm &)> script = {})
        : TForm(QSize(300, 200), QSize(308, 234)), left(new QWidget(Client())),
          stretched(new QWidget(Client()))
    {
        AddControl(left, QRect(10, 20, 140, 100), akLeft | akTop);
        AddControl(stretched, QRect(5, 150, 290, 30), akLeft | akRight | akBottom);
        if (script)
            QTimer::singleShot(10, this, [this, script] { CallGuarded([&] { script(*this); }); });
    }
    bool CloseQuery() override
    {
        Log() << QStringLiteral("close query");
        return allowClose;
    }

    QWidget *left;
    QWidget *stretched;
    bool allowClose = true;
};

// The window system's close request, as the close box or Alt+F4 send it.
void PostCloseRequest(QWidget &window)
{
    QCoreApplication::postEvent(&window, new QCloseEvent);
}

std::unique_ptr<QWidget> ClosedDuringCheck()
{
    return std::make_unique<ScriptedForm>([](ScriptedForm &form) {
        Log() << QStringLiteral("check starts");
        PostCloseRequest(form);
        App().ProcessPendingEvents();
        Log() << QStringLiteral("terminated %1").arg(App().Terminated());
        Log() << QStringLiteral("connection attempt");
        App().ProcessPendingEvents();
        Log() << QStringLiteral("check finished");
    });
}

std::unique_ptr<QWidget> ClosedTwice()
{
    return std::make_unique<ScriptedForm>([](ScriptedForm &form) {
        form.RequestClose();
        PostCloseRequest(form);
        Log() << QStringLiteral("both asked");
    });
}

std::unique_ptr<QWidget> RefusesFirstClose()
{
    return std::make_unique<ScriptedForm>([](ScriptedForm &form) {
        form.allowClose = false;
        form.RequestClose();
        App().ProcessPendingEvents();
        Log() << QStringLiteral("still running %1").arg(!App().Terminated());
        form.allowClose = true;
        form.RequestClose();
    });
}

} // namespace

class TestTForm : public QObject {
    Q_OBJECT
private slots:
    void init() { Log().clear(); }
    void cleanup() { App().Shutdown(); }

    void colourGoesToFollowersAndBackground();
    void closeRequestInsideACheckIsHandledAfterIt();
    void secondCloseRequestChangesNothing();
    void refusedCloseQueryKeepsTheLoopRunning();
    void closeEventNeverClosesTheWindowItself();
    void otherWindowsHideOnClose();
    void scrollBarsBelowTheExtents_data();
    void scrollBarsBelowTheExtents();
    void scrollingShiftsAllControlsTogether();
    void desktopCentre_data();
    void desktopCentre();
    void firstShowCentresLaterShowsStay();
    void aWindowStartedMinimizedIsPlacedWhenRestored();
    void theFrameIsCentredOnceTheWindowManagerHasFramedIt_data();
    void theFrameIsCentredOnceTheWindowManagerHasFramedIt();
};

void TestTForm::colourGoesToFollowersAndBackground()
{
    ScriptedForm form;
    std::vector<TColor> followed;
    form.AddColorFollower([&](TColor color) { followed.push_back(color); });
    QCOMPARE(followed, std::vector<TColor>{clWindow});
    form.SetColor(clLime);
    form.SetColor(clLime);
    QCOMPARE(followed, (std::vector<TColor>{clWindow, clLime}));
    const QImage image = form.grab().toImage();
    QCOMPARE(image.pixelColor(299, 0), QColor(0, 255, 0));
}

void TestTForm::closeRequestInsideACheckIsHandledAfterIt()
{
    QCOMPARE(RunProgram(App(), ClosedDuringCheck), 0);
    QCOMPARE(Log(), (QStringList{"check starts", "close query", "terminated 1", "connection attempt",
                                 "check finished"}));
    QCOMPARE(App().MainForm(), nullptr);
}

void TestTForm::secondCloseRequestChangesNothing()
{
    QCOMPARE(RunProgram(App(), ClosedTwice), 0);
    // The second request is asked like the first (if the loop gets to it
    // before it ends) and ends nothing more.
    QCOMPARE(Log().mid(0, 2), (QStringList{"close query", "both asked"}));
    QVERIFY(Log().size() <= 3);
    QCOMPARE(App().MainForm(), nullptr);
}

void TestTForm::refusedCloseQueryKeepsTheLoopRunning()
{
    QCOMPARE(RunProgram(App(), RefusesFirstClose), 0);
    QCOMPARE(Log(), (QStringList{"close query", "still running 1", "close query"}));
}

void TestTForm::closeEventNeverClosesTheWindowItself()
{
    QWidget *window = App().CreateForm([] { return std::unique_ptr<QWidget>(new ScriptedForm); });
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QVERIFY(!window->close());
    QVERIFY(window->isVisible());
    App().ProcessPendingEvents();
    QVERIFY(App().Terminated());
}

void TestTForm::otherWindowsHideOnClose()
{
    ScriptedForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.RequestClose();
    QVERIFY(form.isHidden());
}

void TestTForm::scrollBarsBelowTheExtents_data()
{
    QTest::addColumn<QSize>("window");
    QTest::addColumn<bool>("horizontal");
    QTest::addColumn<bool>("vertical");
    const int bar = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    QTest::newRow("layout size") << QSize(300, 200) << false << false;
    QTest::newRow("exactly the extents") << QSize(150, 120) << false << false;
    QTest::newRow("one pixel narrower") << QSize(149, 300) << true << false;
    QTest::newRow("one pixel lower") << QSize(400, 119) << false << true;
    QTest::newRow("narrower and lower") << QSize(100, 80) << true << true;
    QTest::newRow("horizontal bar takes the height") << QSize(149, 120 + bar - 1) << true << true;
}

void TestTForm::scrollBarsBelowTheExtents()
{
    QFETCH(QSize, window);
    QFETCH(bool, horizontal);
    QFETCH(bool, vertical);
    ScriptedForm form;
    QCOMPARE(form.ScrollExtent(), QSize(150, 120));
    form.show();
    form.resize(window);
    QTRY_COMPARE(form.size(), window);
    QCOMPARE(form.HorizontalScrollBar()->isVisible(), horizontal);
    QCOMPARE(form.VerticalScrollBar()->isVisible(), vertical);
    const int bar = form.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    QCOMPARE(form.ClientSize(), QSize(window.width() - (vertical ? bar : 0),
                                      window.height() - (horizontal ? bar : 0)));
    if (horizontal)
        QCOMPARE(form.HorizontalScrollBar()->maximum(), 150 - form.ClientSize().width());
}

void TestTForm::scrollingShiftsAllControlsTogether()
{
    ScriptedForm form;
    form.show();
    form.resize(100, 80);
    QTRY_COMPARE(form.size(), QSize(100, 80));
    const QPoint left = form.left->pos();
    const QPoint stretched = form.stretched->pos();
    form.HorizontalScrollBar()->setValue(20);
    form.VerticalScrollBar()->setValue(15);
    QCOMPARE(form.left->pos(), left - QPoint(20, 15));
    QCOMPARE(form.stretched->pos(), stretched - QPoint(20, 15));
    // The unscrolled bounds are unchanged.
    QCOMPARE(form.ControlBounds(form.left).left, 10);
    // Growing back past the extents removes the bars and the offset.
    form.resize(300, 200);
    QTRY_VERIFY(!form.HorizontalScrollBar()->isVisible());
    QCOMPARE(form.left->pos(), QPoint(10, 20));
}

void TestTForm::desktopCentre_data()
{
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QPoint>("position");
    QTest::newRow("full HD") << QRect(0, 0, 1920, 1080) << QPoint(524, 220);
    QTest::newRow("odd sizes truncate") << QRect(0, 0, 1025, 769) << QPoint(77, 64);
    QTest::newRow("two monitors side by side") << QRect(0, 0, 3840, 1080) << QPoint(1484, 220);
    QTest::newRow("narrower than the window") << QRect(0, 0, 800, 1080) << QPoint(0, 220);
    QTest::newRow("smaller than the window") << QRect(0, 0, 640, 480) << QPoint(0, 0);
    QTest::newRow("a panel along the top") << QRect(0, 32, 1920, 1048) << QPoint(524, 236);
    QTest::newRow("a dock on the left") << QRect(48, 0, 1872, 1080) << QPoint(548, 220);
    QTest::newRow("smaller, below a panel") << QRect(0, 27, 640, 453) << QPoint(0, 27);
    QTest::newRow("scale 2 on full HD") << QRect(0, 0, 960, 540) << QPoint(44, 0);
}

void TestTForm::desktopCentre()
{
    QFETCH(QRect, area);
    QFETCH(QPoint, position);
    QCOMPARE(TForm::DesktopCenter(area, QSize(871, 640)), position);
}

void TestTForm::firstShowCentresLaterShowsStay()
{
    ScriptedForm form;
    const QRect area(0, 0, 1280, 1024);
    form.SetPlacementEnvironment({[area] { return area; }, [](const QWidget &) { return QMargins(); }});
    form.SetPosition(poDesktopCenter);
    form.show();
    // No window manager: the layout's outer size is centred.
    QCOMPARE(form.pos(), TForm::DesktopCenter(area, QSize(308, 234)));
    QCOMPARE(form.Position(), poDesigned);
    form.hide();
    form.move(3, 4);
    form.show();
    QCOMPARE(form.pos(), QPoint(3, 4));
}

void TestTForm::aWindowStartedMinimizedIsPlacedWhenRestored()
{
    ScriptedForm form;
    const QRect area(0, 0, 1280, 1024);
    form.SetPlacementEnvironment({[area] { return area; }, [](const QWidget &) { return QMargins(); }});
    form.SetPosition(poDesktopCenter);
    form.move(3, 4);
    form.showMinimized();
    // Moving it now would take it out of the minimized state.
    QCOMPARE(form.pos(), QPoint(3, 4));
    QCOMPARE(form.Position(), poDesktopCenter);
    form.showNormal();
    QTRY_COMPARE(form.pos(), TForm::DesktopCenter(area, QSize(308, 234)));
    QCOMPARE(form.Position(), poDesigned);
}

void TestTForm::theFrameIsCentredOnceTheWindowManagerHasFramedIt_data()
{
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QMargins>("frame");
    QTest::addColumn<QPoint>("framePosition");
    // The client area is 300 x 200.
    QTest::newRow("a thin frame with a caption") << QRect(0, 0, 1280, 1024) << QMargins(1, 20, 1, 5) << QPoint(489, 399);
    QTest::newRow("below a panel") << QRect(0, 30, 1280, 994) << QMargins(4, 30, 4, 4) << QPoint(486, 410);
    QTest::newRow("larger than a small desktop") << QRect(0, 0, 200, 150) << QMargins(1, 20, 1, 5) << QPoint(0, 0);
    QTest::newRow("a desktop that does not start at 0") << QRect(1280, 0, 1280, 1024) << QMargins(2, 2, 2, 2)
                                                        << QPoint(1280 + 488, 410);
}

void TestTForm::theFrameIsCentredOnceTheWindowManagerHasFramedIt()
{
    QFETCH(QRect, area);
    QFETCH(QMargins, frame);
    QFETCH(QPoint, framePosition);
    ScriptedForm form;
    bool framed = false;
    form.SetPlacementEnvironment(
        {[area] { return area; }, [&](const QWidget &) { return framed ? frame : QMargins(); }});
    form.SetPosition(poDesktopCenter);
    form.show();
    QCOMPARE(form.pos(), TForm::DesktopCenter(area, QSize(308, 234)));

    // The window manager frames the window a moment later.
    framed = true;
    QTRY_VERIFY(!form.AwaitingFrame());
    QCOMPARE(form.pos(), framePosition);
    QVERIFY(form.pos().x() >= area.left() && form.pos().y() >= area.top());

    // Moves after that are the user's.
    form.move(framePosition + QPoint(40, 30));
    QTest::qWait(100);
    QCOMPARE(form.pos(), framePosition + QPoint(40, 30));
}

KELVORA_UI_TEST_MAIN(TestTForm)
#include "tst_tform.moc"
