// SPDX-License-Identifier: MIT
#include "controls/Beep.h"

#include <QApplication>

#include <utility>

namespace {

std::function<void()> &beepHandler()
{
    static std::function<void()> handler;
    return handler;
}

} // namespace

void MessageBeep()
{
    if (const auto &handler = beepHandler())
        handler();
    else
        QApplication::beep();
}

void SetBeepHandlerForTesting(std::function<void()> handler)
{
    beepHandler() = std::move(handler);
}
