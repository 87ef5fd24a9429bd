// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "support/ImageBudget.h"

#include "base/Exception.h"
#include "controls/TBltBitmap.h"

#include <QtTest>

class TestBltBitmap : public QObject {
    Q_OBJECT
private slots:
    void imagesComeFromTheGivenAllocator();
    void anImageOfTheWrongShapeCountsAsNone_data();
    void anImageOfTheWrongShapeCountsAsNone();
    void invertXorsOnlyTheOverlap();
};

void TestBltBitmap::imagesComeFromTheGivenAllocator()
{
    ImageBudget images{1};
    TBltBitmap bitmap(images.Allocator());
    bitmap.SetSize(4, 3);
    QCOMPARE(bitmap.Image().size(), QSize(4, 3));
    // An empty size asks for nothing and is no error.
    bitmap.SetSize(0, 3);
    QVERIFY(bitmap.Empty());
    QCOMPARE(images.made, 1);
    QVERIFY_THROWS_EXCEPTION(EOutOfResources, bitmap.SetSize(4, 3));
    QVERIFY(bitmap.Empty());
    QCOMPARE(images.refused, 1);
    // A bitmap made to go with it draws on the same budget.
    TBltBitmap partner(bitmap.Allocator());
    QVERIFY_THROWS_EXCEPTION(EOutOfResources, partner.SetSize(1, 1));
    QCOMPARE(images.refused, 2);
}

void TestBltBitmap::anImageOfTheWrongShapeCountsAsNone_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("format");
    QTest::newRow("smaller than asked") << QSize(2, 2) << int(QImage::Format_RGB32);
    QTest::newRow("one byte a pixel") << QSize(8, 8) << int(QImage::Format_Indexed8);
}

void TestBltBitmap::anImageOfTheWrongShapeCountsAsNone()
{
    QFETCH(QSize, size);
    QFETCH(int, format);
    // Painting writes 32-bit pixels over the size asked for: any other image
    // would be written past its end.
    TBltBitmap bitmap([&](int, int) { return QImage(size, QImage::Format(format)); });
    QVERIFY_THROWS_EXCEPTION(EOutOfResources, bitmap.SetSize(8, 8));
    QVERIFY(bitmap.Empty());
}

void TestBltBitmap::invertXorsOnlyTheOverlap()
{
    TBltBitmap target;
    target.SetSize(4, 4);
    target.Image().fill(qRgb(0x10, 0x20, 0x30));
    TBltBitmap source;
    source.SetSize(3, 3);
    source.Image().fill(qRgb(0xFF, 0x0F, 0x00));
    target.Invert(source, QPoint(2, -1));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            const bool under = x >= 2 && y <= 1;
            const QRgb expected = under ? qRgb(0xEF, 0x2F, 0x30) : qRgb(0x10, 0x20, 0x30);
            QCOMPARE(target.Image().pixel(x, y), expected);
        }
    }
    target.Blacken(QRect(-5, 3, 100, 100));
    QCOMPARE(target.Image().pixel(0, 3), qRgb(0, 0, 0));
    QCOMPARE(target.Image().pixel(0, 2), qRgb(0x10, 0x20, 0x30));
}

QTEST_GUILESS_MAIN(TestBltBitmap)
#include "tst_bltbitmap.moc"
