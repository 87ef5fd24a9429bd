// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "monitor/FailureReason.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// Which address family a check's connection used or tried.
enum class AddressFamily : std::uint8_t { Unknown, IPv4, IPv6 };

// One connection attempt of a check that had several addresses to try.
struct ConnectAttempt {
    std::string address;
    AddressFamily family = AddressFamily::Unknown;
    FailureReason reason = FailureReason::None;
    std::int32_t errorCode = 0;
    std::string errorMessage;
    // From the start of this attempt to its end (or to the end of the race).
    std::chrono::nanoseconds elapsed{0};
};

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
    // The address connected to or tried (first, after a race): dotted IPv4,
    // or IPv6 in its RFC 5952 text with "%zone" for a link-local one; empty
    // when the name did not resolve (or the check failed before resolving).
    std::string address;
    AddressFamily family = AddressFamily::Unknown;
    // The name lookup's and the connect's shares of elapsed (zero when there
    // was no lookup, or the check failed before the connect).
    std::chrono::nanoseconds lookupElapsed{0};
    std::chrono::nanoseconds connectElapsed{0};
    // For a failure: the category, the client's error number (0 when the
    // error carried none) and its message. None, 0 and empty after success.
    FailureReason reason = FailureReason::None;
    std::int32_t errorCode = 0;
    std::string errorMessage;
    // Every address tried when there were several, in the order tried;
    // empty when the check had one address.
    std::vector<ConnectAttempt> attempts;
};
