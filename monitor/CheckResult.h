// SPDX-License-Identifier: MIT
#pragma once

#include "monitor/FailureReason.h"

#include <chrono>
#include <cstdint>
#include <string>

// What one connectivity check found, beside the readout text and the
// true/false result the window shows.
struct CheckResult {
    // When the check started, on the local wall clock; for display only.
    std::chrono::system_clock::time_point startedAt;
    // When the check started, on the monotonic clock that times it. Session
    // bookkeeping measures between checks with this, never with startedAt.
    std::chrono::nanoseconds startedMonotonic{0};
    // From just before the open to just after the close (or the clean-up
    // close after a failure).
    std::chrono::nanoseconds elapsed{0};
    bool ok = false;
    // The IPv4 address connected to or tried, dotted; empty when the name
    // did not resolve (or the check failed before resolving).
    std::string address;
    // For a failure: the category, the client's error number (0 when the
    // error carried none) and its message. None, 0 and empty after success.
    FailureReason reason = FailureReason::None;
    std::int32_t errorCode = 0;
    std::string errorMessage;
};
