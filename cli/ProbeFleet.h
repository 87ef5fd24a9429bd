// SPDX-License-Identifier: MIT
#pragma once

#include "cli/ProbeOptions.h"
#include "cli/ProbeSession.h"
#include "net/CancelToken.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// The sessions of a kelvora-probe run, one per target, in the order given:
// each with its own probe, client, session record and lines (which begin
// with its host and port, as a single target's do). The run loop drives
// them all through this class; with one target everything written is what
// that target's ProbeSession writes alone.
//
// Threads: Probe(i) may run on another thread than the rest, for different
// targets at once, but never twice at once for the same target. Everything
// else belongs to one thread.
class ProbeFleet final {
public:
    ProbeFleet(const ProbeOptions &options, const SessionOutput &output, SessionClock clock = {});
    ~ProbeFleet();
    ProbeFleet(const ProbeFleet &) = delete;
    ProbeFleet &operator=(const ProbeFleet &) = delete;

    std::size_t Size() const noexcept { return sessions_.size(); }
    ProbeSession &Session(std::size_t target) { return *sessions_[target]; }

    // Every target's header (text), or the one csv header.
    void Begin();

    CheckResult Probe(std::size_t target, const CancelToken &cancellation) noexcept
    {
        return sessions_[target]->Probe(cancellation);
    }

    // Counts a check of `target`.
    void Take(std::size_t target, const CheckResult &result);
    // After the checks that ended together have been taken.
    void AfterResults();

    std::uint64_t Counted(std::size_t target) const noexcept { return sessions_[target]->Counted(); }

    // Each target's statistics or summary, in order.
    void PrintStatistics();
    void PrintSummary();

    // 0 when at least one check succeeded, else 1.
    int ExitStatus() const noexcept;

private:
    OutputFormat format_;
    std::vector<std::unique_ptr<ProbeSession>> sessions_;
};
