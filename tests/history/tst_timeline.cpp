// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "history/Timeline.h"

#include <QTest>

#include <vector>

Q_DECLARE_METATYPE(std::vector<TimelineRun>)
Q_DECLARE_METATYPE(std::vector<TimelineCheck>)
Q_DECLARE_METATYPE(std::vector<StatePiece>)

namespace {

TimelineCheck Ok(std::int64_t time, std::int64_t run = 1)
{
    return {time, run, true, 1'000'000, FailureReason::None};
}

TimelineCheck Failed(std::int64_t time, std::int64_t run = 1, FailureReason reason = FailureReason::Refused)
{
    return {time, run, false, 500'000, reason};
}

} // namespace

class TestTimeline : public QObject {
    Q_OBJECT

private slots:
    void pieces_data();
    void pieces();
    void outagesCountTheirFailedChecks();
    void periodsSplitPiecesAndChecks();
};

void TestTimeline::pieces_data()
{
    QTest::addColumn<std::vector<TimelineRun>>("runs");
    QTest::addColumn<std::vector<TimelineCheck>>("checks");
    QTest::addColumn<std::vector<StatePiece>>("expected");
    const Span range{0, 100};

    QTest::newRow("a check holds until the next, the last until the run's end")
        << std::vector<TimelineRun>{{1, 10, 70, {}}}
        << std::vector<TimelineCheck>{Ok(10), Failed(30), Ok(50)}
        << std::vector<StatePiece>{{10, 30, true}, {30, 50, false}, {50, 70, true}};
    QTest::newRow("equal states join")
        << std::vector<TimelineRun>{{1, 10, 70, {}}}
        << std::vector<TimelineCheck>{Ok(10), Ok(30), Ok(50)}
        << std::vector<StatePiece>{{10, 70, true}};
    QTest::newRow("a gap is not monitored and ends an outage")
        << std::vector<TimelineRun>{{1, 10, 90, {{40, 60}}}}
        << std::vector<TimelineCheck>{Failed(10), Failed(60), Ok(80)}
        << std::vector<StatePiece>{{10, 40, false}, {60, 80, false}, {80, 90, true}};
    QTest::newRow("before the first check nothing is known")
        << std::vector<TimelineRun>{{1, 20, 40, {}}}
        << std::vector<TimelineCheck>{Ok(20)}
        << std::vector<StatePiece>{{20, 40, true}};
    QTest::newRow("a check before the range gives the state at its start")
        << std::vector<TimelineRun>{{1, -50, 30, {}}}
        << std::vector<TimelineCheck>{Failed(-20), Ok(10)}
        << std::vector<StatePiece>{{0, 10, false}, {10, 30, true}};
    QTest::newRow("of two runs the newest check wins")
        << std::vector<TimelineRun>{{1, 0, 100, {}}, {2, 20, 60, {}}}
        << std::vector<TimelineCheck>{Ok(0, 1), Failed(20, 2), Ok(50, 1)}
        << std::vector<StatePiece>{{0, 20, true}, {20, 50, false}, {50, 100, true}};
    QTest::newRow("when the newer run ends the other one's word holds again")
        << std::vector<TimelineRun>{{1, 0, 100, {}}, {2, 20, 40, {}}}
        << std::vector<TimelineCheck>{Ok(0, 1), Failed(20, 2)}
        << std::vector<StatePiece>{{0, 20, true}, {20, 40, false}, {40, 100, true}};
    QTest::newRow("two runs apart leave the time between them unmonitored")
        << std::vector<TimelineRun>{{1, 0, 30, {}}, {2, 50, 80, {}}}
        << std::vector<TimelineCheck>{Failed(0, 1), Failed(50, 2)}
        << std::vector<StatePiece>{{0, 30, false}, {50, 80, false}};
    QTest::newRow("checks of an unknown run are ignored")
        << std::vector<TimelineRun>{{1, 0, 50, {}}}
        << std::vector<TimelineCheck>{Ok(0, 1), Failed(10, 7)}
        << std::vector<StatePiece>{{0, 50, true}};
    QTest::newRow("a run past the range is cut at its end")
        << std::vector<TimelineRun>{{1, 90, 500, {}}}
        << std::vector<TimelineCheck>{Ok(90), Failed(150)}
        << std::vector<StatePiece>{{90, 100, true}};
    Q_UNUSED(range);
}

void TestTimeline::pieces()
{
    QFETCH(std::vector<TimelineRun>, runs);
    QFETCH(std::vector<TimelineCheck>, checks);
    QFETCH(std::vector<StatePiece>, expected);
    const std::vector<StatePiece> pieces = MergeTimeline(runs, checks, {0, 100});
    QCOMPARE(pieces.size(), expected.size());
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        QVERIFY2(pieces[i] == expected[i], qPrintable(QStringLiteral("piece %1: %2..%3 %4").arg(i)
                                                          .arg(pieces[i].start).arg(pieces[i].end)
                                                          .arg(pieces[i].up ? "up" : "down")));
    }
}

void TestTimeline::outagesCountTheirFailedChecks()
{
    const std::vector<TimelineRun> runs{{1, 0, 100, {{50, 60}}}};
    const std::vector<TimelineCheck> checks{Ok(0), Failed(10, 1, FailureReason::Dns), Failed(20),
                                            Failed(30, 1, FailureReason::Timeout), Failed(60), Ok(70)};
    const auto pieces = MergeTimeline(runs, checks, {0, 100});
    const std::vector<OutageSpan> outages = OutagesOf(pieces, checks);
    QCOMPARE(outages.size(), std::size_t{2});
    // The sleep at 50..60 ends the first outage; the check after it begins
    // a second one.
    QCOMPARE(outages[0].start, 10);
    QCOMPARE(outages[0].end, 50);
    QCOMPARE(outages[0].failed, std::uint64_t{3});
    QCOMPARE(outages[0].reasons.Count(FailureReason::Dns), std::uint64_t{1});
    QCOMPARE(outages[0].reasons.Count(FailureReason::Refused), std::uint64_t{1});
    QCOMPARE(outages[0].reasons.Count(FailureReason::Timeout), std::uint64_t{1});
    QCOMPARE(outages[1].start, 60);
    QCOMPARE(outages[1].end, 70);
    QCOMPARE(outages[1].failed, std::uint64_t{1});
}

void TestTimeline::periodsSplitPiecesAndChecks()
{
    const std::vector<StatePiece> pieces{{30, 130, true}, {130, 170, false}};
    const std::vector<TimelineCheck> checks{Ok(30), Ok(99), Failed(130), Failed(160)};
    std::vector<PeriodStats> periods = FixedPeriods({0, 200}, 100);
    AddPieces(periods, pieces);
    AddChecks(periods, checks);
    QCOMPARE(periods.size(), std::size_t{2});
    QCOMPARE(periods[0].monitoredMs, 70);
    QCOMPARE(periods[0].upMs, 70);
    QCOMPARE(periods[0].stats.checks, std::uint64_t{2});
    QCOMPARE(periods[1].monitoredMs, 70);
    QCOMPARE(periods[1].upMs, 30);
    QCOMPARE(periods[1].stats.failed, std::uint64_t{2});
    QCOMPARE(periods[1].stats.ok, std::uint64_t{0});
}

QTEST_GUILESS_MAIN(TestTimeline)
#include "tst_timeline.moc"
