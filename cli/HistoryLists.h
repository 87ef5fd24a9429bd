// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "history/HistoryReader.h"

#include <string>

// kelvora-history's outages, checks and targets, one line (or row) each, in
// its three formats. Pure functions; each line ends with a line break (CR LF
// for csv).
//
// json outage: {"type":"outage","host","port","start","end","duration_s",
//   "failed","reasons"}
// json check: kelvora-probe's check object {"type":"check","time","seq",
//   "host","address","port","ok","ms","reason","code","message"} with "run"
//   added, the id of the run that recorded it.
// json target: {"type":"target","host","port","first","last","checks","runs"}
//   (first and last: the first and last check's start, null without one)
// csv outages: host,port,start,end,duration_s,failed,reasons
// csv checks: kelvora-probe's columns with run added:
//   time,seq,host,address,port,ok,ms,reason,code,message,run
// csv targets: host,port,first,last,checks,runs

std::string OutageText(const HistoryTarget &target, const OutageSpan &outage);
std::string OutageJson(const HistoryTarget &target, const OutageSpan &outage);
std::string OutageCsvHeader();
std::string OutageCsvRow(const HistoryTarget &target, const OutageSpan &outage);

std::string CheckText(const StoredCheck &check);
std::string CheckJson(const StoredCheck &check);
std::string CheckCsvHeader();
std::string CheckCsvRow(const StoredCheck &check);

std::string TargetLineText(const HistoryTarget &target);
std::string TargetJson(const HistoryTarget &target);
std::string TargetCsvHeader();
std::string TargetCsvRow(const HistoryTarget &target);
