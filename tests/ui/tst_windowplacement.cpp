// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// Placing a window by its frame: a frame that comes late, or first reports a
// size that has not grown around the window yet, is waited for; a window
// placed over another stays within the free area with its frame.

#include "ui/WindowPlacement.h"

#include <QEvent>
#include <QMoveEvent>
#include <QtTest>
#include <QWidget>

#include <vector>

namespace {

// The positions a window was moved to.
class MoveLog final : public QObject {
public:
    std::vector<QPoint> positions;
    void Watch(QWidget &widget) { widget.installEventFilter(this); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Move)
            positions.push_back(static_cast<QMoveEvent *>(event)->pos());
        return false;
    }
};

// A window manager that answers with the frames of `script`, one per look,
// and with the last one from then on.
PlacementEnvironment Scripted(QRect area, std::vector<QMargins> script, int &looks)
{
    return {[area] { return area; },
            [script = std::move(script), &looks](const QWidget &) {
                const std::size_t at = std::min<std::size_t>(std::size_t(looks++), script.size() - 1);
                return script[at];
            }};
}

} // namespace

class TestWindowPlacement : public QObject {
    Q_OBJECT
private slots:
    void aFrameIsKnownOnceItEnclosesTheWindowAndHoldsStill_data();
    void aFrameIsKnownOnceItEnclosesTheWindowAndHoldsStill();
    void centredOverAnotherWithinTheArea_data();
    void centredOverAnotherWithinTheArea();
    void aTallWindowOverAnotherKeepsItsFrameOnTheScreen_data();
    void aTallWindowOverAnotherKeepsItsFrameOnTheScreen();
};

void TestWindowPlacement::aFrameIsKnownOnceItEnclosesTheWindowAndHoldsStill_data()
{
    QTest::addColumn<std::vector<QMargins>>("frames");
    const QMargins none;
    const QMargins real(1, 20, 1, 5);
    // A frame not yet grown around the 300 x 200 window: 1 x 1.
    const QMargins unsized(0, 0, -299, -199);
    QTest::newRow("known at once") << std::vector<QMargins>{real};
    QTest::newRow("late") << std::vector<QMargins>{none, none, none, real};
    QTest::newRow("late, first smaller than the window")
        << std::vector<QMargins>{none, none, unsized, unsized, real};
    QTest::newRow("late, then its size changes once")
        << std::vector<QMargins>{none, QMargins(1, 1, 1, 1), real};
}

void TestWindowPlacement::aFrameIsKnownOnceItEnclosesTheWindowAndHoldsStill()
{
    QFETCH(std::vector<QMargins>, frames);
    const QRect area(0, 0, 1280, 1024);
    QWidget window;
    window.resize(300, 200);
    MoveLog moves;
    moves.Watch(window);
    int looks = 0;
    WindowPlacement placement(window, WindowPlacement::CenteredOnDesktop, [] { return QSize(308, 234); },
                              Scripted(area, frames, looks));
    window.show();
    placement.Place();
    QTRY_VERIFY(!placement.AwaitingFrame());
    // The frame of 302 x 225 is centred; the unsized frame (the window
    // taken as 1 x 1) never placed it half off the screen at 639, 511.
    QCOMPARE(window.pos(), QPoint(489, 399));
    for (const QPoint &position : moves.positions)
        QVERIFY2(position != QPoint(639, 511), "placed with a frame that did not enclose the window");
    QCOMPARE(window.size(), QSize(300, 200));
}

void TestWindowPlacement::centredOverAnotherWithinTheArea_data()
{
    QTest::addColumn<QRect>("over");
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<QRect>("placed");
    const QRect screen(0, 0, 1280, 1024);
    QTest::newRow("in the middle") << QRect(200, 100, 871, 640) << screen << QSize(400, 300)
                                   << QRect(436, 270, 400, 300);
    QTest::newRow("over a window near the right edge") << QRect(1000, 100, 871, 640) << screen << QSize(400, 300)
                                                       << QRect(880, 270, 400, 300);
    QTest::newRow("over a window above the top") << QRect(100, -500, 300, 300) << screen << QSize(400, 300)
                                                 << QRect(50, 0, 400, 300);
    QTest::newRow("larger than the area: shrunk to it") << QRect(0, 0, 871, 640) << QRect(0, 0, 1024, 600)
                                                        << QSize(848, 754) << QRect(12, 0, 848, 600);
    QTest::newRow("below a panel") << QRect(0, 0, 871, 640) << QRect(0, 32, 1024, 568) << QSize(848, 754)
                                   << QRect(12, 32, 848, 568);
}

void TestWindowPlacement::centredOverAnotherWithinTheArea()
{
    QFETCH(QRect, over);
    QFETCH(QRect, area);
    QFETCH(QSize, outer);
    QFETCH(QRect, placed);
    QCOMPARE(WindowPlacement::CenteredOver(over, area, outer, QSize(100, 100)), placed);
    // Never below the window's least size, even where the area is smaller.
    QCOMPARE(WindowPlacement::CenteredOver(over, QRect(0, 0, 50, 50), outer, QSize(100, 100)).size(), QSize(100, 100));
}

void TestWindowPlacement::aTallWindowOverAnotherKeepsItsFrameOnTheScreen_data()
{
    QTest::addColumn<QRect>("area");
    QTest::newRow("1024 x 600") << QRect(0, 0, 1024, 600);
    QTest::newRow("scale 2 on full HD") << QRect(0, 0, 960, 540);
    QTest::newRow("below a panel") << QRect(0, 27, 1024, 573);
}

void TestWindowPlacement::aTallWindowOverAnotherKeepsItsFrameOnTheScreen()
{
    QFETCH(QRect, area);
    const QMargins frame(4, 30, 4, 4);
    QWidget window;
    window.resize(840, 720);
    int looks = 0;
    const QRect main(0, 0, 871, 640);
    WindowPlacement placement(
        window,
        [main](QRect free, QSize outer) { return WindowPlacement::CenteredOver(main, free, outer, QSize(200, 200)); },
        [&window, frame] { return window.size().grownBy(frame); }, Scripted(area, {QMargins(), frame}, looks));
    placement.Place();
    window.show();
    QTRY_VERIFY(!placement.AwaitingFrame());
    // The frame, caption included, lies on the screen.
    const QRect outer(window.pos(), window.size().grownBy(frame));
    QVERIFY2(area.contains(outer), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(outer.x()).arg(outer.y())
                                                  .arg(outer.width()).arg(outer.height())));
    QCOMPARE(outer.height(), area.height());
}

QTEST_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"
