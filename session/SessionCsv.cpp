// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "session/SessionCsv.h"

#include "session/SessionText.h"

std::string CsvHeader()
{
    return "time,seq,host,address,port,ok,ms,reason,code,message\r\n";
}

std::string CsvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string CsvRow(const CsvCheckRow &r)
{
    std::string row = LocalIsoTime(r.startedAt);
    row += ',' + std::to_string(r.seq);
    row += ',' + CsvField(r.host);
    row += ',' + CsvField(r.address);
    row += ',' + std::to_string(r.port);
    row += r.ok ? ",true," : ",false,";
    row += MillisecondsText(r.elapsed);
    row += ',' + CsvField(ReasonKey(r.reason));
    row += ',' + (r.errorCode == 0 ? std::string() : std::to_string(r.errorCode));
    row += ',' + CsvField(r.errorMessage);
    row += "\r\n";
    return row;
}

std::string CsvRow(const CheckEvent &event)
{
    const CheckResult &r = event.result;
    return CsvRow(CsvCheckRow{r.startedAt, event.seq, event.target.host, r.address, event.target.port, r.ok,
                              r.elapsed, ReportedReason(r), r.ok ? 0 : r.errorCode,
                              r.ok ? std::string_view() : std::string_view(r.errorMessage)});
}
