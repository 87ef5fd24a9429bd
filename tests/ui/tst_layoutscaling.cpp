// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/Fonts.h"
#include "ui/LayoutScaling.h"

#include <QFontInfo>
#include <QtTest>

class TestLayoutScaling : public QObject {
    Q_OBJECT
private slots:
    void mulDivRoundsToNearest_data();
    void mulDivRoundsToNearest();
    void fontHeightFollowsDensity_data();
    void fontHeightFollowsDensity();
    void layoutScalesByMeasuredTextHeight_data();
    void layoutScalesByMeasuredTextHeight();
    void standardDensityKeepsTheDesignLayout();
    void higherDensityEnlargesTheLayout();
    void standInFontsHaveTheLayoutHeights();
};

void TestLayoutScaling::mulDivRoundsToNearest_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("c");
    QTest::addColumn<int>("result");
    QTest::newRow("exact") << 863 << 26 << 13 << 1726;
    QTest::newRow("rounds down below a half") << 10 << 4 << 3 << 13;
    QTest::newRow("half rounds away from zero") << 11 << 3 << 2 << 17;
    QTest::newRow("negative half rounds away from zero") << -11 << 3 << 2 << -17;
    QTest::newRow("negative divisor") << 10 << 4 << -3 << -13;
    QTest::newRow("product beyond 32 bits") << 2000000000 << 3 << 4 << 1500000000;
    QTest::newRow("zero") << 0 << 120 << 96 << 0;
}

void TestLayoutScaling::mulDivRoundsToNearest()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(int, c);
    QFETCH(int, result);
    QCOMPARE(MulDiv(a, b, c), result);
}

void TestLayoutScaling::fontHeightFollowsDensity_data()
{
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("pixels");
    QTest::newRow("96 dpi keeps 11") << 96 << 11;
    QTest::newRow("120 dpi") << 120 << 14;    // 13.75
    QTest::newRow("144 dpi") << 144 << 17;    // 16.5 away from zero
    QTest::newRow("192 dpi") << 192 << 22;
    QTest::newRow("72 dpi") << 72 << 8;       // 8.25
    QTest::newRow("unknown density keeps 11") << 0 << 11;
}

void TestLayoutScaling::fontHeightFollowsDensity()
{
    QFETCH(int, dpi);
    QFETCH(int, pixels);
    QCOMPARE(FontPixelsAt(11, dpi), pixels);
}

void TestLayoutScaling::layoutScalesByMeasuredTextHeight_data()
{
    QTest::addColumn<int>("textHeight");
    QTest::addColumn<int>("design");
    QTest::addColumn<int>("scaled");
    QTest::newRow("13 is the design height") << 13 << 863 << 863;
    QTest::newRow("16 enlarges") << 16 << 863 << 1062;
    QTest::newRow("16 on a small value") << 16 << 8 << 10;
    QTest::newRow("26 doubles") << 26 << 606 << 1212;
    QTest::newRow("a nonsense height keeps the layout") << 0 << 606 << 606;
}

void TestLayoutScaling::layoutScalesByMeasuredTextHeight()
{
    QFETCH(int, textHeight);
    QFETCH(int, design);
    QFETCH(int, scaled);
    QCOMPARE(LayoutScale(textHeight)(design), scaled);
}

void TestLayoutScaling::standardDensityKeepsTheDesignLayout()
{
    const LayoutScale scale = LayoutScale::ForScreen(WindowFont(11), 11, 96);
    QVERIFY2(scale.IsIdentity(), qPrintable(QString::number(scale.TextHeight())));
}

void TestLayoutScaling::higherDensityEnlargesTheLayout()
{
    const LayoutScale scale = LayoutScale::ForScreen(WindowFont(11), 11, 144);
    QVERIFY(scale.TextHeight() > LayoutScale::kDesignTextHeight);
    QVERIFY(scale(863) > 863);
}

void TestLayoutScaling::standInFontsHaveTheLayoutHeights()
{
    const QFont window = WindowFont(11, true);
    QCOMPARE(window.pixelSize(), 11);
    QVERIFY(window.bold());
    QCOMPARE(QFontMetrics(WindowFont(11)).size(Qt::TextSingleLine, QStringLiteral("0")).height(), 13);
    const QFont readout = ReadoutFont(24);
    QCOMPARE(readout.pixelSize(), 24);
    QVERIFY(readout.bold());
    // Both have the Cyrillic letters the window shows.
    for (const QFont &font : {window, readout}) {
        const QFontMetrics metrics(font);
        for (const QChar letter : QStringLiteral("ПингХостсекунд"))
            QVERIFY2(metrics.inFont(letter), qPrintable(QFontInfo(font).family()));
    }
}

QTEST_MAIN(TestLayoutScaling)
#include "tst_layoutscaling.moc"
