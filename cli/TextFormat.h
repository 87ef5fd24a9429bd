// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "session/CheckEvent.h"
#include "session/SessionSummary.h"
#include "session/SummaryText.h" // TextSummary, with the check lines

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

// The text format, for people: a header, one line per check and the
// summary. Pure functions; each text ends with a line break.
struct TextStyle {
    bool timestamp = false; // the check's local start time in front of the line
    bool color = false;     // ANSI colours: green success, red failure, yellow notes
};

// "probing 127.0.0.1 port 8080 every 1 s, time-out 5 s"
std::string TextHeader(const ProbeTarget &target, std::chrono::nanoseconds interval, std::int32_t timeoutMs);

// "127.0.0.1 (127.0.0.1) port 8080: seq=1 time=0.084 ms"
// "::1 ([::1]) port 8080: seq=1 time=0.084 ms"
// "127.0.0.1 (127.0.0.1) port 8081: seq=2 failed: connection refused
//  (Connection refused.) after 0.061 ms"
// then " (dns 25.000 ms)" when the name lookup took 1 ms or more (its share
// of the time before it), and "; address changed from <previous>" when the
// address changed. IPv6 addresses stand in brackets.
std::string TextCheckLine(const CheckEvent &event, const TextStyle &style);
