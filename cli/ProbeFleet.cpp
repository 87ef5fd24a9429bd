// SPDX-License-Identifier: MIT
#include "cli/ProbeFleet.h"

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

} // namespace

ProbeFleet::ProbeFleet(const ProbeOptions &options, const SessionOutput &output, SessionClock clock)
    : format_(options.format)
{
    if (options.targets.empty()) {
        sessions_.push_back(std::make_unique<ProbeSession>(options, output, clock));
        return;
    }
    sessions_.reserve(options.targets.size());
    for (const TargetSpec &target : options.targets)
        sessions_.push_back(std::make_unique<ProbeSession>(OptionsFor(options, target), output, clock));
}

ProbeFleet::~ProbeFleet() = default;

void ProbeFleet::Begin()
{
    for (std::size_t i = 0; i < sessions_.size(); ++i)
        sessions_[i]->Begin(i == 0);
}

void ProbeFleet::Take(std::size_t target, const CheckResult &result)
{
    sessions_[target]->Take(result);
}

void ProbeFleet::AfterResults() {}

void ProbeFleet::PrintStatistics()
{
    for (const auto &session : sessions_)
        session->PrintStatistics();
}

void ProbeFleet::PrintSummary()
{
    for (const auto &session : sessions_)
        session->PrintSummary();
}

int ProbeFleet::ExitStatus() const noexcept
{
    return std::any_of(sessions_.begin(), sessions_.end(), [](const auto &session) { return session->Succeeded() > 0; })
               ? 0
               : 1;
}
