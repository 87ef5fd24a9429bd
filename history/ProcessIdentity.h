// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Who writes a run, so that another program can tell a run whose writer
// still lives from one that was killed and must be closed. A process id
// alone could be taken by a new process after a reboot or a wrap-around,
// so the boot and the process's start time are kept with it.
struct ProcessIdentity {
    std::int64_t pid = 0;
    // The process's start in clock ticks after boot (/proc/PID/stat); 0 when
    // unknown.
    std::int64_t startTicks = 0;
    // /proc/sys/kernel/random/boot_id; empty when unknown.
    std::string bootId;
};

ProcessIdentity CurrentProcess();

// Whether that process still runs (a zombie does not). Unknown parts are
// not compared.
bool ProcessAlive(const ProcessIdentity &process);

// Both, injectable for tests that play several programs in one process.
struct ProcessLookup {
    std::function<ProcessIdentity()> current = CurrentProcess;
    std::function<bool(const ProcessIdentity &)> alive = ProcessAlive;
};
