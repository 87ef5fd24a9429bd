// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The history window over a known history: the target choice, the ranges,
// the totals and the outages newest first, the export to CSV and PNG, and
// a file that is missing or no history said in the window.

#include "KnownHistory.h"

#include "history/HistoryExport.h"
#include "ui/HeatMap.h"
#include "ui/HistoryWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <ctime>

using Total = HistoryWindow::Total;
using Range = HistoryWindow::Range;

class TestHistoryWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void totalsAndOutagesOfToday();
    void targetsAndRanges();
    void customRangeIsWholeDaysInOrder();
    void exportCsvAndPng();
    void exportThatCannotBeWrittenKeepsTheFigures();
    void aFileThatIsNoHistory_data();
    void aFileThatIsNoHistory();

private:
    std::unique_ptr<HistoryWindow> Window(const std::filesystem::path &file);

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<KnownHistory> history_;
    QString answer_;  // what the save question answers
    int asked_ = 0;
};

void TestHistoryWindow::initTestCase()
{
    qputenv("TZ", "UTC");
    ::tzset();
}

void TestHistoryWindow::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    history_ = std::make_unique<KnownHistory>(PathIn(*dir_, "history.sqlite"));
    answer_.clear();
    asked_ = 0;
}

std::unique_ptr<HistoryWindow> TestHistoryWindow::Window(const std::filesystem::path &file)
{
    auto window = std::make_unique<HistoryWindow>(
        file, history_->Reader(), [this](QWidget *, const QString &, const QString &, const QString &) {
            ++asked_;
            return answer_;
        });
    window->SetRange(Range::Today);
    window->show();
    return window;
}

void TestHistoryWindow::totalsAndOutagesOfToday()
{
    auto w = Window(history_->file);
    QTRY_VERIFY(w->View().has_value());
    QCOMPARE(w->Targets()->currentText(), QStringLiteral("known.host:80"));
    QCOMPARE(w->TotalText(Total::Monitored), QStringLiteral("40 мин 00 с"));
    QCOMPARE(w->TotalText(Total::Availability), QStringLiteral("62,5 %"));
    QCOMPARE(w->TotalText(Total::Outages), QStringLiteral("10"));
    QCOMPARE(w->TotalText(Total::Longest), QStringLiteral("10 мин 30 с"));
    QCOMPARE(w->TotalText(Total::BetweenOutages), QStringLiteral("2 мин 30 с"));

    QTableWidget *outages = w->Outages();
    QCOMPARE(outages->rowCount(), 10);
    // Newest first: the long one that the sleep ended, then back in time.
    QCOMPARE(outages->item(0, 0)->text(), QStringLiteral("02.03.2026 00:19:30"));
    QCOMPARE(outages->item(0, 1)->text(), QStringLiteral("02.03.2026 00:30:00"));
    QCOMPARE(outages->item(0, 2)->text(), QStringLiteral("10 мин 30 с"));
    QCOMPARE(outages->item(0, 3)->text(), QStringLiteral("21"));
    QCOMPARE(outages->item(0, 4)->text(), QStringLiteral("Соединение отклонено: 21"));
    QCOMPARE(outages->item(9, 0)->text(), QStringLiteral("02.03.2026 00:10:30"));
    QCOMPARE(outages->item(9, 3)->text(), QStringLiteral("1"));
    for (int row = 1; row < 10; ++row)
        QVERIFY(outages->item(row - 1, 0)->text() > outages->item(row, 0)->text());
    QVERIFY(!w->Problem()->isVisible());
}

void TestHistoryWindow::targetsAndRanges()
{
    auto w = Window(history_->file);
    QTRY_VERIFY(w->View().has_value());
    QVERIFY(w->Targets()->isVisible());
    QCOMPARE(w->Targets()->count(), 2);
    w->Targets()->setCurrentIndex(w->Targets()->findText(QStringLiteral("other.host:80")));
    // Today it was not watched at all.
    QCOMPARE(w->TotalText(Total::Monitored), QStringLiteral("0,000 с"));
    QCOMPARE(w->TotalText(Total::Availability), QStringLiteral("—"));
    QCOMPARE(w->Outages()->rowCount(), 0);
    w->SetRange(Range::Week);
    QCOMPARE(w->Map()->Days().size(), 7u);
    QCOMPARE(w->TotalText(Total::Monitored), QStringLiteral("2 мин 30 с"));
    QCOMPARE(w->TotalText(Total::Availability), QStringLiteral("100 %"));
    QCOMPARE(w->TotalText(Total::Longest), QStringLiteral("не было"));
    // The choice of target holds across a refresh.
    w->Refresh();
    QCOMPARE(w->Targets()->currentText(), QStringLiteral("other.host:80"));
    w->SetRange(Range::Year);
    QCOMPARE(w->Map()->Days().size(), 365u);
    QCOMPARE(w->View()->cellMs, kCoarseCellMs);
    w->SetRange(Range::Month);
    QCOMPARE(w->Map()->Days().size(), 30u);
    QCOMPARE(w->View()->cellMs, kFineCellMs);
}

void TestHistoryWindow::customRangeIsWholeDaysInOrder()
{
    auto w = Window(history_->file);
    QTRY_VERIFY(w->View().has_value());
    w->SetCustomRange(QDate(2026, 3, 1), QDate(2026, 2, 27)); // given the wrong way round
    const Span expected{KnownHistory::kDayMs - 3 * 86'400'000LL, KnownHistory::kDayMs};
    QCOMPARE(w->View()->range, expected);
    QCOMPARE(w->Map()->Days().size(), 3u);
    // A range up to a day past now ends now.
    w->SetCustomRange(QDate(2026, 3, 2), QDate(2026, 3, 9));
    QCOMPARE(w->View()->range, (Span{KnownHistory::kDayMs, KnownHistory::kNowMs}));
    QCOMPARE(w->TotalText(Total::Outages), QStringLiteral("10"));
}

void TestHistoryWindow::exportCsvAndPng()
{
    auto w = Window(history_->file);
    QTRY_VERIFY(w->View().has_value());
    // No file chosen: nothing written.
    QVERIFY(!w->ExportCsv());
    QCOMPARE(asked_, 1);

    answer_ = dir_->filePath(QStringLiteral("range.csv"));
    QVERIFY(w->ExportCsv());
    QFile csv(answer_);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = csv.readAll().split('\n');
    QCOMPARE(lines.front() + '\n', QByteArray::fromStdString(ExportCsvHeader()));
    // The header, 80 checks of today, and the empty piece after the last line break.
    QCOMPARE(lines.size(), 82);
    QVERIFY(lines[1].startsWith("check,2026-03-02T00:00:00.000+00:00,"));
    QVERIFY(lines[1].contains("known.host"));

    answer_ = dir_->filePath(QStringLiteral("map.png"));
    QVERIFY(w->ExportPng());
    QImage picture(answer_);
    QVERIFY(!picture.isNull());
    QCOMPARE(picture.size(), w->Map()->size());
    const QRect down = w->Map()->CellRect(0, 2);
    QCOMPARE(picture.pixelColor(down.center()), QColor(255, 0, 0));
    QCOMPARE(picture.pixelColor(w->Map()->CellRect(0, 0).center()), QColor(0, 255, 0));
}

void TestHistoryWindow::exportThatCannotBeWrittenKeepsTheFigures()
{
    auto w = Window(history_->file);
    QTRY_VERIFY(w->View().has_value());
    answer_ = dir_->filePath(QStringLiteral("no/such/folder/range.csv"));
    QVERIFY(!w->ExportCsv());
    QVERIFY(w->Problem()->isVisible());
    QVERIFY2(w->Problem()->text().contains(answer_), qPrintable(w->Problem()->text()));
    QVERIFY(!w->ExportPng());
    QCOMPARE(w->TotalText(Total::Outages), QStringLiteral("10"));
    QCOMPARE(w->Outages()->rowCount(), 10);
}

void TestHistoryWindow::aFileThatIsNoHistory_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("says");
    QTest::newRow("missing") << QByteArray() << "История пока пуста";
    QTest::newRow("not SQLite") << QByteArray("plain text, no history\n") << "История недоступна: ";
}

void TestHistoryWindow::aFileThatIsNoHistory()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, says);
    const std::filesystem::path file = PathIn(*dir_, "other.sqlite");
    if (!content.isEmpty()) {
        QFile out(QString::fromStdString(file.string()));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(content);
    }
    auto w = Window(file);
    QTRY_VERIFY(w->Problem()->isVisible());
    QVERIFY2(w->Problem()->text().startsWith(says), qPrintable(w->Problem()->text()));
    QVERIFY(!w->View());
    QCOMPARE(w->TotalText(Total::Availability), QStringLiteral("—"));
    QVERIFY(!w->ExportCsv());
    QCOMPARE(asked_, 0);
    w.reset();
    QFile in(QString::fromStdString(file.string()));
    QCOMPARE(in.exists(), !content.isEmpty());
    if (in.open(QIODevice::ReadOnly))
        QCOMPARE(in.readAll(), content);
}

QTEST_MAIN(TestHistoryWindow)
#include "tst_historywindow.moc"
