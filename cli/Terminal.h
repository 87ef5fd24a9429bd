// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "cli/ProbeOptions.h"

// Whether to colour what goes to a descriptor: always or never as asked;
// for auto, only on a terminal, and not when NO_COLOR is set to a non-empty
// value or TERM is "dumb".
bool ColorWanted(ColorMode mode, bool isTerminal, const char *noColor, const char *term) noexcept;

// The same for a descriptor of this process and its environment.
bool ColorWanted(ColorMode mode, int fd) noexcept;
