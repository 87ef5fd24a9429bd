// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "history/HistoryPaths.h"

#include <QObject>
#include <QString>

#include <filesystem>
#include <functional>
#include <string>

class QAction;
class QMenu;
class QWidget;

// The XDG autostart entry that starts Kelvora at login, hidden in the tray:
// $XDG_CONFIG_HOME/autostart/kelvora.desktop, or ~/.config/autostart when
// XDG_CONFIG_HOME is unset, empty or not absolute. Empty when no home is
// known.
std::filesystem::path AutostartFile(const EnvironmentLookup &environment = SystemEnvironment);

// The entry's text: a desktop entry with Exec=kelvora --tray.
std::string AutostartEntryText();

// "Запускать при входе в систему", a check item of the context and tray
// menus. The entry's presence is the choice, as the history file's is:
// ticked when the entry is there at the start; ticking writes it (making
// the folders), unticking removes it. A failure is said in one line through
// `notice` and the item shows what is on disk.
class AutostartItem final : public QObject {
    Q_OBJECT
public:
    using Notice = std::function<void(const QString &line)>;

    AutostartItem(std::filesystem::path file, Notice notice, QObject *parent = nullptr);

    // At the end of the context menu, and before the tray menu's first separator.
    void AddMenuItems(QMenu &contextMenu, QMenu &trayMenu);

    QAction *Action() const { return action_; }
    const std::filesystem::path &File() const { return file_; }

private:
    void Toggled(bool on);
    bool Write(QString *error) const;
    bool Remove(QString *error) const;

    std::filesystem::path file_;
    Notice notice_;
    QAction *action_ = nullptr;
};
