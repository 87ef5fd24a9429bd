// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "base/Exception.h"
#include "ui/TProgressBar.h"

#include <QProgressBar>
#include <QtTest>

#include <climits>

class TestTProgressBar : public QObject {
    Q_OBJECT
private slots:
    void defaults();
    void maxBelowMinIsRefusedAndChangesNothing_data();
    void maxBelowMinIsRefusedAndChangesNothing();
    void minAboveMaxIsRefused();
    void newMaxReachesTheNativeBar_data();
    void newMaxReachesTheNativeBar();
    void positionIsKeptInRange_data();
    void positionIsKeptInRange();
    void smallerRangeKeepsPositionInside();
    void ringTakesTheWindowColour();
    void emptyRangeShowsAnEmptyBar();
};

void TestTProgressBar::defaults()
{
    TProgressBar bar;
    QCOMPARE(bar.Min(), 0);
    QCOMPARE(bar.Max(), 100);
    QCOMPARE(bar.Position(), 0);
    QCOMPARE(bar.focusPolicy(), Qt::NoFocus);
    QCOMPARE(bar.NativeBar()->focusPolicy(), Qt::NoFocus);
}

void TestTProgressBar::maxBelowMinIsRefusedAndChangesNothing_data()
{
    QTest::addColumn<int>("max");
    QTest::newRow("minus one") << -1;
    QTest::newRow("lowest 32-bit value") << INT_MIN;
}

void TestTProgressBar::maxBelowMinIsRefusedAndChangesNothing()
{
    QFETCH(int, max);
    TProgressBar bar;
    bar.SetMax(30);
    bar.SetPosition(12);
    try {
        bar.SetMax(max);
        QFAIL("a maximum below the minimum was taken");
    } catch (const EInvalidOperation &error) {
        QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("TProgressBar property out of range"));
        QCOMPARE(QString::fromUtf8(error.ClassName()), QStringLiteral("EInvalidOperation"));
    }
    QCOMPARE(bar.Max(), 30);
    QCOMPARE(bar.Position(), 12);
    QCOMPARE(bar.NativeBar()->maximum(), 30);
}

void TestTProgressBar::minAboveMaxIsRefused()
{
    TProgressBar bar;
    bar.SetMax(10);
    QVERIFY_THROWS_EXCEPTION(EInvalidOperation, bar.SetMin(11));
    QCOMPARE(bar.Min(), 0);
    bar.SetMin(10);
    QCOMPARE(bar.Min(), 10);
}

void TestTProgressBar::newMaxReachesTheNativeBar_data()
{
    QTest::addColumn<int>("max");
    QTest::newRow("the layout's interval") << 30;
    QTest::newRow("equal to the minimum") << 0;
    QTest::newRow("largest interval the timer holds") << 2147483;
    QTest::newRow("largest 32-bit value") << INT_MAX;
}

void TestTProgressBar::newMaxReachesTheNativeBar()
{
    QFETCH(int, max);
    TProgressBar bar;
    bar.SetMax(max);
    QCOMPARE(bar.NativeBar()->maximum(), max);
    QCOMPARE(bar.Max(), max);
    // Writing the value held does nothing (and raises nothing).
    bar.SetMax(max);
    QCOMPARE(bar.Max(), max);
}

void TestTProgressBar::positionIsKeptInRange_data()
{
    QTest::addColumn<int>("written");
    QTest::addColumn<int>("read");
    QTest::newRow("inside") << 7 << 7;
    QTest::newRow("at the maximum") << 30 << 30;
    QTest::newRow("above the maximum") << 31 << 30;
    QTest::newRow("below the minimum") << -5 << 0;
}

void TestTProgressBar::positionIsKeptInRange()
{
    QFETCH(int, written);
    QFETCH(int, read);
    TProgressBar bar;
    bar.SetMax(30);
    bar.SetPosition(written);
    QCOMPARE(bar.Position(), read);
    QCOMPARE(bar.NativeBar()->value(), read);
}

void TestTProgressBar::smallerRangeKeepsPositionInside()
{
    TProgressBar bar;
    bar.SetMax(60);
    bar.SetPosition(45);
    bar.SetMax(30);
    QCOMPARE(bar.Position(), 30);
    bar.SetMax(0);
    QCOMPARE(bar.Position(), 0);
}

void TestTProgressBar::ringTakesTheWindowColour()
{
    TProgressBar bar;
    bar.resize(200, 33);
    bar.SetBorderWidth(1);
    bar.ParentColorChanged(clLime);
    QCOMPARE(bar.NativeBar()->geometry(), QRect(1, 1, 198, 31));
    const QImage image = bar.grab().toImage();
    for (const QPoint point : {QPoint(0, 0), QPoint(199, 0), QPoint(100, 0), QPoint(0, 16),
                               QPoint(199, 32), QPoint(100, 32)})
        QCOMPARE(image.pixelColor(point), QColor(0, 255, 0));
    // Inside the ring the native bar paints itself.
    QVERIFY(image.pixelColor(100, 16) != QColor(0, 255, 0));
}

void TestTProgressBar::emptyRangeShowsAnEmptyBar()
{
    TProgressBar bar;
    bar.resize(200, 33);
    bar.SetMax(0);
    const QImage empty = bar.grab().toImage();
    bar.SetMax(10);
    const QImage zero = bar.grab().toImage();
    // The same picture as a bar at 0 of 10: no busy indicator.
    QCOMPARE(empty, zero);
    bar.SetPosition(10);
    QVERIFY(bar.grab().toImage() != zero);
}

QTEST_MAIN(TestTProgressBar)
#include "tst_tprogressbar.moc"
