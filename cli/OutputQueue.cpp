// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/OutputQueue.h"

#include "cli/BlockedSignalsThread.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <stdexcept>

namespace {

// Sent to a writing thread that is to stop; its handler does nothing, and it
// is installed without SA_RESTART, so a blocked write returns.
int WakeSignal()
{
    return SIGRTMIN + 2;
}

extern "C" void IgnoreWake(int) {}

void InstallWakeHandler()
{
    static const bool installed = [] {
        struct sigaction action{};
        action.sa_handler = IgnoreWake;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;
        return ::sigaction(WakeSignal(), &action, nullptr) == 0;
    }();
    if (!installed)
        throw std::runtime_error("cannot install the output thread's wake-up handler");
}

// Only the wake-up signal reaches the writing thread.
void LetOnlyWakeThrough()
{
    sigset_t blocked;
    sigfillset(&blocked);
    sigdelset(&blocked, WakeSignal());
    pthread_sigmask(SIG_SETMASK, &blocked, nullptr);
}

} // namespace

OutputQueue::OutputQueue(int fd, std::size_t capacity, WriteFunction write)
    : fd_(fd), capacity_(capacity), write_(write ? std::move(write) : WriteFunction(::write))
{
    InstallWakeHandler();
    if (::pipe2(progress_, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("cannot make the output queue's pipe");
    try {
        // Nothing may reach the thread before it narrows its mask to the
        // wake-up signal.
        thread_ = StartWithSignalsBlocked([this] {
            LetOnlyWakeThrough();
            Serve();
        });
    } catch (...) {
        ::close(progress_[0]);
        ::close(progress_[1]);
        throw;
    }
}

OutputQueue::~OutputQueue()
{
    Abandon();
    ::close(progress_[0]);
    ::close(progress_[1]);
}

void OutputQueue::Write(std::string_view text)
{
    if (text.empty())
        return;
    const std::lock_guard lock(mutex_);
    if (ended_ || error_ != 0 || queued_ >= 2 * capacity_) {
        droppedLines_ += static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n'));
        return;
    }
    chunks_.emplace_back(text);
    queued_ += text.size();
    changed_.notify_all();
}

bool OutputQueue::Full() const
{
    const std::lock_guard lock(mutex_);
    return queued_ >= capacity_;
}

bool OutputQueue::Idle() const
{
    const std::lock_guard lock(mutex_);
    return queued_ == 0 || error_ != 0 || ended_;
}

int OutputQueue::Error() const
{
    const std::lock_guard lock(mutex_);
    return error_;
}

bool OutputQueue::HasRoom() const
{
    pollfd ready{fd_, POLLOUT, 0};
    return ::poll(&ready, 1, 0) == 1 && (ready.revents & POLLOUT) != 0;
}

void OutputQueue::Acknowledge()
{
    const std::lock_guard lock(mutex_);
    char bytes[16];
    while (::read(progress_[0], bytes, sizeof bytes) > 0) {
    }
    signalled_ = false;
}

std::uint64_t OutputQueue::Abandon()
{
    std::unique_lock lock(mutex_);
    ended_ = true;
    changed_.notify_all();
    // A write may block for ever: interrupt it until the thread is out of
    // it. A signal that comes just before the write begins is lost, so it is
    // sent again.
    while (writing_) {
        ::pthread_kill(thread_.native_handle(), WakeSignal());
        changed_.wait_for(lock, std::chrono::milliseconds(2), [this] { return !writing_; });
    }
    lock.unlock();
    if (thread_.joinable())
        thread_.join();
    lock.lock();
    return LinesQueued() + droppedLines_;
}

void OutputQueue::Serve()
{
    std::unique_lock lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] { return ended_ || !chunks_.empty(); });
        if (ended_)
            return;
        const std::string &front = chunks_.front();
        writing_ = true;
        lock.unlock();
        const ssize_t written = write_(fd_, front.data() + offset_, front.size() - offset_);
        const int error = errno;
        if (written < 0 && (error == EAGAIN || error == EWOULDBLOCK)) {
            // Someone else made the descriptor non-blocking: wait for room.
            pollfd ready{fd_, POLLOUT, 0};
            ::poll(&ready, 1, -1);
        }
        lock.lock();
        writing_ = false;
        changed_.notify_all();
        if (written > 0) {
            offset_ += static_cast<std::size_t>(written);
            queued_ -= static_cast<std::size_t>(written);
            if (offset_ == front.size()) {
                chunks_.pop_front();
                offset_ = 0;
            }
        } else if (written == 0 || (error != EINTR && error != EAGAIN && error != EWOULDBLOCK)) {
            error_ = written == 0 ? EIO : error;
        } else {
            continue; // interrupted, or waited for room: try again, or end
        }
        NoteProgress();
        if (error_ != 0)
            return;
    }
}

void OutputQueue::NoteProgress()
{
    if (signalled_)
        return;
    const char byte = 1;
    signalled_ = ::write(progress_[1], &byte, 1) == 1;
}

std::uint64_t OutputQueue::LinesQueued() const
{
    std::uint64_t lines = 0;
    for (std::size_t i = 0; i < chunks_.size(); ++i) {
        const std::string &chunk = chunks_[i];
        lines += static_cast<std::uint64_t>(std::count(chunk.begin() + (i == 0 ? std::ptrdiff_t(offset_) : 0), chunk.end(), '\n'));
    }
    return lines;
}
