// SPDX-License-Identifier: MIT
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

// {"type":"check","time":...,"seq":1,"host":...,"address":... or null,
//  "port":80,"ok":true,"ms":0.084,"reason":null,"code":null,"message":null}
std::string JsonCheckLine(const CheckEvent &event);

// {"type":"summary",...}: the fields are listed in the README.
std::string JsonSummaryLine(const ProbeTarget &target, std::string_view address, const SessionSummary &summary);
