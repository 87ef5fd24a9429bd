// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// Every schema change is a migration from the first schema: a file that the
// first released recorder wrote (data/history-1.sqlite: two targets, an
// outage, a sleep, rolled up) is upgraded in place and reads as before;
// read without upgrading, it reads the same.
#include "HistoryRig.h"

#include "history/HistoryFile.h"
#include "history/HistoryReader.h"
#include "history/HistorySchema.h"

#include <QTest>

#include <set>

#ifndef KELVORA_HISTORY_DATA
#error "KELVORA_HISTORY_DATA must name the folder of the kept history files"
#endif

namespace {

std::filesystem::path CopyOfFirst(const QTemporaryDir &dir)
{
    const auto copy = PathIn(dir, "history.sqlite");
    std::filesystem::copy_file(std::filesystem::path(KELVORA_HISTORY_DATA) / "history-1.sqlite", copy);
    std::filesystem::permissions(copy, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    return copy;
}

// The tables, indexes and views with their SQL, as SQLite keeps them.
std::set<std::string> SchemaOf(SqliteDatabase &db)
{
    std::set<std::string> schema;
    SqliteStatement select = db.Prepare("SELECT type, name, coalesce(sql, '') FROM sqlite_schema");
    while (select.Step())
        schema.insert(select.Text(0) + " " + select.Text(1) + ": " + select.Text(2));
    return schema;
}

struct Figures {
    std::int64_t monitored = 0;
    std::int64_t up = 0;
    std::uint64_t outages = 0;
    std::uint64_t checks = 0;
    std::size_t stored = 0;
    bool operator==(const Figures &) const = default;
};

// 2026-01-05, the day the first file covers.
Figures FiguresOf(const std::filesystem::path &file)
{
    HistoryReader reader(file);
    Figures figures;
    for (const HistoryTarget &target : reader.Targets()) {
        const HistoryView view = reader.View(target.id, {1'767'571'200'000, 1'767'657'600'000});
        figures.monitored += view.totals.monitoredMs;
        figures.up += view.totals.upMs;
        figures.outages += view.totals.outages;
        figures.checks += view.totals.stats.checks;
    }
    reader.ForEachCheck(0, {0, INT64_MAX}, [&](const StoredCheck &) {
        ++figures.stored;
        return true;
    });
    return figures;
}

} // namespace

class TestHistorySchema : public QObject {
    Q_OBJECT

private slots:
    void theFirstFileReadsAsWritten();
    void anUpgradeKeepsEverythingAndMatchesANewFile();
};

void TestHistorySchema::theFirstFileReadsAsWritten()
{
    QTemporaryDir dir;
    const Figures figures = FiguresOf(CopyOfFirst(dir));
    // 30 minutes every 10 s less a 20-minute sleep, then 10 minutes every 30 s.
    QCOMPARE(figures.monitored, std::int64_t{40 * 60'000});
    QCOMPARE(figures.up, std::int64_t{40 * 60'000 - 120'000 - 30'000});
    QCOMPARE(figures.outages, std::uint64_t{2});
    QCOMPARE(figures.checks, std::uint64_t{200});
    QCOMPARE(figures.stored, std::size_t{200});
}

void TestHistorySchema::anUpgradeKeepsEverythingAndMatchesANewFile()
{
    QTemporaryDir dir;
    const auto file = CopyOfFirst(dir);
    const Figures before = FiguresOf(file);
    {
        SqliteDatabase db = OpenHistoryFile(file, HistoryOpenMode::Write);
        QCOMPARE(db.QueryInt("PRAGMA user_version"), std::int64_t{kHistorySchemaVersion});
        SqliteDatabase fresh = OpenHistoryFile(PathIn(dir, "new.sqlite"), HistoryOpenMode::Write);
        QCOMPARE(SchemaOf(db), SchemaOf(fresh));
        SqliteStatement check = db.Prepare("PRAGMA integrity_check");
        QVERIFY(check.Step());
        QCOMPARE(QString::fromStdString(check.Text(0)), QStringLiteral("ok"));
    }
    QCOMPARE(FiguresOf(file), before);
}

QTEST_GUILESS_MAIN(TestHistorySchema)
#include "tst_historyschema.moc"
