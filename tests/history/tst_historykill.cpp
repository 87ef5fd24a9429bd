// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// kill -9 at random moments of heavy writing, 200 times into one file: the
// file stays whole (PRAGMA integrity_check), every check the writer had
// seen committed is in it, and what is missing is at most the last
// second's checks. Half the rounds run the recorder's clocks fast with a
// tiny retention and size cap, so that kills also land in rolling up,
// pruning and giving pages back.
#include "WriterProcess.h"

#include "history/HistoryMaintenance.h"
#include "history/SqliteDatabase.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>

namespace {

std::int64_t WallMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

QString IntegrityOf(const QString &file)
{
    SqliteDatabase db(file.toStdString(), SqliteDatabase::Access::ReadWrite);
    SqliteStatement check = db.Prepare("PRAGMA integrity_check");
    return check.Step() ? QString::fromStdString(check.Text(0)) : QStringLiteral("no answer");
}

} // namespace

class TestHistoryKill : public QObject {
    Q_OBJECT

private slots:
    void randomKillsNeverCorrupt();
};

void TestHistoryKill::randomKillsNeverCorrupt()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("history.sqlite"));
    const int rounds = qEnvironmentVariableIntValue("KELVORA_KILL_ROUNDS") > 0
                           ? qEnvironmentVariableIntValue("KELVORA_KILL_ROUNDS")
                           : 200;
    QRandomGenerator random(2026);
    int checked = 0;
    for (int round = 0; round < rounds; ++round) {
        const bool fast = round % 2 == 1;
        QStringList arguments{file, QStringLiteral("example.org"), fast ? QStringLiteral("1000") : QStringLiteral("1"),
                              QStringLiteral("30"), QStringLiteral("batched")};
        if (fast)
            arguments << QStringLiteral("400") << QStringLiteral("0") << QStringLiteral("0") << QStringLiteral("300000");
        WriterProcess writer(arguments);
        // Until the writer has committed once, then a random while more.
        QElapsedTimer waited;
        waited.start();
        while (writer.Committed() == 0 && waited.elapsed() < 20000) {
            QTest::qWait(2);
            writer.Read();
        }
        QVERIFY2(writer.Failure().isEmpty(), writer.Failure().constData());
        QVERIFY2(writer.Committed() > 0, qPrintable(QStringLiteral("round %1: nothing committed").arg(round)));
        QTest::qWait(static_cast<int>(random.bounded(0, 250)));
        writer.Read();
        const std::int64_t killedAt = WallMs();
        writer.Kill();
        QVERIFY(writer.Finish(5000));
        QVERIFY(writer.Crashed());
        QVERIFY2(writer.Failure().isEmpty(), writer.Failure().constData());

        QCOMPARE(IntegrityOf(file), QStringLiteral("ok"));
        SqliteDatabase db(file.toStdString(), SqliteDatabase::Access::ReadOnly);
        const std::int64_t run = db.QueryInt("SELECT max(id) FROM runs");
        const auto stored = static_cast<std::uint64_t>(db.QueryInt("SELECT checks FROM runs WHERE id = " + std::to_string(run)));
        QVERIFY2(stored >= writer.Committed(), qPrintable(QStringLiteral("round %1: %2 stored, %3 committed")
                                                              .arg(round).arg(stored).arg(writer.Committed())));
        if (!fast) {
            // The first check not in the file started within the last second.
            if (const auto lost = writer.TimeOf(stored + 1)) {
                QVERIFY2(*lost >= killedAt - 1000, qPrintable(QStringLiteral("round %1: a check of %2 ms before the kill lost")
                                                                  .arg(round).arg(killedAt - *lost)));
                ++checked;
            }
        }
    }
    QVERIFY(checked > 0);
    // The next program closes every run the kills left open.
    SqliteDatabase db(file.toStdString(), SqliteDatabase::Access::ReadWrite);
    db.SetBusyTimeout(std::chrono::seconds(5));
    {
        SqliteTransaction transaction(db);
        CloseLostRuns(db, ProcessLookup{});
        transaction.Commit();
    }
    QCOMPARE(db.QueryInt("SELECT count(*) FROM runs WHERE end_ms IS NULL"), std::int64_t{0});
    QCOMPARE(db.QueryInt("SELECT count(*) FROM runs"), std::int64_t{rounds});
}

QTEST_GUILESS_MAIN(TestHistoryKill)
#include "tst_historykill.moc"
