// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/HistoryPrompts.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

QString Tr(const char *text)
{
    return QCoreApplication::translate("HistoryPrompts", text);
}

QString Title()
{
    return QCoreApplication::translate("HistoryWindow", "History — Kelvora");
}

} // namespace

bool DialogPrompts::ConfirmRecording(QWidget *parent, const QString &file)
{
    QMessageBox box(QMessageBox::Question, Title(),
                    Tr(QT_TRANSLATE_NOOP("HistoryPrompts", "Kelvora will record every check in the file\n%1\n\n"
                                                         "The file stays on this computer; while it is there, "
                                                         "recording goes on at later starts too."))
                        .arg(file),
                    QMessageBox::NoButton, parent);
    QPushButton *record = box.addButton(Tr(QT_TRANSLATE_NOOP("HistoryPrompts", "Record history")), QMessageBox::AcceptRole);
    box.addButton(Tr(QT_TRANSLATE_NOOP("HistoryPrompts", "Cancel")), QMessageBox::RejectRole);
    box.setDefaultButton(record);
    box.exec();
    return box.clickedButton() == record;
}

bool DialogPrompts::ConfirmRemoval(QWidget *parent, const QString &file)
{
    QMessageBox box(QMessageBox::Question, Title(),
                    Tr(QT_TRANSLATE_NOOP("HistoryPrompts", "Recording has stopped.\nDelete the recorded history?\n%1")).arg(file),
                    QMessageBox::NoButton, parent);
    QPushButton *remove = box.addButton(Tr(QT_TRANSLATE_NOOP("HistoryPrompts", "Delete history")), QMessageBox::DestructiveRole);
    QPushButton *keep = box.addButton(Tr(QT_TRANSLATE_NOOP("HistoryPrompts", "Keep")), QMessageBox::RejectRole);
    box.setDefaultButton(keep);
    box.exec();
    return box.clickedButton() == remove;
}

void DialogPrompts::Notice(QWidget *parent, const QString &line)
{
    auto *box = new QMessageBox(QMessageBox::Warning, Title(),
                                Tr(QT_TRANSLATE_NOOP("HistoryPrompts", "History is not being recorded; checks go on.\n%1")).arg(line),
                                QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}
