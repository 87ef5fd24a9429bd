// SPDX-License-Identifier: MIT
#pragma once

#include "session/CheckEvent.h"

#include <string>
#include <string_view>

// The csv format of kelvora-probe and of the window's session copy: a
// header, then one row per check, as RFC 4180 has it: rows end in CR LF, a
// field holding a comma, a quote, CR or LF is put in quotes with its quotes
// doubled. Empty fields stand for no value (no address, and no reason, code
// or message after a success). Pure functions.

// "time,seq,host,address,port,ok,ms,reason,code,message" and CR LF.
std::string CsvHeader();

// One row; `ok` is true or false, `ms` has three decimals.
std::string CsvRow(const CheckEvent &event);

// One field, quoted when it must be.
std::string CsvField(std::string_view text);
