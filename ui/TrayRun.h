// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QObject>

class QWidget;

// A run started with --tray where the desktop has a tray: minimizing the
// main window hides it to the tray (whose click shows it again), so the
// window started minimized goes straight there. Runs without --tray, or
// without a tray, keep the window's own behaviour.
class TrayRun final : public QObject {
    Q_OBJECT
public:
    explicit TrayRun(QWidget &window);
    ~TrayRun() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget &window_;
};
