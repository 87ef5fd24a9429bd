// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/AutostartEntry.h"

#include "base/ErrorReport.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSaveFile>
#include <QSignalBlocker>

#include <system_error>

namespace {

QString PathText(const std::filesystem::path &path)
{
    return QString::fromStdString(path.string());
}

bool Present(const std::filesystem::path &file)
{
    std::error_code error;
    return !file.empty() && std::filesystem::symlink_status(file, error).type() != std::filesystem::file_type::not_found &&
           !error;
}

} // namespace

std::filesystem::path AutostartFile(const EnvironmentLookup &environment)
{
    const std::optional<std::string> config = environment("XDG_CONFIG_HOME");
    if (config && !config->empty() && std::filesystem::path(*config).is_absolute())
        return std::filesystem::path(*config) / "autostart" / "kelvora.desktop";
    // The history's default file finds the home the same way; its folder's
    // home part is what is wanted here.
    const std::optional<std::string> home = environment("HOME");
    if (home && !home->empty() && std::filesystem::path(*home).is_absolute())
        return std::filesystem::path(*home) / ".config" / "autostart" / "kelvora.desktop";
    return {};
}

std::string AutostartEntryText()
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Kelvora\n"
           "Comment=Watch whether the internet can be reached\n"
           "Exec=kelvora --tray\n"
           "Icon=kelvora\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

AutostartItem::AutostartItem(std::filesystem::path file, Notice notice, QObject *parent)
    : QObject(parent), file_(std::move(file)), notice_(std::move(notice))
{
    action_ = new QAction(QCoreApplication::translate("HistoryMenus", "Start at login"), this);
    action_->setCheckable(true);
    action_->setEnabled(!file_.empty());
    action_->setChecked(Present(file_));
    connect(action_, &QAction::toggled, this, [this](bool on) { CallGuarded([this, on] { Toggled(on); }); });
}

void AutostartItem::AddMenuItems(QMenu &contextMenu, QMenu &trayMenu)
{
    contextMenu.addAction(action_);
    QAction *before = nullptr;
    for (QAction *action : trayMenu.actions())
        if (action->isSeparator()) {
            before = action;
            break;
        }
    trayMenu.insertAction(before, action_);
}

void AutostartItem::Toggled(bool on)
{
    QString error;
    if (on ? Write(&error) : Remove(&error))
        return;
    {
        const QSignalBlocker blocker(action_);
        action_->setChecked(Present(file_));
    }
    if (notice_)
        notice_(PathText(file_) + QStringLiteral(": ") + error);
}

bool AutostartItem::Write(QString *error) const
{
    if (!QDir().mkpath(PathText(file_.parent_path()))) {
        *error = QStringLiteral("не удалось создать папку");
        return false;
    }
    QSaveFile out(PathText(file_));
    const std::string text = AutostartEntryText();
    if (!out.open(QIODevice::WriteOnly) || out.write(text.data(), qint64(text.size())) != qint64(text.size()) ||
        !out.commit()) {
        *error = out.errorString();
        return false;
    }
    return true;
}

bool AutostartItem::Remove(QString *error) const
{
    std::error_code failure;
    std::filesystem::remove(file_, failure);
    if (failure) {
        *error = QString::fromLocal8Bit(failure.message().c_str());
        return false;
    }
    return true;
}
