// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "controls/GaugeGeometry.h"

#include <QtTest>

#include <cstdlib>

using namespace GaugeGeometry;

namespace {

TGaugeLook NeedleLook(int width, int height, int percent, TBorderStyle border = bsNone)
{
    TGaugeLook look;
    look.width = width;
    look.height = height;
    look.kind = gkNeedle;
    look.borderStyle = border;
    look.percent = percent;
    return look;
}

// Every pixel the needle's line sets within the paint rectangle.
QList<QPoint> NeedlePixels(const TGaugeLook &look)
{
    QList<QPoint> pixels;
    const auto needle = NeedleOf(look, PaintEdges(look));
    if (!needle)
        return pixels;
    const QPoint d = needle->tip - needle->pivot;
    const std::int64_t steps = std::max(std::abs(d.x()), std::abs(d.y()));
    for (std::int64_t i = 0; i < steps; ++i) {
        const QPoint p = LinePoint(needle->pivot, d.x(), d.y(), steps, i);
        if (PaintRect(look).contains(p))
            pixels << p;
    }
    return pixels;
}

} // namespace

Q_DECLARE_METATYPE(TGaugeLook)

class TestGaugeGeometry : public QObject {
    Q_OBJECT
private slots:
    void paintRectLosesTheBorderRing_data();
    void paintRectLosesTheBorderRing();
    void roundsHalvesToEven_data();
    void roundsHalvesToEven();
    void lineStepsOnePixelAlongTheLongerAxis_data();
    void lineStepsOnePixelAlongTheLongerAxis();
    void needleRunsFromThePivotAtTheBaseline_data();
    void needleRunsFromThePivotAtTheBaseline();
    void needleBandsCoverEveryNeedlePixel_data();
    void needleBandsCoverEveryNeedlePixel();
    void needleBandsOfSeveralLooksCoverThemAll();
};

void TestGaugeGeometry::paintRectLosesTheBorderRing_data()
{
    QTest::addColumn<TGaugeLook>("look");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("no border: the whole gauge") << NeedleLook(120, 70, 0) << QRect(0, 0, 120, 70);
    QTest::newRow("single border: one pixel in on every side")
        << NeedleLook(120, 70, 0, bsSingle) << QRect(1, 1, 118, 68);
    QTest::newRow("two pixels with a border: nothing to paint")
        << NeedleLook(2, 2, 0, bsSingle) << QRect();
    QTest::newRow("one pixel with a border: nothing, not a negative size")
        << NeedleLook(1, 1, 0, bsSingle) << QRect();
}

void TestGaugeGeometry::paintRectLosesTheBorderRing()
{
    QFETCH(TGaugeLook, look);
    QFETCH(QRect, expected);
    const QRect rect = PaintRect(look);
    QCOMPARE(rect.isEmpty(), expected.isEmpty());
    if (!expected.isEmpty())
        QCOMPARE(rect, expected);
    QVERIFY(rect.width() >= 0 && rect.height() >= 0);
}

void TestGaugeGeometry::roundsHalvesToEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("a half below an even number goes down") << 0.5 << 0;
    QTest::newRow("a half below an odd number goes up") << 1.5 << 2;
    QTest::newRow("2.5 goes to 2") << 2.5 << 2;
    QTest::newRow("negative half to the even neighbour") << -1.5 << -2;
    QTest::newRow("-0.5 goes to 0") << -0.5 << 0;
    QTest::newRow("just under a half goes down") << 2.4999 << 2;
    QTest::newRow("just over a half goes up") << 2.5001 << 3;
    QTest::newRow("a whole number stays") << 7.0 << 7;
}

void TestGaugeGeometry::roundsHalvesToEven()
{
    QFETCH(double, value);
    QFETCH(int, expected);
    QCOMPARE(RoundHalfEven(value), expected);
}

void TestGaugeGeometry::lineStepsOnePixelAlongTheLongerAxis_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::newRow("shallow, right and down") << QPoint(3, 4) << QPoint(40, 17);
    QTest::newRow("steep, left and up") << QPoint(50, 90) << QPoint(41, 2);
    QTest::newRow("diagonal") << QPoint(0, 0) << QPoint(-25, 25);
    QTest::newRow("horizontal") << QPoint(10, 10) << QPoint(-10, 10);
    QTest::newRow("one step") << QPoint(5, 5) << QPoint(6, 7);
}

void TestGaugeGeometry::lineStepsOnePixelAlongTheLongerAxis()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    const QPoint d = to - from;
    const std::int64_t steps = std::max(std::abs(d.x()), std::abs(d.y()));
    const bool xMajor = std::abs(d.x()) >= std::abs(d.y());
    QPoint previous = LinePoint(from, d.x(), d.y(), steps, 0);
    QCOMPARE(previous, from);
    for (std::int64_t i = 1; i <= steps; ++i) {
        const QPoint p = LinePoint(from, d.x(), d.y(), steps, i);
        const int along = xMajor ? std::abs(p.x() - from.x()) : std::abs(p.y() - from.y());
        QCOMPARE(along, int(i));
        // Neighbouring steps touch: the line has no gaps.
        QVERIFY2(std::abs(p.x() - previous.x()) <= 1 && std::abs(p.y() - previous.y()) <= 1,
                 qPrintable(QStringLiteral("gap before step %1").arg(i)));
        previous = p;
    }
    QCOMPARE(previous, to);
}

void TestGaugeGeometry::needleRunsFromThePivotAtTheBaseline_data()
{
    QTest::addColumn<TGaugeLook>("look");
    QTest::addColumn<bool>("hasNeedle");
    QTest::addColumn<QPoint>("pivot");
    QTest::addColumn<QPoint>("tip");
    QTest::newRow("0 %: no needle") << NeedleLook(101, 51, 0) << false << QPoint() << QPoint();
    QTest::newRow("below 0 %: no needle") << NeedleLook(101, 51, -3) << false << QPoint() << QPoint();
    QTest::newRow("50 %: straight up") << NeedleLook(101, 51, 50) << true << QPoint(50, 50) << QPoint(50, 0);
    QTest::newRow("100 %: flat to the right") << NeedleLook(101, 51, 100) << true << QPoint(50, 50)
                                              << QPoint(100, 50);
    QTest::newRow("with a border the baseline moves up a row") << NeedleLook(101, 52, 50, bsSingle)
                                                               << true << QPoint(50, 50) << QPoint(50, 0);
    QTest::newRow("without one it stays on the last row") << NeedleLook(101, 52, 50) << true << QPoint(50, 51)
                                                          << QPoint(50, 0);
}

void TestGaugeGeometry::needleRunsFromThePivotAtTheBaseline()
{
    QFETCH(TGaugeLook, look);
    QFETCH(bool, hasNeedle);
    const auto needle = NeedleOf(look, PaintEdges(look));
    QCOMPARE(needle.has_value(), hasNeedle);
    if (!hasNeedle)
        return;
    QFETCH(QPoint, pivot);
    QFETCH(QPoint, tip);
    QCOMPARE(needle->pivot, pivot);
    QCOMPARE(needle->tip, tip);
}

void TestGaugeGeometry::needleBandsCoverEveryNeedlePixel_data()
{
    QTest::addColumn<TGaugeLook>("look");
    QTest::addColumn<bool>("columns");
    QTest::newRow("steep needle on the window's gauge: bands of rows")
        << NeedleLook(858, 521, 40, bsSingle) << false;
    QTest::newRow("flat needle: bands of columns") << NeedleLook(858, 521, 4) << true;
    QTest::newRow("upright needle") << NeedleLook(300, 300, 50) << false;
    QTest::newRow("tiny gauge") << NeedleLook(5, 4, 75, bsSingle) << false;
}

void TestGaugeGeometry::needleBandsCoverEveryNeedlePixel()
{
    QFETCH(TGaugeLook, look);
    QFETCH(bool, columns);
    const QRegion bands = NeedleBands({&look});
    const QList<QPoint> pixels = NeedlePixels(look);
    QVERIFY(!pixels.isEmpty());
    for (const QPoint &p : pixels)
        QVERIFY2(bands.contains(p), qPrintable(QStringLiteral("(%1, %2) left out").arg(p.x()).arg(p.y())));
    QVERIFY(PaintRect(look).contains(bands.boundingRect()));
    // Within each band of rows (or columns) the area is exactly the box of
    // that band's needle pixels: nothing of the gauge besides is repainted.
    const QRect paint = PaintRect(look);
    const int extent = columns ? paint.right() : paint.bottom();
    for (int start = 0; start <= extent; start += kNeedleBand) {
        const QRect strip = columns ? QRect(start, 0, kNeedleBand, look.height)
                                    : QRect(0, start, look.width, kNeedleBand);
        QRect box;
        for (const QPoint &p : pixels) {
            if (strip.contains(p))
                box |= QRect(p, QSize(1, 1));
        }
        QCOMPARE(bands & strip, QRegion(box));
    }
}

void TestGaugeGeometry::needleBandsOfSeveralLooksCoverThemAll()
{
    const TGaugeLook before = NeedleLook(400, 250, 20, bsSingle);
    const TGaugeLook after = NeedleLook(400, 250, 80, bsSingle);
    TGaugeLook bar = after;
    bar.kind = gkHorizontalBar;
    const QRegion both = NeedleBands({&before, &bar, &after});
    for (const QPoint &p : NeedlePixels(before) + NeedlePixels(after))
        QVERIFY(both.contains(p));
    QVERIFY(NeedleBands({&bar}).isEmpty());
    const TGaugeLook zero = NeedleLook(400, 250, 0);
    QVERIFY(NeedleBands({&zero}).isEmpty());
}

QTEST_GUILESS_MAIN(TestGaugeGeometry)
#include "tst_gaugegeometry.moc"
