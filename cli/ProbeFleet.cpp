// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/ProbeFleet.h"

#include "base/ShownText.h"
#include "base/Version.h"
#include "cli/InternetFormat.h"

#include <algorithm>

namespace {

// The options of one target's session.
ProbeOptions OptionsFor(const ProbeOptions &options, const TargetSpec &target)
{
    ProbeOptions one = options;
    one.host = target.host;
    one.hostForResolver = target.hostForResolver;
    one.port = target.port;
    one.targets = {target};
    return one;
}

std::vector<TargetSpec> TargetsOf(const ProbeOptions &options)
{
    if (!options.targets.empty())
        return options.targets;
    return {TargetSpec{options.host, options.hostForResolver, options.port}};
}

} // namespace

ProbeFleet::ProbeFleet(const ProbeOptions &options, const SessionOutput &output, SessionClock clock,
                       const std::vector<HistoryRecorder *> &histories)
    : options_(options),
      output_(output),
      metrics_(InternetRuleName(options.internet), kKelvoraVersion),
      internet_(options.internet, TargetsOf(options).size(), clock)
{
    const std::vector<TargetSpec> targets = TargetsOf(options);
    sessions_.reserve(targets.size());
    for (std::size_t i = 0; i < targets.size(); ++i) {
        HistoryRecorder *history = i < histories.size() ? histories[i] : nullptr;
        sessions_.push_back(
            std::make_unique<ProbeSession>(OptionsFor(options, targets[i]), output, clock, &metrics_, history));
    }
    if (!options.prometheusFile.isEmpty())
        metricsFile_.emplace(options.prometheusFile.toStdString());
}

ProbeFleet::~ProbeFleet() = default;

void ProbeFleet::Begin()
{
    for (std::size_t i = 0; i < sessions_.size(); ++i)
        sessions_[i]->Begin(i == 0);
}

void ProbeFleet::Tick()
{
    for (const std::unique_ptr<ProbeSession> &session : sessions_)
        session->Tick();
}

void ProbeFleet::EndHistory()
{
    for (const std::unique_ptr<ProbeSession> &session : sessions_)
        session->EndHistory();
}

void ProbeFleet::Take(std::size_t target, const CheckResult &result)
{
    sessions_[target]->Take(result);
    if (internet_.Take(target, result))
        metrics_.RecordInternet(internet_.State() == LinkState::Up, internet_.Record().Summary(0).outagesTotal);
    metricsDue_ = true;
}

void ProbeFleet::AfterResults()
{
    if (metricsFile_ && metricsDue_)
        WriteMetricsFile();
    metricsDue_ = false;
}

void ProbeFleet::WriteMetricsFile()
{
    std::string error;
    if (metricsFile_->Replace(metrics_.Text(), &error)) {
        if (metricsFailing_)
            Report("metrics written again to " + metricsFile_->Path());
        metricsFailing_ = false;
    } else if (!metricsFailing_) {
        // Once per run of failures, so that a full disk does not flood the
        // terminal.
        Report("cannot write the metrics: " + error);
        metricsFailing_ = true;
    }
}

void ProbeFleet::Report(const std::string &problem)
{
    // The file's name came from the command line: shown safely.
    output_.err.Write("kelvora-probe: " + ShownText(QString::fromStdString(problem), -1).toStdString() + "\n");
}

void ProbeFleet::PrintStatistics()
{
    for (const auto &session : sessions_)
        session->PrintStatistics();
    if (sessions_.size() > 1)
        PrintInternet(output_.err, output_.colorErr);
}

void ProbeFleet::PrintSummary()
{
    // On standard error for csv, as each target's summary.
    const bool onErr = options_.format == OutputFormat::Csv;
    OutputQueue &queue = onErr ? output_.err : output_.out;
    for (std::size_t i = 0; i < sessions_.size(); ++i) {
        // Blocks apart where a session does not part them itself.
        if (i > 0 && options_.format != OutputFormat::Json && (options_.quiet || onErr))
            queue.Write("\n");
        sessions_[i]->PrintSummary();
    }
    if (sessions_.size() > 1) {
        if (options_.format != OutputFormat::Json)
            queue.Write("\n");
        PrintInternet(queue, onErr ? output_.colorErr : output_.colorOut);
    }
}

void ProbeFleet::PrintInternet(OutputQueue &queue, bool color)
{
    const SessionSummary summary = internet_.Record().Summary(1);
    if (options_.format == OutputFormat::Json)
        queue.Write(JsonInternetLine(internet_, summary));
    else
        queue.Write(TextInternetSummary(internet_, summary, color));
}

int ProbeFleet::ExitStatus() const noexcept
{
    if (sessions_.size() > 1)
        return internet_.EverUp() ? 0 : 1;
    return sessions_.front()->ExitStatus();
}
