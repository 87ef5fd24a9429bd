// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The session window over a scripted session: its figures, its outage list
// and its copy.

#include "SessionRig.h"

#include "session/SessionHistory.h"
#include "ui/LatencyChart.h"
#include "ui/OutageTableModel.h"
#include "ui/SessionTexts.h"
#include "ui/SessionWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

using namespace std::chrono;
using Figure = SessionWindow::Figure;

namespace {

// "1S10 3F" : a success started at 1 s taking 10 ms, a refused check at 3 s;
// "6FD" a check at 6 s whose name did not resolve.
void Feed(SessionHistory &history, const QString &script)
{
    for (const QString &word : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const qsizetype kind = word.indexOf(QRegularExpression(QStringLiteral("[SF]")));
        const double at = word.left(kind).toDouble();
        const bool ok = word.at(kind) == QLatin1Char('S');
        const QString rest = word.mid(kind + 1);
        CheckResult check = SessionRig::Check(at, ok, rest == QLatin1String("D") ? FailureReason::Dns : FailureReason::Refused,
                                              milliseconds(ok ? rest.toInt() : 1));
        history.Add(check);
    }
}

QString Wall(double seconds)
{
    return SessionTexts::DateTime(SessionRig::kWallBase + duration_cast<system_clock::duration>(SessionRig::Seconds(seconds)));
}

QString Cell(const QTableView *table, int row, int column)
{
    return table->model()->index(row, column).data().toString();
}

double Number(const QString &text)
{
    return QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
}

} // namespace

class TestSessionWindow : public QObject {
    Q_OBJECT
private slots:
    void figuresOfAScriptedSession_data();
    void figuresOfAScriptedSession();
    void percentilesLieWithinOnePercent();
    void outagesNewestFirst();
    void refreshShowsTheNextCheckAndANewOutage();
    void beforeTheFirstCheck();
    void theLastChecksAddressAndShares();
    void copyPutsTheSessionOnTheClipboard();
    void titleAndLayout();
    void escapeClosesIt_data();
    void escapeClosesIt();
};

void TestSessionWindow::figuresOfAScriptedSession_data()
{
    QTest::addColumn<Figure>("figure");
    QTest::addColumn<QString>("text");
    // Up 1..3 and 5..6, down 3..5 and 6..7 (now); nothing before the first
    // check at 1 s.
    QTest::newRow("host") << Figure::Host << "127.0.0.1";
    QTest::newRow("checks") << Figure::Checks << "6";
    QTest::newRow("succeeded") << Figure::Succeeded << "3";
    QTest::newRow("failed") << Figure::Failed << "3";
    QTest::newRow("loss") << Figure::Loss << "50 %";
    QTest::newRow("min/avg/max/mdev") << Figure::Latency << "10,000 / 20,000 / 30,000 / 8,165";
    QTest::newRow("state: down since the last check") << Figure::State
                                                       << QStringLiteral("нет связи, с %1 (1,000 с)").arg(Wall(6));
    QTest::newRow("time up") << Figure::TotalUp << "3,000 с";
    QTest::newRow("time down") << Figure::TotalDown << "3,000 с";
    QTest::newRow("longest outage") << Figure::LongestOutage
                                    << QStringLiteral("2,000 с, с %1 до %2").arg(Wall(3), Wall(5));
    QTest::newRow("longest uptime") << Figure::LongestUptime
                                    << QStringLiteral("2,000 с, с %1 до %2").arg(Wall(1), Wall(3));
}

void TestSessionWindow::figuresOfAScriptedSession()
{
    QFETCH(Figure, figure);
    QFETCH(QString, text);
    SessionRig rig;
    SessionHistory history({"127.0.0.1", 80}, rig.Clock());
    Feed(history, QStringLiteral("1S10 2S20 3F 4F 5S30 6FD"));
    rig.At(7);
    SessionWindow window(history);
    window.Refresh();
    QCOMPARE(window.FigureText(figure), text);
}

void TestSessionWindow::percentilesLieWithinOnePercent()
{
    SessionRig rig;
    SessionHistory history({"127.0.0.1", 80}, rig.Clock());
    QString script;
    for (int i = 1; i <= 100; ++i)
        script += QStringLiteral("%1S%2 ").arg(i).arg(i);
    Feed(history, script);
    rig.At(101);
    SessionWindow window(history);
    window.Refresh();
    const QStringList parts = window.FigureText(Figure::Percentiles).split(QStringLiteral(" / "));
    QCOMPARE(parts.size(), 3);
    // Nearest rank over 1..100 ms: 50, 95 and 99 ms.
    const double expected[] = {50, 95, 99};
    for (int i = 0; i < 3; ++i)
        QVERIFY2(std::abs(Number(parts[i]) - expected[i]) <= expected[i] / 100, qPrintable(parts[i]));
    QCOMPARE(window.FigureText(Figure::Latency).section(QStringLiteral(" / "), 0, 0), QStringLiteral("1,000"));
}

void TestSessionWindow::outagesNewestFirst()
{
    SessionRig rig;
    SessionHistory history({"127.0.0.1", 80}, rig.Clock());
    Feed(history, QStringLiteral("1S10 2S20 3F 4F 5S30 6FD"));
    rig.At(7);
    SessionWindow window(history);
    window.Refresh();
    const QTableView *table = window.Outages();
    QCOMPARE(table->model()->rowCount(), 2);
    QCOMPARE(table->model()->headerData(OutageTableModel::FailedChecks, Qt::Horizontal).toString(),
             QStringLiteral("Неудачных проверок"));
    QCOMPARE(Cell(table, 0, OutageTableModel::Start), Wall(6));
    QCOMPARE(Cell(table, 0, OutageTableModel::End), QStringLiteral("продолжается"));
    QCOMPARE(Cell(table, 0, OutageTableModel::Length), QStringLiteral("1,000 с"));
    QCOMPARE(Cell(table, 0, OutageTableModel::FailedChecks), QStringLiteral("1"));
    QCOMPARE(Cell(table, 0, OutageTableModel::Reason), QStringLiteral("Узел не найден"));
    QCOMPARE(Cell(table, 1, OutageTableModel::Start), Wall(3));
    QCOMPARE(Cell(table, 1, OutageTableModel::End), Wall(5));
    QCOMPARE(Cell(table, 1, OutageTableModel::Length), QStringLiteral("2,000 с"));
    QCOMPARE(Cell(table, 1, OutageTableModel::FailedChecks), QStringLiteral("2"));
    QCOMPARE(Cell(table, 1, OutageTableModel::Reason), QStringLiteral("Соединение отклонено"));
}

void TestSessionWindow::refreshShowsTheNextCheckAndANewOutage()
{
    SessionRig rig;
    SessionHistory history({"127.0.0.1", 80}, rig.Clock());
    Feed(history, QStringLiteral("1S10"));
    rig.At(2);
    SessionWindow window(history);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.Outages()->model()->rowCount(), 0);
    QSignalSpy resets(window.OutageModel(), &QAbstractItemModel::modelReset);
    QSignalSpy changes(window.OutageModel(), &QAbstractItemModel::dataChanged);
    Feed(history, QStringLiteral("2F 3F"));
    rig.At(3.5);
    window.Refresh();
    QCOMPARE(window.FigureText(Figure::Checks), QStringLiteral("3"));
    QCOMPARE(window.Outages()->model()->rowCount(), 1);
    QCOMPARE(resets.count(), 1);
    // The open outage grows in place: no new rows.
    Feed(history, QStringLiteral("4F"));
    rig.At(4.5);
    window.Refresh();
    QCOMPARE(resets.count(), 1);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(Cell(window.Outages(), 0, OutageTableModel::FailedChecks), QStringLiteral("3"));
    QCOMPARE(Cell(window.Outages(), 0, OutageTableModel::Length), QStringLiteral("2,500 с"));
    // Its end closes it.
    Feed(history, QStringLiteral("5S5"));
    rig.At(6);
    window.Refresh();
    QCOMPARE(resets.count(), 2);
    QCOMPARE(Cell(window.Outages(), 0, OutageTableModel::End), Wall(5));
    QCOMPARE(window.FigureText(Figure::State), QStringLiteral("связь есть, с %1 (1,000 с)").arg(Wall(5)));
}

void TestSessionWindow::beforeTheFirstCheck()
{
    SessionRig rig;
    SessionHistory history({"127.0.0.1", 80}, rig.Clock());
    rig.At(3);
    SessionWindow window(history);
    window.Refresh();
    QCOMPARE(window.FigureText(Figure::Checks), QStringLiteral("0"));
    QCOMPARE(window.FigureText(Figure::Loss), QStringLiteral("—"));
    QCOMPARE(window.FigureText(Figure::Latency), QStringLiteral("—"));
    // Nobody has looked yet: no state, and no time up or down.
    QCOMPARE(window.FigureText(Figure::State), QStringLiteral("неизвестно, ещё не проверялось"));
    QCOMPARE(window.FigureText(Figure::LongestOutage), QStringLiteral("не было"));
    QCOMPARE(window.FigureText(Figure::LongestUptime), QStringLiteral("не было"));
    QCOMPARE(window.FigureText(Figure::TotalUp), QStringLiteral("—"));
    QCOMPARE(window.FigureText(Figure::TotalDown), QStringLiteral("—"));
    QCOMPARE(window.FigureText(Figure::Host), QStringLiteral("127.0.0.1"));
    QCOMPARE(window.FigureText(Figure::Address), QStringLiteral("—"));
    QCOMPARE(window.FigureText(Figure::LastCheck), QStringLiteral("—"));
}

void TestSessionWindow::theLastChecksAddressAndShares()
{
    SessionRig rig;
    SessionHistory history({"dual.test", 80}, rig.Clock());
    CheckResult overIPv6 = SessionRig::Check(1, true, FailureReason::None, microseconds(25'950));
    overIPv6.address = "2001:db8::1";
    overIPv6.family = AddressFamily::IPv6;
    overIPv6.lookupElapsed = microseconds(25'000);
    overIPv6.connectElapsed = microseconds(250);
    history.Add(overIPv6);
    rig.At(2);
    SessionWindow window(history);
    window.Refresh();
    QCOMPARE(window.FigureText(Figure::Address), QStringLiteral("IPv6 2001:db8::1"));
    QCOMPARE(window.FigureText(Figure::LastCheck),
             QStringLiteral("25,950 мс (поиск адреса 25,000 мс, соединение 0,250 мс)"));
    // The next check, refused over IPv4 before any lookup, replaces them.
    CheckResult refused = SessionRig::Check(2, false, FailureReason::Refused, microseconds(300));
    refused.address = "192.0.2.1";
    refused.family = AddressFamily::IPv4;
    refused.connectElapsed = microseconds(200);
    history.Add(refused);
    rig.At(3);
    window.Refresh();
    QCOMPARE(window.FigureText(Figure::Address), QStringLiteral("IPv4 192.0.2.1"));
    QCOMPARE(window.FigureText(Figure::LastCheck), QStringLiteral("0,300 мс (соединение 0,200 мс)"));
}

void TestSessionWindow::copyPutsTheSessionOnTheClipboard()
{
    SessionRig rig;
    SessionHistory history({"127.0.0.1", 80}, rig.Clock());
    Feed(history, QStringLiteral("1S10 2F"));
    rig.At(3);
    SessionWindow window(history);
    QApplication::clipboard()->clear();
    QTest::mouseClick(window.CopyButton(), Qt::LeftButton);
    const QString copied = QApplication::clipboard()->text();
    QCOMPARE(copied, QString::fromStdString(history.CopyText()));
    QVERIFY(copied.startsWith(QStringLiteral("--- 127.0.0.1 (127.0.0.1) port 80 statistics ---\n")));
    QVERIFY(copied.contains(QStringLiteral("\ntime,seq,host,address,port,ok,ms,reason,code,message\r\n")));
    QCOMPARE(copied.count(QStringLiteral(",127.0.0.1,127.0.0.1,80,")), 2);
}

void TestSessionWindow::titleAndLayout()
{
    SessionRig rig;
    SessionHistory history({"127.0.0.1", 80}, rig.Clock());
    SessionWindow window(history);
    QCOMPARE(window.windowTitle(), QStringLiteral("Сеанс — Kelvora"));
    QVERIFY(window.isWindow());
    QVERIFY(!window.isModal());
    QCOMPARE(window.CopyButton()->text(), QStringLiteral("Копировать"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.Chart()->isVisible());
    QVERIFY(window.Chart()->width() >= 400);
    // Closing hides it; it stays for the next opening.
    window.close();
    QVERIFY(!window.isVisible());
}

void TestSessionWindow::escapeClosesIt_data()
{
    QTest::addColumn<QString>("focus");
    QTest::newRow("focus in the outage list") << "outages";
    QTest::newRow("focus on the copy button") << "copy";
}

void TestSessionWindow::escapeClosesIt()
{
    QFETCH(QString, focus);
    SessionRig rig;
    SessionHistory history({"127.0.0.1", 80}, rig.Clock());
    SessionWindow window(history);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QWidget *focused = focus == QLatin1String("copy") ? static_cast<QWidget *>(window.CopyButton()) : window.Outages();
    focused->setFocus();
    QTRY_VERIFY(focused->hasFocus());
    // Shift+Escape is no close.
    QTest::keyClick(focused, Qt::Key_Escape, Qt::ShiftModifier);
    QVERIFY(window.isVisible());
    QTest::keyClick(focused, Qt::Key_Escape);
    QVERIFY(!window.isVisible());
}

QTEST_MAIN(TestSessionWindow)
#include "tst_sessionwindow.moc"
