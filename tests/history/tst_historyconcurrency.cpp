// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// Several programs recording into one file at once: the window's per-check
// commits and two probes' batched commits, a check every 10 ms each. Their
// clocks run four times fast, so 15 s cover a minute of their time: its
// minute boundary, some 60 upkeep rounds and 120 batches per probe, with the
// commits as dense as in real time. Not a check may be lost to another's
// lock.
#include "WriterProcess.h"

#include "history/SqliteDatabase.h"

#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

class TestHistoryConcurrency : public QObject {
    Q_OBJECT

private slots:
    void threeWritersLoseNoCheck();
};

void TestHistoryConcurrency::threeWritersLoseNoCheck()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("history.sqlite"));
    const QString seconds = qEnvironmentVariable("KELVORA_CONCURRENCY_SECONDS", QStringLiteral("15"));
    constexpr int kSpeed = 4;
    constexpr int kIntervalMs = 10 * kSpeed; // of the writers' time: 10 ms of real time
    std::vector<std::unique_ptr<WriterProcess>> writers;
    for (const char *mode : {"each", "batched", "batched"}) {
        writers.push_back(std::make_unique<WriterProcess>(
            QStringList{file, QStringLiteral("example.org"), QString::number(kIntervalMs), seconds,
                        QLatin1String(mode), QString::number(kSpeed)}));
    }
    // Each writer makes its checks on a fixed schedule, all of them however
    // late a loaded machine runs it; a writer that falls behind only takes
    // longer, so the wait is bounded by the test's own time limit alone.
    const std::uint64_t checksEach = seconds.toULongLong() * 1000 * kSpeed / kIntervalMs;
    QDeadlineTimer deadline(std::chrono::seconds(240));
    for (auto &writer : writers) {
        QVERIFY(writer->Finish(int(deadline.remainingTime())));
        QVERIFY2(writer->Failure().isEmpty(), writer->Failure().constData());
        QCOMPARE(writer->ExitCode(), 0);
        QCOMPARE(writer->Done(), checksEach);
    }
    SqliteDatabase db(file.toStdString(), SqliteDatabase::Access::ReadOnly);
    for (auto &writer : writers) {
        const std::string run = std::to_string(writer->Run());
        QCOMPARE(static_cast<std::uint64_t>(db.QueryInt("SELECT count(*) FROM checks WHERE run = " + run)), writer->Done());
        QCOMPARE(static_cast<std::uint64_t>(db.QueryInt("SELECT checks FROM runs WHERE id = " + run)),
                 writer->Done());
        QCOMPARE(db.QueryInt("SELECT count(*) FROM runs WHERE ended = 'exit' AND id = " + run), std::int64_t{1});
    }
    QCOMPARE(db.QueryInt("SELECT count(*) FROM runs"), std::int64_t{3});
    QCOMPARE(db.QueryInt("SELECT count(*) FROM targets"), std::int64_t{1});
}

QTEST_GUILESS_MAIN(TestHistoryConcurrency)
#include "tst_historyconcurrency.moc"
