// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "session/CheckEvent.h"
#include "cli/OutputQueue.h"
#include "cli/ProbeOptions.h"
#include "monitor/ConnectivityProbe.h"
#include "monitor/ProbeView.h"
#include "net/TIdHTTP.h"
#include "session/SessionRecord.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// Where a session writes (standard output and standard error, as queues
// that never make it wait), and whether in colour.
struct SessionOutput {
    OutputQueue &out;
    OutputQueue &err;
    bool colorOut = false; // text lines and the text summary on `out`
    bool colorErr = false; // the text statistics on `err`
};

class FleetMetrics;

// One probe session of kelvora-probe: the probe with its client, the session
// record, the chosen output format and the target's metrics. The run loop
// drives it; one loop iteration is Take(Probe()) (CheckOnce).
//
// Threads: Probe may run on another thread than the rest, as long as only
// one Probe runs at a time; it touches the probe and its client only.
// Everything else (Begin, Take, the printing) belongs to one thread.
class HistoryRecorder;

class ProbeSession final {
public:
    // How often Tick must come while the session records a history: the
    // recorder's batched commit keeps a check waiting at most this long.
    static constexpr std::chrono::milliseconds kTickPeriod{250};

    // Brings up the socket stack (raises EIdException when it cannot).
    // `metrics`, when given, gets this target added and every check counted.
    // `history`, when given, records every counted check; it outlives the
    // session, and the session uses it from its own thread only.
    ProbeSession(const ProbeOptions &options, const SessionOutput &output, SessionClock clock = {},
                 FleetMetrics *metrics = nullptr, HistoryRecorder *history = nullptr);
    ~ProbeSession();
    ProbeSession(const ProbeSession &) = delete;
    ProbeSession &operator=(const ProbeSession &) = delete;

    // The text header or the csv header; nothing for json or when quiet.
    // The csv header only when `csvHeader` (once for several sessions).
    void Begin(bool csvHeader = true);

    // One check, blocking for as long as it lasts; cancelling `cancellation`
    // ends its connect wait. Never raises.
    CheckResult Probe(const CancelToken &cancellation = {}) noexcept;

    // Counts a check: records it (in the history too), prints its line,
    // counts it in the metrics.
    void Take(const CheckResult &result);

    bool Recording() const noexcept { return history_ != nullptr; }
    // Lets the history commit the checks that wait (and do its upkeep);
    // nothing without one.
    void Tick();
    // Ends the history's run ("exit") and commits what waits. Called once
    // the last check was taken; later checks are not recorded.
    void EndHistory();

    void CheckOnce() { Take(Probe()); }

    // The statistics so far, on `err`: the json summary object for json,
    // the text summary otherwise.
    void PrintStatistics();
    // The summary at the end: on `out` for text and json, on `err` for csv.
    void PrintSummary();

    std::uint64_t Counted() const noexcept { return record_.Sent(); }
    std::uint64_t Succeeded() const noexcept { return succeeded_; }
    const ProbeTarget &Target() const noexcept { return target_; }
    const SessionRecord &Record() const noexcept { return record_; }
    // 0 when at least one check succeeded, else 1.
    int ExitStatus() const noexcept { return succeeded_ > 0 ? 0 : 1; }

private:
    class HostView;

    void Report(const std::string &problem);
    // Says once that the history failed and goes on without it.
    void NoteHistoryFailure();

    ProbeOptions options_;
    SessionOutput output_;
    ProbeTarget target_;
    std::unique_ptr<HostView> view_;
    TIdHTTP client_;
    ConnectivityProbe probe_;
    SessionRecord record_;
    OutputQueue &out_;
    OutputQueue &err_;
    std::uint64_t succeeded_ = 0;
    std::string lastAddress_;
    FleetMetrics *metrics_;
    std::size_t metricsIndex_ = 0;
    HistoryRecorder *history_ = nullptr;
};
