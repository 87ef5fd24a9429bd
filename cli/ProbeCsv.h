// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "session/CheckEvent.h"

#include <string>

// kelvora-probe's csv: the rows of session/SessionCsv.h (the window's session
// copy has the same ones) with three columns after them, so that a reader of
// the first ten finds them where it always did:
//
//   family      ipv4, ipv6, or empty when no address was tried
//   dns_ms      the name lookup's share of ms, three decimals
//   connect_ms  the connection's share, empty when no address was tried
//
// Pure functions; rows end in CR LF.

// "time,seq,host,address,port,ok,ms,reason,code,message,family,dns_ms,connect_ms" and CR LF.
std::string ProbeCsvHeader();

std::string ProbeCsvRow(const CheckEvent &event);
