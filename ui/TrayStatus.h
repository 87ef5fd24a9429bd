// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "base/TColor.h"

#include <QIcon>
#include <QObject>
#include <QString>

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QMenu;
class QSystemTrayIcon;

// What the tray status needs of a system tray icon. SystemTrayIcon is the
// real one; tests stand in a recorder, so that they need no tray.
class TrayIcon {
public:
    virtual ~TrayIcon() = default;
    virtual void SetIcon(const QIcon &icon) = 0;
    virtual void SetToolTip(const QString &text) = 0;
    // The menu stays the caller's.
    virtual void SetMenu(QMenu *menu) = 0;
    virtual void Show() = 0;
    // A balloon message from the icon, where the tray can show one.
    virtual void ShowMessage(const QString &title, const QString &body) = 0;
    // `handler` runs on a left click on the icon.
    virtual void SetOnClick(std::function<void()> handler) = 0;
};

// A QSystemTrayIcon. Make one only where QSystemTrayIcon::isSystemTrayAvailable().
class SystemTrayIcon final : public TrayIcon {
public:
    SystemTrayIcon();
    ~SystemTrayIcon() override;

    void SetIcon(const QIcon &icon) override;
    void SetToolTip(const QString &text) override;
    void SetMenu(QMenu *menu) override;
    void Show() override;
    void ShowMessage(const QString &title, const QString &body) override;
    void SetOnClick(std::function<void()> handler) override;

private:
    std::unique_ptr<QSystemTrayIcon> icon_;
    std::function<void()> onClick_;
};

// The program's tray icon: a disc in the window's status colour (yellow,
// orange, lime, red), a tool tip with the host, the last result and the
// reason, the menu it is given and a left click that runs `onClick`. The icon
// is handed to the tray only when the colour changes, and the tool tip only
// when its text does. Each colour's icon is painted once and the same icon
// given again at every later change to that colour: a tray keeps what it is
// given by the icon's key, so fresh icons at every check would make it grow
// without end.
class TrayStatus final : public QObject {
    Q_OBJECT
public:
    TrayStatus(std::unique_ptr<TrayIcon> icon, QMenu *menu, std::function<void()> onClick);
    ~TrayStatus() override;

    void SetColor(TColor color);
    // Empty until the first SetColor.
    std::optional<TColor> Color() const { return color_; }

    // "Kelvora — <host>", then the result, then the reason when there is one,
    // one per line.
    void SetStatus(const QString &host, const QString &result, const QString &reason);
    QString ToolTip() const { return toolTip_; }

    TrayIcon &Icon() const { return *icon_; }
    // How often an icon was handed to the tray (once per change of colour).
    int IconPaints() const { return iconPaints_; }
    // How many icons were painted: one per colour seen.
    std::size_t IconsBuilt() const { return icons_.size(); }

    // The disc for a colour, at the sizes trays ask for, freshly painted.
    static QIcon StatusIcon(TColor color);

private:
    const QIcon &IconOf(TColor color);

    std::unique_ptr<TrayIcon> icon_;
    std::optional<TColor> color_;
    QString toolTip_;
    int iconPaints_ = 0;
    // The window shows a handful of status colours, so this stays small.
    std::map<TColor, QIcon> icons_;
};
