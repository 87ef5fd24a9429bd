// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/TButton.h"

#include "base/ErrorReport.h"

#include <QKeyEvent>

TButton::TButton(const QString &caption, QWidget *parent) : QPushButton(caption, parent)
{
    setAutoDefault(false);
    setDefault(false);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QPushButton::clicked, this, &TButton::RunOnClick);
}

TButton::~TButton() = default;

void TButton::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void TButton::RunOnClick()
{
    if (!onClick_)
        return;
    const TNotifyEvent handler = onClick_;
    CallGuarded(handler);
}
