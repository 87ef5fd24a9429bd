// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "history/SqliteDatabase.h"

#include <cstdint>
#include <string>
#include <string_view>

// The history file: one SQLite 3 database, shared by every Kelvora program
// that records or reads it, in WAL mode with incremental auto-vacuum.
// PRAGMA application_id is kHistoryApplicationId, PRAGMA user_version the
// schema version (kHistorySchemaVersion). All times are milliseconds since
// 1970-01-01T00:00:00Z on the wall clock (UTC), durations are given in the
// unit their column names (_ms, _us, _ns).
//
// Schema 1
//   targets(id, host, port, rolled_ms, pruned_ms)
//       What is watched: the host as the user gave it (UTF-8) and the TCP
//       port. rolled_ms: the aggregates and outages of this target are
//       complete before this time (a minute's start); NULL before any.
//       pruned_ms: the raw checks before it have been pruned as the
//       retention says; NULL before any.
//   runs(id, target, program, interval_ms, start_ms, end_ms, ended,
//        first_ms, last_ms, last_end_ms, checks, pruned, pid, pid_start,
//        boot_id)
//       One program's watch of one target: program is "kelvora" or
//       "kelvora-probe"; interval_ms the last interval it used; end_ms and
//       ended are NULL while it goes on, then ended says how it ended:
//       "exit" (the program ended), "switch" (it went on with another target),
//       "stop" (recording was switched off), "error" (the file failed) or
//       "lost" (it never said: killed, crashed, power lost; closed by the
//       next program that opened the file, at its last check's end).
//       first_ms/last_ms: its first and last check's start, last_end_ms the
//       last check's end; checks how many it recorded, pruned how many of
//       them the retention has removed since. pid, pid_start (the
//       process's start in clock ticks after boot) and boot_id tell whether
//       the process that writes an open run still lives.
//   addresses(id, address, family)
//       Each address once: its text and family (0 unknown, 4 IPv4, 6 IPv6).
//   failures(id, reason, code, message)
//       Each way of failing once: the reason key ("dns", "refused",
//       "timeout", "host-unreachable", "network-unreachable", "reset",
//       "bad-input", "other"), the client's error number and its message.
//   checks(time_ms PRIMARY KEY, run, elapsed_ns, address, failure,
//          lookup_us, connect_us)
//       One row per check: time_ms its start (the key: when that
//       millisecond is taken, the next free one; never before the run's
//       previous check nor into the part already rolled up),
//       elapsed_ns how long it took, address an addresses.id (NULL: the name
//       did not resolve), failure a failures.id (NULL: the check
//       succeeded), lookup_us and connect_us the name lookup's and the
//       connect's share (0 when not measured).
//   gaps(run, start_ms, end_ms, kind)
//       Time inside a run that nobody watched: kind "sleep" (the machine was
//       suspended) or "clock" (the wall clock jumped ahead).
//   outages(target, start_ms, end_ms, failed, reasons)
//       Each outage once it is rolled up: a stretch of down time, ended by
//       a successful check or by time not monitored. failed is the number of
//       failed checks in it, reasons a JSON object of their counts by reason
//       key, for example {"refused":2,"timeout":1}.
//   minutes(target, start_ms, checks, ok, failed, monitored_ms, up_ms,
//           latency_sum_ns, latency_min_ns, latency_max_ns, histogram,
//           reasons)
//   hours(...the same...)
//   days(target, day, start_ms, end_ms, ...the same from checks on...)
//       Aggregates: the checks that started in the minute, hour or local day
//       (day: "YYYY-MM-DD" in the time zone of the program that wrote it),
//       how many succeeded and failed, the time monitored and the time up,
//       the sum, minimum and maximum of the successful checks' times (NULL
//       minimum and maximum when none succeeded), their latencies as a
//       compact histogram (history/CompactHistogram.h) and the failures'
//       reasons as in outages (NULL when none failed). A minute gets a row
//       only when it holds at least kDenseMinuteChecks checks; a sparser
//       minute's raw checks take less room, and are kept instead.
//   check_list (a view)
//       The checks with their run, program, host, port, ok, address, family,
//       reason, code and message joined in, for reading with the sqlite3
//       shell.
//
// Schema 2 adds
//   sparse_checks(time_ms PRIMARY KEY, run, elapsed_ns, address, failure)
//       The raw checks of minutes too sparse for an aggregate once they are
//       older than the raw retention: the same as in checks, without the
//       lookup and connect times, so that a year of checks every 30 s stays
//       small. check_list shows both tables (0 for the times not kept).
//
// Upgrades: every older schema is upgraded in place, one version at a time,
// inside one transaction; a newer one is refused before anything is written.
// A reader that cannot write (history/HistoryReader.h) reads an older file
// as it is, with an empty stand-in for what a later schema added.

inline constexpr int kHistoryApplicationId = 0x4b6c7672; // "Klvr"
inline constexpr int kHistorySchemaVersion = 2;
// The fewest checks of a minute that make its aggregate worth keeping.
inline constexpr int kDenseMinuteChecks = 4;

// A query over every raw check, wherever it is kept: `select` is run on
// checks and on sparse_checks, with "{checks}" standing for the table and
// "{lookup}" and "{connect}" for those columns (0 in sparse_checks), and the
// two joined by UNION ALL before `tail` (an ORDER BY and LIMIT, whose terms
// name result columns). SQLite merges the two ordered scans instead of
// gathering and sorting the rows, so a LIMIT stays cheap.
std::string OverAllChecks(std::string_view select, std::string_view tail = {});

// Brings a database with schema 0 (new and empty) up to
// kHistorySchemaVersion, in one transaction. Throws SqliteError; a version
// above kHistorySchemaVersion is refused by the caller first.
void UpgradeHistorySchema(SqliteDatabase &db);

// The statements that make each version from the one before:
// HistorySchemaStep(1) creates schema 1 from nothing. Nullptr past the last.
const char *HistorySchemaStep(int version);

// For a reader of an older file: empty temporary tables of the connection's
// own stand in for the tables later schemas added, so that every query reads
// the file unchanged.
void StandInForLaterSchemas(SqliteDatabase &db, std::int64_t version);
