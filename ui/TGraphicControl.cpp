// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/TGraphicControl.h"

#include "base/ErrorReport.h"

#include <QMouseEvent>

TGraphicControl::TGraphicControl(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::RequestSize(QSize size)
{
    if (onResize_)
        onResize_(size);
    else
        resize(size);
}

void TGraphicControl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        pressed_ = true;
    event->accept();
}

void TGraphicControl::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton
                       && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        pressed_ = false;
    event->accept();
    if (click)
        Click();
}

void TGraphicControl::Click()
{
    if (!onClick_)
        return;
    // A copy: the handler may replace itself.
    const TNotifyEvent handler = onClick_;
    CallGuarded(handler);
}
