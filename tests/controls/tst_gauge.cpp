// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "base/ErrorReport.h"
#include "base/Exception.h"
#include "support/ImageBudget.h"

#include "controls/TBltBitmap.h"
#include "controls/TGauge.h"

#include <QFontInfo>
#include <QPaintEvent>
#include <QScreen>
#include <QWindow>
#include <QtTest>

#include <functional>
#include <memory>
#include <vector>

namespace {

// Counts the paint events a widget receives and keeps the last one's region.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int count = 0;
    QRegion last;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            ++count;
            last = static_cast<QPaintEvent *>(event)->region();
        }
        return false;
    }
};

// A shown window holding the gauge as the main window does: at (2, 0) with
// the stored size and properties.
struct Host {
    ImageBudget images;
    QWidget window;
    TGauge *gauge = new TGauge(&window, images.Allocator());

    Host()
    {
        window.resize(863, 606);
        gauge->setGeometry(2, 0, 858, 521);
        gauge->setFont(TGauge::LayoutFont());
        gauge->SetKind(gkNeedle);
        gauge->SetBorderStyle(bsNone);
        gauge->SetForeColor(clBlue);
        gauge->SetBackColor(clYellow);
    }

    bool Show()
    {
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }

    // What the window shows of the gauge now: its backing store, as painted
    // so far, not a fresh rendering.
    QImage Shown() const
    {
        const QPixmap shot = window.windowHandle()->screen()->grabWindow(window.winId());
        return shot.toImage().convertToFormat(QImage::Format_RGB32).copy(gauge->geometry());
    }
};

std::int64_t Pixels(const QRegion &region)
{
    std::int64_t pixels = 0;
    for (const QRect &rect : region)
        pixels += std::int64_t(rect.width()) * rect.height();
    return pixels;
}

using Setter = std::function<void(TGauge &)>;

} // namespace

Q_DECLARE_METATYPE(Setter)

class TestGauge : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        SetErrorHandler({});
    }
    void constructionDefaults();
    void percentComplete_data();
    void percentComplete();
    void rangeErrorsLeaveGaugeUnchanged_data();
    void rangeErrorsLeaveGaugeUnchanged();
    void rangeChangesDragProgressAlong();
    void loadingSkipsRangeChecks();
    void repaintRules_data();
    void repaintRules();
    void colourSetsAndFollowsParent();
    void repaintAlsoPaintsControlsStackedAbove();
    void partialRepaintsMatchWholeOnesThroughACountdown();
    void partialRepaintPaintsOnlyControlsItMeets();
    void paintFailureIsReportedAndNextPaintRecovers();
    void layoutFont();
};

void TestGauge::constructionDefaults()
{
    TGauge gauge;
    QCOMPARE(gauge.MinValue(), 0);
    QCOMPARE(gauge.MaxValue(), 100);
    QCOMPARE(gauge.Progress(), 0);
    QCOMPARE(gauge.Kind(), gkHorizontalBar);
    QCOMPARE(gauge.ShowText(), true);
    QCOMPARE(gauge.BorderStyle(), bsSingle);
    QCOMPARE(gauge.ForeColor(), clBlack);
    QCOMPARE(gauge.BackColor(), clWhite);
    QCOMPARE(gauge.Color(), clWindow);
    QCOMPARE(gauge.ParentColor(), true);
    QCOMPARE(gauge.size(), QSize(100, 100));
    QVERIFY(gauge.testAttribute(Qt::WA_OpaquePaintEvent));
    QCOMPARE(gauge.focusPolicy(), Qt::NoFocus);
}

void TestGauge::percentComplete_data()
{
    QTest::addColumn<int>("minValue");
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<int>("value");     // given to Progress
    QTest::addColumn<int>("progress");  // what Progress holds then
    QTest::addColumn<int>("percent");

    QTest::newRow("1 of 30") << 0 << 30 << 1 << 1 << 3;
    QTest::newRow("2 of 30") << 0 << 30 << 2 << 2 << 6;
    QTest::newRow("3 of 30") << 0 << 30 << 3 << 3 << 10;
    QTest::newRow("29 of 30 truncates") << 0 << 30 << 29 << 29 << 96;
    QTest::newRow("30 of 30") << 0 << 30 << 30 << 30 << 100;
    QTest::newRow("empty range") << 0 << 0 << 0 << 0 << 0;
    QTest::newRow("negative range") << -100 << -1 << -50 << -50 << 50;
    QTest::newRow("product beyond 32 bits") << 0 << 2147483647 << 2147483646 << 2147483646 << 99;
    QTest::newRow("whole positive range") << 0 << 2147483647 << 2147483647 << 2147483647 << 100;
    QTest::newRow("below the range: clamped") << 10 << 30 << -7 << 10 << 0;
    QTest::newRow("above the range: clamped") << 10 << 30 << 2147483647 << 30 << 100;
}

void TestGauge::percentComplete()
{
    QFETCH(int, minValue);
    QFETCH(int, maxValue);
    QFETCH(int, value);
    QFETCH(int, progress);
    QFETCH(int, percent);

    TGauge gauge;
    gauge.BeginLoading();
    gauge.SetMinValue(minValue);
    gauge.SetMaxValue(maxValue);
    gauge.EndLoading();
    gauge.SetProgress(value);
    QCOMPARE(gauge.Progress(), progress);
    QCOMPARE(gauge.PercentComplete(), percent);
}

void TestGauge::rangeErrorsLeaveGaugeUnchanged_data()
{
    QTest::addColumn<int>("minValue");
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<bool>("settingMax");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("message");

    QTest::newRow("MaxValue below MinValue") << 0 << 100 << true << -5
                                             << "Value must be between 1 and 2147483647";
    QTest::newRow("MinValue above MaxValue") << 0 << 30 << false << 31
                                             << "Value must be between -2147483647 and 29";
    QTest::newRow("MinValue above the lowest MaxValue")
        << -2147483647 - 1 << -2147483647 - 1 << false << 0
        << "Value must be between -2147483647 and -2147483649";
}

void TestGauge::rangeErrorsLeaveGaugeUnchanged()
{
    QFETCH(int, minValue);
    QFETCH(int, maxValue);
    QFETCH(bool, settingMax);
    QFETCH(int, value);
    QFETCH(QString, message);

    Host host;
    host.gauge->BeginLoading();
    host.gauge->SetMinValue(minValue);
    host.gauge->SetMaxValue(maxValue);
    host.gauge->EndLoading();
    host.gauge->SetProgress(maxValue);
    QVERIFY(host.Show());
    PaintCounter paints(host.gauge);

    try {
        if (settingMax)
            host.gauge->SetMaxValue(value);
        else
            host.gauge->SetMinValue(value);
        QFAIL("no error raised");
    } catch (const EInvalidOperation &error) {
        QCOMPARE(QString::fromStdString(error.Message()), message);
    }
    QCOMPARE(host.gauge->MinValue(), minValue);
    QCOMPARE(host.gauge->MaxValue(), maxValue);
    QCOMPARE(host.gauge->Progress(), maxValue);
    QCOMPARE(paints.count, 0);
}

void TestGauge::rangeChangesDragProgressAlong()
{
    TGauge gauge;
    gauge.SetMaxValue(30);
    gauge.SetProgress(25);
    gauge.SetMaxValue(20);
    QCOMPARE(gauge.Progress(), 20);
    QCOMPARE(gauge.PercentComplete(), 100);

    gauge.SetMinValue(20);  // equal bounds are accepted
    QCOMPARE(gauge.MinValue(), 20);
    QCOMPARE(gauge.PercentComplete(), 0);

    gauge.SetMaxValue(100);
    gauge.SetProgress(30);
    gauge.SetMinValue(50);
    QCOMPARE(gauge.Progress(), 50);
}

void TestGauge::loadingSkipsRangeChecks()
{
    TGauge gauge;
    gauge.BeginLoading();
    gauge.SetMinValue(500);
    gauge.SetMaxValue(10);
    gauge.EndLoading();
    QCOMPARE(gauge.MinValue(), 500);
    QCOMPARE(gauge.MaxValue(), 10);
    QVERIFY_THROWS_EXCEPTION(EInvalidOperation, gauge.SetMaxValue(20));
    QCOMPARE(gauge.MaxValue(), 10);
}

void TestGauge::repaintRules_data()
{
    QTest::addColumn<Setter>("prepare");
    QTest::addColumn<Setter>("change");
    QTest::addColumn<int>("paintsAtOnce");
    QTest::addColumn<int>("paintsLater");  // once pending events have run

    const Setter nothing = [](TGauge &) {};
    const Setter wideRange = [](TGauge &g) { g.SetMaxValue(1000); };
    const Setter full = [](TGauge &g) { g.SetProgress(100); };

    QTest::newRow("same MinValue") << nothing << Setter([](TGauge &g) { g.SetMinValue(0); }) << 0 << 0;
    QTest::newRow("same MaxValue") << nothing << Setter([](TGauge &g) { g.SetMaxValue(100); }) << 0 << 0;
    QTest::newRow("same Progress") << nothing << Setter([](TGauge &g) { g.SetProgress(0); }) << 0 << 0;
    QTest::newRow("Progress within one percent") << wideRange << Setter([](TGauge &g) { g.SetProgress(5); }) << 0 << 0;
    QTest::newRow("Progress clamped to where it is") << full << Setter([](TGauge &g) { g.SetProgress(900); }) << 0 << 0;
    QTest::newRow("Progress to a new percent") << wideRange << Setter([](TGauge &g) { g.SetProgress(10); }) << 1 << 1;
    QTest::newRow("MinValue, percent unchanged") << full << Setter([](TGauge &g) { g.SetMinValue(10); }) << 1 << 1;
    QTest::newRow("MaxValue, percent unchanged") << nothing << Setter([](TGauge &g) { g.SetMaxValue(50); }) << 1 << 1;
    QTest::newRow("Kind") << nothing << Setter([](TGauge &g) { g.SetKind(gkPie); }) << 1 << 1;
    QTest::newRow("same Kind") << nothing << Setter([](TGauge &g) { g.SetKind(gkNeedle); }) << 0 << 0;
    QTest::newRow("ShowText") << nothing << Setter([](TGauge &g) { g.SetShowText(false); }) << 1 << 1;
    QTest::newRow("same ShowText") << nothing << Setter([](TGauge &g) { g.SetShowText(true); }) << 0 << 0;
    QTest::newRow("BorderStyle") << nothing << Setter([](TGauge &g) { g.SetBorderStyle(bsSingle); }) << 1 << 1;
    QTest::newRow("same BorderStyle") << nothing << Setter([](TGauge &g) { g.SetBorderStyle(bsNone); }) << 0 << 0;
    QTest::newRow("ForeColor") << nothing << Setter([](TGauge &g) { g.SetForeColor(clRed); }) << 1 << 1;
    QTest::newRow("same ForeColor") << nothing << Setter([](TGauge &g) { g.SetForeColor(clBlue); }) << 0 << 0;
    QTest::newRow("BackColor") << nothing << Setter([](TGauge &g) { g.SetBackColor(clLime); }) << 1 << 1;
    QTest::newRow("same BackColor") << nothing << Setter([](TGauge &g) { g.SetBackColor(clYellow); }) << 0 << 0;
    QTest::newRow("Color: later") << nothing << Setter([](TGauge &g) { g.SetColor(clLime); }) << 0 << 1;
    QTest::newRow("parent's colour: later") << nothing << Setter([](TGauge &g) { g.ParentColorChanged(clRed); }) << 0 << 1;
    QTest::newRow("same parent's colour") << Setter([](TGauge &g) { g.ParentColorChanged(clRed); })
                                          << Setter([](TGauge &g) { g.ParentColorChanged(clRed); }) << 0 << 0;
}

void TestGauge::repaintRules()
{
    QFETCH(Setter, prepare);
    QFETCH(Setter, change);
    QFETCH(int, paintsAtOnce);
    QFETCH(int, paintsLater);

    Host host;
    prepare(*host.gauge);
    QVERIFY(host.Show());
    PaintCounter paints(host.gauge);
    change(*host.gauge);
    QCOMPARE(paints.count, paintsAtOnce);
    if (paintsLater > paintsAtOnce) {
        QTRY_COMPARE(paints.count, paintsLater);
    } else {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, paintsLater);
    }
}

void TestGauge::colourSetsAndFollowsParent()
{
    Host host;
    host.gauge->ParentColorChanged(clYellow);
    QCOMPARE(host.gauge->Color(), clYellow);
    QVERIFY(host.gauge->ParentColor());

    host.gauge->SetColor(clYellow);  // the colour already held: nothing changes
    QVERIFY(host.gauge->ParentColor());

    host.gauge->SetColor(clRed);
    QCOMPARE(host.gauge->Color(), clRed);
    QVERIFY(!host.gauge->ParentColor());

    host.gauge->ParentColorChanged(clLime);  // no longer followed
    QCOMPARE(host.gauge->Color(), clRed);

    host.gauge->SetParentColor(true);  // takes the parent's latest colour
    QCOMPARE(host.gauge->Color(), clLime);
    host.gauge->ParentColorChanged(clStatusChecking);
    QCOMPARE(host.gauge->Color(), clStatusChecking);
    QVERIFY(host.gauge->ParentColor());

    // The colour shows in the corners around the dial.
    const QImage picture = host.gauge->Render();
    QCOMPARE(picture.pixel(0, 0) | 0xFF000000u, qRgb(255, 128, 0));
}

void TestGauge::repaintAlsoPaintsControlsStackedAbove()
{
    Host host;
    // Created after the gauge, so stacked above it; transparent, like a label.
    QWidget over(&host.window);
    over.setGeometry(8, 64, 71, 29);
    QWidget aside(&host.window);
    aside.setGeometry(8, 560, 50, 20);  // below the gauge's rectangle
    QVERIFY(host.Show());

    PaintCounter gaugePaints(host.gauge);
    PaintCounter overPaints(&over);
    PaintCounter asidePaints(&aside);
    host.gauge->SetBackColor(clLime);
    QCOMPARE(gaugePaints.count, 1);
    QCOMPARE(overPaints.count, 1);
    QCOMPARE(asidePaints.count, 0);
}

void TestGauge::partialRepaintsMatchWholeOnesThroughACountdown()
{
    Host host;
    host.gauge->SetMaxValue(30);
    QVERIFY(host.Show());
    QCoreApplication::processEvents();
    PaintCounter paints(host.gauge);
    const QRegion whole(host.gauge->rect());
    // Every second of a 30-second countdown, the jump to full that a check
    // makes, and the restart from zero.
    std::vector<int> steps;
    for (int second = 1; second <= 30; ++second)
        steps.push_back(second);
    steps.insert(steps.end(), {0, 2, 30, 0, 1});
    for (const int progress : steps) {
        const int before = paints.count;
        host.gauge->SetProgress(progress);
        QCOMPARE(paints.count, before + 1);
        const QRegion partial = paints.last;
        QVERIFY2(Pixels(partial) < Pixels(whole) / 2, qPrintable(QString::number(progress)));
        const QImage afterPartial = host.Shown();
        host.gauge->repaint();
        QCOMPARE(paints.last, whole);
        const QImage afterWhole = host.Shown();
        QVERIFY2(afterPartial == afterWhole, qPrintable(QStringLiteral("at %1").arg(progress)));
        QVERIFY(afterWhole == host.gauge->Render());
    }
}

void TestGauge::partialRepaintPaintsOnlyControlsItMeets()
{
    Host host;
    host.gauge->SetMaxValue(30);
    host.gauge->SetProgress(1);
    // Stacked above the gauge: one where the readout lies, away from the
    // needle's first seconds, and one across the percentage text.
    QWidget readout(&host.window);
    readout.setGeometry(8, 64, 71, 29);
    QWidget centre(&host.window);
    centre.setGeometry(400, 240, 60, 40);
    QVERIFY(host.Show());
    QCoreApplication::processEvents();
    PaintCounter readoutPaints(&readout);
    PaintCounter centrePaints(&centre);
    host.gauge->SetProgress(2);
    QCOMPARE(readoutPaints.count, 0);
    QCOMPARE(centrePaints.count, 1);
    // A colour change repaints the whole gauge and all that lies on it.
    host.gauge->SetBackColor(clLime);
    QCOMPARE(readoutPaints.count, 1);
    QCOMPARE(centrePaints.count, 2);
}

void TestGauge::paintFailureIsReportedAndNextPaintRecovers()
{
    QStringList reported;
    SetErrorHandler([&](const std::exception &error) {
        reported << QString::fromUtf8(ExceptionClassName(error));
    });
    Host host;
    QVERIFY(host.Show());
    QCoreApplication::processEvents();
    PaintCounter paints(host.gauge);
    host.images.left = 0;
    host.gauge->SetProgress(40);
    QCOMPARE(reported, QStringList{"EOutOfResources"});
    QCOMPARE(host.gauge->Progress(), 40);

    // The 40 % never reached the screen, so the next change repaints the
    // whole gauge rather than the needles and texts of 40 % and 60 %.
    QCOMPARE(host.images.refused, 1);
    host.images.left = -1;
    host.gauge->SetProgress(60);
    QCOMPARE(reported.size(), 1);
    QCOMPARE(paints.last, QRegion(host.gauge->rect()));
    QVERIFY(host.Shown() == host.gauge->Render());
    // And after that, changes are repainted in part again.
    host.gauge->SetProgress(61);
    QVERIFY(paints.last != QRegion(host.gauge->rect()));
    QVERIFY(host.Shown() == host.gauge->Render());

    host.gauge->ParentColorChanged(clRed);
    QTRY_VERIFY(host.Shown() == host.gauge->Render());
    // What a fresh rendering of the widget shows is the gauge's picture too.
    const QImage grabbed = host.gauge->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QVERIFY(grabbed == host.gauge->Render());
}

void TestGauge::layoutFont()
{
    const QFont font = TGauge::LayoutFont();
    const QFontInfo info(font);
    QVERIFY(info.bold());
    QCOMPARE(info.pixelSize(), 32);  // the em: character height without internal leading
    QVERIFY2(info.family() == "Liberation Sans" || info.family() == "DejaVu Sans",
             qPrintable(info.family()));
    QVERIFY(font.styleStrategy() & QFont::NoAntialias);
}

QTEST_MAIN(TestGauge)
#include "tst_gauge.moc"
