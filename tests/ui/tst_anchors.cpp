// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/Anchors.h"

#include <QtTest>

Q_DECLARE_METATYPE(AnchoredBounds)

class TestAnchors : public QObject {
    Q_OBJECT
private slots:
    void boundsFollowTheClientSize_data();
    void boundsFollowTheClientSize();
};

void TestAnchors::boundsFollowTheClientSize_data()
{
    QTest::addColumn<AnchoredBounds>("bounds");
    QTest::addColumn<unsigned>("anchors");
    QTest::addColumn<QSize>("design");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<AnchoredBounds>("expected");
    const QSize design(863, 606);
    const AnchoredBounds box{100, 200, 50, 30};
    QTest::newRow("left top stays when growing") << box << (akLeft | akTop) << design << QSize(1000, 700) << box;
    QTest::newRow("left top stays when shrinking") << box << (akLeft | akTop) << design << QSize(300, 250) << box;
    QTest::newRow("right keeps distance to right edge")
        << box << (akRight | akTop) << design << QSize(1000, 606) << AnchoredBounds{237, 200, 50, 30};
    QTest::newRow("right moves left when narrower")
        << box << (akRight | akTop) << design << QSize(763, 606) << AnchoredBounds{0, 200, 50, 30};
    QTest::newRow("bottom keeps distance to bottom edge")
        << box << (akLeft | akBottom) << design << QSize(863, 706) << AnchoredBounds{100, 300, 50, 30};
    QTest::newRow("left and right stretch")
        << box << (akLeft | akRight | akTop) << design << QSize(963, 606) << AnchoredBounds{100, 200, 150, 30};
    QTest::newRow("all four stretch both ways")
        << AnchoredBounds{2, 0, 858, 521} << (akLeft | akTop | akRight | akBottom) << design << QSize(1280, 1000)
        << AnchoredBounds{2, 0, 1275, 915};
    QTest::newRow("stretching below zero keeps the arithmetic")
        << AnchoredBounds{2, 0, 858, 521} << (akLeft | akTop | akRight | akBottom) << design << QSize(3, 50)
        << AnchoredBounds{2, 0, -2, -35};
    QTest::newRow("neither edge keeps the centre in proportion")
        << AnchoredBounds{400, 100, 63, 10} << unsigned(akTop) << design << QSize(1726, 606)
        << AnchoredBounds{832, 100, 63, 10};
    QTest::newRow("neither edge with an empty design client stays")
        << box << 0u << QSize(0, 0) << QSize(500, 500) << box;
}

void TestAnchors::boundsFollowTheClientSize()
{
    QFETCH(AnchoredBounds, bounds);
    QFETCH(unsigned, anchors);
    QFETCH(QSize, design);
    QFETCH(QSize, client);
    QFETCH(AnchoredBounds, expected);
    const AnchoredBounds actual = ApplyAnchors(AnchorRule{bounds, design, anchors}, client);
    QCOMPARE(actual.left, expected.left);
    QCOMPARE(actual.top, expected.top);
    QCOMPARE(actual.width, expected.width);
    QCOMPARE(actual.height, expected.height);
}

QTEST_GUILESS_MAIN(TestAnchors)
#include "tst_anchors.moc"
