// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "history/HistoryPaths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace {

std::filesystem::path HomeFolder(const EnvironmentLookup &environment)
{
    if (const auto home = environment("HOME"); home && !home->empty())
        return *home;
    if (const passwd *entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return {};
}

} // namespace

std::optional<std::string> SystemEnvironment(const char *name)
{
    if (const char *value = std::getenv(name))
        return std::string(value);
    return std::nullopt;
}

std::filesystem::path DefaultHistoryFile(const EnvironmentLookup &environment)
{
    std::filesystem::path state;
    if (const auto xdg = environment("XDG_STATE_HOME"); xdg && !xdg->empty() && std::filesystem::path(*xdg).is_absolute())
        state = *xdg;
    else if (const auto home = HomeFolder(environment); !home.empty())
        state = home / ".local" / "state";
    else
        return {};
    return state / "kelvora" / "history.sqlite";
}
