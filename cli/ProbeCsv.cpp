// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/ProbeCsv.h"

#include "cli/JsonFormat.h"
#include "session/SessionCsv.h"
#include "session/SessionText.h"

namespace {

constexpr std::string_view kRowEnd = "\r\n";

// `row` with `extra` before its CR LF.
std::string Extended(std::string row, const std::string &extra)
{
    row.insert(row.size() - kRowEnd.size(), extra);
    return row;
}

} // namespace

std::string ProbeCsvHeader()
{
    return Extended(CsvHeader(), ",family,dns_ms,connect_ms");
}

std::string ProbeCsvRow(const CheckEvent &event)
{
    const CheckResult &r = event.result;
    const std::string connect = r.address.empty() ? std::string() : MillisecondsText(r.connectElapsed);
    return Extended(CsvRow(event),
                    "," + std::string(FamilyKey(r.family)) + "," + MillisecondsText(r.lookupElapsed) + "," + connect);
}
