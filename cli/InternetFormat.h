// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "cli/InternetState.h"
#include "session/SessionSummary.h"

#include <string>

// The internet's summary, after the targets' own: as text for people and as
// a json line ({"type":"internet",...}). Pure functions; each text ends
// with a line break.

// --- internet (any of 3 targets) statistics ---
// state up since <time>, 2 of 3 targets up
// up 12.000 s, down 3.000 s, 1 outage
// longest outage: 3.000 s, from <time> to <time>, failed targets: refused 4
// session: <time> to <time>, 15.000 s
std::string TextInternetSummary(const InternetState &internet, const SessionSummary &summary, bool color);

// {"type":"internet","rule":"any","targets":3,"targets_up":2,"state":"up",
//  "since":...,"uptime_s":...,"downtime_s":...,"outages":1,
//  "longest_outage":{...} or null,"start":...,"end":...,"duration_s":...}
std::string JsonInternetLine(const InternetState &internet, const SessionSummary &summary);
