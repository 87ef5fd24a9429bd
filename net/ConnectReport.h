// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "net/IPAddress.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One address a connect tried while it had several.
struct ConnectAttemptReport {
    std::string address; // as the handle's RemoteIP shows it
    IPVersion version = IPVersion::IPv4;
    bool connected = false;
    // Why it failed; 0 with an empty text when it connected, or when it was
    // still going when another address connected or the race was given up.
    std::int32_t errorCode = 0;
    std::string errorText;
    // From the start of the attempt to its end, or to the end of the race.
    std::chrono::nanoseconds elapsed{0};
};

// How the last connect of an I/O handler went, beside its outcome.
struct ConnectReport {
    // The lookup's duration; zero when none was made (an address literal,
    // or addresses reused from an earlier lookup).
    std::chrono::nanoseconds lookupElapsed{0};
    // From just before the first connect attempt to the connection, or to
    // the failure; zero when it never got that far.
    std::chrono::nanoseconds connectElapsed{0};
    // The family connected over, or of the address tried first; none when
    // no address was known.
    std::optional<IPVersion> version;
    // Every address tried when there were several, in the order started;
    // empty when there was one.
    std::vector<ConnectAttemptReport> attempts;
};
