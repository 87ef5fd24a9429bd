// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

// Where the history lives unless a file is named: $XDG_STATE_HOME/kelvora/
// history.sqlite, or ~/.local/state/kelvora/history.sqlite when
// XDG_STATE_HOME is unset, empty or not absolute (as the XDG base directory
// rules have it). The file's presence is the user's choice to record, so
// nothing here creates anything.

// Reads one environment variable; nullopt when unset. Tests inject their own.
using EnvironmentLookup = std::function<std::optional<std::string>(const char *name)>;

std::optional<std::string> SystemEnvironment(const char *name);

// Empty when neither XDG_STATE_HOME nor HOME (nor the password database)
// names a home.
std::filesystem::path DefaultHistoryFile(const EnvironmentLookup &environment = SystemEnvironment);
