// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The reader on a known history: yesterday's outage, a closed program, a
// night, an hour of sleep this morning, and today's checks up to now.
#include "HistoryRig.h"

#include "history/HistoryExport.h"
#include "history/HistoryMaintenance.h"
#include "history/HistoryReader.h"
#include "history/HistoryRecorder.h"

#include <QTest>

using namespace std::chrono;

namespace {

constexpr std::int64_t kHour = 3'600'000;
constexpr std::int64_t kDay = 24 * kHour;

// Yesterday (kRigEpochMs) 08:00 to 18:00 every 30 s, down from 10:00 to
// 10:05; today 07:00 to 12:00, asleep from 09:00 to 10:00, still running.
struct KnownHistory {
    QTemporaryDir dir;
    std::filesystem::path file = PathIn(dir, "history.sqlite");
    FakeTime time{kRigEpochMs + 8 * kHour};
    FakeProcesses processes;
    ProcessIdentity today = processes.Spawn();
    std::unique_ptr<HistoryRecorder> running;

    KnownHistory()
    {
        {
            HistoryRecorder yesterday(RigSettings(file, time, processes.As(processes.Spawn()), "kelvora"));
            yesterday.Watch("example.org", 80, seconds(30));
            while (time.WallMs() < kRigEpochMs + 18 * kHour) {
                const std::int64_t t = time.WallMs() - kRigEpochMs;
                const bool down = t >= 10 * kHour && t < 10 * kHour + 5 * 60'000;
                yesterday.Record(time.Check(!down, milliseconds(20 + (t / 30'000) % 11)));
                time.Advance(seconds(30));
            }
        }
        time.Advance(milliseconds(kRigEpochMs + kDay + 7 * kHour - time.WallMs()));
        running = std::make_unique<HistoryRecorder>(RigSettings(file, time, processes.As(today), "kelvora"));
        running->Watch("example.org", 80, seconds(30));
        while (time.WallMs() < kRigEpochMs + kDay + 12 * kHour) {
            if (time.WallMs() == kRigEpochMs + kDay + 9 * kHour)
                time.Sleep(hours(1));
            running->Record(time.Check(true));
            time.Advance(seconds(30));
        }
    }

    HistoryReader Reader() { return HistoryReader(file, RigReader(time, processes.As(processes.Spawn()))); }
};

double FailedShareAt(const HistoryView &view, std::int64_t timeMs)
{
    for (const HistoryDay &day : view.days) {
        for (const HistoryCell &cell : day.cells) {
            if (timeMs >= cell.span.start && timeMs < cell.span.end)
                return cell.FailedShare().value_or(-1);
        }
    }
    return -2;
}

} // namespace

class TestHistoryReader : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void yesterdayNightSleepAndToday();
    void aYearViewHasHourCells();
    void percentilesFromTheStoredHistograms();
    void checksKeepTheirNumbersAfterPruning();
    void exportGivesEachMomentOneRow();
};

void TestHistoryReader::initTestCase()
{
    qputenv("TZ", "UTC");
    tzset();
}

void TestHistoryReader::yesterdayNightSleepAndToday()
{
    KnownHistory history;
    HistoryReader reader = history.Reader();
    const Span range{kRigEpochMs, history.time.WallMs()};
    const HistoryView view = reader.View(1, range);
    QCOMPARE(view.cellMs, kFineCellMs);
    QCOMPARE(view.days.size(), std::size_t{2});

    const HistoryDay &yesterday = view.days[0];
    QCOMPARE(QString::fromStdString(yesterday.day.date), QStringLiteral("2026-03-02"));
    QCOMPARE(yesterday.monitoredMs, 10 * kHour);
    QCOMPARE(yesterday.upMs, 10 * kHour - 5 * 60'000);
    QCOMPARE(yesterday.outagesBegun, std::uint64_t{1});
    QCOMPARE(yesterday.cells.size(), std::size_t{144});
    QCOMPARE(FailedShareAt(view, kRigEpochMs + 10 * kHour), 0.5);         // 10:00-10:10, down 5 minutes
    QCOMPARE(FailedShareAt(view, kRigEpochMs + 20 * kHour), -1.0);        // closed: not monitored

    const HistoryDay &today = view.days[1];
    QCOMPARE(today.monitoredMs, 4 * kHour); // 07:00-09:00 and 10:00-12:00, the sleep left out
    QCOMPARE(today.upMs, 4 * kHour);
    QCOMPARE(FailedShareAt(view, kRigEpochMs + kDay + 9 * kHour + 30 * 60'000), -1.0); // asleep
    QCOMPARE(FailedShareAt(view, kRigEpochMs + kDay + 11 * kHour), 0.0);
    // The cells after now are empty, not down.
    QCOMPARE(today.cells.back().span.Length(), std::int64_t{0});

    QCOMPARE(view.outages.size(), std::size_t{1});
    QCOMPARE(view.outages[0].start, kRigEpochMs + 10 * kHour);
    QCOMPARE(view.outages[0].end, kRigEpochMs + 10 * kHour + 5 * 60'000);
    QCOMPARE(view.outages[0].failed, std::uint64_t{10});
    QCOMPARE(view.outages[0].reasons.Count(FailureReason::Refused), std::uint64_t{10});

    const HistoryTotals &t = view.totals;
    QCOMPARE(t.monitoredMs, 14 * kHour);
    QCOMPARE(t.notMonitoredMs, range.Length() - 14 * kHour);
    QCOMPARE(t.downMs, 5 * 60'000);
    QCOMPARE(t.outages, std::uint64_t{1});
    QCOMPARE(*t.longestOutageMs, 5 * 60'000);
    QCOMPARE(*t.meanTimeBetweenOutagesMs, t.upMs);
    QVERIFY(qAbs(*t.availability - 100.0 * (14 * kHour - 5 * 60'000) / (14 * kHour)) < 1e-9);
    QCOMPARE(t.stats.checks, std::uint64_t{1200 + 480});

    const auto targets = reader.Targets();
    QCOMPARE(targets.size(), std::size_t{1});
    QCOMPARE(targets[0].runs, std::int64_t{2});
    QCOMPARE(targets[0].checks, std::int64_t{1680});
    const auto last = reader.LastWatched("kelvora");
    QVERIFY(last && last->host == "example.org" && last->interval == seconds(30));
}

void TestHistoryReader::aYearViewHasHourCells()
{
    KnownHistory history;
    HistoryReader reader = history.Reader();
    const Span range{history.time.WallMs() - 365 * kDay, history.time.WallMs()};
    const HistoryView view = reader.View(1, range);
    QCOMPARE(view.cellMs, kCoarseCellMs);
    QCOMPARE(view.days.size(), std::size_t{366});
    QCOMPARE(view.days.front().cells.size(), std::size_t{24});
    QCOMPARE(FailedShareAt(view, kRigEpochMs + 10 * kHour), 5.0 / 60.0);
    QCOMPARE(view.totals.monitoredMs, 14 * kHour);
    // The hour aggregates carry the checks: 120 in that hour, 10 failed.
    for (const HistoryDay &day : view.days) {
        for (const HistoryCell &cell : day.cells) {
            if (cell.span.start == kRigEpochMs + 10 * kHour) {
                QCOMPARE(cell.stats.checks, std::uint64_t{120});
                QCOMPARE(cell.stats.failed, std::uint64_t{10});
            }
        }
    }
}

void TestHistoryReader::percentilesFromTheStoredHistograms()
{
    KnownHistory history;
    HistoryReader reader = history.Reader();
    const HistoryView view = reader.View(1, {kRigEpochMs, kRigEpochMs + kDay});
    // Yesterday's successful checks took 20 to 30 ms, evenly, in turn.
    const CompactHistogram &h = view.totals.stats.histogram;
    QCOMPARE(h.Count(), std::uint64_t{1190});
    const double bound = CompactHistogram::kRelativeErrorBound;
    for (const auto &[percent, exact] : {std::pair{50.0, 25e6}, std::pair{95.0, 30e6}, std::pair{1.0, 20e6}}) {
        const double got = static_cast<double>(h.ValueAtPercentile(percent).count());
        QVERIFY2(qAbs(got - exact) <= exact * bound, qPrintable(QStringLiteral("p%1 = %2").arg(percent).arg(got)));
    }
    QCOMPARE(*view.totals.stats.latencyMinNs, std::int64_t{20'000'000});
    QCOMPARE(*view.totals.stats.latencyMaxNs, std::int64_t{30'000'000});
}

void TestHistoryReader::checksKeepTheirNumbersAfterPruning()
{
    QTemporaryDir dir;
    const auto file = PathIn(dir, "history.sqlite");
    FakeTime time(kRigEpochMs);
    FakeProcesses processes;
    const auto lookup = processes.As(processes.Spawn());
    {
        HistoryRecorder recorder(RigSettings(file, time, lookup));
        recorder.Watch("example.org", 80, seconds(5));
        for (int i = 0; i < 2 * 720; ++i) { // two hours, 12 checks a minute
            recorder.Record(time.Check(true));
            time.Advance(seconds(5));
        }
    }
    {
        SqliteDatabase db = OpenHistoryFile(file, HistoryOpenMode::Write);
        const HistoryRetention keepAnHour{days(0), days(400), std::nullopt};
        for (bool more = true; more;) {
            SqliteTransaction transaction(db);
            more = MaintenanceStep(db, keepAnHour, lookup, kRigEpochMs + kHour);
            transaction.Commit();
        }
        QCOMPARE(db.QueryInt("SELECT count(*) FROM checks"), std::int64_t{720});
    }
    HistoryReader reader(file, RigReader(time, lookup));
    QList<quint64> seqs;
    QStringList hosts;
    reader.ForEachCheck(0, {kRigEpochMs + kHour + 60'000, kRigEpochMs + 2 * kHour}, [&](const StoredCheck &check) {
        seqs << check.seq;
        hosts << QString::fromStdString(check.host);
        return seqs.size() < 3;
    });
    QCOMPARE(seqs, (QList<quint64>{733, 734, 735}));
    QCOMPARE(hosts, QStringList(3, QStringLiteral("example.org")));
}

void TestHistoryReader::exportGivesEachMomentOneRow()
{
    KnownHistory history;
    HistoryReader reader = history.Reader();
    {
        SqliteDatabase db = OpenHistoryFile(history.file, HistoryOpenMode::Write);
        // Today's raw checks stay, yesterday's dense minutes keep only
        // their aggregates (30 s is sparse: yesterday's checks stay too).
        const HistoryRetention rawForADay{days(1), days(400), std::nullopt};
        for (bool more = true; more;) {
            SqliteTransaction transaction(db);
            more = MaintenanceStep(db, rawForADay, history.processes.As(history.today), history.time.WallMs() + kDay);
            transaction.Commit();
        }
    }
    std::string csv;
    reader.ExportCsv(1, {kRigEpochMs, history.time.WallMs()}, [&](std::string_view piece) {
        csv += piece;
        return true;
    });
    const QStringList lines = QString::fromStdString(csv).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.first(), QString::fromStdString(ExportCsvHeader()).trimmed());
    // Every check of both days once: as a raw row, or counted in an aggregate.
    qint64 checks = 0;
    for (const QString &line : lines.mid(1)) {
        const QStringList fields = line.split(QLatin1Char(','));
        QCOMPARE(fields.size(), 21);
        if (fields[0] == QLatin1String("check"))
            ++checks;
        else
            checks += fields[12].toLongLong();
    }
    QCOMPARE(checks, qint64{1680});
}

QTEST_GUILESS_MAIN(TestHistoryReader)
#include "tst_historyreader.moc"
