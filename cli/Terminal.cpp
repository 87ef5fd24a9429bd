// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/Terminal.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

bool ColorWanted(ColorMode mode, bool isTerminal, const char *noColor, const char *term) noexcept
{
    switch (mode) {
    case ColorMode::Always: return true;
    case ColorMode::Never: return false;
    case ColorMode::Auto: break;
    }
    const bool noColorSet = noColor != nullptr && noColor[0] != '\0';
    const bool dumb = term != nullptr && std::strcmp(term, "dumb") == 0;
    return isTerminal && !noColorSet && !dumb;
}

bool ColorWanted(ColorMode mode, int fd) noexcept
{
    return ColorWanted(mode, ::isatty(fd) == 1, std::getenv("NO_COLOR"), std::getenv("TERM"));
}
