// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "SessionRig.h"

#include "session/LatencySeries.h"
#include "session/SessionRecord.h"

#include <QtTest>

#include <random>

using namespace std::chrono;

namespace {

// "5F 10S": a failed check started at 5 s, then a successful one at 10 s.
std::vector<CheckResult> Script(const QString &script)
{
    std::vector<CheckResult> checks;
    for (const QString &word : script.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        checks.push_back(SessionRig::Check(word.chopped(1).toDouble(), word.endsWith(QLatin1Char('S'))));
    return checks;
}

nanoseconds DownInColumns(const LatencySeries &series)
{
    nanoseconds down{0};
    for (std::size_t i = 0; i < series.Capacity(); ++i)
        down += series.At(i).downTime;
    return down;
}

LatencySeries::Column Everything(const LatencySeries &series)
{
    LatencySeries::Column all;
    for (std::size_t i = 0; i < series.Capacity(); ++i) {
        const LatencySeries::Column &c = series.At(i);
        if (c.succeeded > 0) {
            all.minElapsed = all.succeeded > 0 ? std::min(all.minElapsed, c.minElapsed) : c.minElapsed;
            all.maxElapsed = std::max(all.maxElapsed, c.maxElapsed);
        }
        all.succeeded += c.succeeded;
        all.failed += c.failed;
    }
    return all;
}

// The pixels of a resampled chart that are down, as runs "a-b".
QString DownRuns(const std::vector<ChartColumn> &columns)
{
    QStringList runs;
    for (std::size_t p = 0; p < columns.size(); ++p) {
        if (!columns[p].down || (p > 0 && columns[p - 1].down))
            continue;
        std::size_t end = p;
        while (end + 1 < columns.size() && columns[end + 1].down)
            ++end;
        runs << QStringLiteral("%1-%2").arg(p).arg(end);
    }
    return runs.join(QLatin1Char(','));
}

} // namespace

class TestLatencySeries : public QObject {
    Q_OBJECT
private slots:
    void checksLandInTheColumnOfTheirStart();
    void downTimeAgreesWithTheSessionRecord_data();
    void downTimeAgreesWithTheSessionRecord();
    void aMillionChecksStayWithinTheColumnsAndKeepTheirTotals();
    void startsThatRunBackwardsCountAsTheLatest();
    void downTimeNearTheLongestDurationIsKept();
    void resampledPixels_data();
    void resampledPixels();
    void resamplingTakesTheLatestCheckOfAPixel();
};

void TestLatencySeries::checksLandInTheColumnOfTheirStart()
{
    LatencySeries series(SessionRig::kMonotonicBase, 8);
    // 1 ms columns, 8 of them: a check at 3.5 ms sits in column 3.
    series.Add(SessionRig::Check(0.0035, true, FailureReason::None, microseconds(300)));
    QCOMPARE(series.ColumnWidth(), milliseconds(1));
    QCOMPARE(series.Used(), 4u);
    QCOMPARE(series.At(3).succeeded, 1u);
    QCOMPARE(series.At(3).minElapsed, microseconds(300));
    // One at 20 ms needs 4 ms columns: the first check's column merges into 0.
    series.Add(SessionRig::Check(0.020, false, FailureReason::Timeout));
    QCOMPARE(series.ColumnWidth(), milliseconds(4));
    QCOMPARE(series.At(0).succeeded, 1u);
    QCOMPARE(series.At(5).failed, 1u);
    QCOMPARE(series.At(5).latestReason, FailureReason::Timeout);
    QCOMPARE(series.At(5).latestAt, milliseconds(20));
    QVERIFY(!series.At(5).latestOk);
    QCOMPARE(series.Used(), 6u);
    QVERIFY(series.OpenDown());
    QCOMPARE(series.LatestStart(), milliseconds(20));
}

void TestLatencySeries::downTimeAgreesWithTheSessionRecord_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<double>("downInColumns");
    QTest::newRow("no failure") << "1S 2S 3S" << 0.0;
    QTest::newRow("first check fails: down from its start") << "4F 6S" << 2.0;
    QTest::newRow("outage between successes") << "1S 3F 4F 9S 10S" << 6.0;
    QTest::newRow("open outage is not in the columns") << "1S 3F 4F" << 1.0;
    QTest::newRow("two outages") << "1S 2F 3S 5F 8F 9S" << 5.0;
}

void TestLatencySeries::downTimeAgreesWithTheSessionRecord()
{
    QFETCH(QString, script);
    QFETCH(double, downInColumns);
    SessionRig rig;
    SessionRecord record(rig.Clock());
    // As the window's session makes it: both begin at the first check.
    LatencySeries series(SeriesOrigin::FirstCheck, SessionRig::kMonotonicBase);
    const std::vector<CheckResult> checks = Script(script);
    for (const CheckResult &check : checks) {
        record.Record(check);
        series.Add(check);
    }
    QCOMPARE(DownInColumns(series), SessionRig::Seconds(downInColumns));
    // Up to the latest start, the columns hold exactly the record's down time.
    rig.At(duration<double>(checks.back().startedMonotonic - SessionRig::kMonotonicBase).count());
    QCOMPARE(DownInColumns(series), record.Summary(0).totalDown);
}

void TestLatencySeries::aMillionChecksStayWithinTheColumnsAndKeepTheirTotals()
{
    LatencySeries series(SessionRig::kMonotonicBase, 1024);
    const std::size_t bytes = series.Bytes();
    std::mt19937 random(7);
    std::uint64_t succeeded = 0;
    nanoseconds smallest = nanoseconds::max();
    nanoseconds largest{0};
    for (int i = 0; i < 1'000'000; ++i) {
        const bool ok = random() % 10 != 0;
        const nanoseconds elapsed = microseconds(100 + random() % 100000);
        series.Add(SessionRig::Check(i, ok, FailureReason::Refused, elapsed));
        if (ok) {
            ++succeeded;
            smallest = std::min(smallest, elapsed);
            largest = std::max(largest, elapsed);
        }
    }
    QCOMPARE(series.Bytes(), bytes);
    QVERIFY(series.Used() <= series.Capacity());
    // The latest start, 999,999 s, needs 1024 columns of 2^20 ms; 2^19 ms
    // would reach only 536,871 s.
    QCOMPARE(series.ColumnWidth(), milliseconds(1 << 20));
    const LatencySeries::Column all = Everything(series);
    QCOMPARE(all.succeeded, succeeded);
    QCOMPARE(all.failed, 1'000'000 - succeeded);
    QCOMPARE(all.minElapsed, smallest);
    QCOMPARE(all.maxElapsed, largest);
    QCOMPARE(series.Checks(), 1'000'000u);
}

void TestLatencySeries::startsThatRunBackwardsCountAsTheLatest()
{
    LatencySeries series(SessionRig::kMonotonicBase, 64);
    series.Add(SessionRig::Check(0.010, true));
    series.Add(SessionRig::Check(0.005, false));
    QCOMPARE(series.LatestStart(), milliseconds(10));
    QCOMPARE(series.At(10).Checks(), 2u);
    // Before the origin: the origin.
    LatencySeries early(SessionRig::kMonotonicBase + seconds(1), 64);
    early.Add(SessionRig::Check(0, false));
    QCOMPARE(early.LatestStart(), nanoseconds{0});
    QCOMPARE(DownInColumns(early), nanoseconds{0});
}

void TestLatencySeries::downTimeNearTheLongestDurationIsKept()
{
    // An outage from the origin to a check at the longest duration: the
    // last column ends beyond it, and its share of the outage still counts.
    for (const std::size_t columns : {std::size_t{2}, std::size_t{2048}}) {
        LatencySeries series(nanoseconds{0}, columns);
        CheckResult failed;
        failed.startedMonotonic = nanoseconds{0};
        series.Add(failed);
        CheckResult late;
        late.ok = true;
        late.startedMonotonic = nanoseconds::max();
        series.Add(late);
        QCOMPARE(series.LatestStart(), nanoseconds::max());
        QCOMPARE(DownInColumns(series), nanoseconds::max());
        const LatencySeries::Column &last = series.At(series.Used() - 1);
        QVERIFY(last.downTime > nanoseconds{0});
        QCOMPARE(last.downTo, nanoseconds::max());
    }
}

void TestLatencySeries::resampledPixels_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<double>("end");
    QTest::addColumn<QString>("downRuns");
    // 100 pixels over 100 s: one pixel per second.
    QTest::newRow("outage 20 s to 30 s") << "10S 20F 25F 30S 90S" << 100.0 << "20-29";
    QTest::newRow("open outage to the end") << "10S 60F" << 100.0 << "60-99";
    QTest::newRow("first check failed") << "15F 40S" << 100.0 << "0-39";
    QTest::newRow("two outages") << "10S 20F 22S 50F 55S" << 100.0 << "20-21,50-54";
    QTest::newRow("axis ends at the latest check: no open band yet") << "10S 20F" << 5.0 << "";
    QTest::newRow("open outage up to now, the axis reaching beyond") << "10S 60F" << -80.0 << "60-79";
}

void TestLatencySeries::resampledPixels()
{
    QFETCH(QString, script);
    QFETCH(double, end);
    QFETCH(QString, downRuns);
    LatencySeries series(SessionRig::kMonotonicBase);
    for (const CheckResult &check : Script(script))
        series.Add(check);
    // A negative end: the axis to 100 s, now at -end.
    const std::vector<ChartColumn> pixels = end < 0 ? ResampleSeries(series, 100, seconds(100), SessionRig::Seconds(-end))
                                                    : ResampleSeries(series, 100, SessionRig::Seconds(end), SessionRig::Seconds(end));
    QCOMPARE(pixels.size(), 100u);
    QCOMPARE(DownRuns(pixels), downRuns);
    // Every check is shown once.
    std::uint64_t shown = 0;
    for (const ChartColumn &pixel : pixels)
        shown += pixel.checks.Checks();
    QCOMPARE(shown, series.Checks());
    QVERIFY(ResampleSeries(series, 0, seconds(1), seconds(1)).empty());
}

void TestLatencySeries::resamplingTakesTheLatestCheckOfAPixel()
{
    LatencySeries series(SessionRig::kMonotonicBase);
    series.Add(SessionRig::Check(10.1, true, FailureReason::None, milliseconds(3)));
    series.Add(SessionRig::Check(10.6, true, FailureReason::None, milliseconds(9)));
    series.Add(SessionRig::Check(50, false, FailureReason::Dns));
    const std::vector<ChartColumn> pixels = ResampleSeries(series, 100, seconds(100), seconds(100));
    const LatencySeries::Column &ten = pixels[10].checks;
    QCOMPARE(ten.succeeded, 2u);
    QCOMPARE(ten.minElapsed, milliseconds(3));
    QCOMPARE(ten.maxElapsed, milliseconds(9));
    QCOMPARE(ten.latestElapsed, milliseconds(9));
    QCOMPARE(ten.latestWall, SessionRig::Check(10.6, true).startedAt);
    QCOMPARE(pixels[50].checks.failed, 1u);
    QCOMPARE(pixels[50].checks.latestReason, FailureReason::Dns);
}

QTEST_GUILESS_MAIN(TestLatencySeries)
#include "tst_latencyseries.moc"
