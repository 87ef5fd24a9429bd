// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "support/ShellDays.h"

#include <cstdio>
#include <string>

void ReadDaysWithShell(benchmark::State &state, const std::filesystem::path &file)
{
    const std::string command = "sqlite3 -readonly '" + file.string()
                                + "' 'SELECT day, monitored_ms, up_ms, checks, failed FROM days WHERE target = 1'";
    for (auto _ : state) {
        FILE *shell = ::popen(command.c_str(), "r");
        if (shell == nullptr) {
            state.SkipWithError("sqlite3 does not run");
            return;
        }
        char buffer[4096];
        std::size_t bytes = 0;
        while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, shell))
            bytes += n;
        if (::pclose(shell) != 0 || bytes == 0) {
            state.SkipWithError("sqlite3 failed (is it installed?)");
            return;
        }
    }
}
