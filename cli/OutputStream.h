// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <string_view>

// Writes whole texts to a descriptor at once, so that every line is out as
// soon as it is made. Once a write fails (a closed pipe gives EPIPE; SIGPIPE
// must be ignored for that) the stream is broken and drops everything after.
class OutputStream final {
public:
    explicit OutputStream(int fd) noexcept : fd_(fd) {}

    // False once broken.
    bool Write(std::string_view text) noexcept;

    bool Broken() const noexcept { return broken_; }
    // The error number of the write that broke the stream; 0 while whole.
    int Error() const noexcept { return error_; }
    int Descriptor() const noexcept { return fd_; }

private:
    int fd_;
    bool broken_ = false;
    int error_ = 0;
};
