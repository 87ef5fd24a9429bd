// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "monitor/CheckResult.h"

#include <cstdint>
#include <string>
#include <string_view>

// What is probed: the host as the user gave it (UTF-8) and the port.
struct ProbeTarget {
    std::string host;
    std::uint16_t port = 80;
};

// One counted check, as the output formats see it. Borrows everything.
struct CheckEvent {
    const ProbeTarget &target;
    // 1 for the first check of the session.
    std::uint64_t seq;
    const CheckResult &result;
    // Non-empty when this check reached another address than the last
    // check that had one: that earlier address.
    std::string_view previousAddress;
};

// The category a check is reported with: None after a success, Other for a
// failure that names none.
inline FailureReason ReportedReason(const CheckResult &result) noexcept
{
    if (result.ok)
        return FailureReason::None;
    return result.reason == FailureReason::None ? FailureReason::Other : result.reason;
}
