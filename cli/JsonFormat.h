// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "session/CheckEvent.h"
#include "session/SessionSummary.h"

#include <string>
#include <string_view>

// The json format: JSON Lines, one object per line, for other programs.
// Pure functions; each line ends with a line break. Numbers are fixed and
// locale-independent (milliseconds, seconds and percents with three
// decimals), times are local ISO 8601 with milliseconds and offset.

// `text` as a JSON string with its quotes. Quotes, backslashes and control
// characters are escaped; other characters stay UTF-8 as they are. A byte
// that is not part of valid UTF-8 becomes U+FFFD, so the output always is.
std::string JsonString(std::string_view text);

// "ipv4" or "ipv6"; empty for an unknown family.
std::string_view FamilyKey(AddressFamily family) noexcept;

// {"type":"check","time":...,"seq":1,"host":...,"address":... or null,
//  "port":80,"ok":true,"ms":0.084,"reason":null,"code":null,"message":null}
// The fields every check object has, kelvora-history's too.
std::string JsonCheckLine(const CheckEvent &event);

// kelvora-probe's check object: JsonCheckLine's fields, then
//   "family"      "ipv4", "ipv6", or null when no address was tried (the
//                 name did not resolve);
//   "dns_ms"      the name lookup's share of "ms" (0.000 when no lookup ran);
//   "connect_ms"  the connection's share, null when no address was tried;
//   "attempts"    only for a failure after several addresses: each one
//                 tried, in order, as {"address","family","reason","ms"}.
std::string JsonProbeCheckLine(const CheckEvent &event);

// {"type":"summary",...}: the fields are listed in the README.
std::string JsonSummaryLine(const ProbeTarget &target, std::string_view address, const SessionSummary &summary);
