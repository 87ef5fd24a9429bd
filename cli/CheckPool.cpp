// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/CheckPool.h"

#include "cli/BlockedSignalsThread.h"

#include <fcntl.h>
#include <unistd.h>

#include <stdexcept>

CheckPool::CheckPool(std::size_t threads, Check check)
    : check_(std::move(check)), threadCount_(threads == 0 ? 1 : threads)
{
    if (::pipe2(completion_, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("cannot make the check pool's pipe");
    try {
        for (std::size_t i = 0; i < threadCount_; ++i)
            cancellations_.push_back(std::make_unique<CancelSource>());
        for (std::size_t i = 0; i < threadCount_; ++i) {
            CancelSource *cancellation = cancellations_[i].get();
            threads_.push_back(StartWithSignalsBlocked([this, cancellation] { Serve(*cancellation); }));
        }
    } catch (...) {
        {
            const std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        for (std::thread &thread : threads_)
            thread.join();
        ::close(completion_[0]);
        ::close(completion_[1]);
        throw;
    }
}

CheckPool::~CheckPool()
{
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    for (std::thread &thread : threads_) {
        if (thread.joinable())
            thread.join();
    }
    ::close(completion_[0]);
    ::close(completion_[1]);
}

bool CheckPool::Start(std::size_t target)
{
    {
        const std::lock_guard lock(mutex_);
        if (waiting_.size() + running_ >= threadCount_)
            return false;
        waiting_.push_back(target);
    }
    wake_.notify_one();
    return true;
}

bool CheckPool::HasRoom() const
{
    const std::lock_guard lock(mutex_);
    return waiting_.size() + running_ < threadCount_;
}

std::size_t CheckPool::Outstanding() const
{
    const std::lock_guard lock(mutex_);
    return waiting_.size() + running_ + finished_;
}

std::vector<std::pair<std::size_t, CheckResult>> CheckPool::TakeResults()
{
    std::vector<std::pair<std::size_t, CheckResult>> taken;
    {
        const std::lock_guard lock(mutex_);
        taken.swap(results_);
        finished_ -= taken.size();
        // Drained under the lock: a result that ends meanwhile writes its
        // byte after this, and stays announced.
        char bytes[64];
        while (::read(completion_[0], bytes, sizeof bytes) > 0) {
        }
    }
    return taken;
}

void CheckPool::CancelRunning() noexcept
{
    for (const std::unique_ptr<CancelSource> &cancellation : cancellations_)
        cancellation->Cancel();
}

void CheckPool::Abandon()
{
    for (std::thread &thread : threads_) {
        if (thread.joinable())
            thread.detach();
    }
}

void CheckPool::Serve(CancelSource &cancellation)
{
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return !waiting_.empty() || quit_; });
        if (quit_)
            return;
        const std::size_t target = waiting_.front();
        waiting_.pop_front();
        ++running_;
        lock.unlock();
        // No wait of this thread's token runs between its checks.
        if (cancellation.Cancelled())
            cancellation.Reset();
        CheckResult result = check_(target, cancellation.Token());
        lock.lock();
        --running_;
        ++finished_;
        results_.emplace_back(target, std::move(result));
        const char done = 1;
        [[maybe_unused]] const ssize_t written = ::write(completion_[1], &done, 1);
    }
}
