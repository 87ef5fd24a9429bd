// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "cli/FleetMetrics.h"
#include "cli/InternetState.h"
#include "cli/MetricsFile.h"
#include "cli/ProbeOptions.h"
#include "cli/ProbeSession.h"
#include "net/CancelToken.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The sessions of a kelvora-probe run, one per target, in the order given:
// each with its own probe, client, session record and lines (which begin
// with its host and port, as a single target's do). The run loop drives
// them all through this class; with one target everything written is what
// that target's ProbeSession writes alone.
//
// Over the targets it keeps the internet's state (InternetState), whose
// summary follows the targets' when there are several, and the metrics of
// all (FleetMetrics), which replace the metrics file (--prometheus) once
// per batch of checks that ended together and which the exporter serves.
//
// Threads: Probe(i) may run on another thread than the rest, for different
// targets at once, but never twice at once for the same target. Everything
// else belongs to one thread.
class ProbeFleet final {
public:
    // `histories`: empty, or one recorder for each target, in order, which
    // outlive the fleet (ProbeSession's history).
    ProbeFleet(const ProbeOptions &options, const SessionOutput &output, SessionClock clock = {},
               const std::vector<HistoryRecorder *> &histories = {});
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

    // Counts a check of `target`, for it and for the internet.
    void Take(std::size_t target, const CheckResult &result);
    // After the checks that ended together have been taken: replaces the
    // metrics file.
    void AfterResults();

    FleetMetrics &Metrics() noexcept { return metrics_; }
    const InternetState &Internet() const noexcept { return internet_; }

    std::uint64_t Counted(std::size_t target) const noexcept { return sessions_[target]->Counted(); }

    // Every session's history: its batched commit and upkeep (Tick), and
    // the end of its run once the last check was taken (EndHistory).
    void Tick();
    void EndHistory();

    // Each target's statistics or summary, in order.
    void PrintStatistics();
    void PrintSummary();

    // 0 when at least one check succeeded (with several targets: when the
    // internet was up at least once), else 1.
    int ExitStatus() const noexcept;

private:
    void PrintInternet(OutputQueue &queue, bool color);
    void WriteMetricsFile();
    void Report(const std::string &problem);

    ProbeOptions options_;
    SessionOutput output_;
    FleetMetrics metrics_;
    std::vector<std::unique_ptr<ProbeSession>> sessions_;
    InternetState internet_;
    std::optional<MetricsFile> metricsFile_;
    bool metricsDue_ = false;
    bool metricsFailing_ = false;
};
