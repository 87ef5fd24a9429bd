// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/SessionController.h"

#include "base/ErrorReport.h"
#include "session/SessionHistory.h"
#include "ui/DesktopNotifications.h"
#include "ui/SessionTexts.h"
#include "ui/SessionWindow.h"
#include "ui/StateNotifier.h"
#include "ui/TrayStatus.h"
#include "ui/WindowPlacement.h"

#include <QCoreApplication>
#include <QAction>
#include <QActionGroup>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QShortcut>

#include <QSystemTrayIcon>
#include <QWidget>

namespace {

// The port of every check the window makes.
constexpr std::uint16_t kWindowPort = 80;

class SilentSink final : public NotificationSink {
public:
    void Notify(NoticeKind, const QString &, const QString &) override {}
};

std::unique_ptr<TrayIcon> DefaultTray()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return nullptr;
    return std::make_unique<SystemTrayIcon>();
}

std::unique_ptr<NotificationSink> DefaultSink(TrayStatus *tray)
{
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return std::make_unique<SilentSink>();
    DesktopNotifications::Fallback fallback;
    if (tray != nullptr)
        fallback = [tray](const QString &title, const QString &body) { tray->Icon().ShowMessage(title, body); };
    return std::make_unique<DesktopNotifications>(QDBusConnection::sessionBus(), std::move(fallback));
}

ProbeTarget TargetOf(const QString &host)
{
    return {host.toStdString(), kWindowPort};
}

} // namespace

SessionServices SessionServices::Desktop()
{
    return {DefaultTray, DefaultSink};
}

SessionController::SessionController(SessionHost host, SessionServices services)
    : host_(std::move(host)), history_(std::make_unique<SessionHistory>(TargetOf(host_.hostText())))
{
    BuildMenus();
    host_.background->installEventFilter(this);
    shortcut_ = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_I), host_.window);
    shortcut_->setContext(Qt::WindowShortcut);
    connect(shortcut_, &QShortcut::activated, this, [this] { CallGuarded([this] { OpenSessionWindow(); }); });

    std::unique_ptr<TrayIcon> icon = services.tray ? services.tray() : nullptr;
    if (icon)
        tray_ = std::make_unique<TrayStatus>(std::move(icon), trayMenu_.get(),
                                             [this] { ToggleMainWindow(); });
    if (services.sink)
        sink_ = services.sink(tray_.get());
    if (!sink_)
        sink_ = std::make_unique<SilentSink>();
    notifier_ = std::make_unique<StateNotifier>(*sink_);
    UpdateTray();
}

SessionController::~SessionController()
{
    if (host_.background != nullptr)
        host_.background->removeEventFilter(this);
}

void SessionController::BuildMenus()
{
    notifications_ = new QAction(QCoreApplication::translate("SessionMenus", "Notifications"), this);
    notifications_->setCheckable(true);
    notifications_->setChecked(true);
    connect(notifications_, &QAction::toggled, this,
            [this](bool on) { CallGuarded([this, on] { notifier_->SetEnabled(on); }); });
    auto *openSession = new QAction(QCoreApplication::translate("SessionMenus", "Session…"), this);
    // Shown beside the item; the window's own shortcut does the work, so
    // this one acts only inside the open menu.
    openSession->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    openSession->setShortcutContext(Qt::WidgetShortcut);
    connect(openSession, &QAction::triggered, this, [this] { CallGuarded([this] { OpenSessionWindow(); }); });

    contextMenu_ = std::make_unique<QMenu>();
    contextMenu_->addAction(openSession);
    contextMenu_->addAction(notifications_);
    BuildProtocolMenu();

    trayMenu_ = std::make_unique<QMenu>();
    QAction *show = trayMenu_->addAction(QCoreApplication::translate("SessionMenus", "Show window"));
    connect(show, &QAction::triggered, this, [this] { CallGuarded([this] { ShowMainWindow(); }); });
    trayMenu_->addAction(openSession);
    trayMenu_->addAction(notifications_);
    trayMenu_->addSeparator();
    QAction *quit = trayMenu_->addAction(QCoreApplication::translate("SessionMenus", "Quit"));
    connect(quit, &QAction::triggered, this, [this] { CallGuarded([this] { host_.requestClose(); }); });
}

void SessionController::BuildProtocolMenu()
{
    protocolMenu_ = contextMenu_->addMenu(QCoreApplication::translate("SessionMenus", "Protocol"));
    auto *group = new QActionGroup(this);
    group->setExclusive(true);
    const std::pair<QString, FamilyChoice> choices[] = {{QCoreApplication::translate("SessionMenus", "Auto"), FamilyChoice::Auto},
                                                         {QStringLiteral("IPv4"), FamilyChoice::IPv4Only},
                                                         {QStringLiteral("IPv6"), FamilyChoice::IPv6Only}};
    for (const auto &[text, choice] : choices) {
        QAction *action = protocolMenu_->addAction(text);
        action->setCheckable(true);
        action->setChecked(choice == FamilyChoice::Auto);
        group->addAction(action);
        familyActions_[choice] = action;
        connect(action, &QAction::triggered, this, [this, choice = choice] {
            CallGuarded([this, choice] {
                if (onFamilyChosen_)
                    onFamilyChosen_(choice);
            });
        });
    }
}

void SessionController::HostChanged(const QString &host)
{
    const ProbeTarget target = TargetOf(host);
    if (target.host == history_->Target().host)
        return;
    history_->Restart(target);
    notifier_->Restart();
    UpdateTray();
    RefreshShownWindow();
}

void SessionController::CheckFinished(const CheckResult &result)
{
    // The check was made against the host field's text as it is now; should
    // the change of the text have been missed, it is caught up here.
    const QString host = host_.hostText();
    HostChanged(host);
    const bool wasDown = history_->Latest() && !history_->Latest()->ok;
    history_->Add(result);

    const QString tip = SessionTexts::CheckToolTip(result);
    host_.gauge->setToolTip(tip);
    for (QWidget *label : host_.readout)
        label->setToolTip(tip);

    std::optional<std::chrono::nanoseconds> ended;
    if (wasDown && result.ok)
        if (const std::optional<Outage> outage = history_->Record().OutageAt(0); outage && !outage->open)
            ended = outage->duration;
    notifier_->CheckFinished(host, result, ended);
    UpdateTray();
    RefreshShownWindow();
}

void SessionController::RefreshShownWindow()
{
    if (window_ && window_->isVisible() && !window_->isMinimized())
        window_->Refresh();
}

void SessionController::StatusColorChanged(TColor color)
{
    if (tray_)
        tray_->SetColor(color);
}

std::optional<QString> SessionController::LatestFailure() const
{
    const std::optional<CheckResult> &latest = history_->Latest();
    if (!latest || latest->ok)
        return std::nullopt;
    return SessionTexts::Reason(*latest);
}

void SessionController::UpdateTray()
{
    if (!tray_)
        return;
    const std::optional<CheckResult> &latest = history_->Latest();
    const QString host = QString::fromStdString(history_->Target().host);
    if (!latest) {
        tray_->SetStatus(host, QCoreApplication::translate("SessionMenus", "Waiting for the first check"), {});
        return;
    }
    const QString when = SessionTexts::TimeOfDay(latest->startedAt);
    if (latest->ok)
        tray_->SetStatus(host,
                         QCoreApplication::translate("SessionMenus", "Connected: %1 ms, %2").arg(SessionTexts::Milliseconds(latest->elapsed), when),
                         {});
    else
        tray_->SetStatus(host, QCoreApplication::translate("SessionMenus", "No connection, %1").arg(when), SessionTexts::Reason(*latest));
}

void SessionController::OpenSessionWindow()
{
    if (!window_) {
        window_ = std::make_unique<SessionWindow>(*history_);
        PlaceOverMainWindow(*window_);
    }
    if (window_->isMinimized())
        window_->showNormal();
    else
        window_->show();
    window_->raise();
    window_->activateWindow();
}

void SessionController::PlaceOverMainWindow(QWidget &window)
{
    window.adjustSize();
    windowPlacement_ = WindowPlacement::OverMainWindow(window, *host_.window);
    windowPlacement_->Place();
}

void SessionController::ShowMainWindow()
{
    QWidget *window = host_.window;
    if (window->isMinimized() || window->isHidden())
        window->showNormal();
    window->raise();
    window->activateWindow();
}

void SessionController::ToggleMainWindow()
{
    QWidget *window = host_.window;
    if (window->isVisible() && !window->isMinimized() && window->isActiveWindow())
        window->showMinimized();
    else
        ShowMainWindow();
}

bool SessionController::OnBackground(QPoint point) const
{
    // The child of the client area under the point: none (the client area
    // itself) or the gauge is background.
    QWidget *under = host_.background->childAt(point);
    while (under != nullptr && under->parentWidget() != host_.background)
        under = under->parentWidget();
    return under == nullptr || under == host_.gauge;
}

bool SessionController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != host_.background || event->type() != QEvent::ContextMenu)
        return QObject::eventFilter(watched, event);
    auto *menuEvent = static_cast<QContextMenuEvent *>(event);
    if (!OnBackground(menuEvent->pos()))
        return false;
    CallGuarded([this, menuEvent] { contextMenu_->popup(menuEvent->globalPos()); });
    return true;
}
