// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "session/CheckEvent.h"

#include <chrono>
#include <cstdint>

#include <string>
#include <string_view>

// The csv format of kelvora-probe and of the window's session copy: a
// header, then one row per check, as RFC 4180 has it: rows end in CR LF, a
// field holding a comma, a quote, CR or LF is put in quotes with its quotes
// doubled. Empty fields stand for no value (no address, and no reason, code
// or message after a success). Pure functions.

// The fields of one row, borrowed.
struct CsvCheckRow {
    std::chrono::system_clock::time_point startedAt;
    std::uint64_t seq = 0;
    std::string_view host;
    std::string_view address; // empty: none
    std::uint16_t port = 80;
    bool ok = false;
    std::chrono::nanoseconds elapsed{0};
    // As reported (ReportedReason): None, 0 and empty after a success.
    FailureReason reason = FailureReason::None;
    std::int32_t errorCode = 0; // 0: none
    std::string_view errorMessage;
};

// "time,seq,host,address,port,ok,ms,reason,code,message" and CR LF.
std::string CsvHeader();

// One row; `ok` is true or false, `ms` has three decimals.
std::string CsvRow(const CsvCheckRow &row);
std::string CsvRow(const CheckEvent &event);

// One field, quoted when it must be.
std::string CsvField(std::string_view text);
