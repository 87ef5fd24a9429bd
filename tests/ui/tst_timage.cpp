// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/TImage.h"

#include <QtTest>

namespace {

// A 100 x 60 picture: silver background, a blue square in the middle.
QImage Logo()
{
    QImage image(100, 60, QImage::Format_RGB888);
    image.fill(QColor(192, 192, 192));
    for (int y = 20; y < 40; ++y)
        for (int x = 40; x < 60; ++x)
            image.setPixelColor(x, y, QColor(0, 0, 255));
    return image;
}

} // namespace

class TestTImage : public QObject {
    Q_OBJECT
private slots:
    void autoSizeTakesThePictureSize();
    void transparentPartsShowWhatLiesBelow();
    void clickWorksOverTheWholeRectangle_data();
    void clickWorksOverTheWholeRectangle();
    void theShippedLogoIsUsable();
};

void TestTImage::autoSizeTakesThePictureSize()
{
    TImage image;
    image.setGeometry(761, 56, 10, 10);
    image.SetAutoSize(true);
    image.SetPicture(Logo());
    QCOMPARE(image.geometry(), QRect(761, 56, 100, 60));
    QSize asked;
    image.SetOnResize([&](QSize size) { asked = size; });
    image.SetPicture(Logo().scaled(50, 30));
    QCOMPARE(asked, QSize(50, 30));
}

void TestTImage::transparentPartsShowWhatLiesBelow()
{
    QWidget host;
    host.resize(100, 60);
    QPalette palette = host.palette();
    palette.setColor(QPalette::Window, QColor(255, 255, 0));
    host.setPalette(palette);
    host.setAutoFillBackground(true);
    auto *image = new TImage(&host);
    image->SetAutoSize(true);
    image->SetTransparent(true);
    image->SetPicture(Logo());
    const QImage shot = host.grab().toImage();
    QCOMPARE(shot.pixelColor(0, 59), QColor(255, 255, 0));
    QCOMPARE(shot.pixelColor(10, 10), QColor(255, 255, 0));
    QCOMPARE(shot.pixelColor(50, 30), QColor(0, 0, 255));
}

void TestTImage::clickWorksOverTheWholeRectangle_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::newRow("on the picture") << QPoint(50, 30);
    QTest::newRow("on the transparent background") << QPoint(2, 2);
    QTest::newRow("lower-left corner") << QPoint(0, 59);
    QTest::newRow("lower-right corner") << QPoint(99, 59);
}

void TestTImage::clickWorksOverTheWholeRectangle()
{
    QFETCH(QPoint, point);
    TImage image;
    image.SetAutoSize(true);
    image.SetTransparent(true);
    image.SetPicture(Logo());
    int clicks = 0;
    image.SetOnClick([&] { ++clicks; });
    QTest::mouseClick(&image, Qt::LeftButton, {}, point);
    QCOMPARE(clicks, 1);
}

void TestTImage::theShippedLogoIsUsable()
{
    const QImage logo(QStringLiteral(":/ui/logo.bmp"));
    QVERIFY(!logo.isNull());
    QCOMPARE(logo.size(), QSize(100, 60));
    QCOMPARE(logo.pixelColor(0, 59), QColor(192, 192, 192));
}

QTEST_MAIN(TestTImage)
#include "tst_timage.moc"
