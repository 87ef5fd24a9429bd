// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The latency chart grabbed to an image: where the failure marks, the outage
// bands and the successful checks lie, the axis scale, the hover, and its
// memory over a long session.

#include "SessionRig.h"

#include "session/SessionHistory.h"
#include "ui/LatencyChart.h"

#include <QApplication>
#include <QImage>
#include <QtTest>

using namespace std::chrono;

namespace {

// The columns of the plot where `colour` fills the pixel at height y.
QList<int> ColumnsOf(const QImage &image, int y, QColor colour, const QRect &plot)
{
    QList<int> xs;
    for (int x = plot.left(); x <= plot.right(); ++x)
        if (image.pixelColor(x, y) == colour)
            xs << x;
    return xs;
}

// Runs of consecutive x as "a-b".
QStringList Runs(const QList<int> &xs)
{
    QStringList runs;
    for (qsizetype i = 0; i < xs.size();) {
        qsizetype j = i;
        while (j + 1 < xs.size() && xs[j + 1] == xs[j] + 1)
            ++j;
        runs << QStringLiteral("%1-%2").arg(xs[i]).arg(xs[j]);
        i = j + 1;
    }
    return runs;
}

bool Near(int actual, int expected, int slack = 2)
{
    return std::abs(actual - expected) <= slack;
}

} // namespace

class TestLatencyChart : public QObject {
    Q_OBJECT
private slots:
    void marksAndBandsLieAtTheScriptedTimes();
    void successesArePlottedByTheirTimeAndTheAxisScales_data();
    void successesArePlottedByTheirTimeAndTheAxisScales();
    void hoverShowsTheCheckUnderThePointer();
    void memoryStaysBoundedOverAMillionResults();
    void refreshRedrawsOnlyTheChangedColumnsAndMatchesAFullPaint();
    void axisEndSteps_data();
    void axisEndSteps();
    void tinySizesPaintWithoutFault();
};

void TestLatencyChart::refreshRedrawsOnlyTheChangedColumnsAndMatchesAFullPaint()
{
    SessionRig rig;
    SessionHistory history({"127.0.0.1", 80}, rig.Clock());
    // Two minutes at 1 s with an outage in the middle, then sparse checks.
    for (int s = 0; s < 120; ++s)
        history.Add(SessionRig::Check(s, s < 50 || s > 60, FailureReason::Refused, microseconds(300 + 97 * (s % 11))));
    rig.At(120.5);
    LatencyChart chart(history);
    chart.resize(800, 400);
    chart.Refresh();
    (void)chart.grab();
    const int fullPaints = chart.FullPaints();
    const int redrawn = chart.ColumnsRedrawn();
    // Within the axis (up to 130 s): each check redraws a few columns.
    for (double s = 121; s < 129; s += 1.5) {
        history.Add(SessionRig::Check(s, s < 124 || s > 126, FailureReason::Timeout, microseconds(400)));
        rig.At(s + 0.2);
        chart.Refresh();
        (void)chart.grab();
    }
    QCOMPARE(chart.FullPaints(), fullPaints);
    // Each redraws from the check before to the check after (about 8 pixels
    // apart here) and, while it lasts, the outage's growth: far below the
    // plot's width of pixels per check.
    const int perCheck = (chart.ColumnsRedrawn() - redrawn) / 6;
    QVERIFY2(perCheck < chart.PlotArea().width() / 10, qPrintable(QString::number(perCheck)));
    QVERIFY(chart.ColumnsRedrawn() > redrawn);
    const QImage updated = chart.grab().toImage();
    LatencyChart fresh(history);
    fresh.resize(800, 400);
    fresh.Refresh();
    QCOMPARE(fresh.AxisEnd(), chart.AxisEnd());
    QCOMPARE(updated, fresh.grab().toImage());
}

void TestLatencyChart::axisEndSteps_data()
{
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("end");
    QTest::newRow("nothing yet: 1 ms") << 0.0 << 0.001;
    QTest::newRow("0.5 s: 0.51 s") << 0.5 << 0.51;
    QTest::newRow("100 s: 110 s") << 100.0 << 110.0;
    QTest::newRow("99 s: 100 s") << 99.0 << 100.0;
    QTest::newRow("a day: 87,000 s") << 86400.0 << 87000.0;
}

void TestLatencyChart::axisEndSteps()
{
    QFETCH(double, length);
    QFETCH(double, end);
    QCOMPARE(LatencyChart::AxisEndFor(SessionRig::Seconds(length)), SessionRig::Seconds(end));
}

void TestLatencyChart::marksAndBandsLieAtTheScriptedTimes()
{
    SessionRig rig;
    SessionHistory history({"127.0.0.1", 80}, rig.Clock());
    // One check a second for 100 s; down from 20 to 30 s (failures at 20 to
    // 29) and from 70 s to the end (failures from 70 on).
    for (int s = 0; s < 100; ++s) {
        const bool ok = !(s >= 20 && s < 30) && s < 70;
        history.Add(SessionRig::Check(s, ok, FailureReason::Refused, milliseconds(5 + s % 3)));
    }
    rig.At(100);
    LatencyChart chart(history);
    chart.resize(800, 400);
    chart.Refresh();
    const QImage image = chart.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect plot = chart.PlotArea();
    QCOMPARE(image.size(), QSize(800, 400));

    // The bands, seen in the upper part of the plot (above every point).
    const QStringList bands = Runs(ColumnsOf(image, plot.top() + 2, LatencyChart::kBand, plot));
    QCOMPARE(bands.size(), 2);
    const int x20 = chart.XOf(seconds(20)), x30 = chart.XOf(seconds(30)), x70 = chart.XOf(seconds(70));
    QVERIFY2(Near(bands[0].section('-', 0, 0).toInt(), x20) && Near(bands[0].section('-', 1, 1).toInt(), x30 - 1),
             qPrintable(bands.join(' ')));
    // The open outage reaches now; the axis goes on to the next round step.
    QCOMPARE(chart.AxisEnd(), seconds(110));
    QVERIFY2(Near(bands[1].section('-', 0, 0).toInt(), x70)
                 && Near(bands[1].section('-', 1, 1).toInt(), chart.XOf(seconds(100)) - 1),
             qPrintable(bands.join(' ')));
    QCOMPARE(image.pixelColor(chart.XOf(seconds(105)), plot.top() + 2), LatencyChart::kBackground);

    // The failure marks at the bottom: one (3 pixels wide) per failed check.
    const QList<int> marks = ColumnsOf(image, plot.bottom() - 2, LatencyChart::kFailure, plot);
    QVERIFY(!marks.isEmpty());
    QVERIFY(Near(marks.front(), x20 - 1, 1));
    QVERIFY(Near(marks.back(), chart.XOf(seconds(99)) + 1, 1));
    for (const int x : marks) {
        const bool inFirst = x >= x20 - 1 && x <= chart.XOf(seconds(29)) + 1;
        const bool inSecond = x >= x70 - 1;
        QVERIFY2(inFirst || inSecond, qPrintable(QString::number(x)));
    }
    // No mark where every check succeeded.
    QCOMPARE(image.pixelColor(chart.XOf(seconds(50)), plot.bottom() - 2), LatencyChart::kBackground);
    // Successful checks are drawn between the outages, none inside them.
    int inside = 0;
    int between = 0;
    for (int y = plot.top(); y < plot.bottom() - LatencyChart::kFailureMarkHeight; ++y) {
        inside += image.pixelColor(chart.XOf(seconds(25)), y) == LatencyChart::kSuccess;
        between += image.pixelColor(chart.XOf(seconds(50)), y) == LatencyChart::kSuccess;
    }
    QCOMPARE(inside, 0);
    QVERIFY(between > 0);
}

void TestLatencyChart::successesArePlottedByTheirTimeAndTheAxisScales_data()
{
    QTest::addColumn<int>("largestMs");
    QTest::addColumn<double>("axisMax");
    QTest::newRow("below a millisecond: 1") << 0 << 1.0;
    QTest::newRow("7 ms: 10") << 7 << 10.0;
    QTest::newRow("18 ms: 20") << 18 << 20.0;
    QTest::newRow("20 ms: 20") << 20 << 20.0;
    QTest::newRow("430 ms: 500") << 430 << 500.0;
    QTest::newRow("21 s: 50 s") << 21000 << 50000.0;
}

void TestLatencyChart::successesArePlottedByTheirTimeAndTheAxisScales()
{
    QFETCH(int, largestMs);
    QFETCH(double, axisMax);
    SessionRig rig;
    SessionHistory history({"127.0.0.1", 80}, rig.Clock());
    history.Add(SessionRig::Check(0, true, FailureReason::None, microseconds(300)));
    history.Add(SessionRig::Check(40, true, FailureReason::None, milliseconds(largestMs)));
    rig.At(50);
    LatencyChart chart(history);
    chart.resize(600, 300);
    chart.Refresh();
    QCOMPARE(chart.AxisMaxMs(), axisMax);
    const QImage image = chart.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect plot = chart.PlotArea();
    // The point at 40 s lies at the x of 40 s; the largest one reaches the top
    // when it is the axis' maximum.
    int top = -1;
    for (int y = plot.top() - 1; y <= plot.bottom() && top < 0; ++y)
        if (image.pixelColor(chart.XOf(seconds(40)), y) == LatencyChart::kSuccess)
            top = y;
    QVERIFY(top >= 0);
    const double share = largestMs / axisMax;
    const int expected = plot.bottom() - LatencyChart::kFailureMarkHeight - 2
                         - int(std::lround(std::min(1.0, share) * (plot.bottom() - LatencyChart::kFailureMarkHeight - 2 - plot.top())));
    QVERIFY2(Near(top, expected - 1), qPrintable(QStringLiteral("%1 vs %2").arg(top).arg(expected)));
    // Nothing is drawn where no check started.
    QVERIFY(image.pixelColor(chart.XOf(seconds(25)), top) != LatencyChart::kSuccess);
}

void TestLatencyChart::hoverShowsTheCheckUnderThePointer()
{
    SessionRig rig;
    SessionHistory history({"127.0.0.1", 80}, rig.Clock());
    history.Add(SessionRig::Check(10, true, FailureReason::None, microseconds(12345)));
    history.Add(SessionRig::Check(30, false, FailureReason::Timeout));
    rig.At(40);
    LatencyChart chart(history);
    chart.resize(800, 300);
    chart.Refresh();
    const int y = chart.PlotArea().center().y();
    // The chart's time runs from the session's first check, at 10 s.
    const auto since = [&](double s) { return SessionRig::Seconds(s - 10); };
    const QString atTen = chart.HoverText(QPoint(chart.XOf(since(10)) + 1, y));
    QVERIFY2(atTen.endsWith(QStringLiteral(": 12,345 мс")), qPrintable(atTen));
    const QString atThirty = chart.HoverText(QPoint(chart.XOf(since(30)), y));
    QVERIFY2(atThirty.endsWith(QStringLiteral(": Превышено время ожидания")), qPrintable(atThirty));
    // In the open outage, away from any check.
    QCOMPARE(chart.HoverText(QPoint(chart.XOf(since(36)), y)), QStringLiteral("Нет связи"));
    // Between the checks, where the line was up: nothing.
    QCOMPARE(chart.HoverText(QPoint(chart.XOf(since(20)), y)), QString());
    // Before the first check the session had not begun: off the chart.
    QCOMPARE(chart.XOf(since(3)), -1);
    // Outside the plot: nothing.
    QCOMPARE(chart.HoverText(QPoint(2, y)), QString());
}

void TestLatencyChart::memoryStaysBoundedOverAMillionResults()
{
    SessionRig rig;
    // The log is the only part that grows with the checks, up to its cap.
    SessionHistory history({"127.0.0.1", 80}, rig.Clock(), 1000);
    const std::size_t seriesBytes = history.Series().Bytes();
    LatencyChart chart(history);
    chart.resize(800, 400);
    std::size_t logBytesAtCap = 0;
    for (int i = 0; i < 1'000'000; ++i) {
        history.Add(SessionRig::Check(i, i % 97 != 0, FailureReason::Refused, microseconds(200 + i % 5000)));
        if (i == 999)
            logBytesAtCap = history.Log().Bytes();
        if (i % 250'000 == 0) {
            rig.At(i + 1);
            chart.Refresh();
            chart.grab();
        }
    }
    rig.At(1'000'000);
    chart.Refresh();
    const QImage image = chart.grab().toImage();
    QVERIFY(!image.isNull());
    QCOMPARE(history.Series().Bytes(), seriesBytes);
    QVERIFY(history.Series().Used() <= history.Series().Capacity());
    QCOMPARE(history.Log().Size(), 1000u);
    QCOMPARE(history.Log().Bytes(), logBytesAtCap);
    QCOMPARE(history.Log().Dropped(), 999'000u);
    QCOMPARE(history.Record().Sent(), 1'000'000u);
    // Every 97th check failed: marks across the whole width.
    const QRect plot = chart.PlotArea();
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const QList<int> marks = ColumnsOf(rgb, plot.bottom() - 2, LatencyChart::kFailure, plot);
    QVERIFY(marks.size() > plot.width() / 2);
}

void TestLatencyChart::tinySizesPaintWithoutFault()
{
    SessionRig rig;
    SessionHistory history({"127.0.0.1", 80}, rig.Clock());
    history.Add(SessionRig::Check(1, false));
    LatencyChart chart(history);
    for (const QSize size : {QSize(1, 1), QSize(60, 30), QSize(0, 0), QSize(5000, 40)}) {
        chart.resize(size);
        chart.Refresh();
        (void)chart.grab();
        QCOMPARE(chart.HoverText(QPoint(0, 0)), QString());
    }
}

QTEST_MAIN(TestLatencyChart)
#include "tst_latencychart.moc"
