// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/ConnectInterrupt.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <mutex>

namespace {

std::atomic<bool> interrupted{false};
// [0] is watched by connect waits, [1] written when interrupting. Never
// closed: a signal handler may write to it at any moment until the process
// ends.
std::atomic<int> readEnd{-1};
std::atomic<int> writeEnd{-1};
std::once_flag prepared;

void WakeWaiters() noexcept
{
    const int fd = writeEnd.load();
    if (fd < 0)
        return;
    const char byte = 1;
    // A full pipe already wakes every waiter.
    [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
}

} // namespace

void PrepareConnectInterrupt()
{
    std::call_once(prepared, [] {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
            return; // connects then honour the flag only at their start
        readEnd = fds[0];
        writeEnd = fds[1];
        if (interrupted.load())
            WakeWaiters();
    });
}

void InterruptConnects() noexcept
{
    interrupted = true;
    WakeWaiters();
}

bool ConnectsInterrupted() noexcept
{
    return interrupted.load();
}

int ConnectInterruptDescriptor() noexcept
{
    return readEnd.load();
}

void EndConnectInterrupt() noexcept
{
    // The flag first: a stop that comes while the pipe is emptied keeps the
    // flag set, and connects still refuse at their start.
    interrupted = false;
    const int fd = readEnd.load();
    if (fd < 0)
        return;
    char bytes[64];
    while (::read(fd, bytes, sizeof bytes) > 0) {
    }
}
