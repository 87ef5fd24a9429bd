// SPDX-License-Identifier: MIT
#include "controls/Beep.h"

#include <QApplication>

void MessageBeep()
{
    QApplication::beep();
}
