// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "monitor/CheckResult.h"
#include "net/CancelToken.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

// Runs checks of several targets on threads of its own, at most one per
// thread, so that a check that hangs holds one thread and the others go on,
// and the thread that asked stays free to wait for signals and keys. The
// number of threads is the most checks that run at once. A finished check
// makes CompletionDescriptor readable until its result is taken. Signals
// are blocked on the pool's threads: they reach the thread that handles
// them.
//
// Each thread has a cancellation of its own, handed to every check it runs,
// so that one check can be ended alone (CancelRunning ends them all, for a
// stop); it is reset before the thread's next check.
class CheckPool final {
public:
    // `check` is called with a target's index on one of the pool's threads;
    // it must not raise, and a target is never checked twice at once (the
    // caller starts a target again only after taking its result).
    using Check = std::function<CheckResult(std::size_t target, const CancelToken &cancellation)>;
    CheckPool(std::size_t threads, Check check);
    // Waits for the checks that are running, then ends the threads.
    ~CheckPool();
    CheckPool(const CheckPool &) = delete;
    CheckPool &operator=(const CheckPool &) = delete;

    // Starts a check of `target`; false while every thread is busy.
    bool Start(std::size_t target);
    bool HasRoom() const;
    // Checks started whose results have not been taken yet.
    std::size_t Outstanding() const;

    int CompletionDescriptor() const noexcept { return completion_[0]; }

    // The results of the checks that ended since the last call, in the
    // order they ended.
    std::vector<std::pair<std::size_t, CheckResult>> TakeResults();

    // Ends the connect waits of every check that runs now (they fail with
    // WSAEINTR). Async-signal-safe.
    void CancelRunning() noexcept;

    // Leaves checks that do not end to themselves: the threads are detached
    // and the process must end without destroying what the checks use.
    void Abandon();

private:
    void Serve(CancelSource &cancellation);

    Check check_;
    std::size_t threadCount_;
    int completion_[2] = {-1, -1};
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::size_t> waiting_;
    std::size_t running_ = 0;  // taken by a thread, not yet ended
    std::size_t finished_ = 0; // ended, result not yet taken
    std::vector<std::pair<std::size_t, CheckResult>> results_;
    bool quit_ = false;
    std::vector<std::unique_ptr<CancelSource>> cancellations_; // one per thread
    std::vector<std::thread> threads_;
};
