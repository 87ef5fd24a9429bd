// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <functional>

// The desktop's beep, the default with which controls answer refused input.
void MessageBeep();

// How a control beeps: given at its construction, MessageBeep when empty.
using BeepHandler = std::function<void()>;
