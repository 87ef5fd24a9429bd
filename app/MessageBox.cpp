// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "app/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

std::unique_ptr<QMessageBox> CreateMessageBox(const MessageBoxRequest &request, QWidget *owner)
{
    auto box = std::make_unique<QMessageBox>(owner);
    box->setIcon(QMessageBox::Critical);
    box->setWindowTitle(request.caption);
    box->setTextFormat(Qt::PlainText);
    // The start-up text ends its lines with CR LF; a box shows line feeds only.
    QString shown = request.text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box->setText(shown);
    box->setStandardButtons(QMessageBox::Ok);
    box->setDefaultButton(QMessageBox::Ok);
    box->setEscapeButton(QMessageBox::Ok);
    box->setWindowModality(Qt::ApplicationModal);
    return box;
}

void ShowMessageBox(const MessageBoxRequest &request)
{
    QWidget *owner = nullptr;
    if (request.kind == MessageBoxRequest::Kind::Error) {
        owner = QApplication::activeWindow();
        if (owner != nullptr && !owner->isVisible())
            owner = nullptr;
    }
    const QPointer<QWidget> focus = QApplication::focusWidget();
    const QPointer<QWidget> active = owner;
    auto box = CreateMessageBox(request, owner);
    box->exec();
    box.reset();
    if (active)
        active->activateWindow();
    if (focus)
        focus->setFocus(Qt::OtherFocusReason);
}
