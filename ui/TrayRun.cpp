// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/TrayRun.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

TrayRun::TrayRun(QWidget &window) : window_(window)
{
    window_.installEventFilter(this);
}

TrayRun::~TrayRun()
{
    window_.removeEventFilter(this);
}

bool TrayRun::eventFilter(QObject *watched, QEvent *event)
{
    const bool minimizedOrShown = event->type() == QEvent::WindowStateChange || event->type() == QEvent::Show;
    if (watched == &window_ && minimizedOrShown && window_.isMinimized())
        // Hidden once the state change is done with: hiding inside it would
        // leave the window manager's idea of the window behind.
        QTimer::singleShot(0, this, [this] {
            if (window_.isMinimized())
                window_.hide();
        });
    return QObject::eventFilter(watched, event);
}
