// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

// The default beep with which controls answer refused input.
void MessageBeep();

// Test seam: routes MessageBeep to `handler` instead of the desktop's sound;
// an empty handler restores the default.
void SetBeepHandlerForTesting(std::function<void()> handler);
