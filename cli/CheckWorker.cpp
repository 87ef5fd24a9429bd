// SPDX-License-Identifier: MIT
#include "cli/CheckWorker.h"

#include "cli/BlockedSignalsThread.h"

#include <fcntl.h>
#include <unistd.h>

#include <stdexcept>

CheckWorker::CheckWorker(std::function<CheckResult()> check) : check_(std::move(check))
{
    if (::pipe2(completion_, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("cannot make the worker's pipe");
    try {
        thread_ = StartWithSignalsBlocked([this] { Serve(); });
    } catch (...) {
        ::close(completion_[0]);
        ::close(completion_[1]);
        throw;
    }
}

CheckWorker::~CheckWorker()
{
    if (thread_.joinable()) {
        {
            const std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    ::close(completion_[0]);
    ::close(completion_[1]);
}

bool CheckWorker::Start()
{
    {
        const std::lock_guard lock(mutex_);
        if (requested_ || running_ || result_)
            return false;
        requested_ = true;
    }
    wake_.notify_one();
    return true;
}

bool CheckWorker::Busy() const
{
    const std::lock_guard lock(mutex_);
    return requested_ || running_;
}

std::optional<CheckResult> CheckWorker::TakeResult()
{
    std::optional<CheckResult> taken;
    {
        const std::lock_guard lock(mutex_);
        taken.swap(result_);
    }
    if (taken) {
        char bytes[8];
        while (::read(completion_[0], bytes, sizeof bytes) > 0) {
        }
    }
    return taken;
}

void CheckWorker::Abandon()
{
    if (thread_.joinable())
        thread_.detach();
}

void CheckWorker::Serve()
{
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return requested_ || quit_; });
        if (quit_)
            return;
        requested_ = false;
        running_ = true;
        lock.unlock();
        CheckResult result = check_();
        lock.lock();
        running_ = false;
        result_ = std::move(result);
        const char done = 1;
        [[maybe_unused]] const ssize_t written = ::write(completion_[1], &done, 1);
    }
}
