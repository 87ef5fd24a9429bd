// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "history/HistoryReader.h"
#include "history/HistoryRecorder.h"
#include "monitor/CheckResult.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>

class HistoryPrompts;
class HistoryWindow;
class QAction;
class QMenu;
class QShortcut;
class QWidget;
class WindowPlacement;

// What the run was told about the history (app/CommandLine).
struct HistoryStart {
    enum class Mode {
        FollowFile, // record when `file` is there; the menu item creates it
        Record,     // record into `file` from the start, creating it
        Never,      // record nothing this run
    };
    Mode mode = Mode::FollowFile;
    // Empty: no file is known (no home), so nothing can be recorded.
    std::filesystem::path file;
    // Whether missing folders are made (the default file's are; a file named
    // on the command line must have its folder).
    bool createFolders = true;
};

// The clocks, process table, questions and file dialog the history works
// with; the defaults are the real ones.
struct HistoryServices {
    RecorderSettings recorder; // its file, open mode, program and onFailure are set here
    ReaderSettings reader;
    std::shared_ptr<HistoryPrompts> prompts; // null: message boxes
    // Asks for a file to save to; empty for none. Null: the file dialog.
    std::function<QString(QWidget *parent, const QString &caption, const QString &suggested,
                          const QString &filter)>
        saveFile;
};

// The history of the window: "Вести историю" (a check item) and "История…"
// (also Ctrl+H in the main window) in the context and tray menus, the
// recorder while recording, and the one history window.
//
// The file's presence is the choice: a run told nothing records when the
// file is there. Ticking the item asks once (naming the file) and then
// records every check, each committed at once; unticking ends the run
// ("stop") and offers to remove the file, keeping it unless told otherwise.
// A file that cannot be used, at the start or later, is said once in a
// notice that does not block; the item is unticked, the file is left as it
// is and the monitor goes on without history. Nothing here throws into the
// caller.
class HistoryController final : public QObject {
    Q_OBJECT
public:
    HistoryController(HistoryStart start, HistoryServices services, QWidget *mainWindow);
    ~HistoryController() override;

    // The target watched last by the window, read from the file while
    // recording; nullopt otherwise or when the file holds none.
    std::optional<WatchedTarget> LastWatched();

    // Adds the two items to the menus: at the end of the context menu, and
    // before the first separator of the tray menu.
    void AddMenuItems(QMenu &contextMenu, QMenu &trayMenu);

    // After every check of the window, with the host and interval it ran with.
    void CheckFinished(const QString &host, std::uint16_t port, std::chrono::milliseconds interval,
                       const CheckResult &result);

    bool Recording() const { return recorder_ != nullptr; }
    const std::filesystem::path &File() const { return start_.file; }
    QAction *RecordAction() const { return record_; }
    QAction *OpenAction() const { return open_; }
    QShortcut *Shortcut() const { return shortcut_; }
    HistoryWindow *Window() const { return window_.get(); }

    // Shows the history window (making it the first time) and raises it.
    void OpenHistoryWindow();

private:
    void RecordToggled(bool on);
    bool StartRecording(HistoryOpenMode mode);
    void StopRecording(RunEnd how);
    void Failed(const QString &line);
    void SetTicked(bool on);
    void PlaceOverMainWindow(QWidget &window);

    HistoryStart start_;
    HistoryServices services_;
    QWidget *mainWindow_;
    std::unique_ptr<HistoryRecorder> recorder_;
    std::unique_ptr<HistoryWindow> window_;
    std::unique_ptr<WindowPlacement> placement_;
    QAction *record_ = nullptr;
    QAction *open_ = nullptr;
    QShortcut *shortcut_ = nullptr;
    // What the recorder was last told to watch.
    std::optional<std::tuple<std::string, std::uint16_t, std::chrono::milliseconds>> watched_;
};
