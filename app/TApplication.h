// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "app/MessageBox.h"
#include "ui/FormHost.h"

#include <QApplication>
#include <QString>

#include <exception>
#include <memory>

// The application object: title, main window, event loop, pending-events
// step, error report and shutdown. Exactly one lives for the whole run; it is
// the process's QApplication.
//
// Close path: a close request on the main window posts a quit request
// (Terminate) and returns. Whoever takes the quit request from the queue,
// the event loop or a ProcessPendingEvents call in progress, sets the
// terminate flag; the event loop then stops once the event it is handling has
// returned. Errors that escape an event handler go to ReportError, which is
// installed as the process's error handler (base/ErrorReport.h).
class TApplication final : public QApplication, public FormHost {
    Q_OBJECT
public:
    // The main window's constructor: builds the whole window, runs its
    // creation handler and returns it hidden. May raise.
    using FormFactory = std::unique_ptr<QWidget> (*)();

    TApplication(int &argc, char **argv);
    ~TApplication() override;

    // The running application object, or null when there is none (or the
    // running one is a plain QApplication).
    static TApplication *Instance();

    // Start-up step that has no further effect here; kept for the order of
    // the start-up steps.
    void Initialize() {}

    // Caption of every error box.
    const QString &Title() const { return title_; }
    void SetTitle(const QString &title) { title_ = title; }

    // Builds a window with `factory`. The first window built becomes the main
    // window, owned by the application from then on. A quit request taken
    // while the window was built (in its creation handler's pending-events
    // step) keeps the terminate flag set, so Run ends at once. An error
    // raised while the window is built propagates; no window is kept then.
    QWidget *CreateForm(FormFactory factory);
    QWidget *MainForm() const { return mainForm_.get(); }
    bool IsMainForm(const QWidget *window) const override { return window != nullptr && window == MainForm(); }

    // How the main window is first shown: the launcher's request for a
    // maximized start, or a minimized one that does not take the focus.
    // Normal unless set.
    void SetStartState(bool maximized, bool minimized);

    // Shows the main window in its start state and handles events until the
    // terminate flag is set, then shuts down. Returns at once (after the
    // shutdown) when the flag was set before.
    void Run();

    // Handles every event already waiting (input, timer ticks, close and quit
    // requests, repaints of marked areas) and returns without waiting for
    // more; the window system has received the resulting drawing by then.
    // Handlers may run nested inside it. A quit request met on the way only
    // sets the terminate flag.
    void ProcessPendingEvents() override;

    // Posts a quit request (it takes effect when it is taken from the queue).
    void Terminate() override;
    bool Terminated() const { return terminated_; }

    // Shows an error that escaped an event handler: a pointer capture is
    // released, a "." added as WithFullStop says, and a modal box with the
    // title as caption is shown. The handler that raised it stays abandoned.
    void ReportError(const std::exception &error);

    // Shows the "Application Error" box for an error that stopped the main
    // window from being built. `fallbackCode` stands for the raise address
    // when the raising code is not known.
    void ShowStartupError(const std::exception &error, const void *fallbackCode);

    // Replaces the way boxes are shown; returns the previous presenter.
    MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter);

    // Last net: an error that an event handler let escape is reported here
    // instead of unwinding further.
    bool notify(QObject *receiver, QEvent *event) override;

    // Hides the windows and destroys the main window with all it owns; quit
    // requests still queued die with it, and the terminate flag is cleared
    // for a later run. Runs after the event loop and from the destructor.
    void Shutdown();

protected:
    bool event(QEvent *event) override;

private:
    void ShowMainForm();

    QString title_;
    std::unique_ptr<QWidget> mainForm_;
    bool terminated_ = false;
    bool startMaximized_ = false;
    bool startMinimized_ = false;
    MessageBoxPresenter presenter_;
};
