// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The session features on the real main window: the background's context
// menu, Ctrl+I, one session window only, the tool tips of the readout and the
// gauge, and the reason in the accessible description.

#include "support/ApplicationTestMain.h"

#include "app/Program.h"
#include "controls/TGauge.h"
#include "session/SessionHistory.h"
#include "ui/Addresses.h"
#include "ui/SessionController.h"
#include "ui/SessionWindow.h"
#include "ui/TButton.h"
#include "ui/TImage.h"
#include "ui/TForm1.h"
#include "ui/TLabel.h"
#include "ui/TProgressBar.h"

#include <QAccessible>
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QShortcut>
#include <QSystemTrayIcon>
#include <QtTest>

#include <map>

namespace {

TApplication &App()
{
    return *TApplication::Instance();
}

std::unique_ptr<QWidget> CreateForm1()
{
    return std::make_unique<TForm1>();
}

void ClosePopups()
{
    while (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
}

int SessionWindowsShown()
{
    int count = 0;
    for (QWidget *window : QApplication::topLevelWidgets())
        count += window->isVisible() && window->windowTitle() == SessionWindow::Title();
    return count;
}

QString Description(QWidget *widget)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible != nullptr ? accessible->text(QAccessible::Description) : QString();
}

} // namespace

class TestSessionController : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void rightClickOpensTheMenuOnTheBackgroundOnly_data();
    void rightClickOpensTheMenuOnTheBackgroundOnly();
    void menuItemAndCtrlIOpenOneWindowOnly_data();
    void menuItemAndCtrlIOpenOneWindowOnly();
    void reopeningRestoresAndRaisesTheSameWindow();
    void theSessionWindowOpensOverTheMainWindow();
    void sessionStartsAtTheFirstCheckAndRecordsEveryCheck();
    void aChangedHostIsANewSession();
    void failureToolTipsAndDescription_data();
    void failureToolTipsAndDescription();
    void successToolTipsAndDescription();
    void openWindowFollowsEachCheckAndAClosedOneDoesNot();
    void withoutATrayNothingOfItAppears();

private:
    TForm1 &Shown();
    void RunCheck(TForm1 &w, const QString &host);
};

void TestSessionController::init()
{
    RecordBoxes(App());
    LookedUpNames()->names.clear();
}

void TestSessionController::cleanup()
{
    ClosePopups();
    App().Shutdown();
    QVERIFY(RecordedBoxes().empty());
}

TForm1 &TestSessionController::Shown()
{
    auto *window = static_cast<TForm1 *>(App().CreateForm(CreateForm1));
    window->show();
    [&] { QVERIFY(QTest::qWaitForWindowExposed(window)); }();
    return *window;
}

// One check now, as the check timer runs it.
void TestSessionController::RunCheck(TForm1 &w, const QString &host)
{
    w.Edit1->setText(host);
    w.Timer1Timer();
}

void TestSessionController::rightClickOpensTheMenuOnTheBackgroundOnly_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("opens");
    QTest::newRow("client area left of the gauge") << "client" << true;
    QTest::newRow("gauge face") << "gauge" << true;
    QTest::newRow("readout label") << "Label11" << false;
    QTest::newRow("credits") << "Label3" << false;
    QTest::newRow("logo") << "Image1" << false;
    QTest::newRow("caption below the gauge") << "Label1" << false;
    QTest::newRow("exit button") << "Button1" << false;
    QTest::newRow("preset button") << "Button2" << false;
    QTest::newRow("progress bar") << "ProgressBar1" << false;
    QTest::newRow("interval field") << "SpinEdit1" << false;
    QTest::newRow("host field") << "Edit1" << false;
}

void TestSessionController::rightClickOpensTheMenuOnTheBackgroundOnly()
{
    QFETCH(QString, where);
    QFETCH(bool, opens);
    TForm1 &w = Shown();
    const std::map<QString, QPoint> points{
        {"client", QPoint(1, 300)},
        {"gauge", w.Gauge1->geometry().topLeft() + QPoint(200, 400)},
        {"Label11", w.Label11->geometry().center()},
        {"Label3", w.Label3->geometry().center()},
        {"Image1", w.Image1->geometry().center()},
        {"Label1", w.Label1->geometry().center()},
        {"Button1", w.Button1->geometry().center()},
        {"Button2", w.Button2->geometry().center()},
        {"ProgressBar1", w.ProgressBar1->geometry().center()},
        {"SpinEdit1", w.SpinEdit1->geometry().center()},
        {"Edit1", w.Edit1->geometry().center()},
    };
    const QPoint inClient = points.at(where);
    QMenu *menu = w.Session()->ContextMenu();
    QVERIFY(!menu->isVisible());
    QTest::mouseClick(w.windowHandle(), Qt::RightButton, {}, w.Client()->mapTo(&w, inClient));
    if (opens) {
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->actions().front()->text(), QStringLiteral("Сеанс…"));
    } else {
        QTest::qWait(50);
        QVERIFY(!menu->isVisible());
    }
    ClosePopups();
    QCOMPARE(SessionWindowsShown(), 0);
}

void TestSessionController::menuItemAndCtrlIOpenOneWindowOnly_data()
{
    QTest::addColumn<QString>("focus");
    QTest::newRow("interval field has the focus") << "SpinEdit1";
    QTest::newRow("host field has the focus") << "Edit1";
    QTest::newRow("a preset button has the focus") << "Button3";
}

void TestSessionController::menuItemAndCtrlIOpenOneWindowOnly()
{
    QFETCH(QString, focus);
    TForm1 &w = Shown();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const std::map<QString, QWidget *> widgets{{"SpinEdit1", w.SpinEdit1}, {"Edit1", w.Edit1}, {"Button3", w.Button3}};
    QWidget *target = widgets.at(focus);
    target->setFocus();
    const QString host = w.Edit1->text();
    const QString interval = w.SpinEdit1->text();

    QTest::keyClick(target, Qt::Key_I, Qt::ControlModifier);
    SessionWindow *window = w.Session()->Window();
    QVERIFY(window != nullptr);
    QTRY_VERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Сеанс — Kelvora"));
    // The key went to the shortcut, not into a field.
    QCOMPARE(w.Edit1->text(), host);
    QCOMPARE(w.SpinEdit1->text(), interval);

    // Again, and through the menu item: the same window.
    w.activateWindow();
    QTest::keyClick(target, Qt::Key_I, Qt::ControlModifier);
    w.Session()->ContextMenu()->actions().front()->trigger();
    QCOMPARE(w.Session()->Window(), window);
    QCOMPARE(SessionWindowsShown(), 1);
    QVERIFY(!window->isModal());
    // The main window still takes input meanwhile.
    QTest::mouseClick(w.Button3, Qt::LeftButton);
    QCOMPARE(w.Edit1->text(), Addresses::kPresetHosts[1]);
}

void TestSessionController::reopeningRestoresAndRaisesTheSameWindow()
{
    TForm1 &w = Shown();
    w.Session()->OpenSessionWindow();
    SessionWindow *window = w.Session()->Window();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    window->close();
    QVERIFY(!window->isVisible());
    // A shortcut of the main window works while it is the active window.
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_I, Qt::ControlModifier);
    QTRY_VERIFY(window->isVisible());
    window->showMinimized();
    QTRY_VERIFY(window->isMinimized());
    w.Session()->OpenSessionWindow();
    QTRY_VERIFY(!window->isMinimized());
    QCOMPARE(w.Session()->Window(), window);
    QCOMPARE(SessionWindowsShown(), 1);
}

void TestSessionController::theSessionWindowOpensOverTheMainWindow()
{
    TForm1 &w = Shown();
    w.move(40, 30);
    w.Session()->OpenSessionWindow();
    SessionWindow *window = w.Session()->Window();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const QRect area = w.screen()->availableGeometry();
    const QRect placed = window->frameGeometry();
    // Over the main window, not in a corner of the screen, and its top left
    // on the screen, wherever the main window is.
    QVERIFY2(area.contains(placed.topLeft()), "the window starts off the screen");
    QVERIFY(placed.intersects(w.frameGeometry()));
    QVERIFY(placed.topLeft() != area.topLeft() || w.frameGeometry().topLeft() == area.topLeft());
}

void TestSessionController::sessionStartsAtTheFirstCheckAndRecordsEveryCheck()
{
    TForm1 &w = Shown();
    const SessionHistory &history = w.Session()->History();
    QCOMPARE(history.Record().Sent(), 0u);
    QCOMPARE(history.Target().host, Addresses::kPresetHosts[0].toStdString());
    QVERIFY(!w.Session()->LatestFailure());
    RunCheck(w, QStringLiteral("no.such.host"));
    RunCheck(w, QStringLiteral("no.such.host"));
    QCOMPARE(history.Record().Sent(), 2u);
    QCOMPARE(history.Latest()->reason, FailureReason::Dns);
    QCOMPARE(history.Log().Size(), 2u);
    // Nothing is counted from before the first check: the session and its
    // outage begin at that check's start.
    const SessionSummary summary = history.Record().Summary();
    QCOMPARE(summary.sessionStart, history.Log().Oldest(0).startedAt);
    QCOMPARE(history.StartWall(), history.Log().Oldest(0).startedAt);
    QCOMPARE(summary.outages.back().start, history.Log().Oldest(0).startedAt);
    QCOMPARE(LookedUpNames()->names.size(), 2u);
    LookedUpNames()->names.clear();
}

void TestSessionController::aChangedHostIsANewSession()
{
    TForm1 &w = Shown();
    w.Session()->OpenSessionWindow();
    SessionWindow *window = w.Session()->Window();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const SessionHistory &history = w.Session()->History();
    RunCheck(w, QStringLiteral("no.such.host"));
    RunCheck(w, QStringLiteral("no.such.host"));
    QCOMPARE(window->FigureText(SessionWindow::Figure::Checks), QStringLiteral("2"));
    // The text changes: the old target's session ends, the new one has not
    // been checked yet, and the open window says so at once.
    w.Edit1->setText(QStringLiteral("other.host"));
    QCOMPARE(history.Target().host, std::string("other.host"));
    QCOMPARE(history.Record().Sent(), 0u);
    QVERIFY(!w.Session()->LatestFailure());
    QCOMPARE(window->FigureText(SessionWindow::Figure::Host), QStringLiteral("other.host"));
    QCOMPARE(window->FigureText(SessionWindow::Figure::Checks), QStringLiteral("0"));
    QCOMPARE(window->FigureText(SessionWindow::Figure::State), QStringLiteral("неизвестно, ещё не проверялось"));
    RunCheck(w, QStringLiteral("other.host"));
    // And back: again a session of its own, with none of the first one's checks.
    w.Edit1->setText(QStringLiteral("no.such.host"));
    RunCheck(w, QStringLiteral("no.such.host"));
    QCOMPARE(history.Record().Sent(), 1u);
    QCOMPARE(history.Record().Summary().outagesTotal, 1u);
    // The copy names the current host in its header and in every row.
    const QString copy = QString::fromStdString(history.CopyText());
    QVERIFY(copy.startsWith(QStringLiteral("--- no.such.host (no address) port 80 statistics ---\n")));
    QCOMPARE(copy.count(QStringLiteral(",no.such.host,")), 1);
    QVERIFY(!copy.contains(QStringLiteral("other.host")));
    // Setting the same text again is no change.
    w.Edit1->setText(QStringLiteral("no.such.host"));
    QCOMPARE(history.Record().Sent(), 1u);
    LookedUpNames()->names.clear();
}

void TestSessionController::failureToolTipsAndDescription_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("listener");
    QTest::addColumn<QString>("reason");
    QTest::newRow("name not found") << "no.such.host" << false << "Узел не найден";
    QTest::newRow("connection refused") << "127.0.0.1" << true << "Соединение отклонено";
}

void TestSessionController::failureToolTipsAndDescription()
{
    QFETCH(QString, host);
    QFETCH(bool, listener);
    QFETCH(QString, reason);
    std::unique_ptr<NamespaceListener> refusing;
    if (listener) {
        if (!InPrivateNetwork())
            QSKIP("needs a private network namespace for port 80");
        refusing = std::make_unique<NamespaceListener>(80, false);
        QVERIFY2(refusing->IsValid(), qPrintable(refusing->Error()));
    }
    TForm1 &w = Shown();
    RunCheck(w, host);
    LookedUpNames()->names.clear();
    QCOMPARE(w.Color(), clRed);
    QCOMPARE(w.accessibleDescription(), QStringLiteral("Интернет недоступен: ") + reason);
    QCOMPARE(Description(&w), QStringLiteral("Интернет недоступен: ") + reason);
    const QString tip = w.Gauge1->toolTip();
    QCOMPARE(tip.section(QLatin1Char('\n'), 0, 0), reason);
    QVERIFY2(tip.contains(QStringLiteral("Проверка в ")), qPrintable(tip));
    for (TLabel *label : {w.Label7, w.Label8, w.Label9, w.Label10, w.Label11})
        QCOMPARE(label->toolTip(), tip);
    // The readout text stays as it was.
    QVERIFY(w.Label11->Caption().startsWith(QStringLiteral("Пинг: ")));
    QVERIFY(w.Label11->Caption().endsWith(QStringLiteral(" мс")));
    QVERIFY(!w.Label11->Caption().contains(reason));
    // While the next check runs, the description is the plain status again.
    w.SetWindowColor(clStatusChecking);
    QCOMPARE(w.accessibleDescription(), QStringLiteral("Идёт проверка подключения"));
}

void TestSessionController::successToolTipsAndDescription()
{
    if (!InPrivateNetwork())
        QSKIP("needs a private network namespace to listen on port 80");
    NamespaceListener listening(80, true);
    QVERIFY2(listening.IsValid(), qPrintable(listening.Error()));
    TForm1 &w = Shown();
    RunCheck(w, QStringLiteral("no.such.host"));
    LookedUpNames()->names.clear();
    RunCheck(w, QStringLiteral("127.0.0.1"));
    QCOMPARE(w.Color(), clLime);
    QCOMPARE(w.accessibleDescription(), QStringLiteral("Интернет доступен"));
    QVERIFY(!w.Session()->LatestFailure());
    const QString tip = w.Label11->toolTip();
    QVERIFY2(QRegularExpression(QStringLiteral("^Связь есть: \\d\\d:\\d\\d:\\d\\d, IPv4 127\\.0\\.0\\.1\nСоединение \\d+,\\d\\d\\d мс$"))
                 .match(tip)
                 .hasMatch(),
             qPrintable(tip));
    QCOMPARE(w.Gauge1->toolTip(), tip);
}

void TestSessionController::openWindowFollowsEachCheckAndAClosedOneDoesNot()
{
    TForm1 &w = Shown();
    w.Session()->OpenSessionWindow();
    SessionWindow *window = w.Session()->Window();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    RunCheck(w, QStringLiteral("no.such.host"));
    QCOMPARE(window->FigureText(SessionWindow::Figure::Checks), QStringLiteral("1"));
    QCOMPARE(window->FigureText(SessionWindow::Figure::Failed), QStringLiteral("1"));
    window->close();
    RunCheck(w, QStringLiteral("no.such.host"));
    // Closed, it is not refreshed; opened again, it catches up.
    QCOMPARE(window->FigureText(SessionWindow::Figure::Checks), QStringLiteral("1"));
    w.Session()->OpenSessionWindow();
    QTRY_COMPARE(window->FigureText(SessionWindow::Figure::Checks), QStringLiteral("2"));
    LookedUpNames()->names.clear();
}

void TestSessionController::withoutATrayNothingOfItAppears()
{
    // The offscreen platform has no tray.
    QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
    TForm1 &w = Shown();
    QCOMPARE(w.Session()->Tray(), nullptr);
    RunCheck(w, QStringLiteral("no.such.host"));
    LookedUpNames()->names.clear();
    QCOMPARE(w.Color(), clRed);
    // Only the main window is up.
    int shown = 0;
    for (QWidget *window : QApplication::topLevelWidgets())
        shown += window->isVisible();
    QCOMPARE(shown, 1);
}

KELVORA_UI_TEST_MAIN(TestSessionController)
#include "tst_sessioncontroller.moc"
