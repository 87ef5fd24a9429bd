// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "history/HistorySchema.h"

#include <string>

namespace {

// Schema 1, as its header documents it.
constexpr const char *kSchema1 = R"sql(
CREATE TABLE targets(
  id INTEGER PRIMARY KEY,
  host TEXT NOT NULL,
  port INTEGER NOT NULL,
  rolled_ms INTEGER,
  pruned_ms INTEGER,
  UNIQUE(host, port));
CREATE TABLE runs(
  id INTEGER PRIMARY KEY,
  target INTEGER NOT NULL REFERENCES targets(id),
  program TEXT NOT NULL,
  interval_ms INTEGER NOT NULL,
  start_ms INTEGER NOT NULL,
  end_ms INTEGER,
  ended TEXT,
  first_ms INTEGER,
  last_ms INTEGER,
  last_end_ms INTEGER,
  checks INTEGER NOT NULL DEFAULT 0,
  pruned INTEGER NOT NULL DEFAULT 0,
  pid INTEGER,
  pid_start INTEGER,
  boot_id TEXT);
CREATE INDEX runs_by_target ON runs(target, start_ms);
CREATE TABLE addresses(
  id INTEGER PRIMARY KEY,
  address TEXT NOT NULL,
  family INTEGER NOT NULL,
  UNIQUE(address, family));
CREATE TABLE failures(
  id INTEGER PRIMARY KEY,
  reason TEXT NOT NULL,
  code INTEGER NOT NULL,
  message TEXT NOT NULL,
  UNIQUE(reason, code, message));
CREATE TABLE checks(
  time_ms INTEGER PRIMARY KEY,
  run INTEGER NOT NULL,
  elapsed_ns INTEGER NOT NULL,
  address INTEGER,
  failure INTEGER,
  lookup_us INTEGER NOT NULL DEFAULT 0,
  connect_us INTEGER NOT NULL DEFAULT 0);
CREATE TABLE gaps(
  run INTEGER NOT NULL,
  start_ms INTEGER NOT NULL,
  end_ms INTEGER NOT NULL,
  kind TEXT NOT NULL,
  PRIMARY KEY(run, start_ms)) WITHOUT ROWID;
CREATE TABLE outages(
  target INTEGER NOT NULL,
  start_ms INTEGER NOT NULL,
  end_ms INTEGER NOT NULL,
  failed INTEGER NOT NULL,
  reasons TEXT,
  PRIMARY KEY(target, start_ms)) WITHOUT ROWID;
CREATE TABLE minutes(
  target INTEGER NOT NULL,
  start_ms INTEGER NOT NULL,
  checks INTEGER NOT NULL,
  ok INTEGER NOT NULL,
  failed INTEGER NOT NULL,
  monitored_ms INTEGER NOT NULL,
  up_ms INTEGER NOT NULL,
  latency_sum_ns INTEGER NOT NULL,
  latency_min_ns INTEGER,
  latency_max_ns INTEGER,
  histogram BLOB NOT NULL,
  reasons TEXT,
  PRIMARY KEY(target, start_ms)) WITHOUT ROWID;
CREATE TABLE hours(
  target INTEGER NOT NULL,
  start_ms INTEGER NOT NULL,
  checks INTEGER NOT NULL,
  ok INTEGER NOT NULL,
  failed INTEGER NOT NULL,
  monitored_ms INTEGER NOT NULL,
  up_ms INTEGER NOT NULL,
  latency_sum_ns INTEGER NOT NULL,
  latency_min_ns INTEGER,
  latency_max_ns INTEGER,
  histogram BLOB NOT NULL,
  reasons TEXT,
  PRIMARY KEY(target, start_ms)) WITHOUT ROWID;
CREATE TABLE days(
  target INTEGER NOT NULL,
  day TEXT NOT NULL,
  start_ms INTEGER NOT NULL,
  end_ms INTEGER NOT NULL,
  checks INTEGER NOT NULL,
  ok INTEGER NOT NULL,
  failed INTEGER NOT NULL,
  monitored_ms INTEGER NOT NULL,
  up_ms INTEGER NOT NULL,
  latency_sum_ns INTEGER NOT NULL,
  latency_min_ns INTEGER,
  latency_max_ns INTEGER,
  histogram BLOB NOT NULL,
  reasons TEXT,
  PRIMARY KEY(target, day)) WITHOUT ROWID;
CREATE VIEW check_list AS
  SELECT c.time_ms, c.run, r.program, t.host, t.port, c.failure IS NULL AS ok,
         c.elapsed_ns, a.address, a.family, f.reason, f.code, f.message, c.lookup_us, c.connect_us
  FROM checks c JOIN runs r ON r.id = c.run JOIN targets t ON t.id = r.target
  LEFT JOIN addresses a ON a.id = c.address LEFT JOIN failures f ON f.id = c.failure;
)sql";

// Schema 2: the sparse minutes' old checks kept slim.
constexpr const char *kSchema2 = R"sql(
CREATE TABLE sparse_checks(
  time_ms INTEGER PRIMARY KEY,
  run INTEGER NOT NULL,
  elapsed_ns INTEGER NOT NULL,
  address INTEGER,
  failure INTEGER);
DROP VIEW check_list;
CREATE VIEW check_list AS
  SELECT c.time_ms, c.run, r.program, t.host, t.port, c.failure IS NULL AS ok,
         c.elapsed_ns, a.address, a.family, f.reason, f.code, f.message, c.lookup_us, c.connect_us
  FROM (SELECT time_ms, run, elapsed_ns, address, failure, lookup_us, connect_us FROM checks
        UNION ALL SELECT time_ms, run, elapsed_ns, address, failure, 0, 0 FROM sparse_checks) c
  JOIN runs r ON r.id = c.run JOIN targets t ON t.id = r.target
  LEFT JOIN addresses a ON a.id = c.address LEFT JOIN failures f ON f.id = c.failure;
)sql";

} // namespace

const char *HistorySchemaStep(int version)
{
    switch (version) {
    case 1: return kSchema1;
    case 2: return kSchema2;
    default: return nullptr;
    }
}

namespace {

std::string Replaced(std::string text, std::string_view name, std::string_view value)
{
    for (auto at = text.find(name); at != std::string::npos; at = text.find(name, at + value.size()))
        text.replace(at, name.size(), value);
    return text;
}

std::string Arm(std::string_view select, std::string_view table, std::string_view lookup, std::string_view connect)
{
    return Replaced(Replaced(Replaced(std::string(select), "{checks}", table), "{lookup}", lookup), "{connect}", connect);
}

} // namespace

std::string OverAllChecks(std::string_view select, std::string_view tail)
{
    std::string sql = Arm(select, "checks", "lookup_us", "connect_us");
    sql += " UNION ALL ";
    sql += Arm(select, "sparse_checks", "0", "0");
    if (!tail.empty()) {
        sql += ' ';
        sql += tail;
    }
    return sql;
}

void StandInForLaterSchemas(SqliteDatabase &db, std::int64_t version)
{
    if (version < 2)
        db.Execute("CREATE TEMP TABLE IF NOT EXISTS sparse_checks(time_ms INTEGER PRIMARY KEY, run INTEGER,"
                   " elapsed_ns INTEGER, address INTEGER, failure INTEGER)");
}

void UpgradeHistorySchema(SqliteDatabase &db)
{
    SqliteTransaction transaction(db);
    // Read inside the transaction: another program may have upgraded the
    // file while this one waited for the lock.
    const auto found = db.QueryInt("PRAGMA user_version");
    if (found >= kHistorySchemaVersion)
        return;
    if (found == 0)
        db.Execute("PRAGMA application_id = " + std::to_string(kHistoryApplicationId));
    for (auto version = static_cast<int>(found) + 1; version <= kHistorySchemaVersion; ++version)
        db.Execute(HistorySchemaStep(version));
    db.Execute("PRAGMA user_version = " + std::to_string(kHistorySchemaVersion));
    transaction.Commit();
}
