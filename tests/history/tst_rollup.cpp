// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// Aggregates against the raw checks: random sessions (overlapping runs of
// two programs, restarts, sleeps, lost runs, two targets) are written as
// recording programs write them, with the upkeep interleaved; then every
// minute, hour and day aggregate, every outage and every cell of the reader's
// view is compared with a reference computed here from the raw rows by brute
// force, before and after the raw checks are pruned.
#include "HistoryRig.h"

#include "history/AggregateRows.h"
#include "history/HistoryMaintenance.h"
#include "history/HistorySchema.h"
#include "history/HistoryStore.h"
#include "history/LocalDays.h"
#include "history/Rollup.h"

#include <QTest>

#include <algorithm>
#include <map>
#include <random>

namespace {

constexpr std::int64_t kSecond = 1000;
// 2026-03-28T12:00:00Z: the two days hold the change to summer time in
// Europe/Berlin, a local day of 23 hours.
constexpr std::int64_t kStart = 1'774'699'200'000;
constexpr std::int64_t kLength = 2 * 86'400'000;

struct Event {
    enum Kind { Start, Check, Gap, End, Die } kind;
    std::int64_t time = 0;
    int run = 0; // the generator's index
    NewCheck check;
    Span gap;
};

struct GeneratedRun {
    int target = 0;
    std::int64_t interval = 0;
    bool lost = false;
    ProcessIdentity process;
    std::int64_t id = 0; // the file's
};

// A run's events: its start, its checks with a possible sleep, its end.
void GenerateRun(std::mt19937_64 &random, int index, GeneratedRun &run, std::vector<Event> &events)
{
    static constexpr std::int64_t kIntervals[] = {1 * kSecond, 3 * kSecond, 15 * kSecond, 30 * kSecond, 90 * kSecond};
    std::uniform_int_distribution<std::int64_t> startAt(0, kLength - 3'600'000);
    std::uniform_int_distribution<std::int64_t> lasting(600'000, 12 * 3'600'000);
    std::uniform_int_distribution<std::int64_t> jitter(0, 900);
    std::uniform_int_distribution<std::int64_t> elapsed(5'000'000, 300'000'000);
    std::uniform_real_distribution<double> chance(0, 1);
    run.target = chance(random) < 0.8 ? 0 : 1;
    run.interval = kIntervals[random() % std::size(kIntervals)];
    // The fast runs are kept short, so that the test stays quick.
    const std::int64_t begin = kStart + startAt(random);
    const std::int64_t length = run.interval == kSecond ? lasting(random) / 6 : lasting(random);
    const std::int64_t end = std::min(begin + length, kStart + kLength);
    run.lost = chance(random) < 0.3;
    events.push_back({Event::Start, begin, index, {}, {}});
    const double sleepAt = chance(random) < 0.4 ? chance(random) : 2.0;
    const std::int64_t sleep = std::uniform_int_distribution<std::int64_t>(2 * kSecond, 3'600'000)(random);
    bool failing = false;
    std::int64_t t = begin + jitter(random);
    std::int64_t slept = 0;
    std::int64_t last = t;
    while (t < end) {
        if (chance(random) < (failing ? 0.3 : 0.03))
            failing = !failing;
        Event check{Event::Check, t, index, {}, {}};
        check.check.timeMs = t;
        check.check.elapsedNs = elapsed(random);
        check.check.ok = !failing;
        check.check.reason = failing ? (chance(random) < 0.5 ? FailureReason::Timeout : FailureReason::Refused)
                                     : FailureReason::None;
        check.check.message = failing ? "failed" : "";
        check.check.address = "192.0.2.1";
        check.check.family = AddressFamily::IPv4;
        events.push_back(check);
        last = t;
        std::int64_t next = t + run.interval + jitter(random) - 450;
        if (slept == 0 && static_cast<double>(next - begin) / static_cast<double>(end - begin) > sleepAt) {
            // The machine sleeps: the next check comes that much later, and
            // the gap ends at it, as the recorder keeps it.
            slept = sleep;
            next += sleep;
            events.push_back({Event::Gap, next, index, {}, {next - sleep, next}});
        }
        t = next;
    }
    if (run.lost)
        events.push_back({Event::Die, last + 1, index, {}, {}});
    else
        events.push_back({Event::End, std::max(last, end), index, {}, {}});
}

struct RawRun {
    std::int64_t id = 0;
    std::int64_t target = 0;
    std::int64_t first = 0;
    std::optional<std::int64_t> end;
    std::int64_t lastEnd = 0;
    ProcessIdentity process;
    std::vector<Span> gaps;
    std::vector<TimelineCheck> checks;
};

std::vector<RawRun> ReadRaw(SqliteDatabase &db, std::int64_t target)
{
    std::vector<RawRun> runs;
    SqliteStatement select = db.Prepare("SELECT id, first_ms, end_ms, last_end_ms, pid, pid_start, boot_id FROM runs"
                                        " WHERE target = ?1 AND first_ms IS NOT NULL ORDER BY id");
    select.Bind(1, target);
    while (select.Step()) {
        RawRun run;
        run.id = select.Int(0);
        run.target = target;
        run.first = select.Int(1);
        if (!select.IsNull(2))
            run.end = select.Int(2);
        run.lastEnd = select.Int(3);
        run.process = {select.Int(4), select.Int(5), select.Text(6)};
        SqliteStatement gaps = db.Prepare("SELECT start_ms, end_ms FROM gaps WHERE run = ?1 ORDER BY start_ms");
        gaps.Bind(1, run.id);
        while (gaps.Step())
            run.gaps.push_back({gaps.Int(0), gaps.Int(1)});
        SqliteStatement checks = db.Prepare("SELECT c.time_ms, c.elapsed_ns, f.reason FROM checks c"
                                            " LEFT JOIN failures f ON f.id = c.failure WHERE c.run = ?1 ORDER BY c.time_ms");
        checks.Bind(1, run.id);
        while (checks.Step()) {
            const bool ok = checks.IsNull(2);
            const FailureReason reason = ok ? FailureReason::None
                                            : checks.Text(2) == "timeout" ? FailureReason::Timeout : FailureReason::Refused;
            run.checks.push_back({checks.Int(0), run.id, ok, checks.Int(1), reason});
        }
        runs.push_back(std::move(run));
    }
    return runs;
}

// The state at `t` by the rule, asked of every run afresh.
std::optional<bool> StateAt(const std::vector<RawRun> &runs, std::int64_t t,
                            const std::function<std::int64_t(const RawRun &)> &watchEnd)
{
    const TimelineCheck *winner = nullptr;
    for (const RawRun &run : runs) {
        if (t < run.first || t >= watchEnd(run))
            continue;
        if (std::any_of(run.gaps.begin(), run.gaps.end(), [t](const Span &g) { return t >= g.start && t < g.end; }))
            continue;
        const auto after = std::upper_bound(run.checks.begin(), run.checks.end(), t,
                                            [](std::int64_t v, const TimelineCheck &c) { return v < c.time; });
        if (after == run.checks.begin())
            continue;
        const TimelineCheck &latest = *std::prev(after);
        if (winner == nullptr || latest.time > winner->time)
            winner = &latest;
    }
    if (winner == nullptr)
        return std::nullopt;
    return winner->ok;
}

struct Reference {
    std::map<std::int64_t, PeriodStats> minutes; // by start
    std::vector<OutageSpan> outages;
};

Reference Compute(const std::vector<RawRun> &runs, Span range,
                  const std::function<std::int64_t(const RawRun &)> &watchEnd)
{
    std::vector<std::int64_t> cuts;
    for (std::int64_t m = range.start; m <= range.end; m += kMinuteMs)
        cuts.push_back(m);
    for (const RawRun &run : runs) {
        cuts.push_back(run.first);
        cuts.push_back(watchEnd(run));
        for (const Span &gap : run.gaps) {
            cuts.push_back(gap.start);
            cuts.push_back(gap.end);
        }
        for (const TimelineCheck &check : run.checks)
            cuts.push_back(check.time);
    }
    std::erase_if(cuts, [&](std::int64_t t) { return t < range.start || t > range.end; });
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());

    Reference reference;
    std::optional<bool> previous;
    std::int64_t previousEnd = 0;
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
        const auto state = StateAt(runs, cuts[i], watchEnd);
        PeriodStats &minute = reference.minutes[cuts[i] - (cuts[i] - range.start) % kMinuteMs];
        if (state) {
            minute.monitoredMs += cuts[i + 1] - cuts[i];
            if (*state)
                minute.upMs += cuts[i + 1] - cuts[i];
            else if (previous == false && previousEnd == cuts[i])
                reference.outages.back().end = cuts[i + 1];
            else
                reference.outages.push_back({cuts[i], cuts[i + 1], 0, {}});
            previousEnd = cuts[i + 1];
        }
        previous = state;
    }
    for (const RawRun &run : runs) {
        for (const TimelineCheck &check : run.checks) {
            if (check.time < range.start || check.time >= range.end)
                continue;
            reference.minutes[check.time - (check.time - range.start) % kMinuteMs].stats.AddCheck(check.ok, check.elapsedNs,
                                                                                                  check.reason);
            if (check.ok)
                continue;
            for (OutageSpan &outage : reference.outages) {
                if (check.time >= outage.start && check.time < outage.end) {
                    ++outage.failed;
                    outage.reasons.Add(check.reason);
                }
            }
        }
    }
    return reference;
}

QString Describe(const PeriodStats &p)
{
    return QStringLiteral("monitored %1 up %2 checks %3 failed %4 sum %5")
        .arg(p.monitoredMs).arg(p.upMs).arg(p.stats.checks).arg(p.stats.failed).arg(p.stats.latencySumNs);
}

bool SameFigures(const PeriodStats &a, const PeriodStats &b)
{
    return a.monitoredMs == b.monitoredMs && a.upMs == b.upMs && a.stats.checks == b.stats.checks
           && a.stats.ok == b.stats.ok && a.stats.failed == b.stats.failed
           && a.stats.latencySumNs == b.stats.latencySumNs && a.stats.latencyMinNs == b.stats.latencyMinNs
           && a.stats.latencyMaxNs == b.stats.latencyMaxNs && a.stats.reasons == b.stats.reasons
           && a.stats.histogram == b.stats.histogram;
}

// The reference's minutes summed into the given periods (minute-aligned).
std::vector<PeriodStats> SumInto(const Reference &reference, std::vector<PeriodStats> periods)
{
    for (const auto &[start, minute] : reference.minutes) {
        for (PeriodStats &period : periods) {
            if (start >= period.span.start && start < period.span.end)
                MergeAggregate(period, minute);
        }
    }
    return periods;
}

} // namespace

class TestRollup : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void aggregatesEqualTheRawChecks_data();
    void aggregatesEqualTheRawChecks();

private:
    void CompareView(HistoryReader &reader, std::int64_t target, const Reference &reference, Span range);
};

void TestRollup::initTestCase()
{
    qputenv("TZ", "Europe/Berlin");
    tzset();
    QCOMPARE(LocalDayOf(kStart + 86'400'000).span.Length(), 23 * 3'600'000);
}

void TestRollup::aggregatesEqualTheRawChecks_data()
{
    QTest::addColumn<int>("seed");
    QTest::newRow("sessions of seed 1") << 1;
    QTest::newRow("sessions of seed 2") << 2;
    QTest::newRow("sessions of seed 3") << 3;
}

void TestRollup::CompareView(HistoryReader &reader, std::int64_t target, const Reference &reference, Span range)
{
    const HistoryView view = reader.View(target, range);
    QCOMPARE(view.cellMs, kFineCellMs);
    std::int64_t monitored = 0;
    for (const HistoryDay &day : view.days) {
        std::vector<PeriodStats> cells;
        for (const HistoryCell &cell : day.cells) {
            PeriodStats period;
            period.span = cell.span;
            cells.push_back(period);
        }
        cells = SumInto(reference, cells);
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const HistoryCell &cell = day.cells[i];
            PeriodStats got;
            got.monitoredMs = cell.monitoredMs;
            got.upMs = cell.upMs;
            got.stats = cell.stats;
            QVERIFY2(SameFigures(got, cells[i]), qPrintable(QStringLiteral("%1 cell %2: %3, expected %4")
                                                                .arg(QString::fromStdString(day.day.date)).arg(i)
                                                                .arg(Describe(got), Describe(cells[i]))));
        }
        monitored += day.monitoredMs;
    }
    QCOMPARE(view.totals.monitoredMs, monitored);
    QCOMPARE(view.outages.size(), reference.outages.size());
    for (std::size_t i = 0; i < reference.outages.size(); ++i) {
        const OutageSpan &got = view.outages[view.outages.size() - 1 - i];
        QVERIFY2(got == reference.outages[i], qPrintable(QStringLiteral("outage %1: %2..%3 failed %4, expected %5..%6 failed %7")
                                                            .arg(i).arg(got.start).arg(got.end).arg(got.failed)
                                                            .arg(reference.outages[i].start).arg(reference.outages[i].end)
                                                            .arg(reference.outages[i].failed)));
    }
}

void TestRollup::aggregatesEqualTheRawChecks()
{
    QFETCH(int, seed);
    QTemporaryDir dir;
    const auto file = PathIn(dir, "history.sqlite");
    std::mt19937_64 random(static_cast<std::uint64_t>(seed));
    std::vector<GeneratedRun> runs(10);
    std::vector<Event> events;
    FakeProcesses processes;
    for (int i = 0; i < static_cast<int>(runs.size()); ++i) {
        GenerateRun(random, i, runs[i], events);
        runs[i].process = processes.Spawn();
    }
    std::stable_sort(events.begin(), events.end(), [](const Event &a, const Event &b) { return a.time < b.time; });
    const ProcessLookup lookup = processes.As(processes.Spawn());

    SqliteDatabase db = OpenHistoryFile(file, HistoryOpenMode::Write);
    HistoryStore store(db);
    const HistoryRetention keepAll{std::chrono::days(1000), std::chrono::days(1000), std::nullopt};
    std::int64_t nextUpkeep = kStart;
    std::int64_t targets[2] = {0, 0};
    bool midwayDone = false;
    const std::int64_t middle = kStart + kLength / 2;
    for (const Event &event : events) {
        if (event.time >= middle && !midwayDone) {
            midwayDone = true;
            // Half-way, with runs open and the tail not rolled up yet, the
            // view is whole already.
            HistoryReader reader(file, ReaderSettings{[middle] {
                return std::chrono::system_clock::time_point(std::chrono::milliseconds(middle));
            }, lookup});
            const auto endOf = [&](const RawRun &run) {
                return run.end ? *run.end : lookup.alive(run.process) ? middle : run.lastEnd;
            };
            if (targets[0] != 0)
                CompareView(reader, targets[0], Compute(ReadRaw(db, targets[0]), {kStart, middle}, endOf),
                            {kStart, middle});
        }
        SqliteTransaction transaction(db);
        GeneratedRun &run = runs[static_cast<std::size_t>(event.run)];
        switch (event.kind) {
        case Event::Start: {
            const char *host = run.target == 0 ? "a.example" : "b.example";
            targets[run.target] = store.Target(host, 80);
            run.id = store.StartRun({targets[run.target], "kelvora-probe", run.interval, event.time, run.process});
            break;
        }
        case Event::Check: {
            NewCheck check = event.check;
            check.run = run.id;
            store.AddCheck(check, targets[run.target], 0);
            break;
        }
        case Event::Gap:
            store.AddGap(run.id, event.gap, "sleep");
            break;
        case Event::End:
            store.EndRun(run.id, event.time, "exit");
            processes.Kill(run.process);
            break;
        case Event::Die:
            processes.Kill(run.process);
            break;
        }
        if (event.time >= nextUpkeep) {
            MaintenanceStep(db, keepAll, lookup, event.time);
            nextUpkeep = event.time + 5 * kMinuteMs;
        }
        transaction.Commit();
    }
    const std::int64_t end = kStart + kLength + 3'600'000;
    for (bool more = true; more;) {
        SqliteTransaction transaction(db);
        more = MaintenanceStep(db, keepAll, lookup, end);
        transaction.Commit();
    }
    QCOMPARE(db.QueryInt("SELECT count(*) FROM runs WHERE end_ms IS NULL"), std::int64_t{0});
    // The sessions hold what the rule must get right.
    QVERIFY(db.QueryInt("SELECT count(*) FROM gaps") > 0);
    QVERIFY(db.QueryInt("SELECT count(*) FROM runs WHERE ended = 'lost'") > 0);
    QVERIFY(db.QueryInt("SELECT count(*) FROM runs a JOIN runs b ON a.target = b.target AND a.id < b.id"
                        " AND a.first_ms < b.end_ms AND b.first_ms < a.end_ms") > 0);
    QVERIFY(db.QueryInt("SELECT count(*) FROM outages") > 0);

    const Span range{kStart - kStart % 86'400'000, kStart + kLength + 86'400'000};
    HistoryReader reader(file, ReaderSettings{[end] {
        return std::chrono::system_clock::time_point(std::chrono::milliseconds(end));
    }, lookup});
    // The references come from the raw checks before anything is pruned.
    std::map<std::int64_t, Reference> references;
    for (const std::int64_t target : targets) {
        if (target != 0)
            references[target] = Compute(ReadRaw(db, target), range, [](const RawRun &run) { return *run.end; });
    }
    for (const auto &[target, reference] : references) {

        // Minutes: a row for every dense minute, equal to the reference.
        int dense = 0;
        for (const auto &[start, minute] : reference.minutes) {
            SqliteStatement row = db.Prepare(std::string("SELECT ") + kAggregateColumns
                                             + " FROM minutes WHERE target = ?1 AND start_ms = ?2");
            row.Bind(1, target).Bind(2, start);
            const bool found = row.Step();
            if (found != (minute.stats.checks >= static_cast<std::uint64_t>(kDenseMinuteChecks))) {
                PeriodStats stored;
                if (found)
                    ReadAggregate(row, 0, stored);
                QFAIL(qPrintable(QStringLiteral("minute %1 of target %2: %3 row, expected %4")
                                     .arg(start).arg(target).arg(found ? Describe(stored) : QStringLiteral("no"))
                                     .arg(Describe(minute))));
            }
            if (!found)
                continue;
            ++dense;
            PeriodStats stored;
            ReadAggregate(row, 0, stored);
            QVERIFY2(SameFigures(stored, minute), qPrintable(QStringLiteral("minute %1: %2, expected %3")
                                                                 .arg(start).arg(Describe(stored), Describe(minute))));
        }
        QCOMPARE(db.QueryInt("SELECT count(*) FROM minutes WHERE target = " + std::to_string(target)),
                 std::int64_t{dense});

        // Hours and local days: the reference's minutes added up.
        for (const char *table : {"hours", "days"}) {
            SqliteStatement rows = db.Prepare(std::string("SELECT start_ms, ") + kAggregateColumns + " FROM " + table
                                              + " WHERE target = ?1 ORDER BY start_ms");
            rows.Bind(1, target);
            while (rows.Step()) {
                PeriodStats stored;
                stored.span.start = rows.Int(0);
                ReadAggregate(rows, 1, stored);
                PeriodStats expected;
                expected.span = std::string(table) == "hours" ? Span{stored.span.start, stored.span.start + kHourMs}
                                                              : LocalDayOf(stored.span.start).span;
                expected = SumInto(reference, {expected}).front();
                QVERIFY2(SameFigures(stored, expected), qPrintable(QStringLiteral("%1 at %2: %3, expected %4")
                                                                       .arg(QLatin1String(table)).arg(stored.span.start)
                                                                       .arg(Describe(stored), Describe(expected))));
            }
        }
        CompareView(reader, target, reference, range);
    }

    // The same once the dense minutes' raw checks are pruned.
    const HistoryRetention pruneRaw{std::chrono::days(1), std::chrono::days(1000), std::nullopt};
    for (bool more = true; more;) {
        SqliteTransaction transaction(db);
        more = PruneStep(db, pruneRaw, end + 86'400'000);
        transaction.Commit();
    }
    for (const auto &[target, reference] : references) {
        CompareView(reader, target, reference, range);
        std::uint64_t sparse = 0;
        for (const auto &[start, minute] : reference.minutes) {
            if (minute.stats.checks < static_cast<std::uint64_t>(kDenseMinuteChecks))
                sparse += minute.stats.checks;
        }
        // Those of the sparse minutes are kept, slim; the others are gone.
        const std::string ofTarget = " WHERE run IN (SELECT id FROM runs WHERE target = " + std::to_string(target) + ")";
        QCOMPARE(static_cast<std::uint64_t>(db.QueryInt("SELECT count(*) FROM sparse_checks" + ofTarget)), sparse);
        QCOMPARE(db.QueryInt("SELECT count(*) FROM checks" + ofTarget), std::int64_t{0});
    }
}

QTEST_GUILESS_MAIN(TestRollup)
#include "tst_rollup.moc"
