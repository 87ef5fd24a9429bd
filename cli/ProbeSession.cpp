// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/ProbeSession.h"

#include "base/ShownText.h"
#include "cli/FleetMetrics.h"
#include "cli/JsonFormat.h"
#include "cli/ProbeCsv.h"
#include "cli/TextFormat.h"
#include "history/HistoryRecorder.h"

// The probe reads the host from a view and shows its readout there; the
// terminal has no readout, so the captions go nowhere.
class ProbeSession::HostView final : public ProbeView {
public:
    explicit HostView(QString host) : host_(std::move(host)) {}
    QString HostText() override { return host_; }
    void SetReadoutCaption(ReadoutLabel, const QString &) override {}

private:
    QString host_;
};

ProbeSession::ProbeSession(const ProbeOptions &options, const SessionOutput &output, SessionClock clock,
                           FleetMetrics *metrics, HistoryRecorder *history)
    : options_(options),
      output_(output),
      target_{options.host.toStdString(), options.port},
      view_(std::make_unique<HostView>(options.host)),
      probe_(*view_, client_),
      // The outputs give the longest outage and the counts, never the list:
      // none is kept, so that the memory of a session stays what it was
      // at its start, outages or not.
      record_(std::move(clock), 0),
      out_(output.out),
      err_(output.err),
      metrics_(metrics),
      history_(history)
{
    probe_.SetPort(options.port);
    probe_.SetTimeout(options.timeoutMs);
    probe_.SetFamilyChoice(options.family);
    probe_.SetResolveOnce(options.resolveOnce);
    if (metrics_)
        metricsIndex_ = metrics_->AddTarget(target_);
}

ProbeSession::~ProbeSession() = default;

void ProbeSession::Begin(bool csvHeader)
{
    if (history_) {
        history_->Watch(target_.host, target_.port,
                        std::chrono::ceil<std::chrono::milliseconds>(options_.interval));
        NoteHistoryFailure();
    }
    if (options_.quiet)
        return;
    if (options_.format == OutputFormat::Text)
        out_.Write(TextHeader(target_, options_.interval, options_.timeoutMs));
    else if (options_.format == OutputFormat::Csv && csvHeader)
        out_.Write(ProbeCsvHeader());
}

CheckResult ProbeSession::Probe(const CancelToken &cancellation) noexcept
{
    try {
        probe_.SetCancellation(cancellation);
        probe_.CheckConnection();
        return probe_.LastResult();
    } catch (...) {
        // Only running out of memory can get here; the check then failed.
        CheckResult failed;
        failed.reason = FailureReason::Other;
        return failed;
    }
}

void ProbeSession::Take(const CheckResult &result)
{
    record_.Record(result);
    if (history_) {
        history_->Record(result);
        NoteHistoryFailure();
    }
    if (result.ok)
        ++succeeded_;
    std::string_view previous;
    if (!result.address.empty()) {
        if (!lastAddress_.empty() && lastAddress_ != result.address)
            previous = lastAddress_;
    }
    if (!options_.quiet) {
        const CheckEvent event{target_, record_.Sent(), result, previous};
        switch (options_.format) {
        case OutputFormat::Text:
            out_.Write(TextCheckLine(event, TextStyle{options_.timestamp, output_.colorOut}));
            break;
        case OutputFormat::Json:
            out_.Write(JsonProbeCheckLine(event));
            break;
        case OutputFormat::Csv:
            out_.Write(ProbeCsvRow(event));
            break;
        }
    }
    if (!result.address.empty())
        lastAddress_ = result.address;
    if (metrics_)
        metrics_->RecordCheck(metricsIndex_, result, record_.Summary(0));
}

void ProbeSession::Tick()
{
    if (!history_)
        return;
    history_->Tick();
    NoteHistoryFailure();
}

void ProbeSession::EndHistory()
{
    if (!history_)
        return;
    // EndRun commits; one more try for checks that another program's lock
    // held back (each waits at most the busy time-out). What still waits
    // then is the recorder's to try when it is destroyed, which a run that
    // abandons a hung check never reaches.
    history_->EndRun(RunEnd::Exit);
    if (history_->Waiting() > 0)
        history_->Flush();
    NoteHistoryFailure();
    history_ = nullptr;
}

void ProbeSession::NoteHistoryFailure()
{
    if (!history_->Failed())
        return;
    // The recorder records nothing more; the checks go on without it.
    Report("history not recorded any more: " + history_->FailureLine());
    history_ = nullptr;
}

void ProbeSession::Report(const std::string &problem)
{
    // The file's name came from the command line: shown safely.
    err_.Write("kelvora-probe: " + ShownText(QString::fromStdString(problem), -1).toStdString() + "\n");
}

void ProbeSession::PrintStatistics()
{
    const SessionSummary summary = record_.Summary(0);
    if (options_.format == OutputFormat::Json)
        err_.Write(JsonSummaryLine(target_, lastAddress_, summary));
    else
        err_.Write(TextSummary(target_, lastAddress_, summary, output_.colorErr));
}

void ProbeSession::PrintSummary()
{
    const SessionSummary summary = record_.Summary(0);
    switch (options_.format) {
    case OutputFormat::Text:
        // A blank line apart from the check lines, as ping has it.
        if (!options_.quiet)
            out_.Write("\n");
        out_.Write(TextSummary(target_, lastAddress_, summary, output_.colorOut));
        break;
    case OutputFormat::Json:
        out_.Write(JsonSummaryLine(target_, lastAddress_, summary));
        break;
    case OutputFormat::Csv:
        err_.Write(TextSummary(target_, lastAddress_, summary, output_.colorErr));
        break;
    }
}
