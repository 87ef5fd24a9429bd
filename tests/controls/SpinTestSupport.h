// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "base/ErrorReport.h"
#include "base/Exception.h"
#include "controls/Beep.h"
#include "controls/TSpinEdit.h"

#include <QFont>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <exception>

// Collects reported errors while it lives, and counts the beeps of the
// fields given Beeper().
class SpinRecorders {
public:
    SpinRecorders()
    {
        SetErrorHandler([this](const std::exception &error) { errors << QString::fromUtf8(error.what()); });
    }
    ~SpinRecorders() { SetErrorHandler({}); }
    BeepHandler Beeper()
    {
        return [this] { ++beeps; };
    }
    SpinRecorders(const SpinRecorders &) = delete;
    SpinRecorders &operator=(const SpinRecorders &) = delete;

    int beeps = 0;
    QStringList errors;
};

// A window that records the keys its children let through.
class KeyRecordingWindow final : public QWidget {
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent *event) override { keys << event->key(); }
};

// The interval field as the main window holds it: 73 x 22, 11 px bold, first
// in tab order, Value 30 written before OnChange is attached; OnChange records
// the text at each change. A plain line edit next to it takes the focus away.
// `arming` arms the field's repeat timers (the toolkit's when empty); given
// recorders, they count its beeps.
class SpinWindow {
public:
    explicit SpinWindow(const TTimer::Arming &arming = {}, BeepHandler beep = {})
    {
        window.resize(200, 60);
        field = new TSpinEdit(&window, arming, std::move(beep));
        QFont font(QStringLiteral("MS Sans Serif"));
        font.setPixelSize(11);
        font.setBold(true);
        field->setFont(font);
        field->setGeometry(10, 10, 73, 22);
        field->SetValue(30);
        partner = new QLineEdit(&window);
        partner->setGeometry(100, 10, 80, 22);
        field->SetOnChange([this] { changes << field->text(); });
    }

    // Shows the window and waits until it is active, with the focus in the field.
    bool Show()
    {
        window.show();
        return QTest::qWaitForWindowActive(&window) && field->hasFocus();
    }

    // Starts the field at 0 with a change handler that, like the monitor's,
    // refuses a negative value with the progress bar's range error.
    void FailBelowZero()
    {
        field->SetValue(0);
        field->SetOnChange([this] {
            changes << field->text();
            if (field->Value() < 0)
                throw EInvalidOperation("TProgressBar property out of range");
        });
    }

    explicit SpinWindow(SpinRecorders &recorders, const TTimer::Arming &arming = {})
        : SpinWindow(arming, recorders.Beeper())
    {
    }

    KeyRecordingWindow window;
    TSpinEdit *field = nullptr;
    QLineEdit *partner = nullptr;
    QStringList changes;
};
