// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QString>

class QWidget;

// The questions and the notice of recording from the window. The real
// ones are small message boxes; tests pass their own answers.
class HistoryPrompts {
public:
    virtual ~HistoryPrompts() = default;

    // Asked once when the user ticks "Вести историю": true to record into
    // `file`, whose place the question names.
    virtual bool ConfirmRecording(QWidget *parent, const QString &file) = 0;
    // Asked when the user unticks it: true to remove the file (the default
    // answer keeps it).
    virtual bool ConfirmRemoval(QWidget *parent, const QString &file) = 0;
    // Says that the history cannot be used; must not block, as the monitor
    // goes on meanwhile.
    virtual void Notice(QWidget *parent, const QString &line) = 0;
};

// Message boxes: the questions modal, the notice not.
class DialogPrompts final : public HistoryPrompts {
public:
    bool ConfirmRecording(QWidget *parent, const QString &file) override;
    bool ConfirmRemoval(QWidget *parent, const QString &file) override;
    void Notice(QWidget *parent, const QString &line) override;
};
