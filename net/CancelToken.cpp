// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/CancelToken.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>

struct CancelToken::State {
    State()
    {
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
            throw std::system_error(errno, std::generic_category(), "cannot make a cancellation pipe");
    }
    ~State()
    {
        ::close(fds[0]);
        ::close(fds[1]);
    }
    State(const State &) = delete;
    State &operator=(const State &) = delete;

    std::atomic<bool> cancelled{false};
    int fds[2] = {-1, -1}; // [0] polled by waits, [1] written by Cancel
};

CancelToken::CancelToken() noexcept = default;

CancelToken::CancelToken(std::shared_ptr<State> state) noexcept : state_(std::move(state)) {}

bool CancelToken::Cancelled() const noexcept
{
    return state_ && state_->cancelled.load();
}

int CancelToken::Descriptor() const noexcept
{
    return state_ ? state_->fds[0] : -1;
}

CancelSource::CancelSource() : state_(std::make_shared<CancelToken::State>()) {}

CancelSource::~CancelSource() = default;

CancelToken CancelSource::Token() const noexcept
{
    return CancelToken(state_);
}

void CancelSource::Cancel() noexcept
{
    state_->cancelled = true;
    const char byte = 1;
    // A full pipe wakes every waiter already.
    [[maybe_unused]] const ssize_t written = ::write(state_->fds[1], &byte, 1);
}

bool CancelSource::Cancelled() const noexcept
{
    return state_->cancelled.load();
}

void CancelSource::Reset() noexcept
{
    state_->cancelled = false;
    char bytes[64];
    while (::read(state_->fds[0], bytes, sizeof bytes) > 0) {
    }
}
