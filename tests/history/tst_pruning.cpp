// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// Retention and the size cap on three days of two targets: one checked
// every 5 s (every minute has an aggregate), one every 30 s (no minute has
// one: its raw checks stand in).
#include "HistoryRig.h"

#include "history/HistoryFile.h"
#include "history/HistoryMaintenance.h"
#include "history/HistoryStore.h"
#include "history/Pruning.h"

#include <QDir>
#include <QTest>

namespace {

constexpr std::int64_t kDay = 86'400'000;
constexpr std::int64_t kEnd = kRigEpochMs + 3 * kDay;

void WriteThreeDays(SqliteDatabase &db, const ProcessLookup &processes)
{
    HistoryStore store(db);
    SqliteTransaction transaction(db);
    for (const auto &[host, interval] : {std::pair{"dense.example", 5'000}, std::pair{"sparse.example", 30'000}}) {
        const std::int64_t target = store.Target(host, 80);
        const std::int64_t run = store.StartRun({target, "kelvora", interval, kRigEpochMs, processes.current()});
        for (std::int64_t t = kRigEpochMs; t < kEnd; t += interval) {
            NewCheck check;
            check.run = run;
            check.timeMs = t + (interval == 5'000 ? 0 : 1);
            check.elapsedNs = 20'000'000;
            check.ok = (t / interval) % 97 != 0;
            check.reason = check.ok ? FailureReason::None : FailureReason::Refused;
            check.lookupUs = 900;
            store.AddCheck(check, target, 0);
        }
        store.EndRun(run, kEnd, "exit");
    }
    transaction.Commit();
}

void Upkeep(SqliteDatabase &db, const HistoryRetention &retention, const ProcessLookup &processes)
{
    for (bool more = true; more;) {
        SqliteTransaction transaction(db);
        more = MaintenanceStep(db, retention, processes, kEnd);
        transaction.Commit();
    }
}

std::int64_t Count(SqliteDatabase &db, const std::string &sql)
{
    return db.QueryInt(sql);
}

} // namespace

class TestPruning : public QObject {
    Q_OBJECT

private slots:
    void eachLevelForItsTime();
    void theCapThinsTheOldestDetailFirst();
    void removingTheHistoryLeavesNothing();
};

void TestPruning::eachLevelForItsTime()
{
    QTemporaryDir dir;
    FakeProcesses processes;
    const auto lookup = processes.As(processes.Spawn());
    SqliteDatabase db = OpenHistoryFile(PathIn(dir, "history.sqlite"), HistoryOpenMode::Write);
    WriteThreeDays(db, lookup);
    Upkeep(db, {std::chrono::days(1), std::chrono::days(2), std::nullopt}, lookup);
    const std::string dense = " AND run IN (SELECT r.id FROM runs r JOIN targets t ON t.id = r.target"
                              " WHERE t.host = 'dense.example')";
    const std::string sparse = " AND run IN (SELECT r.id FROM runs r JOIN targets t ON t.id = r.target"
                               " WHERE t.host = 'sparse.example')";
    const std::string lastDay = std::to_string(kEnd - kDay);
    const std::string twoDays = std::to_string(kEnd - 2 * kDay);
    // Raw checks of the last day only; the dense ones' older minutes keep
    // only their aggregates, the sparse ones' older checks move, slim.
    QCOMPARE(Count(db, "SELECT count(*) FROM checks WHERE time_ms < " + lastDay), std::int64_t{0});
    QCOMPARE(Count(db, "SELECT count(*) FROM checks WHERE 1" + dense), kDay / 5'000);
    QCOMPARE(Count(db, "SELECT count(*) FROM checks WHERE 1" + sparse), kDay / 30'000);
    QCOMPARE(Count(db, "SELECT count(*) FROM sparse_checks WHERE 1" + sparse), kDay / 30'000);
    QCOMPARE(Count(db, "SELECT count(*) FROM sparse_checks WHERE 1" + dense), std::int64_t{0});
    // Minute aggregates for two days, hours and days for all three.
    QCOMPARE(Count(db, "SELECT count(*) FROM minutes"), 2 * 1440);
    QCOMPARE(Count(db, "SELECT min(start_ms) FROM minutes"), kEnd - 2 * kDay);
    QCOMPARE(Count(db, "SELECT count(*) FROM hours"), 2 * 72);
    // Each run knows how many of its checks are gone, for their numbers.
    QCOMPARE(Count(db, "SELECT pruned FROM runs r JOIN targets t ON t.id = r.target WHERE t.host = 'dense.example'"),
             2 * kDay / 5'000);
    QCOMPARE(Count(db, "SELECT pruned FROM runs r JOIN targets t ON t.id = r.target WHERE t.host = 'sparse.example'"),
             kDay / 30'000);
}

void TestPruning::theCapThinsTheOldestDetailFirst()
{
    QTemporaryDir dir;
    const auto file = PathIn(dir, "history.sqlite");
    FakeProcesses processes;
    const auto lookup = processes.As(processes.Spawn());
    SqliteDatabase db = OpenHistoryFile(file, HistoryOpenMode::Write);
    WriteThreeDays(db, lookup);
    Upkeep(db, HistoryRetention{std::chrono::days(1000), std::chrono::days(1000), std::nullopt}, lookup);
    const std::int64_t hours = Count(db, "SELECT count(*) FROM hours");
    const std::int64_t outages = Count(db, "SELECT count(*) FROM outages");
    const std::uint64_t cap = 256 * 1024;
    QVERIFY(UsedBytes(db) > 4 * cap);

    Upkeep(db, HistoryRetention{std::chrono::days(1000), std::chrono::days(1000), cap}, lookup);
    QVERIFY2(UsedBytes(db) <= cap, qPrintable(QString::number(UsedBytes(db))));
    // What is left of the detail is the newest: nothing of it is older than
    // the oldest raw check kept, save the minute just around it.
    const std::int64_t oldestRaw = Count(db, "SELECT min(time_ms) FROM checks");
    QVERIFY(oldestRaw > kRigEpochMs);
    QVERIFY(Count(db, "SELECT count(*) FROM minutes WHERE start_ms < " + std::to_string(oldestRaw - 60'000)) == 0);
    QCOMPARE(Count(db, "SELECT count(*) FROM hours"), hours);
    QCOMPARE(Count(db, "SELECT count(*) FROM outages"), outages);
    // The freed pages went back to the file system.
    db.Execute("PRAGMA wal_checkpoint(TRUNCATE)");
    QVERIFY2(HistoryFileBytes(file) <= cap + 64 * 1024, qPrintable(QString::number(HistoryFileBytes(file))));
}

void TestPruning::removingTheHistoryLeavesNothing()
{
    QTemporaryDir dir;
    const auto file = PathIn(dir, "history.sqlite");
    {
        SqliteDatabase db = OpenHistoryFile(file, HistoryOpenMode::Write);
        db.Execute("INSERT INTO targets(host, port) VALUES('example.org', 80)");
        SqliteDatabase other(file.string(), SqliteDatabase::Access::ReadOnly);
        QCOMPARE(other.QueryInt("SELECT count(*) FROM targets"), std::int64_t{1});
    }
    std::string error;
    QVERIFY2(RemoveHistoryFile(file, &error), error.c_str());
    QVERIFY(QDir(dir.path()).isEmpty());
    QVERIFY(RemoveHistoryFile(file, &error)); // nothing there is no failure
}

QTEST_GUILESS_MAIN(TestPruning)
#include "tst_pruning.moc"
