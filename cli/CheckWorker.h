// SPDX-License-Identifier: MIT
#pragma once

#include "monitor/CheckResult.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

// Runs checks on a thread of its own, one at a time, so that the thread
// that asked stays free to wait for signals and keys while a connect hangs.
// A finished check makes CompletionDescriptor readable until its result is
// taken. Signals are blocked on the worker's thread: they reach the thread
// that handles them.
class CheckWorker final {
public:
    explicit CheckWorker(std::function<CheckResult()> check);
    // Waits for a check that is running, then ends the thread.
    ~CheckWorker();
    CheckWorker(const CheckWorker &) = delete;
    CheckWorker &operator=(const CheckWorker &) = delete;

    // Starts a check; false while one is running or its result is untaken.
    bool Start();
    bool Busy() const;

    // Readable while a result waits.
    int CompletionDescriptor() const noexcept { return completion_[0]; }

    // The finished check's result, or nothing while it runs (or none ran).
    std::optional<CheckResult> TakeResult();

    // Leaves a check that does not end to itself: the thread is detached
    // and the process must end without destroying what the check uses.
    void Abandon();

private:
    void Serve();

    std::function<CheckResult()> check_;
    int completion_[2] = {-1, -1};
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool requested_ = false;
    bool running_ = false;
    bool quit_ = false;
    std::optional<CheckResult> result_;
    std::thread thread_;
};
