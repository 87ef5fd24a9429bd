// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

class QWidget;

// What a window needs of the application that runs it. The application
// object implements it; the window finds it through the running
// QCoreApplication, so the window knows nothing of the application's class.
class FormHost {
public:
    // The running application's host, or null when the application object
    // is a plain Qt one (a window built on its own, in a test).
    static FormHost *Current();

    // Whether `window` is the main window, whose close ends the run.
    virtual bool IsMainForm(const QWidget *window) const = 0;
    // Posts the request that ends the run.
    virtual void Terminate() = 0;
    // Handles every event already waiting, then returns.
    virtual void ProcessPendingEvents() = 0;

protected:
    ~FormHost() = default;
};
