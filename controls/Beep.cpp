// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "controls/Beep.h"

#include <QApplication>

void MessageBeep()
{
    QApplication::beep();
}
