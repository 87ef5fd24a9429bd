// SPDX-License-Identifier: MIT
#include "ui/HistoryPrompts.h"

#include <QMessageBox>
#include <QPushButton>

namespace {

const QString kTitle = QStringLiteral("История — Kelvora");

} // namespace

bool DialogPrompts::ConfirmRecording(QWidget *parent, const QString &file)
{
    QMessageBox box(QMessageBox::Question, kTitle,
                    QStringLiteral("Kelvora будет записывать каждую проверку в файл\n%1\n\n"
                                   "Файл остаётся на этом компьютере; пока он есть, запись "
                                   "продолжается и при следующих запусках.")
                        .arg(file),
                    QMessageBox::NoButton, parent);
    QPushButton *record = box.addButton(QStringLiteral("Вести историю"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
    box.setDefaultButton(record);
    box.exec();
    return box.clickedButton() == record;
}

bool DialogPrompts::ConfirmRemoval(QWidget *parent, const QString &file)
{
    QMessageBox box(QMessageBox::Question, kTitle,
                    QStringLiteral("Запись истории остановлена.\nУдалить записанную историю?\n%1").arg(file),
                    QMessageBox::NoButton, parent);
    QPushButton *remove = box.addButton(QStringLiteral("Удалить историю"), QMessageBox::DestructiveRole);
    QPushButton *keep = box.addButton(QStringLiteral("Оставить"), QMessageBox::RejectRole);
    box.setDefaultButton(keep);
    box.exec();
    return box.clickedButton() == remove;
}

void DialogPrompts::Notice(QWidget *parent, const QString &line)
{
    auto *box = new QMessageBox(QMessageBox::Warning, kTitle,
                                QStringLiteral("История не ведётся, проверки продолжаются.\n%1").arg(line),
                                QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}
