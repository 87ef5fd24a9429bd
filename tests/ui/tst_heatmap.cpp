// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The heat map's pixels for a known history: lime all up, shades to red by
// the failed share, grey where nothing was monitored (the sleep, the time
// after the run), the base colour past now; hour cells for long ranges; the
// current cell's text under the mouse and the keyboard.

#include "KnownHistory.h"

#include "history/HistoryReader.h"
#include "ui/HeatMap.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <ctime>

namespace {

const QColor kLime(0, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kGrey(192, 192, 192);

QString Rgb(const QColor &color)
{
    return QStringLiteral("(%1,%2,%3)").arg(color.red()).arg(color.green()).arg(color.blue());
}

} // namespace

class TestHeatMap : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void tenMinuteCellsOfAKnownDay();
    void daysBeforeTheFirstCheckAreGreyNotBlank();
    void hourCellsBeyondAMonth();
    void theCurrentCellByMouseAndKeyboard();
    void failedShareShadesFromYellowToRed();

private:
    HistoryView View(std::int64_t startMs);
    QImage Picture(HeatMap &map);
    static QColor Middle(const QImage &picture, const HeatMap &map, int day, int cell);

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<KnownHistory> history_;
};

void TestHeatMap::initTestCase()
{
    qputenv("TZ", "UTC");
    ::tzset();
}

void TestHeatMap::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    history_ = std::make_unique<KnownHistory>(PathIn(*dir_, "history.sqlite"));
}

HistoryView TestHeatMap::View(std::int64_t startMs)
{
    HistoryReader reader(history_->file, history_->Reader());
    const std::optional<std::int64_t> target = reader.FindTarget("known.host", 80);
    if (!target)
        qFatal("the known history has no known.host");
    return reader.View(*target, {startMs, KnownHistory::kNowMs});
}

QImage TestHeatMap::Picture(HeatMap &map)
{
    map.resize(map.sizeHint());
    return map.grab().toImage();
}

QColor TestHeatMap::Middle(const QImage &picture, const HeatMap &map, int day, int cell)
{
    const QRect rect = map.CellRect(day, cell);
    return rect.isNull() ? QColor() : picture.pixelColor(rect.center());
}

void TestHeatMap::tenMinuteCellsOfAKnownDay()
{
    HeatMap map;
    map.SetView(View(KnownHistory::kDayMs));
    QCOMPARE(map.Days().size(), 1u);
    QCOMPARE(map.Days()[0].cells.size(), 144u);
    QCOMPARE(map.CellRect(0, 1).width(), HeatMap::kFineCellWidth);
    const QImage picture = Picture(map);

    QCOMPARE(Rgb(Middle(picture, map, 0, 0)), Rgb(kLime));
    // Half the time down: orange, halfway from yellow to red.
    const QColor half = Middle(picture, map, 0, 1);
    QCOMPARE(half.red(), 255);
    QCOMPARE(half.blue(), 0);
    QVERIFY2(half.green() >= 120 && half.green() <= 136, qPrintable(Rgb(half)));
    QCOMPARE(Rgb(Middle(picture, map, 0, 2)), Rgb(kRed));
    for (int cell = 3; cell <= 8; ++cell) // asleep
        QCOMPARE(Rgb(Middle(picture, map, 0, cell)), Rgb(kGrey));
    QCOMPARE(Rgb(Middle(picture, map, 0, 9)), Rgb(kLime));
    for (int cell = 10; cell <= 11; ++cell) // closed, before now
        QCOMPARE(Rgb(Middle(picture, map, 0, cell)), Rgb(kGrey));
    const QColor ahead = map.palette().color(QPalette::Base);
    for (int cell : {12, 100, 143})
        QCOMPARE(Rgb(Middle(picture, map, 0, cell)), Rgb(ahead));
    // The whole cell takes its colour, edge to edge.
    const QRect red = map.CellRect(0, 2);
    QCOMPARE(Rgb(picture.pixelColor(red.topLeft())), Rgb(kRed));
    QCOMPARE(Rgb(picture.pixelColor(red.bottomRight())), Rgb(kRed));
}

void TestHeatMap::daysBeforeTheFirstCheckAreGreyNotBlank()
{
    HeatMap map;
    map.SetView(View(KnownHistory::kDayMs - 86'400'000));
    QCOMPARE(map.Days().size(), 2u);
    const QImage picture = Picture(map);
    QCOMPARE(Rgb(Middle(picture, map, 0, 0)), Rgb(kGrey));
    // other.host is another target: its checks at 23:00 are not this one's.
    QCOMPARE(Rgb(Middle(picture, map, 0, 138)), Rgb(kGrey));
    QCOMPARE(Rgb(Middle(picture, map, 1, 2)), Rgb(kRed));
    // Rows one below the other, one pixel apart.
    QCOMPARE(map.CellRect(1, 0).top(), HeatMap::kRowHeight);
}

void TestHeatMap::hourCellsBeyondAMonth()
{
    HeatMap map;
    map.SetView(View(KnownHistory::kDayMs - 39LL * 86'400'000));
    QCOMPARE(map.Days().size(), 40u);
    QCOMPARE(map.Days().back().cells.size(), 24u);
    QCOMPARE(map.CellRect(39, 0).width(), HeatMap::kCoarseCellWidth);
    const QImage picture = Picture(map);
    // 00:00-01:00: 30 minutes watched, 15 of them up.
    const QColor first = Middle(picture, map, 39, 0);
    QCOMPARE(first.red(), 255);
    QVERIFY2(first.green() >= 120 && first.green() <= 136, qPrintable(Rgb(first)));
    QCOMPARE(Rgb(Middle(picture, map, 39, 1)), Rgb(kLime));
    QCOMPARE(Rgb(Middle(picture, map, 39, 2)), Rgb(map.palette().color(QPalette::Base)));
    QCOMPARE(Rgb(Middle(picture, map, 0, 5)), Rgb(kGrey));
}

void TestHeatMap::theCurrentCellByMouseAndKeyboard()
{
    HeatMap map;
    map.SetView(View(KnownHistory::kDayMs - 86'400'000));
    map.show();
    QVERIFY(QTest::qWaitForWindowExposed(&map));
    QSignalSpy changed(&map, &HeatMap::CurrentChanged);

    QTest::mouseMove(&map, map.CellRect(1, 1).center());
    QTRY_COMPARE(map.Current(), std::make_optional(std::make_pair(1, 1)));
    const QString text = map.CurrentText();
    for (const char *part : {"02.03.2026 00:10–00:20", "проверок: 20, неудачных: 10", "доступность 50 %",
                             "медиана 20,", "p95 20,", "Соединение отклонено: 10"})
        QVERIFY2(text.contains(QString::fromUtf8(part)), qPrintable(text));
    QCOMPARE(changed.last().at(0).toString(), text);
    QCOMPARE(map.accessibleDescription(), text);

    map.setFocus();
    QTest::keyClick(&map, Qt::Key_Right);
    QCOMPARE(map.Current(), std::make_optional(std::make_pair(1, 2)));
    QVERIFY(map.CurrentText().contains(QStringLiteral("неудачных: 20")));
    QTest::keyClick(&map, Qt::Key_Right);
    QVERIFY2(map.CurrentText().endsWith(QStringLiteral("не наблюдалось")), qPrintable(map.CurrentText()));
    QTest::keyClick(&map, Qt::Key_Up);
    QCOMPARE(map.Current(), std::make_optional(std::make_pair(0, 3)));
    QTest::keyClick(&map, Qt::Key_Up); // stays in the first row
    QCOMPARE(map.Current(), std::make_optional(std::make_pair(0, 3)));
    QTest::keyClick(&map, Qt::Key_End);
    QCOMPARE(map.Current(), std::make_optional(std::make_pair(0, 143)));
    QVERIFY(map.CurrentText().startsWith(QStringLiteral("01.03.2026 23:50–00:00")));
}

void TestHeatMap::failedShareShadesFromYellowToRed()
{
    const Span range{0, 1'000'000};
    const QColor outside(1, 2, 3);
    const auto colour = [&](std::int64_t monitored, std::int64_t up, Span span = {0, 600'000}) {
        HistoryCell cell;
        cell.span = span;
        cell.monitoredMs = monitored;
        cell.upMs = up;
        return HeatMap::ColorOf(cell, range, outside);
    };
    QCOMPARE(Rgb(colour(600'000, 600'000)), Rgb(kLime));
    QCOMPARE(Rgb(colour(100, 100)), Rgb(kLime)); // a cell watched a moment, all up
    QCOMPARE(Rgb(colour(0, 0)), Rgb(kGrey));
    QCOMPARE(Rgb(colour(600'000, 0)), Rgb(kRed));
    QCOMPARE(Rgb(colour(600'000, 600'000, {1'000'000, 1'600'000})), Rgb(outside));
    // One failed second in ten minutes is not lime, and more failure is redder.
    const QColor little = colour(600'000, 599'000);
    QVERIFY2(little.red() >= 250 && little.green() >= 250, qPrintable(Rgb(little)));
    int green = 256;
    for (std::int64_t up : {599'000, 450'000, 300'000, 150'000, 1'000}) {
        const QColor shade = colour(600'000, up);
        QCOMPARE(shade.red(), 255);
        QCOMPARE(shade.blue(), 0);
        QVERIFY2(shade.green() < green, qPrintable(Rgb(shade)));
        green = shade.green();
    }
}

QTEST_MAIN(TestHeatMap)
#include "tst_heatmap.moc"
