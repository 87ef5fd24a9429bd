// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/InternetState.h"

#include "session/CheckEvent.h"

InternetState::InternetState(InternetRule rule, std::size_t targets, SessionClock clock)
    : rule_(rule), latest_(targets), record_(std::move(clock), 0) // only the longest outage is shown
{
}

bool InternetState::Take(std::size_t target, const CheckResult &result)
{
    Latest &latest = latest_[target];
    if (!latest.known)
        ++known_;
    else if (latest.ok)
        --up_;
    latest = Latest{true, result.ok, ReportedReason(result)};
    if (result.ok)
        ++up_;
    const std::optional<bool> up = UpByRule();
    if (!up)
        return false;

    CheckResult internet;
    internet.startedAt = result.startedAt;
    internet.startedMonotonic = result.startedMonotonic;
    internet.ok = *up;
    internet.reason = internet.ok ? FailureReason::None : FailingReason(target);
    everUp_ = everUp_ || internet.ok;
    record_.Record(internet);
    return true;
}

std::optional<bool> InternetState::UpByRule() const noexcept
{
    const std::size_t all = latest_.size();
    const std::size_t failed = known_ - up_;
    const std::size_t unknown = all - known_;
    switch (rule_) {
    case InternetRule::Any:
        if (up_ > 0 || unknown == 0)
            return up_ > 0;
        break;
    case InternetRule::All:
        if (failed > 0 || unknown == 0)
            return failed == 0;
        break;
    case InternetRule::Quorum:
        if (up_ * 2 > all || (up_ + unknown) * 2 <= all)
            return up_ * 2 > all;
        break;
    }
    return std::nullopt;
}

FailureReason InternetState::FailingReason(std::size_t target) const noexcept
{
    if (!latest_[target].ok)
        return latest_[target].reason;
    for (const Latest &latest : latest_) {
        if (!latest.ok)
            return latest.reason;
    }
    // Down with every target up cannot be; name it rather than hide it.
    return FailureReason::Other;
}

std::string_view InternetRuleName(InternetRule rule) noexcept
{
    switch (rule) {
    case InternetRule::Any:
        return "any";
    case InternetRule::All:
        return "all";
    case InternetRule::Quorum:
        return "quorum";
    }
    return "any";
}
