// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/HistoryController.h"

#include "base/ErrorReport.h"
#include "history/HistoryFile.h"
#include "ui/HistoryPrompts.h"
#include "ui/HistoryWindow.h"
#include "ui/WindowPlacement.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileDialog>
#include <QMenu>
#include <QShortcut>
#include <QWidget>

#include <system_error>

namespace {

QString PathText(const std::filesystem::path &file)
{
    return QString::fromStdString(file.string());
}

bool FileIsThere(const std::filesystem::path &file)
{
    std::error_code error;
    // A dangling link or a directory is "there" too: opening it says what
    // is wrong with it, which is better than silently not recording.
    return !file.empty() && std::filesystem::symlink_status(file, error).type() != std::filesystem::file_type::not_found &&
           !error;
}

QString DialogSaveFile(QWidget *parent, const QString &caption, const QString &suggested, const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
}

} // namespace

HistoryController::HistoryController(HistoryStart start, HistoryServices services, QWidget *mainWindow)
    : start_(std::move(start)), services_(std::move(services)), mainWindow_(mainWindow)
{
    if (!services_.prompts)
        services_.prompts = std::make_shared<DialogPrompts>();
    if (!services_.saveFile)
        services_.saveFile = DialogSaveFile;

    record_ = new QAction(QCoreApplication::translate("HistoryMenus", "Record history"), this);
    record_->setCheckable(true);
    record_->setEnabled(start_.mode != HistoryStart::Mode::Never && !start_.file.empty());
    open_ = new QAction(QCoreApplication::translate("HistoryMenus", "History…"), this);
    // Shown beside the item; the window's own shortcut does the work.
    open_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    open_->setShortcutContext(Qt::WidgetShortcut);
    connect(open_, &QAction::triggered, this, [this] { CallGuarded([this] { OpenHistoryWindow(); }); });
    shortcut_ = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), mainWindow_);
    shortcut_->setContext(Qt::WindowShortcut);
    connect(shortcut_, &QShortcut::activated, this, [this] { CallGuarded([this] { OpenHistoryWindow(); }); });

    if (start_.mode == HistoryStart::Mode::Record && !start_.file.empty())
        StartRecording(start_.createFolders ? HistoryOpenMode::WriteCreatingFolder : HistoryOpenMode::Write);
    else if (start_.mode == HistoryStart::Mode::FollowFile && FileIsThere(start_.file))
        StartRecording(HistoryOpenMode::Write);
    SetTicked(Recording());
    connect(record_, &QAction::toggled, this, [this](bool on) { CallGuarded([this, on] { RecordToggled(on); }); });
}

HistoryController::~HistoryController() = default;

void HistoryController::AddMenuItems(QMenu &contextMenu, QMenu &trayMenu)
{
    contextMenu.addAction(open_);
    contextMenu.addAction(record_);
    QAction *before = nullptr;
    for (QAction *action : trayMenu.actions())
        if (action->isSeparator()) {
            before = action;
            break;
        }
    trayMenu.insertAction(before, open_);
    trayMenu.insertAction(before, record_);
}

std::optional<WatchedTarget> HistoryController::LastWatched()
{
    if (!recorder_)
        return std::nullopt;
    try {
        HistoryReader reader(start_.file, services_.reader);
        return reader.LastWatched(services_.recorder.program);
    } catch (const std::exception &) {
        // The recorder has the file open and will say what is wrong with it.
        return std::nullopt;
    }
}

void HistoryController::CheckFinished(const QString &host, std::uint16_t port, std::chrono::milliseconds interval,
                                      const CheckResult &result)
{
    if (!recorder_)
        return;
    auto target = std::make_tuple(host.toStdString(), port, interval);
    if (watched_ != target) {
        recorder_->Watch(std::get<0>(target), port, interval);
        watched_ = std::move(target);
    }
    recorder_->Record(result);
    if (recorder_->Failed())
        Failed(QString::fromStdString(recorder_->FailureLine()));
}

void HistoryController::RecordToggled(bool on)
{
    if (on == Recording())
        return;
    if (!on) {
        StopRecording(RunEnd::Stop);
        if (services_.prompts->ConfirmRemoval(mainWindow_, PathText(start_.file))) {
            std::string error;
            if (!RemoveHistoryFile(start_.file, &error))
                services_.prompts->Notice(mainWindow_, QString::fromStdString(error));
        }
        return;
    }
    const bool asked = services_.prompts->ConfirmRecording(mainWindow_, PathText(start_.file));
    if (!asked || !StartRecording(start_.createFolders ? HistoryOpenMode::WriteCreatingFolder
                                                       : HistoryOpenMode::Write))
        SetTicked(false);
}

bool HistoryController::StartRecording(HistoryOpenMode mode)
{
    RecorderSettings settings = services_.recorder;
    settings.file = start_.file;
    settings.open = mode;
    settings.commit = CommitMode::EachCheck;
    try {
        recorder_ = std::make_unique<HistoryRecorder>(std::move(settings));
    } catch (const std::exception &error) {
        services_.prompts->Notice(mainWindow_, QString::fromLocal8Bit(error.what()));
        return false;
    }
    watched_.reset();
    return true;
}

void HistoryController::StopRecording(RunEnd how)
{
    if (!recorder_)
        return;
    recorder_->EndRun(how);
    recorder_.reset();
    watched_.reset();
}

void HistoryController::Failed(const QString &line)
{
    // The recorder has dropped what waited and ends nothing more; the file
    // stays as it is.
    recorder_.reset();
    watched_.reset();
    SetTicked(false);
    services_.prompts->Notice(mainWindow_, line);
}

void HistoryController::SetTicked(bool on)
{
    const QSignalBlocker blocker(record_);
    record_->setChecked(on);
}

void HistoryController::OpenHistoryWindow()
{
    if (!window_) {
        window_ = std::make_unique<HistoryWindow>(start_.file, services_.reader, services_.saveFile);
        PlaceOverMainWindow(*window_);
    }
    if (window_->isMinimized())
        window_->showNormal();
    else
        window_->show();
    window_->raise();
    window_->activateWindow();
}

void HistoryController::PlaceOverMainWindow(QWidget &window)
{
    // As the session window. The window has sized itself already.
    placement_ = WindowPlacement::OverMainWindow(window, *mainWindow_);
    placement_->Place();
}
