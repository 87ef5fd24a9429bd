// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QString>

#include <functional>
#include <memory>

class QMessageBox;
class QWidget;

// One message box the application wants shown. Both kinds carry the stop
// (critical) icon and a single OK button and are modal for the whole
// application.
struct MessageBoxRequest {
    enum class Kind {
        Error,            // an error that escaped an event handler
        ApplicationError, // the main window could not be built; no owner
    };
    Kind kind = Kind::Error;
    QString caption;
    QString text;
};

// Shows a request and returns when the user has closed the box. Tests install
// one that records the requests instead.
using MessageBoxPresenter = std::function<void(const MessageBoxRequest &)>;

// Builds the box for `request`, owned by `owner` (may be null), not yet shown.
std::unique_ptr<QMessageBox> CreateMessageBox(const MessageBoxRequest &request, QWidget *owner);

// The real presenter: builds the box and runs it modally. An Error box is
// owned by the active window; the focus is given back to the control that
// had it once the box is closed.
void ShowMessageBox(const MessageBoxRequest &request);
