// SPDX-License-Identifier: MIT
// Several programs recording into one file at once: the window's per-check
// commits and two probes' batched commits, every 10 ms for a minute. Not a
// check may be lost to another's lock.
#include "WriterProcess.h"

#include "history/SqliteDatabase.h"

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
    const QString seconds = qEnvironmentVariable("KELVORA_CONCURRENCY_SECONDS", QStringLiteral("60"));
    std::vector<std::unique_ptr<WriterProcess>> writers;
    for (const char *mode : {"each", "batched", "batched"}) {
        writers.push_back(std::make_unique<WriterProcess>(
            QStringList{file, QStringLiteral("example.org"), QStringLiteral("10"), seconds, QLatin1String(mode)}));
    }
    for (auto &writer : writers) {
        QVERIFY(writer->Finish(seconds.toInt() * 1000 + 60000));
        QVERIFY2(writer->Failure().isEmpty(), writer->Failure().constData());
        QCOMPARE(writer->ExitCode(), 0);
        QVERIFY(writer->Done() > 1000);
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
