// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The tray icon and the notifications on the real main window, with a
// recorder in place of the system tray and of the notification service.

#include "support/ApplicationTestMain.h"

#include "ui/SessionController.h"
#include "ui/SessionWindow.h"
#include "ui/StateNotifier.h"
#include "ui/TForm1.h"
#include "ui/TrayStatus.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

namespace {

TApplication &App()
{
    return *TApplication::Instance();
}


// What the program did with its tray icon.
struct TrayRecord {
    QList<QColor> icons; // the colour at the centre of each icon given
    QString toolTip;
    QMenu *menu = nullptr;
    bool shown = false;
    QStringList messages;
    std::function<void()> click;
};

TrayRecord *g_tray = nullptr;

class RecordingTrayIcon final : public TrayIcon {
public:
    void SetIcon(const QIcon &icon) override
    {
        const QImage image = icon.pixmap(32, 32).toImage();
        g_tray->icons << image.pixelColor(16, 16);
    }
    void SetToolTip(const QString &text) override { g_tray->toolTip = text; }
    void SetMenu(QMenu *menu) override { g_tray->menu = menu; }
    void Show() override { g_tray->shown = true; }
    void ShowMessage(const QString &title, const QString &body) override { g_tray->messages << title + " | " + body; }
    void SetOnClick(std::function<void()> handler) override { g_tray->click = std::move(handler); }
};

QStringList g_notices;
TrayStatus *g_sinkTray = nullptr;

class RecordingSink final : public NotificationSink {
public:
    void Notify(NoticeKind, const QString &title, const QString &body) override { g_notices << title + " | " + body; }
};

// The main window with the recorders in place of the tray and the service.
std::unique_ptr<QWidget> CreateForm1()
{
    Form1Services services;
    services.session.tray = [] { return std::make_unique<RecordingTrayIcon>(); };
    services.session.sink = [](TrayStatus *tray) {
        g_sinkTray = tray;
        return std::make_unique<RecordingSink>();
    };
    return std::make_unique<TForm1>(std::move(services));
}

QStringList MenuTexts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

QAction *Item(const QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

} // namespace

class TestTrayStatus : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void iconShowsTheStatusColourAndRepaintsOnlyOnAChange();
    void toolTipGivesHostResultAndReason();
    void menuItems();
    void exitTakesTheExitButtonsPath();
    void leftClickRaisesOrMinimisesTheWindow();
    void notificationsOnChangesOnlyAndNotWhenSwitchedOff();
    void sinkIsGivenTheTrayForItsFallback();
    void tenThousandColourChangesReuseFourIcons();
    void aNewHostIsNotTheReturnOfTheOldOne();

private:
    TForm1 &Shown();
    void RunCheck(TForm1 &w, const QString &host);

    std::unique_ptr<TrayRecord> tray_;
};

void TestTrayStatus::init()
{
    RecordBoxes(App());
    tray_ = std::make_unique<TrayRecord>();
    g_tray = tray_.get();
    g_notices.clear();
    g_sinkTray = nullptr;
}

void TestTrayStatus::cleanup()
{
    App().Shutdown();
    LookedUpNames()->names.clear();
    g_tray = nullptr;
    QVERIFY(RecordedBoxes().empty());
}

TForm1 &TestTrayStatus::Shown()
{
    auto *window = static_cast<TForm1 *>(App().CreateForm(CreateForm1));
    window->show();
    [&] { QVERIFY(QTest::qWaitForWindowExposed(window)); }();
    return *window;
}

void TestTrayStatus::RunCheck(TForm1 &w, const QString &host)
{
    w.Edit1->setText(host);
    w.Timer1Timer();
}

void TestTrayStatus::iconShowsTheStatusColourAndRepaintsOnlyOnAChange()
{
    TForm1 &w = Shown();
    QVERIFY(w.Session()->Tray() != nullptr);
    QVERIFY(tray_->shown);
    QCOMPARE(tray_->icons, (QList<QColor>{QColor(255, 255, 0)}));
    RunCheck(w, QStringLiteral("no.such.host"));
    QCOMPARE(tray_->icons, (QList<QColor>{QColor(255, 255, 0), QColor(255, 128, 0), QColor(255, 0, 0)}));
    // Ticks repaint nothing; the next check goes orange and red again.
    for (int i = 0; i < 5; ++i)
        w.Timer2Timer();
    QCOMPARE(tray_->icons.size(), 3);
    QCOMPARE(w.Session()->Tray()->IconPaints(), 3);
    RunCheck(w, QStringLiteral("no.such.host"));
    QCOMPARE(tray_->icons.size(), 5);
    QCOMPARE(tray_->icons.back(), QColor(255, 0, 0));
    // A colour set twice is painted once.
    w.SetWindowColor(clStatusOnline);
    w.SetWindowColor(clStatusOnline);
    QCOMPARE(tray_->icons.size(), 6);
    QCOMPARE(tray_->icons.back(), QColor(0, 255, 0));
}

void TestTrayStatus::toolTipGivesHostResultAndReason()
{
    TForm1 &w = Shown();
    QCOMPARE(tray_->toolTip,
             QStringLiteral("Kelvora — ") + Addresses::kPresetHosts[0] + QStringLiteral("\nОжидание первой проверки"));
    RunCheck(w, QStringLiteral("no.such.host"));
    const QRegularExpression failed(QStringLiteral("^Kelvora — no\\.such\\.host\nНет связи, \\d\\d:\\d\\d:\\d\\d\nУзел не найден$"));
    QVERIFY2(failed.match(tray_->toolTip).hasMatch(), qPrintable(tray_->toolTip));
    if (!InPrivateNetwork())
        return;
    NamespaceListener listening(80, true);
    QVERIFY2(listening.IsValid(), qPrintable(listening.Error()));
    RunCheck(w, QStringLiteral("127.0.0.1"));
    const QRegularExpression ok(QStringLiteral("^Kelvora — 127\\.0\\.0\\.1\nСвязь есть: \\d+,\\d\\d\\d мс, \\d\\d:\\d\\d:\\d\\d$"));
    QVERIFY2(ok.match(tray_->toolTip).hasMatch(), qPrintable(tray_->toolTip));
}

void TestTrayStatus::menuItems()
{
    TForm1 &w = Shown();
    QVERIFY(tray_->menu != nullptr);
    QCOMPARE(MenuTexts(tray_->menu),
             (QStringList{"Показать окно", "Сеанс…", "Уведомления", "История…", "Вести историю", "Запускать при входе в систему", "-", "Выход"}));
    QAction *notifications = Item(tray_->menu, QStringLiteral("Уведомления"));
    QVERIFY(notifications->isCheckable());
    QVERIFY(notifications->isChecked());
    // The same switch as in the background's menu.
    QCOMPARE(Item(w.Session()->ContextMenu(), QStringLiteral("Уведомления")), notifications);
    Item(tray_->menu, QStringLiteral("Сеанс…"))->trigger();
    QVERIFY(w.Session()->Window() != nullptr);
    QTRY_VERIFY(w.Session()->Window()->isVisible());
    w.showMinimized();
    QTRY_VERIFY(w.isMinimized());
    Item(tray_->menu, QStringLiteral("Показать окно"))->trigger();
    QTRY_VERIFY(!w.isMinimized());
    QVERIFY(w.isVisible());
}

void TestTrayStatus::exitTakesTheExitButtonsPath()
{
    Shown();
    QVERIFY(!App().Terminated());
    Item(tray_->menu, QStringLiteral("Выход"))->trigger();
    // As Button1Click: the quit request is posted and taken by the loop.
    App().ProcessPendingEvents();
    QVERIFY(App().Terminated());
}

void TestTrayStatus::leftClickRaisesOrMinimisesTheWindow()
{
    TForm1 &w = Shown();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QVERIFY(tray_->click);
    tray_->click();
    QTRY_VERIFY(w.isMinimized());
    tray_->click();
    QTRY_VERIFY(!w.isMinimized());
    QVERIFY(w.isVisible());
}

void TestTrayStatus::notificationsOnChangesOnlyAndNotWhenSwitchedOff()
{
    if (!InPrivateNetwork())
        QSKIP("needs a private network namespace to listen on port 80");
    TForm1 &w = Shown();
    auto listening = std::make_unique<NamespaceListener>(80, true);
    QVERIFY2(listening->IsValid(), qPrintable(listening->Error()));
    RunCheck(w, QStringLiteral("127.0.0.1"));
    RunCheck(w, QStringLiteral("127.0.0.1"));
    QCOMPARE(g_notices, QStringList{}); // first check, then no change
    listening.reset();
    NamespaceListener refusing(80, false);
    RunCheck(w, QStringLiteral("127.0.0.1"));
    RunCheck(w, QStringLiteral("127.0.0.1"));
    QCOMPARE(g_notices, QStringList{"Связь потеряна: 127.0.0.1 | Соединение отклонено"});
    refusing.Close();
    listening = std::make_unique<NamespaceListener>(80, true);
    RunCheck(w, QStringLiteral("127.0.0.1"));
    QCOMPARE(g_notices.size(), 2);
    QVERIFY2(QRegularExpression(QStringLiteral("^Связь восстановлена: 127\\.0\\.0\\.1 \\| Связи не было \\d+,\\d\\d\\d с$"))
                 .match(g_notices.back())
                 .hasMatch(),
             qPrintable(g_notices.back()));
    // Switched off in the tray menu: changes pass silently.
    Item(tray_->menu, QStringLiteral("Уведомления"))->trigger();
    QVERIFY(!w.Session()->Notifier().Enabled());
    listening.reset();
    NamespaceListener refusingAgain(80, false);
    RunCheck(w, QStringLiteral("127.0.0.1"));
    QCOMPARE(g_notices.size(), 2);
    QVERIFY(tray_->messages.isEmpty());
}

void TestTrayStatus::sinkIsGivenTheTrayForItsFallback()
{
    TForm1 &w = Shown();
    QCOMPARE(g_sinkTray, w.Session()->Tray());
    QVERIFY(g_sinkTray != nullptr);
}

// Records the key of every icon given to it.
class KeyRecordingTrayIcon final : public TrayIcon {
public:
    explicit KeyRecordingTrayIcon(QList<qint64> &keys) : keys_(keys) {}
    void SetIcon(const QIcon &icon) override { keys_ << icon.cacheKey(); }
    void SetToolTip(const QString &) override {}
    void SetMenu(QMenu *) override {}
    void Show() override {}
    void ShowMessage(const QString &, const QString &) override {}
    void SetOnClick(std::function<void()>) override {}

private:
    QList<qint64> &keys_;
};

void TestTrayStatus::tenThousandColourChangesReuseFourIcons()
{
    QList<qint64> keys;
    TrayStatus status(std::make_unique<KeyRecordingTrayIcon>(keys), nullptr, {});
    // Yellow once, then orange and lime or red twice per check.
    status.SetColor(clStatusWaiting);
    for (int i = 0; i < 5000; ++i) {
        status.SetColor(clStatusChecking);
        status.SetColor(i % 3 == 0 ? clStatusOffline : clStatusOnline);
    }
    QCOMPARE(keys.size(), 10001);
    QCOMPARE(status.IconPaints(), 10001);
    // A tray keeps what it is given by key: four keys, four icons painted.
    QCOMPARE(QSet<qint64>(keys.begin(), keys.end()).size(), 4);
    QCOMPARE(status.IconsBuilt(), 4u);
    QCOMPARE(keys.at(1), keys.at(3));
}

void TestTrayStatus::aNewHostIsNotTheReturnOfTheOldOne()
{
    if (!InPrivateNetwork())
        QSKIP("needs a private network namespace to listen on port 80");
    TForm1 &w = Shown();
    auto listening = std::make_unique<NamespaceListener>(80, true);
    QVERIFY2(listening->IsValid(), qPrintable(listening->Error()));
    RunCheck(w, QStringLiteral("no.such.host"));
    RunCheck(w, QStringLiteral("no.such.host"));
    // 127.0.0.1 never failed: its first check restores nothing.
    RunCheck(w, QStringLiteral("127.0.0.1"));
    QCOMPARE(g_notices, QStringList{});
    QCOMPARE(tray_->toolTip.section(QLatin1Char('\n'), 0, 0), QStringLiteral("Kelvora — 127.0.0.1"));
    // Its own loss is told with its name, and its return too.
    listening.reset();
    auto refusing = std::make_unique<NamespaceListener>(80, false);
    RunCheck(w, QStringLiteral("127.0.0.1"));
    QCOMPARE(g_notices, QStringList{"Связь потеряна: 127.0.0.1 | Соединение отклонено"});
    refusing.reset();
    listening = std::make_unique<NamespaceListener>(80, true);
    RunCheck(w, QStringLiteral("127.0.0.1"));
    QCOMPARE(g_notices.size(), 2);
    QVERIFY2(g_notices.back().startsWith(QStringLiteral("Связь восстановлена: 127.0.0.1 | ")), qPrintable(g_notices.back()));
}

KELVORA_UI_TEST_MAIN(TestTrayStatus)
#include "tst_traystatus.moc"
