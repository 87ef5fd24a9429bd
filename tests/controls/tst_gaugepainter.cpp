// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "reference/GaugeReferencePaint.h"
#include "reference/StoredGaugeLook.h"
#include "support/ImageBudget.h"

#include "base/Exception.h"
#include "controls/GaugeTextLayout.h"
#include "controls/TBltBitmap.h"
#include "controls/TGauge.h"
#include "controls/TGaugePainter.h"

#include <QPainter>
#include <QtTest>

#include <functional>
#include <vector>

namespace {

constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kYellow = 0xFFFFFF00;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kBlack = 0xFF000000;

// The stored layout's gauge, its corners red so that they tell from the dial.
// The window's gauge at `percent`; red around the dial, so that the corners
// cannot be taken for the dial.
TGaugeLook StoredLook(int percent, bool showText = false, QSize size = {858, 521})
{
    TGaugeLook look = StoredGaugeLook(percent, size);
    look.color = clRed;
    look.showText = showText;
    return look;
}

QRgb At(const QImage &image, QPoint p)
{
    return image.pixel(p) | 0xFF000000u;
}

// The bounding box of the pixels where two pictures differ.
QRect Difference(const QImage &a, const QImage &b)
{
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

Q_DECLARE_METATYPE(TGaugeLook)

class TestGaugePainter : public QObject {
    Q_OBJECT
private slots:
    void needleFollowsWorkedExample_data();
    void needleFollowsWorkedExample();
    void needlePivotHalvesWholeWidth_data();
    void needlePivotHalvesWholeWidth();
    void domeFillsFaceInsideFrame_data();
    void domeFillsFaceInsideFrame();
    void textInvertsWhatLiesBeneath_data();
    void textInvertsWhatLiesBeneath();
    void textIsCentredInFaceSizeAndClipped();
    void textAreaFollowsFontAndText();
    void otherKinds_data();
    void otherKinds();
    void matchesStepByStepPaint_data();
    void matchesStepByStepPaint();
    void partOfThePictureMatchesTheWhole_data();
    void partOfThePictureMatchesTheWhole();
    void changedAreaHoldsEveryChangedPixel_data();
    void changedAreaHoldsEveryChangedPixel();
    void changedAreaIsTheWholeGaugeForAnyOtherChange();
    void emptyTinyAndFailedImages();
};

void TestGaugePainter::needleFollowsWorkedExample_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<QPoint>("middle");    // a needle pixel inside the dial
    QTest::addColumn<QPoint>("lastDrawn"); // the needle pixel before the end point
    QTest::addColumn<QPoint>("end");       // the end point (858, 521)
    QTest::addColumn<QRgb>("endColour");   // 0: the end lies on the outline or outside

    QTest::newRow("3% tip just inside the rim") << 3 << QPoint(229, 497) << QPoint(3, 471) << QPoint(2, 471) << kYellow;
    QTest::newRow("10%") << 10 << QPoint(229, 441) << QPoint(22, 359) << QPoint(21, 359) << 0u;
    QTest::newRow("30%") << 30 << QPoint(303, 310) << QPoint(178, 100) << QPoint(177, 99) << 0u;
    QTest::newRow("50% upright") << 50 << QPoint(429, 260) << QPoint(429, 1) << QPoint(429, 0) << 0u;
    QTest::newRow("70%") << 70 << QPoint(555, 310) << QPoint(680, 100) << QPoint(681, 99) << 0u;
    QTest::newRow("90% tip beyond the rim") << 90 << QPoint(629, 441) << QPoint(835, 360) << QPoint(837, 359) << kRed;
    QTest::newRow("96% tip beyond the rim") << 96 << QPoint(629, 489) << QPoint(853, 455) << QPoint(855, 455) << kRed;
    QTest::newRow("100% flat to the right") << 100 << QPoint(629, 520) << QPoint(857, 520) << QPoint(858, 520) << 0u;
}

void TestGaugePainter::needleFollowsWorkedExample()
{
    QFETCH(int, percent);
    QFETCH(QPoint, middle);
    QFETCH(QPoint, lastDrawn);
    QFETCH(QPoint, end);
    QFETCH(QRgb, endColour);

    const QImage image = TGaugePainter::Paint(StoredLook(percent));
    const QImage bare = TGaugePainter::Paint(StoredLook(0));  // 0 %: no needle
    QCOMPARE(At(image, middle), kBlue);
    QCOMPARE(At(bare, middle), middle.y() == 520 ? kBlue : kYellow);
    QCOMPARE(At(image, lastDrawn), kBlue);
    if (endColour != 0)
        QCOMPARE(At(image, end), endColour);
}

void TestGaugePainter::needlePivotHalvesWholeWidth_data()
{
    QTest::addColumn<int>("border");
    QTest::newRow("no border") << int(bsNone);
    QTest::newRow("single border: still the whole width halved") << int(bsSingle);
}

void TestGaugePainter::needlePivotHalvesWholeWidth()
{
    QFETCH(int, border);
    TGaugeLook look = StoredLook(50, false, {101, 200});
    look.borderStyle = TBorderStyle(border);
    const QImage image = TGaugePainter::Paint(look);
    for (int y : {20, 100, 180}) {
        QCOMPARE(At(image, {50, y}), kBlue);
        QCOMPARE(At(image, {49, y}), kYellow);
        QCOMPARE(At(image, {51, y}), kYellow);
    }
}

void TestGaugePainter::domeFillsFaceInsideFrame_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("border");
    QTest::addColumn<int>("percent");

    QTest::newRow("stored size") << QSize(858, 521) << int(bsNone) << 0;
    QTest::newRow("odd width") << QSize(101, 200) << int(bsNone) << 0;
    QTest::newRow("wide and low") << QSize(300, 40) << int(bsNone) << 0;
    QTest::newRow("tiny") << QSize(14, 8) << int(bsNone) << 0;
    QTest::newRow("framed, text on, upright") << QSize(200, 120) << int(bsSingle) << 50;
    QTest::newRow("framed, needle tip on the frame") << QSize(200, 120) << int(bsSingle) << 1;
    QTest::newRow("framed, needle flat to the frame") << QSize(200, 120) << int(bsSingle) << 100;
}

void TestGaugePainter::domeFillsFaceInsideFrame()
{
    QFETCH(QSize, size);
    QFETCH(int, border);
    QFETCH(int, percent);

    TGaugeLook look = StoredLook(percent, border == bsSingle, size);
    look.borderStyle = TBorderStyle(border);
    const QImage image = TGaugePainter::Paint(look);
    const int in = border == bsSingle ? 1 : 0;  // the face's first pixel
    const int right = size.width() - 1 - in;
    const int bottom = size.height() - 1 - in;

    for (int x = 0; x < size.width() && in; ++x)
        QVERIFY(At(image, {x, 0}) == kBlack && At(image, {x, size.height() - 1}) == kBlack);
    for (int y = 0; y < size.height() && in; ++y)
        QVERIFY(At(image, {0, y}) == kBlack && At(image, {size.width() - 1, y}) == kBlack);
    QCOMPARE(At(image, {in, in}), kRed);                 // corners in the control's colour
    QCOMPARE(At(image, {right, in}), kRed);
    QCOMPARE(At(image, {size.width() / 2, in}), kBlue);  // the top row touched
    for (int x = in; x <= right; ++x)                    // straight side along the face's bottom row
        QCOMPARE(At(image, {x, bottom}), kBlue);
    QCOMPARE(At(image, {in, bottom - 1}), kBlue);        // the full width
    QCOMPARE(At(image, {right, bottom - 1}), kBlue);
    QCOMPARE(At(image, {size.width() / 2 + 2, bottom - 1}), kYellow);
}

void TestGaugePainter::textInvertsWhatLiesBeneath_data()
{
    QTest::addColumn<TColor>("background");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QRgb>("glyph");
    QTest::addColumn<int>("column");  // where to look for the glyph colour (-1: anywhere)

    QTest::newRow("yellow dial shows blue") << clYellow << 37 << QRgb(0xFF0000FF) << -1;
    QTest::newRow("lime dial shows magenta") << clLime << 37 << QRgb(0xFFFF00FF) << -1;
    QTest::newRow("red dial shows cyan") << clRed << 37 << QRgb(0xFF00FFFF) << -1;
    QTest::newRow("orange dial shows azure") << clStatusChecking << 37 << QRgb(0xFF007FFF) << -1;
    QTest::newRow("blue needle under text shows yellow") << clLime << 50 << QRgb(0xFFFFFF00) << 429;
}

void TestGaugePainter::textInvertsWhatLiesBeneath()
{
    QFETCH(TColor, background);
    QFETCH(int, percent);
    QFETCH(QRgb, glyph);
    QFETCH(int, column);

    TGaugeLook look = StoredLook(percent, true);
    look.backColor = background;
    look.color = background;
    look.font.setStyleStrategy(QFont::PreferAntialias);  // drawn unsmoothed all the same
    const QImage withText = TGaugePainter::Paint(look);
    look.showText = false;
    const QImage without = TGaugePainter::Paint(look);

    // A pixel is either untouched or exactly inverted: no smoothed edges.
    int inverted = 0;
    int glyphColoured = 0;
    for (int y = 0; y < withText.height(); ++y) {
        for (int x = 0; x < withText.width(); ++x) {
            const QRgb before = At(without, {x, y});
            const QRgb after = At(withText, {x, y});
            if (after == before)
                continue;
            QCOMPARE(after, before ^ 0x00FFFFFFu);
            ++inverted;
            glyphColoured += after == glyph && (column < 0 || x == column);
        }
    }
    QVERIFY2(inverted > 200, qPrintable(QString::number(inverted)));
    QVERIFY(glyphColoured > (column < 0 ? 200 : 3));
}

void TestGaugePainter::textIsCentredInFaceSizeAndClipped()
{
    for (int percent : {7, 42, 100}) {
        TGaugeLook look = StoredLook(percent, true, {200, 100});
        look.kind = gkText;
        QImage blank(200, 100, QImage::Format_RGB32);
        blank.fill(kYellow);
        const QRect plain = Difference(TGaugePainter::Paint(look), blank);
        QVERIFY(std::abs(plain.left() - (199 - plain.right())) <= 4);
        // The border's face is two pixels smaller; the text is centred in its
        // size but not moved by the border, so it sits one pixel up and left.
        look.borderStyle = bsSingle;
        const QImage framed = TGaugePainter::Paint(look);
        QImage bareFrame = framed.copy();
        QPainter(&bareFrame).fillRect(1, 1, 198, 98, QColor(kYellow));
        QCOMPARE(Difference(framed, bareFrame), plain.translated(-1, -1));
    }

    // Wider than the face: clipped to it, the frame stays black.
    TGaugeLook look = StoredLook(100, true, {30, 24});
    look.kind = gkText;
    look.borderStyle = bsSingle;
    const QImage image = TGaugePainter::Paint(look);
    QImage frameOnly(30, 24, QImage::Format_RGB32);
    frameOnly.fill(kBlack);
    QPainter(&frameOnly).fillRect(1, 1, 28, 22, QColor(kYellow));
    const QRect text = Difference(image, frameOnly);
    QVERIFY(!text.isEmpty());
    QVERIFY(QRect(1, 1, 28, 22).contains(text));
}

void TestGaugePainter::textAreaFollowsFontAndText()
{
    // Texts are measured once and remembered; a font or text measured
    // before must not lend its size to another.
    QList<QRect> areas;
    for (int round = 0; round < 2; ++round) {
        QList<QRect> seen;
        for (int pixels : {20, 32, 48}) {
            for (int percent : {7, 77, 100}) {
                TGaugeLook look = StoredLook(percent, true);
                look.font.setPixelSize(pixels);
                seen << GaugeTextLayout::TextArea(look);
            }
        }
        if (round == 0)
            areas = seen;
        else
            QCOMPARE(seen, areas);
    }
    for (int i = 0; i < 3; ++i) {
        // Taller fonts, taller areas; longer texts, wider ones.
        QVERIFY(areas[i].height() < areas[i + 3].height());
        QVERIFY(areas[i + 3].height() < areas[i + 6].height());
        QVERIFY(areas[3 * i].width() < areas[3 * i + 1].width());
        QVERIFY(areas[3 * i + 1].width() < areas[3 * i + 2].width());
    }
}

void TestGaugePainter::otherKinds_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QPoint>("fore");  // a pixel in the foreground colour (x < 0: none)
    QTest::addColumn<QPoint>("back");  // a pixel in the background colour (x < 0: none)
    QTest::addColumn<QRgb>("corner");  // the face's top-left pixel

    // 102 × 102 with a border: the face is the 100 × 100 square from (1, 1).
    QTest::newRow("text kind is plain background") << int(gkText) << 60 << QPoint(-1, -1) << QPoint(5, 5) << kYellow;
    QTest::newRow("horizontal bar, last column in") << int(gkHorizontalBar) << 25 << QPoint(25, 90) << QPoint(26, 90) << kBlue;
    QTest::newRow("horizontal bar, empty") << int(gkHorizontalBar) << 0 << QPoint(-1, -1) << QPoint(1, 90) << kYellow;
    QTest::newRow("vertical bar, top row in") << int(gkVerticalBar) << 50 << QPoint(90, 51) << QPoint(90, 50) << kYellow;
    QTest::newRow("vertical bar, full") << int(gkVerticalBar) << 100 << QPoint(50, 1) << QPoint(-1, -1) << kBlue;
    QTest::newRow("pie, first quarter") << int(gkPie) << 25 << QPoint(70, 30) << QPoint(30, 70) << kRed;
    QTest::newRow("pie, full") << int(gkPie) << 100 << QPoint(30, 70) << QPoint(-1, -1) << kRed;
}

void TestGaugePainter::otherKinds()
{
    QFETCH(int, kind);
    QFETCH(int, percent);
    QFETCH(QPoint, fore);
    QFETCH(QPoint, back);
    QFETCH(QRgb, corner);

    TGaugeLook look = StoredLook(percent, false, {102, 102});
    look.kind = TGaugeKind(kind);
    look.borderStyle = bsSingle;
    const QImage image = TGaugePainter::Paint(look);
    QVERIFY(fore.x() < 0 || At(image, fore) == kBlue);
    QVERIFY(back.x() < 0 || At(image, back) == kYellow);
    QCOMPARE(At(image, {1, 1}), corner);
    QCOMPARE(At(image, {0, 0}), kBlack);
}

void TestGaugePainter::matchesStepByStepPaint_data()
{
    QTest::addColumn<TGaugeLook>("look");

    const struct { const char *name; TGaugeKind kind; } kinds[] = {
        {"needle", gkNeedle}, {"text", gkText}, {"hbar", gkHorizontalBar},
        {"vbar", gkVerticalBar}, {"pie", gkPie}};
    const QSize sizes[] = {{858, 521}, {101, 60}, {37, 23}, {3, 3}};
    const int percents[] = {0, 3, 50, 99, 100};
    int row = 0;
    for (const auto &kind : kinds) {
        for (const QSize &size : sizes) {
            for (TBorderStyle border : {bsNone, bsSingle}) {
                // Percentage and colours vary along the rows (system colours too).
                TGaugeLook look = StoredLook(percents[row % 5], true, size);
                look.kind = kind.kind;
                look.borderStyle = border;
                look.backColor = row % 3 == 0 ? clWindow : clStatusChecking;
                look.foreColor = row % 2 == 0 ? clBlue : clWindowText;
                look.color = clYellow;
                ++row;
                QTest::addRow("%s %dx%d %s %d%%", kind.name, size.width(), size.height(),
                              border == bsNone ? "bsNone" : "bsSingle", look.percent) << look;
            }
        }
    }
    TGaugeLook hd = StoredLook(37, true, {1920, 1080});
    hd.backColor = clLime;
    QTest::newRow("needle 1920x1080 37%") << hd;
    TGaugeLook uhd = StoredLook(63, true, {3840, 2160});
    uhd.borderStyle = bsSingle;
    QTest::newRow("needle 3840x2160 bsSingle 63%") << uhd;
}

void TestGaugePainter::matchesStepByStepPaint()
{
    QFETCH(TGaugeLook, look);
    const QImage fast = TGaugePainter::Paint(look);
    QCOMPARE(fast.size(), QSize(look.width, look.height));
    QVERIFY(fast == ReferenceGaugePaint(look));
}

void TestGaugePainter::partOfThePictureMatchesTheWhole_data()
{
    QTest::addColumn<TGaugeLook>("look");
    QTest::addColumn<QRegion>("area");

    const TGaugeLook stored = StoredLook(37, true);
    QTest::newRow("needle: a corner outside the dial") << stored << QRegion(0, 0, 40, 30);
    QTest::newRow("needle: across the rim") << stored << QRegion(100, 120, 90, 70);
    QTest::newRow("needle: one pixel of the rim") << stored << QRegion(429, 0, 1, 1);
    QTest::newRow("needle: the text") << stored << QRegion(GaugeTextLayout::TextArea(stored));
    QTest::newRow("needle: through the text") << stored << QRegion(400, 0, 12, 521);
    QTest::newRow("needle: the base row") << stored << QRegion(0, 515, 858, 6);
    QTest::newRow("needle: its own needle") << stored << TGaugePainter::NeedleArea(stored);
    QTest::newRow("needle: beyond the gauge") << stored << QRegion(800, 500, 200, 200);
    QTest::newRow("needle: scattered pieces")
        << stored << (QRegion(3, 400, 20, 20) + QRect(300, 50, 7, 300) + QRect(500, 250, 80, 9));
    TGaugeLook upright = StoredLook(50, true);
    upright.backColor = clStatusChecking;
    QTest::newRow("needle upright: its own needle and text")
        << upright << (TGaugePainter::NeedleArea(upright) + GaugeTextLayout::TextArea(upright));
    TGaugeLook framed = StoredLook(63, true, {200, 120});
    framed.borderStyle = bsSingle;
    QTest::newRow("framed needle: across the frame") << framed << QRegion(150, 80, 60, 60);
    QTest::newRow("framed needle: the frame only") << framed << (QRegion(0, 0, 200, 120) - QRect(1, 1, 198, 118));
    TGaugeLook hd = StoredLook(73, true, {1920, 1080});
    QTest::newRow("needle 1920x1080: rim and needle") << hd << (QRegion(1300, 100, 300, 300) + QRect(950, 500, 40, 500));
    for (TGaugeKind kind : {gkText, gkHorizontalBar, gkVerticalBar, gkPie}) {
        TGaugeLook look = StoredLook(44, true, {101, 60});
        look.kind = kind;
        look.borderStyle = bsSingle;
        QTest::addRow("kind %d: across face, text and frame", int(kind))
            << look << (QRegion(0, 20, 60, 25) + QRect(70, 0, 31, 9));
    }
}

void TestGaugePainter::partOfThePictureMatchesTheWhole()
{
    QFETCH(TGaugeLook, look);
    QFETCH(QRegion, area);

    const QImage whole = TGaugePainter::Paint(look);
    // A colour the picture does not use shows what was left alone.
    constexpr QRgb kUntouched = 0xFF123456;
    TBltBitmap canvas;
    canvas.SetSize(look.width, look.height);
    canvas.Image().fill(kUntouched);
    TGaugePainter::PaintArea(canvas, look, area);

    int inside = 0;
    for (int y = 0; y < look.height; ++y) {
        for (int x = 0; x < look.width; ++x) {
            const QRgb got = canvas.Image().pixel(x, y);
            if (area.contains(QPoint(x, y))) {
                ++inside;
                if (got != whole.pixel(x, y))
                    QFAIL(qPrintable(QStringLiteral("differs at %1,%2").arg(x).arg(y)));
            } else if (got != kUntouched) {
                QFAIL(qPrintable(QStringLiteral("drawn outside at %1,%2").arg(x).arg(y)));
            }
        }
    }
    QVERIFY(inside > 0);
}

void TestGaugePainter::changedAreaHoldsEveryChangedPixel_data()
{
    QTest::addColumn<TGaugeLook>("before");
    QTest::addColumn<int>("percent");  // after
    QTest::addColumn<double>("largest");  // the most of the gauge the area may take

    // A whole countdown over 30 seconds, the restart and the check included,
    // as the window's gauge goes through it.
    int previous = 0;
    for (int tick = 1; tick <= 31; ++tick) {
        const int percent = tick <= 30 ? tick * 100 / 30 : 0;
        QTest::addRow("stored size, second %d: %d%% to %d%%", tick, previous, percent)
            << StoredLook(previous, true) << percent << 0.25;
        previous = percent;
    }
    QTest::newRow("stored size, full bar on a check") << StoredLook(3, true) << 100 << 0.5;
    TGaugeLook framed = StoredLook(48, true, {101, 60});
    framed.borderStyle = bsSingle;
    QTest::newRow("framed odd width, 48% to 53%") << framed << 53 << 1.0;
    QTest::newRow("framed odd width, 0% to 1%") << TGaugeLook(framed) << 1 << 1.0;
    TGaugeLook hd = StoredLook(22, true, {1920, 1080});
    QTest::newRow("1920x1080, 22% to 26%") << hd << 26 << 0.25;
    TGaugeLook quiet = StoredLook(81, false);
    QTest::newRow("stored size without text, 81% to 84%") << quiet << 84 << 0.1;
}

void TestGaugePainter::changedAreaHoldsEveryChangedPixel()
{
    QFETCH(TGaugeLook, before);
    QFETCH(int, percent);
    QFETCH(double, largest);

    TGaugeLook after = before;
    after.percent = percent;
    const QRegion changed = TGaugePainter::ChangedArea(before, after);
    const QImage a = TGaugePainter::Paint(before);
    const QImage b = TGaugePainter::Paint(after);
    int differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) == b.pixel(x, y))
                continue;
            ++differing;
            if (!changed.contains(QPoint(x, y)))
                QFAIL(qPrintable(QStringLiteral("changed outside the area at %1,%2").arg(x).arg(y)));
        }
    }
    QVERIFY(differing > 0);
    std::int64_t covered = 0;
    for (const QRect &rect : changed)
        covered += std::int64_t(rect.width()) * rect.height();
    QVERIFY2(covered <= largest * a.width() * a.height(),
             qPrintable(QStringLiteral("%1 of %2 pixels").arg(covered).arg(a.width() * a.height())));
}

void TestGaugePainter::changedAreaIsTheWholeGaugeForAnyOtherChange()
{
    const TGaugeLook before = StoredLook(40, true);
    const QRegion whole(0, 0, 858, 521);
    const std::vector<std::function<void(TGaugeLook &)>> changes{
        [](TGaugeLook &l) { l.backColor = clLime; },
        [](TGaugeLook &l) { l.color = clYellow; },
        [](TGaugeLook &l) { l.foreColor = clBlack; },
        [](TGaugeLook &l) { l.showText = false; },
        [](TGaugeLook &l) { l.borderStyle = bsSingle; },
        [](TGaugeLook &l) { l.font.setPixelSize(20); },
        [](TGaugeLook &l) { l.kind = gkPie; },
        [](TGaugeLook &l) { l.width = 700; },
    };
    for (std::size_t i = 0; i < changes.size(); ++i) {
        TGaugeLook after = before;
        changes[i](after);
        after.percent = 43;
        QVERIFY2(TGaugePainter::ChangedArea(before, after) == whole, qPrintable(QString::number(i)));
    }
    // Other kinds repaint whole even when only the percentage moves.
    TGaugeLook bar = StoredLook(40, true);
    bar.kind = gkHorizontalBar;
    TGaugeLook fuller = bar;
    fuller.percent = 43;
    QCOMPARE(TGaugePainter::ChangedArea(bar, fuller), whole);
    // The same picture changes nothing.
    QVERIFY(TGaugePainter::ChangedArea(before, before).isEmpty());
}

void TestGaugePainter::emptyTinyAndFailedImages()
{
    for (const QSize size : {QSize(0, 10), QSize(10, 0), QSize(0, 0)})
        QVERIFY(TGaugePainter::Paint(StoredLook(50, true, size)).isNull());
    for (const QSize size : {QSize(1, 1), QSize(2, 2), QSize(2, 7)}) {
        TGaugeLook look = StoredLook(50, true, size);
        look.borderStyle = bsSingle;
        QImage allBlack(size, QImage::Format_RGB32);
        allBlack.fill(kBlack);
        QVERIFY(TGaugePainter::Paint(look) == allBlack);
    }

    const TGaugeLook look = StoredLook(40, true);
    for (int successes : {0, 1}) {  // the picture itself, then the text image
        ImageBudget images{successes};
        QVERIFY_THROWS_EXCEPTION(EOutOfResources, TGaugePainter::Paint(look, images.Allocator()));
        QCOMPARE(images.made, successes);
        QCOMPARE(images.refused, 1);
    }
    ImageBudget unlimited;
    QCOMPARE(TGaugePainter::Paint(look, unlimited.Allocator()).size(), QSize(858, 521));
    QCOMPARE(unlimited.made, 2);
}

QTEST_MAIN(TestGaugePainter)
#include "tst_gaugepainter.moc"
