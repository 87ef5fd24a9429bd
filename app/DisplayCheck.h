// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <optional>
#include <string>

// What the process environment says about reaching a desktop, read before
// the toolkit is started (which would abort without a display).
struct DisplayEnvironment {
    const char *display = nullptr;        // DISPLAY
    const char *waylandDisplay = nullptr; // WAYLAND_DISPLAY
    const char *qpaPlatform = nullptr;    // QT_QPA_PLATFORM
    bool platformArgument = false;        // the toolkit's own -platform option was given
    bool displayArgument = false;         // the toolkit's own -display option named an X server
};

// Reads the environment variables and looks for "-platform" and "-display"
// among the arguments.
DisplayEnvironment CurrentDisplayEnvironment(int argc, char **argv);

// Empty when a display (or an explicit platform choice) is there; otherwise
// the one-line explanation to print.
std::optional<std::string> MissingDisplayMessage(const DisplayEnvironment &environment);
