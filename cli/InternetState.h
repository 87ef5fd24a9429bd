// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "cli/ProbeOptions.h"
#include "monitor/CheckResult.h"
#include "session/SessionRecord.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// The internet's state over several targets: up while at least one (Any),
// every one (All) or more than half (Quorum) of the targets' latest checks
// succeeded.
//
// The state is unknown while the targets not yet checked could still turn
// it either way: with Any a first failure of one target is no outage while
// its neighbours have not spoken, but a first success is up. Once decided,
// every check of any target is one "check" of the internet in its own
// session record, at that check's start: up or down by the rule, and when
// down with the reason of the target that failed (the one just checked, or
// else the first failing one). So the record's up and down time, outages
// and their reasons are the internet's.
class InternetState final {
public:
    InternetState(InternetRule rule, std::size_t targets, SessionClock clock = {});

    // True when the state is decided (and was recorded).
    bool Take(std::size_t target, const CheckResult &result);

    LinkState State() const noexcept { return record_.State(); }
    bool EverUp() const noexcept { return everUp_; }
    std::size_t TargetsUp() const noexcept { return up_; }
    std::size_t Targets() const noexcept { return latest_.size(); }
    InternetRule Rule() const noexcept { return rule_; }
    const SessionRecord &Record() const noexcept { return record_; }

private:
    struct Latest {
        bool known = false;
        bool ok = false;
        FailureReason reason = FailureReason::None;
    };

    // Up, down, or nothing while the unchecked targets could turn it.
    std::optional<bool> UpByRule() const noexcept;
    FailureReason FailingReason(std::size_t target) const noexcept;

    InternetRule rule_;
    std::vector<Latest> latest_;
    std::size_t known_ = 0;
    std::size_t up_ = 0;
    bool everUp_ = false;
    SessionRecord record_;
};

// "any", "all", "quorum".
std::string_view InternetRuleName(InternetRule rule) noexcept;
