// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "controls/GaugeTextLayout.h"

#include "controls/GaugeGeometry.h"
#include "controls/TGaugePainter.h"

#include <QFontMetrics>
#include <QtTest>

namespace {

TGaugeLook TextLook(int width, int height, int percent, QFont font = {})
{
    TGaugeLook look;
    look.width = width;
    look.height = height;
    look.kind = gkText;
    look.percent = percent;
    look.font = font;
    return look;
}

QFont Sized(int pixels, bool bold = false, bool italic = false)
{
    QFont font;
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

} // namespace

Q_DECLARE_METATYPE(TGaugeLook)

class TestGaugeTextLayout : public QObject {
    Q_OBJECT
private slots:
    void writesThePercentage();
    void drawsUnsmoothedInTheSameFace();
    void keptMeasurementsMatchFreshOnes();
    void centresTheCellOnThePaintRectangle();
    void textAreaHoldsEveryDrawnPixel_data();
    void textAreaHoldsEveryDrawnPixel();
    void noTextAreaWithoutAPaintRectangle();
};

void TestGaugeTextLayout::writesThePercentage()
{
    QCOMPARE(GaugeTextLayout::Text(0), QStringLiteral("0%"));
    QCOMPARE(GaugeTextLayout::Text(37), QStringLiteral("37%"));
    QCOMPARE(GaugeTextLayout::Text(100), QStringLiteral("100%"));
    QCOMPARE(GaugeTextLayout::Text(-4), QStringLiteral("-4%"));
}

void TestGaugeTextLayout::drawsUnsmoothedInTheSameFace()
{
    QFont font = Sized(19, true);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::PreferQuality));
    const QFont drawn = GaugeTextLayout::TextFont(font);
    QVERIFY(drawn.styleStrategy() & QFont::NoAntialias);
    QVERIFY(!(drawn.styleStrategy() & QFont::PreferAntialias));
    QVERIFY(drawn.styleStrategy() & QFont::PreferQuality);
    QCOMPARE(drawn.pixelSize(), 19);
    QCOMPARE(drawn.bold(), true);
    QCOMPARE(drawn.families(), font.families());
}

void TestGaugeTextLayout::keptMeasurementsMatchFreshOnes()
{
    // More texts and fonts than are kept, twice over: a kept measurement
    // must never be handed out for another text or font.
    const QList<QFont> fonts{Sized(9), Sized(23, true), Sized(23, false, true)};
    const QImage probe(1, 1, QImage::Format_RGB32);
    for (int round = 0; round < 2; ++round) {
        for (const QFont &font : fonts) {
            for (int percent = 0; percent <= 100; percent += 9) {
                const QString text = GaugeTextLayout::Text(percent);
                const QFontMetrics metrics(font, &probe);
                const auto measure = GaugeTextLayout::Measure(font, text);
                QCOMPARE(measure.advance, metrics.horizontalAdvance(text));
                QCOMPARE(measure.height, metrics.height());
                QCOMPARE(measure.ascent, metrics.ascent());
                QCOMPARE(measure.ink, metrics.boundingRect(text));
            }
        }
    }
}

void TestGaugeTextLayout::centresTheCellOnThePaintRectangle()
{
    for (const int width : {40, 41, 300}) {
        const TGaugeLook look = TextLook(width, 60, 42, Sized(14));
        const auto placement = GaugeTextLayout::Place(look);
        QCOMPARE(placement.text, QStringLiteral("42%"));
        const QRect paint = GaugeGeometry::PaintRect(look);
        const int left = placement.cell.x();
        const int right = paint.width() + 1 - (left + placement.measure.advance);
        QVERIFY2(std::abs(left - right) <= 1, qPrintable(QStringLiteral("width %1").arg(width)));
        const int top = placement.cell.y();
        const int bottom = paint.height() + 1 - (top + placement.measure.height);
        QVERIFY(std::abs(top - bottom) <= 1);
    }
}

void TestGaugeTextLayout::textAreaHoldsEveryDrawnPixel_data()
{
    QTest::addColumn<TGaugeLook>("look");
    QTest::newRow("plain text on the window's gauge size") << TextLook(858, 521, 37, Sized(16));
    QTest::newRow("bold italic, large") << TextLook(300, 120, 100, Sized(60, true, true));
    QTest::newRow("text wider than the gauge") << TextLook(30, 20, 88, Sized(40, true));
}

void TestGaugeTextLayout::textAreaHoldsEveryDrawnPixel()
{
    QFETCH(TGaugeLook, look);
    QImage image(look.width, look.height, QImage::Format_RGB32);
    image.fill(Qt::black);
    TGaugePainter::DrawText(image, look);
    const QRect area = GaugeTextLayout::TextArea(look);
    QVERIFY(GaugeGeometry::PaintRect(look).contains(area));
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFFu) == 0)
                continue;
            ++drawn;
            QVERIFY2(area.contains(x, y), qPrintable(QStringLiteral("(%1, %2) outside").arg(x).arg(y)));
        }
    }
    QVERIFY(drawn > 0);
}

void TestGaugeTextLayout::noTextAreaWithoutAPaintRectangle()
{
    TGaugeLook look = TextLook(2, 2, 50, Sized(12));
    look.borderStyle = bsSingle;
    QVERIFY(GaugeTextLayout::TextArea(look).isEmpty());
    QVERIFY(GaugeTextLayout::TextArea(TextLook(0, 10, 50)).isEmpty());
}

QTEST_MAIN(TestGaugeTextLayout)
#include "tst_gaugetextlayout.moc"
