// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "base/TColor.h"
#include "monitor/CheckResult.h"
#include "monitor/FamilyChoice.h"

#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class NotificationSink;
class QAction;
class QMenu;
class QShortcut;
class QWidget;
class SessionHistory;
class SessionWindow;
class StateNotifier;
class TrayIcon;
class TrayStatus;
class WindowPlacement;

// What the session features need of the main window.
struct SessionHost {
    QWidget *window = nullptr;
    // The client area; a right click on it, or on the gauge, is a click on
    // the background and opens the context menu. The labels, fields, buttons
    // and the bar over it are not background.
    QWidget *background = nullptr;
    QWidget *gauge = nullptr;
    // The readout labels, which carry the check's tool tip like the gauge.
    std::vector<QWidget *> readout;
    std::function<QString()> hostText;
    // The exit button's close path.
    std::function<void()> requestClose;
};

// Where the session shows itself beyond the window: the tray icon and the
// notifications. Desktop() is the real one; tests pass recorders.
struct SessionServices {
    // Makes the tray icon; null (or an empty function) for none.
    using TrayFactory = std::function<std::unique_ptr<TrayIcon>()>;
    // Makes where notifications go; `tray` is null without one. A null sink
    // (or an empty function) tells nobody.
    using SinkFactory = std::function<std::unique_ptr<NotificationSink>(TrayStatus *tray)>;

    TrayFactory tray;
    SinkFactory sink;

    // A SystemTrayIcon when the desktop has a tray; notifications to the
    // desktop's notification service (falling back to the tray's balloon),
    // and nowhere on platforms without a desktop (offscreen, minimal).
    static SessionServices Desktop();
};

// The session that the main window keeps from its creation on, and what
// shows it: the session window (one at most, opened with "Сеанс…" in the
// background's context menu, with Ctrl+I anywhere in the main window or from
// the tray), the context menu's "Протокол" submenu ("Авто", "IPv4", "IPv6",
// one checked, Авто at the start, kept for the run), the tool tips of the readout and the gauge, the reason for
// assistive technology, the tray icon where the desktop has a tray, and the
// notifications when the connection is lost or restored.
//
// The session is of one target, the host field's text: a changed text ends
// the session of the old target and starts one for the new (HostChanged),
// which begins at its first check. The session window, the tray and the
// notifications show the current target's session.
//
// Per check it records the result and updates the tool tips and the tray;
// the session window is refreshed only while it is shown. Nothing here runs
// per tick. The host's widgets must outlive the controller.
class SessionController final : public QObject {
    Q_OBJECT
public:
    explicit SessionController(SessionHost host, SessionServices services = SessionServices::Desktop());
    ~SessionController() override;

    // After every change of the host field's text.
    void HostChanged(const QString &host);
    // After every check, with the probe's result.
    void CheckFinished(const CheckResult &result);
    // After every change of the window's status colour.
    void StatusColorChanged(TColor color);

    // Where the context menu's "Протокол" choice goes (the checks' address
    // family); until set, or when empty, nowhere.
    void SetOnFamilyChosen(std::function<void(FamilyChoice)> handler) { onFamilyChosen_ = std::move(handler); }

    // The Russian reason of the latest check when it failed; empty before
    // the first check and after a success.
    std::optional<QString> LatestFailure() const;

    // Shows the session window (making it the first time), restores it
    // when minimised and raises it.
    void OpenSessionWindow();
    // Raises the main window, or minimises it when it is the active window
    // already (a left click on the tray icon).
    void ToggleMainWindow();
    void ShowMainWindow();

    const SessionHistory &History() const { return *history_; }
    SessionWindow *Window() const { return window_.get(); }
    TrayStatus *Tray() const { return tray_.get(); }
    StateNotifier &Notifier() const { return *notifier_; }
    QMenu *ContextMenu() const { return contextMenu_.get(); }
    QMenu *TrayMenu() const { return trayMenu_.get(); }
    QAction *NotificationsAction() const { return notifications_; }
    QMenu *ProtocolMenu() const { return protocolMenu_; }
    QAction *FamilyAction(FamilyChoice choice) const { return familyActions_.at(choice); }
    QShortcut *SessionShortcut() const { return shortcut_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool OnBackground(QPoint point) const;
    void PlaceOverMainWindow(QWidget &window);
    void BuildMenus();
    void BuildProtocolMenu();
    void UpdateTray();
    void RefreshShownWindow();

    SessionHost host_;
    std::unique_ptr<SessionHistory> history_;
    std::unique_ptr<SessionWindow> window_;
    std::unique_ptr<WindowPlacement> windowPlacement_;
    std::unique_ptr<QMenu> contextMenu_;
    std::unique_ptr<QMenu> trayMenu_;
    QAction *notifications_ = nullptr;
    QMenu *protocolMenu_ = nullptr;
    std::map<FamilyChoice, QAction *> familyActions_;
    std::function<void(FamilyChoice)> onFamilyChosen_;
    QShortcut *shortcut_ = nullptr;
    std::unique_ptr<TrayStatus> tray_;
    std::unique_ptr<NotificationSink> sink_;
    std::unique_ptr<StateNotifier> notifier_;
};
