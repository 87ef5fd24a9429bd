// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "HistoryRig.h"

#include "history/HistoryRecorder.h"
#include "history/HistoryReader.h"

#include <QTest>

#include <filesystem>
#include <thread>

using namespace std::chrono;

namespace {

// A copy of a history as a crash would leave it: the database and its
// write-ahead log as they are while the recorder still holds them.
void CopyAsCrashed(const std::filesystem::path &from, const std::filesystem::path &to)
{
    std::filesystem::copy_file(from, to);
    const auto log = std::filesystem::path(from.string() + "-wal");
    if (std::filesystem::exists(log))
        std::filesystem::copy_file(log, to.string() + "-wal");
}

struct RunFields {
    QString program;
    qint64 intervalMs = 0;
    qint64 startMs = 0;
    qint64 endMs = -1;
    QString ended;
    qint64 checks = 0;
};

RunFields RunOf(const std::filesystem::path &file, std::int64_t run)
{
    SqliteDatabase db(file.string(), SqliteDatabase::Access::ReadOnly);
    SqliteStatement select = db.Prepare(
        "SELECT program, interval_ms, start_ms, coalesce(end_ms, -1), coalesce(ended, ''), checks FROM runs WHERE id = ?1");
    select.Bind(1, run);
    RunFields fields;
    if (select.Step())
        fields = {QString::fromStdString(select.Text(0)), select.Int(1), select.Int(2), select.Int(3),
                  QString::fromStdString(select.Text(4)), select.Int(5)};
    return fields;
}

std::int64_t Count(const std::filesystem::path &file, const char *sql)
{
    SqliteDatabase db(file.string(), SqliteDatabase::Access::ReadOnly);
    return db.QueryInt(sql);
}

} // namespace

class TestHistoryRecorder : public QObject {
    Q_OBJECT

private slots:
    void aRunFromWatchToExit();
    void anotherTargetSwitchesTheRunAnIntervalDoesNot();
    void aLostRunIsClosedAtItsLastCheckByTheNextOpen();
    void aLiveProgramsRunStaysOpen();
    void gapsFromSleepAndClock_data();
    void gapsFromSleepAndClock();
    void aSleepBeforeTheEndIsAGap();
    void batchedCommitsWithinHalfASecond();
    void aLockedFileKeepsTheChecksUntilItIsFree();
    void checksAreKeptInOrderWhenTheClockGoesBack();
};

void TestHistoryRecorder::aRunFromWatchToExit()
{
    QTemporaryDir dir;
    const auto file = PathIn(dir, "history.sqlite");
    FakeTime time(kRigEpochMs);
    FakeProcesses processes;
    std::int64_t run = 0;
    {
        HistoryRecorder recorder(RigSettings(file, time, processes.As(processes.Spawn()), "kelvora"));
        recorder.Watch("example.org", 80, seconds(30));
        run = recorder.CurrentRun();
        QVERIFY(run > 0);
        for (int i = 0; i < 3; ++i) {
            recorder.Record(time.Check(i != 1));
            time.Advance(seconds(30));
        }
        QCOMPARE(recorder.Waiting(), std::size_t{0});
    }
    const RunFields fields = RunOf(file, run);
    QCOMPARE(fields.program, QStringLiteral("kelvora"));
    QCOMPARE(fields.intervalMs, 30000);
    QCOMPARE(fields.startMs, kRigEpochMs);
    QCOMPARE(fields.endMs, kRigEpochMs + 90000);
    QCOMPARE(fields.ended, QStringLiteral("exit"));
    QCOMPARE(fields.checks, 3);
    QCOMPARE(Count(file, "SELECT count(*) FROM checks WHERE failure IS NOT NULL"), std::int64_t{1});
    QCOMPARE(Count(file, "SELECT count(*) FROM failures"), std::int64_t{1});
    QCOMPARE(Count(file, "SELECT count(*) FROM addresses WHERE address = '192.0.2.7' AND family = 4"), std::int64_t{1});
}

void TestHistoryRecorder::anotherTargetSwitchesTheRunAnIntervalDoesNot()
{
    QTemporaryDir dir;
    const auto file = PathIn(dir, "history.sqlite");
    FakeTime time(kRigEpochMs);
    FakeProcesses processes;
    std::int64_t first = 0;
    std::int64_t second = 0;
    {
        HistoryRecorder recorder(RigSettings(file, time, processes.As(processes.Spawn()), "kelvora"));
        recorder.Watch("a.example", 80, seconds(30));
        first = recorder.CurrentRun();
        recorder.Record(time.Check(true));
        time.Advance(seconds(5));
        recorder.Watch("a.example", 80, seconds(10));
        QCOMPARE(recorder.CurrentRun(), first);
        time.Advance(seconds(5));
        recorder.Watch("b.example", 8080, seconds(10));
        second = recorder.CurrentRun();
        QVERIFY(second != first);
        recorder.Record(time.Check(true));
        time.Advance(seconds(10));
        recorder.EndRun(RunEnd::Stop);
        QCOMPARE(recorder.CurrentRun(), std::int64_t{0});
    }
    QCOMPARE(RunOf(file, first).ended, QStringLiteral("switch"));
    QCOMPARE(RunOf(file, first).intervalMs, 10000);
    QCOMPARE(RunOf(file, first).endMs, kRigEpochMs + 10000);
    QCOMPARE(RunOf(file, second).ended, QStringLiteral("stop"));
    QCOMPARE(Count(file, "SELECT count(*) FROM targets"), std::int64_t{2});

    HistoryReader reader(file, RigReader(time, processes.As(processes.Spawn())));
    const auto last = reader.LastWatched("kelvora");
    QVERIFY(last.has_value());
    QCOMPARE(QString::fromStdString(last->host), QStringLiteral("b.example"));
    QCOMPARE(last->port, std::uint16_t{8080});
    QCOMPARE(last->interval, milliseconds(10000));
    QVERIFY(!reader.LastWatched("kelvora-probe").has_value());
}

void TestHistoryRecorder::aLostRunIsClosedAtItsLastCheckByTheNextOpen()
{
    QTemporaryDir dir;
    const auto file = PathIn(dir, "history.sqlite");
    const auto crashed = PathIn(dir, "crashed.sqlite");
    FakeTime time(kRigEpochMs);
    FakeProcesses processes;
    const ProcessIdentity probe = processes.Spawn();
    std::int64_t run = 0;
    {
        HistoryRecorder recorder(RigSettings(file, time, processes.As(probe)));
        recorder.Watch("example.org", 80, seconds(1));
        run = recorder.CurrentRun();
        recorder.Record(time.Check(true, milliseconds(20)));
        time.Advance(seconds(1));
        recorder.Record(time.Check(false, milliseconds(250)));
        CopyAsCrashed(file, crashed);
    }
    processes.Kill(probe);
    time.Advance(hours(2));
    {
        HistoryRecorder next(RigSettings(crashed, time, processes.As(processes.Spawn()), "kelvora"));
        QCOMPARE(RunOf(crashed, run).ended, QStringLiteral("lost"));
        QCOMPARE(RunOf(crashed, run).endMs, kRigEpochMs + 1000 + 250);
    }
    HistoryReader reader(crashed, RigReader(time, processes.As(processes.Spawn())));
    const auto target = reader.FindTarget("example.org", 80);
    QVERIFY(target.has_value());
    const HistoryView view = reader.View(*target, {kRigEpochMs, time.WallMs()});
    // Up for a second, down for the failed check's 250 ms, then nothing
    // known until now: not monitored.
    QCOMPARE(view.totals.monitoredMs, 1250);
    QCOMPARE(view.totals.upMs, 1000);
    QCOMPARE(view.totals.notMonitoredMs, time.WallMs() - kRigEpochMs - 1250);
    QCOMPARE(view.totals.outages, std::uint64_t{1});
}

void TestHistoryRecorder::aLiveProgramsRunStaysOpen()
{
    QTemporaryDir dir;
    const auto file = PathIn(dir, "history.sqlite");
    FakeTime time(kRigEpochMs);
    FakeProcesses processes;
    HistoryRecorder probe(RigSettings(file, time, processes.As(processes.Spawn())));
    probe.Watch("example.org", 80, seconds(1));
    probe.Record(time.Check(true));
    time.Advance(seconds(3));
    {
        HistoryRecorder window(RigSettings(file, time, processes.As(processes.Spawn()), "kelvora"));
        window.Watch("example.org", 80, seconds(30));
        time.Advance(seconds(2));
    }
    QCOMPARE(RunOf(file, probe.CurrentRun()).endMs, -1);
    QCOMPARE(Count(file, "SELECT count(*) FROM runs WHERE ended = 'exit'"), std::int64_t{1});
}

void TestHistoryRecorder::gapsFromSleepAndClock_data()
{
    QTest::addColumn<bool>("sleep");
    QTest::addColumn<QString>("kind");
    QTest::newRow("the machine slept an hour") << true << QStringLiteral("sleep");
    QTest::newRow("the wall clock was set an hour ahead") << false << QStringLiteral("clock");
}

void TestHistoryRecorder::gapsFromSleepAndClock()
{
    QFETCH(bool, sleep);
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const auto file = PathIn(dir, "history.sqlite");
    FakeTime time(kRigEpochMs);
    FakeProcesses processes;
    const auto lookup = processes.As(processes.Spawn());
    {
        HistoryRecorder recorder(RigSettings(file, time, lookup));
        recorder.Watch("example.org", 80, seconds(30));
        recorder.Record(time.Check(false));
        time.Advance(seconds(10));
        sleep ? time.Sleep(hours(1)) : time.JumpWall(hours(1));
        time.Advance(seconds(20));
        recorder.Record(time.Check(false));
        time.Advance(seconds(30));
        recorder.Record(time.Check(true));
        time.Advance(seconds(30));
    }
    SqliteDatabase db(file.string(), SqliteDatabase::Access::ReadOnly);
    SqliteStatement gap = db.Prepare("SELECT start_ms, end_ms, kind FROM gaps");
    QVERIFY(gap.Step());
    const std::int64_t secondCheck = kRigEpochMs + 30'000 + 3'600'000;
    // Put just before the check after it, the awake time before keeping its state.
    QCOMPARE(gap.Int(0), secondCheck - 3'600'000);
    QCOMPARE(gap.Int(1), secondCheck);
    QCOMPARE(QString::fromStdString(gap.Text(2)), kind);
    QVERIFY(!gap.Step());

    HistoryReader reader(file, RigReader(time, lookup));
    const HistoryView view = reader.View(1, {kRigEpochMs, time.WallMs()});
    QCOMPARE(view.totals.monitoredMs, 90'000);
    QCOMPARE(view.totals.upMs, 30'000);
    // The outage before the gap ends at it; the failed check after it
    // begins a new one.
    QCOMPARE(view.totals.outages, std::uint64_t{2});
    QCOMPARE(view.outages.back().start, kRigEpochMs);
    QCOMPARE(view.outages.back().end, kRigEpochMs + 30'000);
    QCOMPARE(view.outages.front().start, secondCheck);
    QCOMPARE(view.outages.front().end, secondCheck + 30'000);
}

void TestHistoryRecorder::aSleepBeforeTheEndIsAGap()
{
    QTemporaryDir dir;
    const auto file = PathIn(dir, "history.sqlite");
    FakeTime time(kRigEpochMs);
    FakeProcesses processes;
    {
        HistoryRecorder recorder(RigSettings(file, time, processes.As(processes.Spawn())));
        recorder.Watch("example.org", 80, seconds(30));
        recorder.Record(time.Check(true));
        time.Advance(seconds(10));
        time.Sleep(minutes(45));
        time.Advance(seconds(5));
    }
    QCOMPARE(Count(file, "SELECT end_ms - start_ms FROM gaps WHERE kind = 'sleep'"), std::int64_t{45 * 60'000});
    QCOMPARE(Count(file, "SELECT end_ms FROM gaps"), Count(file, "SELECT end_ms FROM runs"));
}

void TestHistoryRecorder::batchedCommitsWithinHalfASecond()
{
    QTemporaryDir dir;
    const auto file = PathIn(dir, "history.sqlite");
    FakeTime time(kRigEpochMs);
    FakeProcesses processes;
    RecorderSettings settings = RigSettings(file, time, processes.As(processes.Spawn()));
    settings.commit = CommitMode::Batched;
    HistoryRecorder recorder(std::move(settings));
    recorder.Watch("example.org", 80, milliseconds(100));
    for (int i = 0; i < 4; ++i) {
        time.Advance(milliseconds(100));
        recorder.Record(time.Check(true));
    }
    QCOMPARE(recorder.Waiting(), std::size_t{4});
    QCOMPARE(Count(file, "SELECT count(*) FROM checks"), std::int64_t{0});
    time.Advance(milliseconds(50));
    recorder.Tick();
    QCOMPARE(recorder.Waiting(), std::size_t{4});
    time.Advance(milliseconds(50));
    recorder.Tick(); // the last commit (Watch's) is now half a second old
    QCOMPARE(recorder.Waiting(), std::size_t{0});
    QCOMPARE(Count(file, "SELECT count(*) FROM checks"), std::int64_t{4});
}

void TestHistoryRecorder::aLockedFileKeepsTheChecksUntilItIsFree()
{
    QTemporaryDir dir;
    const auto file = PathIn(dir, "history.sqlite");
    FakeTime time(kRigEpochMs);
    FakeProcesses processes;
    bool failed = false;
    RecorderSettings settings = RigSettings(file, time, processes.As(processes.Spawn()));
    settings.onFailure = [&](const std::string &) { failed = true; };
    HistoryRecorder recorder(std::move(settings));
    recorder.Watch("example.org", 80, seconds(1));
    {
        SqliteDatabase other(file.string(), SqliteDatabase::Access::ReadWrite);
        SqliteTransaction lock(other);
        recorder.Record(time.Check(true)); // waits out the busy time-out
        QCOMPARE(recorder.Waiting(), std::size_t{1});
        QVERIFY(!recorder.Failed());
    }
    time.Advance(seconds(1));
    recorder.Record(time.Check(true));
    QCOMPARE(recorder.Waiting(), std::size_t{0});
    QCOMPARE(Count(file, "SELECT count(*) FROM checks"), std::int64_t{2});
    QVERIFY(!failed);
}

void TestHistoryRecorder::checksAreKeptInOrderWhenTheClockGoesBack()
{
    QTemporaryDir dir;
    const auto file = PathIn(dir, "history.sqlite");
    FakeTime time(kRigEpochMs);
    FakeProcesses processes;
    {
        HistoryRecorder recorder(RigSettings(file, time, processes.As(processes.Spawn())));
        recorder.Watch("example.org", 80, seconds(1));
        time.Advance(seconds(10));
        recorder.Record(time.Check(true));
        CheckResult back = time.Check(true);
        back.startedAt -= seconds(5);
        recorder.Record(back);
        recorder.Record(back);
    }
    SqliteDatabase db(file.string(), SqliteDatabase::Access::ReadOnly);
    SqliteStatement times = db.Prepare("SELECT time_ms FROM checks ORDER BY time_ms");
    QList<qint64> stored;
    while (times.Step())
        stored << times.Int(0);
    const qint64 t = kRigEpochMs + 10'000;
    QCOMPARE(stored, (QList<qint64>{t, t + 1, t + 2}));
}

QTEST_GUILESS_MAIN(TestHistoryRecorder)
#include "tst_historyrecorder.moc"
