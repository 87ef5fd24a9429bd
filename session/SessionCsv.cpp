// SPDX-License-Identifier: MIT
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

std::string CsvRow(const CheckEvent &event)
{
    const CheckResult &r = event.result;
    std::string row = LocalIsoTime(r.startedAt);
    row += ',' + std::to_string(event.seq);
    row += ',' + CsvField(event.target.host);
    row += ',' + CsvField(r.address);
    row += ',' + std::to_string(event.target.port);
    row += r.ok ? ",true," : ",false,";
    row += MillisecondsText(r.elapsed);
    row += ',' + CsvField(ReasonKey(ReportedReason(r)));
    row += ',' + (r.ok || r.errorCode == 0 ? std::string() : std::to_string(r.errorCode));
    row += ',' + CsvField(r.ok ? std::string_view() : std::string_view(r.errorMessage));
    row += "\r\n";
    return row;
}
