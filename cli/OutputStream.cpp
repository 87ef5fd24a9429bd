// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/OutputStream.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

bool OutputStream::Write(std::string_view text) noexcept
{
    while (!broken_ && !text.empty()) {
        const ssize_t written = ::write(fd_, text.data(), text.size());
        if (written >= 0) {
            text.remove_prefix(static_cast<std::size_t>(written));
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            // A descriptor someone else made non-blocking: wait until it
            // takes more rather than losing the line.
            pollfd ready{fd_, POLLOUT, 0};
            ::poll(&ready, 1, -1);
        } else if (errno != EINTR) {
            error_ = errno;
            broken_ = true;
        }
    }
    return !broken_;
}
