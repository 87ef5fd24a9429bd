// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "app/DisplayCheck.h"

#include <cstdlib>
#include <cstring>

namespace {

bool IsSet(const char *value)
{
    return value != nullptr && value[0] != '\0';
}

} // namespace

DisplayEnvironment CurrentDisplayEnvironment(int argc, char **argv)
{
    DisplayEnvironment environment;
    environment.display = std::getenv("DISPLAY");
    environment.waylandDisplay = std::getenv("WAYLAND_DISPLAY");
    environment.qpaPlatform = std::getenv("QT_QPA_PLATFORM");
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0
            || std::strncmp(argv[i], "-platform=", 10) == 0)
            environment.platformArgument = true;
        // "-display NAME" names the X server as DISPLAY does (two words
        // only: the toolkit reads no "-display=NAME").
        if ((std::strcmp(argv[i], "-display") == 0 || std::strcmp(argv[i], "--display") == 0) && i + 1 < argc
            && IsSet(argv[i + 1]))
            environment.displayArgument = true;
    }
    return environment;
}

std::optional<std::string> MissingDisplayMessage(const DisplayEnvironment &environment)
{
    if (IsSet(environment.display) || IsSet(environment.waylandDisplay)
        || IsSet(environment.qpaPlatform) || environment.platformArgument || environment.displayArgument)
        return std::nullopt;
    return std::string("kelvora: no display to show the window on "
                       "(neither DISPLAY nor WAYLAND_DISPLAY is set); "
                       "start it from a desktop session");
}
