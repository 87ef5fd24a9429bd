// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

// While the toolkit starts up, its messages are held back; should it give up
// (for instance because the display named in DISPLAY cannot be reached), the
// process prints one line naming the cause and ends with exit code 1 instead
// of aborting with a core dump.
class StartupMessageGuard final {
public:
    StartupMessageGuard();
    // Restores the previous message handler and passes the held-back
    // messages on to it.
    ~StartupMessageGuard();

    StartupMessageGuard(const StartupMessageGuard &) = delete;
    StartupMessageGuard &operator=(const StartupMessageGuard &) = delete;
};
