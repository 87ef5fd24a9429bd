// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The main window against a target reached over IPv6 only, and the address
// family chosen in its context menu ("Протокол").

#include "support/ApplicationTestMain.h"
#include "support/DualStackPeers.h"

#include "controls/TGauge.h"
#include "session/SessionHistory.h"
#include "ui/SessionController.h"
#include "ui/SessionWindow.h"
#include "ui/TForm1.h"
#include "ui/TLabel.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

namespace {

TApplication &App()
{
    return *TApplication::Instance();
}

std::unique_ptr<QWidget> CreateForm1()
{
    return std::make_unique<TForm1>();
}

QStringList Texts(const QList<QAction *> &actions)
{
    QStringList texts;
    for (const QAction *action : actions)
        texts << action->text();
    return texts;
}

QStringList Checked(const QList<QAction *> &actions)
{
    QStringList texts;
    for (const QAction *action : actions)
        if (action->isChecked())
            texts << action->text();
    return texts;
}

} // namespace

class TestTForm1Families : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void protocolSubmenuChoosesOneFamilyForTheRun();
    void anIPv6OnlyTargetIsUp_data();
    void anIPv6OnlyTargetIsUp();
    void theChosenFamilyDecidesTheCheck();

private:
    TForm1 &Shown();
    void RunCheck(TForm1 &w, const QString &host);
};

void TestTForm1Families::init()
{
    RecordBoxes(App());
    LookedUpNames()->names.clear();
}

void TestTForm1Families::cleanup()
{
    App().Shutdown();
    QVERIFY(RecordedBoxes().empty());
    // Literals only: nothing went to a resolver.
    QVERIFY(LookedUpNames()->names.empty());
}

TForm1 &TestTForm1Families::Shown()
{
    auto *window = static_cast<TForm1 *>(App().CreateForm(CreateForm1));
    window->show();
    [&] { QVERIFY(QTest::qWaitForWindowExposed(window)); }();
    return *window;
}

// One check now, as the check timer runs it.
void TestTForm1Families::RunCheck(TForm1 &w, const QString &host)
{
    w.Edit1->setText(host);
    w.Timer1Timer();
}

void TestTForm1Families::protocolSubmenuChoosesOneFamilyForTheRun()
{
    TForm1 &w = Shown();
    SessionController &session = *w.Session();
    QMenu *protocol = session.ProtocolMenu();
    QVERIFY(protocol != nullptr);
    QCOMPARE(protocol->title(), QStringLiteral("Протокол"));
    // In the window's context menu, once.
    int inContextMenu = 0;
    for (const QAction *action : session.ContextMenu()->actions())
        inContextMenu += action->menu() == protocol ? 1 : 0;
    QCOMPARE(inContextMenu, 1);
    QCOMPARE(Texts(protocol->actions()), (QStringList{"Авто", "IPv4", "IPv6"}));
    QCOMPARE(Checked(protocol->actions()), QStringList{"Авто"});
    QCOMPARE(w.Probe().GetFamilyChoice(), FamilyChoice::Auto);

    session.FamilyAction(FamilyChoice::IPv6Only)->trigger();
    QCOMPARE(Checked(protocol->actions()), QStringList{"IPv6"});
    QCOMPARE(w.Probe().GetFamilyChoice(), FamilyChoice::IPv6Only);
    // A second click on the checked item leaves it checked: one is always chosen.
    session.FamilyAction(FamilyChoice::IPv6Only)->trigger();
    QCOMPARE(Checked(protocol->actions()), QStringList{"IPv6"});
    session.FamilyAction(FamilyChoice::IPv4Only)->trigger();
    QCOMPARE(Checked(protocol->actions()), QStringList{"IPv4"});
    QCOMPARE(w.Probe().GetFamilyChoice(), FamilyChoice::IPv4Only);
    // Kept across a new target.
    RunCheck(w, QStringLiteral("127.0.0.2"));
    QCOMPARE(w.Probe().GetFamilyChoice(), FamilyChoice::IPv4Only);
    session.FamilyAction(FamilyChoice::Auto)->trigger();
    QCOMPARE(w.Probe().GetFamilyChoice(), FamilyChoice::Auto);
}

void TestTForm1Families::anIPv6OnlyTargetIsUp_data()
{
    QTest::addColumn<QString>("host");
    QTest::newRow("::1") << QStringLiteral("::1");
    QTest::newRow("[::1]") << QStringLiteral("[::1]");
}

void TestTForm1Families::anIPv6OnlyTargetIsUp()
{
    QFETCH(QString, host);
    if (!InPrivateNetwork())
        QSKIP("needs a private network namespace to listen on port 80");
    // Port 80 of ::1, and nothing on 127.0.0.1.
    PeerSocket listener("::1", 80, PeerSocket::Kind::Accepting);
    QVERIFY2(listener.IsValid(), qPrintable(listener.Error()));
    TForm1 &w = Shown();
    RunCheck(w, host);
    QCOMPARE(w.Color(), clLime);
    QCOMPARE(w.Gauge1->BackColor(), clLime);
    QCOMPARE(listener.AcceptPending(), 1);
    QVERIFY(QRegularExpression(QStringLiteral("^Пинг: \\d+ мс$")).match(w.Label11->Caption()).hasMatch());
    for (TLabel *label : {w.Label7, w.Label8, w.Label9, w.Label10})
        QCOMPARE(label->Caption(), w.Label11->Caption());
    const QString tip = w.Label11->toolTip();
    QVERIFY2(tip.startsWith(QStringLiteral("Связь есть: ")), qPrintable(tip));
    QVERIFY2(tip.contains(QStringLiteral(", IPv6 ::1\nСоединение ")), qPrintable(tip));
    QCOMPARE(w.Gauge1->toolTip(), tip);
    QCOMPARE(w.accessibleDescription(), QStringLiteral("Интернет доступен"));

    const CheckResult &latest = *w.Session()->History().Latest();
    QCOMPARE(latest.family, AddressFamily::IPv6);
    QCOMPARE(latest.address, std::string("::1"));
    w.Session()->OpenSessionWindow();
    SessionWindow *window = w.Session()->Window();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(window->FigureText(SessionWindow::Figure::Address), QStringLiteral("IPv6 ::1"));
    QVERIFY2(window->FigureText(SessionWindow::Figure::LastCheck).contains(QStringLiteral(" мс (соединение ")),
             qPrintable(window->FigureText(SessionWindow::Figure::LastCheck)));
}

void TestTForm1Families::theChosenFamilyDecidesTheCheck()
{
    if (!InPrivateNetwork())
        QSKIP("needs a private network namespace to listen on port 80");
    PeerSocket listener("::1", 80, PeerSocket::Kind::Accepting);
    QVERIFY2(listener.IsValid(), qPrintable(listener.Error()));
    TForm1 &w = Shown();
    SessionController &session = *w.Session();
    session.FamilyAction(FamilyChoice::IPv4Only)->trigger();
    RunCheck(w, QStringLiteral("::1"));
    QCOMPARE(w.Color(), clRed);
    QCOMPARE(listener.AcceptPending(), 0);
    QCOMPARE(w.Session()->History().Latest()->errorCode, 10047);
    QCOMPARE(w.Label11->toolTip().section(QLatin1Char('\n'), 0, 0), QStringLiteral("Неверный узел или порт"));

    session.FamilyAction(FamilyChoice::IPv6Only)->trigger();
    w.Timer1Timer();
    QCOMPARE(w.Color(), clLime);
    QCOMPARE(listener.AcceptPending(), 1);
}

KELVORA_UI_TEST_MAIN(TestTForm1Families)
#include "tst_tform1families.moc"
