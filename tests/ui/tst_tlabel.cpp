// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "base/Exception.h"
#include "base/ErrorReport.h"
#include "ui/Fonts.h"
#include "ui/TLabel.h"

#include <QFontMetrics>
#include <QtTest>

class TestTLabel : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { SetErrorHandler({}); }
    void sizesItselfToItsText_data();
    void sizesItselfToItsText();
    void longerTextGrowsToTheRight();
    void opaqueLabelFillsWithItsColour();
    void transparentLabelShowsWhatLiesBelow();
    void colourFollowsTheWindowUntilSet();
    void clickNeedsPressAndReleaseOverTheLabel_data();
    void clickNeedsPressAndReleaseOverTheLabel();
    void clickErrorIsReported();
};

void TestTLabel::sizesItselfToItsText_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("measuredAs");
    QTest::newRow("plain text") << "Пинг: 47 мс" << "Пинг: 47 мс";
    QTest::newRow("empty is one blank") << "" << " ";
    QTest::newRow("tabs are expanded") << "a\tb" << "a\tb";
    QTest::newRow("one line only") << "two\nlines" << "two\nlines";
}

void TestTLabel::sizesItselfToItsText()
{
    QFETCH(QString, caption);
    QFETCH(QString, measuredAs);
    TLabel label;
    label.setFont(WindowFont(11, true));
    label.SetCaption(QStringLiteral("x"));
    label.SetCaption(caption);
    const QSize expected = QFontMetrics(label.font()).size(Qt::TextSingleLine | Qt::TextExpandTabs, measuredAs);
    QCOMPARE(label.size(), expected);
    QVERIFY(label.height() > 0);
    if (caption.contains(u'\t'))
        QVERIFY(label.width() > QFontMetrics(label.font()).horizontalAdvance(QStringLiteral("ab")));
    if (caption.contains(u'\n'))
        QCOMPARE(label.height(), QFontMetrics(label.font()).size(Qt::TextSingleLine, QStringLiteral("x")).height());
}

void TestTLabel::longerTextGrowsToTheRight()
{
    QWidget host;
    auto *label = new TLabel(&host);
    label->setFont(ReadoutFont(24));
    label->move(8, 64);
    label->SetCaption(QStringLiteral("Пинг:"));
    const QRect before = label->geometry();
    label->SetCaption(QStringLiteral("Пинг: 1234 мс"));
    QCOMPARE(label->pos(), before.topLeft());
    QVERIFY(label->width() > before.width());
    QCOMPARE(label->height(), before.height());
}

void TestTLabel::opaqueLabelFillsWithItsColour()
{
    QWidget host;
    host.resize(200, 40);
    host.setStyleSheet(QStringLiteral("background: rgb(0, 0, 255)"));
    host.setAutoFillBackground(true);
    auto *label = new TLabel(&host);
    label->setFont(WindowFont(11, true));
    label->SetCaption(QStringLiteral("Хост:"));
    label->ParentColorChanged(clYellow);
    const QImage image = host.grab().toImage();
    // Corners of the label's rectangle carry its colour; the text is black.
    QCOMPARE(image.pixelColor(0, 0), QColor(255, 255, 0));
    QCOMPARE(image.pixelColor(label->width() - 1, label->height() - 1), QColor(255, 255, 0));
    bool blackText = false;
    for (int x = 0; x < label->width(); ++x)
        for (int y = 0; y < label->height(); ++y)
            blackText = blackText || image.pixelColor(x, y) == QColor(0, 0, 0);
    QVERIFY(blackText);
}

void TestTLabel::transparentLabelShowsWhatLiesBelow()
{
    QWidget host;
    host.resize(200, 40);
    QPalette palette = host.palette();
    palette.setColor(QPalette::Window, QColor(255, 128, 0));
    host.setPalette(palette);
    host.setAutoFillBackground(true);
    auto *label = new TLabel(&host);
    label->setFont(ReadoutFont(24));
    label->SetFontColor(clWhite);
    label->SetTransparent(true);
    label->SetCaption(QStringLiteral("Пинг:"));
    const QImage image = host.grab().toImage();
    QCOMPARE(image.pixelColor(0, 0), QColor(255, 128, 0));
    int white = 0;
    for (int x = 0; x < label->width(); ++x)
        for (int y = 0; y < label->height(); ++y)
            white += image.pixelColor(x, y) == QColor(255, 255, 255);
    QVERIFY(white > 20);
}

void TestTLabel::colourFollowsTheWindowUntilSet()
{
    TLabel label;
    QVERIFY(label.ParentColor());
    label.ParentColorChanged(clRed);
    QCOMPARE(label.Color(), clRed);
    label.SetColor(clBlue);
    QVERIFY(!label.ParentColor());
    label.ParentColorChanged(clLime);
    QCOMPARE(label.Color(), clBlue);
}

void TestTLabel::clickNeedsPressAndReleaseOverTheLabel_data()
{
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("release");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("clicks");
    QTest::newRow("inside") << QPoint(3, 3) << QPoint(4, 4) << Qt::LeftButton << 1;
    QTest::newRow("released outside") << QPoint(3, 3) << QPoint(500, 4) << Qt::LeftButton << 0;
    QTest::newRow("right button") << QPoint(3, 3) << QPoint(3, 3) << Qt::RightButton << 0;
}

void TestTLabel::clickNeedsPressAndReleaseOverTheLabel()
{
    QFETCH(QPoint, press);
    QFETCH(QPoint, release);
    QFETCH(Qt::MouseButton, button);
    QFETCH(int, clicks);
    TLabel label;
    label.SetCaption(QStringLiteral("home page link"));
    int clicked = 0;
    label.SetOnClick([&] { ++clicked; });
    QTest::mousePress(&label, button, {}, press);
    QTest::mouseRelease(&label, button, {}, release);
    QCOMPARE(clicked, clicks);
}

void TestTLabel::clickErrorIsReported()
{
    QStringList shown;
    SetErrorHandler([&](const std::exception &error) { shown << QString::fromUtf8(error.what()); });
    TLabel label;
    label.SetCaption(QStringLiteral("link"));
    label.SetOnClick([] { throw EInvalidOperation("No handler"); });
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(shown, QStringList{QStringLiteral("No handler")});
}

QTEST_MAIN(TestTLabel)
#include "tst_tlabel.moc"
